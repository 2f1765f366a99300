// Saves that fail for a reason outside the text (a full disk, a read-only
// file or folder, a folder gone), the question before a name the save
// dialog did not ask about, UTF-16 marks, and files that cannot be opened.

#include "DocumentFixture.h"
#include "support/SmallDisk.h"

#include "platform/FileErrors.h"
#include "platform/TextCodec.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Kind = ScriptedPrompter::Kind;

namespace {

// What the user reads when a save or a read of path fails with error.
QString Unsaved(const QString& path, int error)
{
    return FileErrors::Message(FileErrors::Doing::Write, path, error);
}
QString Unread(const QString& path, int error)
{
    return FileErrors::Message(FileErrors::Doing::Read, path, error);
}

// Root reads and writes anything: for the permission cases the file system
// checks are made as "nobody" (the file-system user id), then as root again.
class AsNobody
{
public:
    AsNobody()
    {
        if (::geteuid() != 0)
            return;
        ::setfsuid(65534);
        active_ = ::setfsuid(65534) == 65534;
    }
    ~AsNobody()
    {
        if (active_)
            ::setfsuid(0);
    }
    bool ok() const { return active_ || ::geteuid() != 0; }

private:
    bool active_ = false;
};

} // namespace

class TestDocumentSaves : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { UsePrivateHome(home_); }
    void init();
    void cleanup();

    void fullDiskKeepsTheOldFileAndSaysWhy_data();
    void fullDiskKeepsTheOldFileAndSaysWhy();
    void folderWithoutWriteSavesInPlace();
    void systemReasonsForOtherFailures();
    void addedExtensionAsksBeforeReplacing();
    void utf16IsAlwaysWrittenWithItsMark_data();
    void utf16IsAlwaysWrittenWithItsMark();
    void openingFailuresSayWhy();

private:
    QString path(const QString& name) const { return dir_->filePath(name); }
    QTemporaryDir home_;
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestDocumentSaves::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    // "nobody" may look in, and write in the working folder.
    QVERIFY(QFile::setPermissions(dir_->path(), QFileDevice::Permissions(0x7755)));
    QVERIFY(QDir(dir_->path()).mkdir(u"work"_s));
    QVERIFY(QFile::setPermissions(path(u"work"_s), QFileDevice::Permissions(0x7777)));
}

void TestDocumentSaves::cleanup()
{
    // Folders closed by a test open again, so they can be removed.
    for (const QString& folder : {u"locked"_s, u"disk/shared"_s, u"closed"_s})
        QFile::setPermissions(path(folder), QFileDevice::Permissions(0x7700));
}

void TestDocumentSaves::fullDiskKeepsTheOldFileAndSaysWhy_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("code");
    QTest::addRow("3 B Shift_JIS") << QByteArray("abc") << 0;
    QByteArray utf8;
    while (utf8.size() < 10000)
        utf8 += u"日本語の行\n"_s.toUtf8();
    QTest::addRow("10 KB UTF-8 without mark") << utf8 << 3;
    QTest::addRow("40 KB UTF-16") << QByteArray("\xFF\xFE") + QByteArray(40000, 'u') << 1;
}

void TestDocumentSaves::fullDiskKeepsTheOldFileAndSaysWhy()
{
    QFETCH(QByteArray, file);
    QFETCH(int, code);
    SmallDisk disk(path(u"disk"_s));
    const QString p = path(u"disk/memo.txt"_s);
    QVERIFY(WriteBytes(p, file));
    DocumentForm f;
    f.state().murmelinFolder = path(u"work"_s);
    f.open(p);
    QCOMPARE(int(f.state().textEncoding), code);
    DocumentForm::type(f.text(), u"書き足し"_s);
    const QString typed = f.text()->Text();

    disk.Fill(file.size());
    f.prompter.answers = {true, true};
    f.docs().OverWrite();
    // Saved under a name over the same file: the typed text must not vanish either.
    f.prompter.saveFileAnswers = {Prompter::SaveChoice{path(u"disk/memo"_s), code}};
    f.docs().FileNameSpecifiedSave();
    disk.Empty();

    QCOMPARE(ReadBytes(p), file);
    QCOMPARE(f.prompter.texts(),
             (QStringList{u"テキスト・データを上書き保存しますか？"_s, Unsaved(p, disk.Error()),
                          u"「memo.txt」は既に存在します。上書きしますか？"_s, Unsaved(p, disk.Error())}));
    QCOMPARE(f.state().lastFileOutcome, FileOutcome::Failed);
    QCOMPARE(f.state().textDocumentState, DocumentState::StoredEdited);
    QCOMPARE(f.text()->Text(), typed);
    QCOMPARE(QDir(path(u"disk"_s)).entryList(QDir::Files | QDir::Hidden), QStringList{u"memo.txt"_s});
}

void TestDocumentSaves::folderWithoutWriteSavesInPlace()
{
    SmallDisk disk(path(u"disk"_s));
    const QString folder = path(u"disk/shared"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString p = folder + u"/memo.txt"_s;
    const QByteArray old = u"元の行\r\n"_s.toUtf8();
    QVERIFY(WriteBytes(p, old));
    QVERIFY(QFile::setPermissions(p, QFileDevice::Permissions(0x6666)));
    QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x5555)));
    DocumentForm f;
    f.state().murmelinFolder = path(u"work"_s);
    f.open(p);
    DocumentForm::type(f.text(), u"追記"_s);
    AsNobody nobody;
    QVERIFY(nobody.ok());
    f.prompter.answers = {true, true};
    f.docs().OverWrite();
    QCOMPARE(ReadBytes(p), u"元の行\r\n追記"_s.toUtf8());
    QCOMPARE(f.state().textDocumentState, DocumentState::Stored);

    // A failure part-way through the file itself puts the old bytes back.
    DocumentForm::type(f.text(), QString(20000, u'x'));
    disk.Fill(ReadBytes(p).size());
    f.docs().OverWrite();
    disk.Empty();
    QCOMPARE(ReadBytes(p), u"元の行\r\n追記"_s.toUtf8());
    QCOMPARE(f.prompter.texts().value(2), Unsaved(p, disk.Error()));
    QCOMPARE(f.state().textDocumentState, DocumentState::StoredEdited);
    // The copy of the old bytes went once they were safe; the folder holds nothing new.
    QVERIFY(QDir(path(u"work"_s)).isEmpty(QDir::Files | QDir::Hidden));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{u"memo.txt"_s});
}

void TestDocumentSaves::systemReasonsForOtherFailures()
{
    // A read-only file in a read-only folder: the file is not written.
    const QString folder = path(u"locked"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString p = folder + u"/memo.txt"_s;
    QVERIFY(WriteBytes(p, "abc"));
    QVERIFY(QFile::setPermissions(p, QFileDevice::Permissions(0x4444)));
    QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x5555)));
    DocumentForm f;
    f.state().murmelinFolder = path(u"work"_s);
    f.open(p);
    DocumentForm::type(f.text(), u"d"_s);
    {
        AsNobody nobody;
        QVERIFY(nobody.ok());
        f.prompter.answers = {true};
        f.docs().OverWrite();
    }
    QCOMPARE(f.prompter.texts().value(1), Unsaved(p, EACCES));
    QCOMPARE(ReadBytes(p), QByteArray("abc"));
    QCOMPARE(f.state().textDocumentState, DocumentState::StoredEdited);

    // A folder that is gone when the dialog's choice is written.
    f.prompter.clear();
    f.prompter.saveFileAnswers = {Prompter::SaveChoice{path(u"gone/new.txt"_s), 0}};
    f.docs().FileNameSpecifiedSave();
    QCOMPARE(f.prompter.texts(), QStringList{Unsaved(path(u"gone/new.txt"_s), ENOENT)});
    QCOMPARE(f.state().textDocumentState, DocumentState::StoredEdited);
}

void TestDocumentSaves::addedExtensionAsksBeforeReplacing()
{
    DocumentForm f;
    QVERIFY(WriteBytes(path(u"memo.txt"_s), "precious"));
    f.docs().NewText();
    DocumentForm::type(f.text(), u"新しい"_s);
    const QString question = u"「memo.txt」は既に存在します。上書きしますか？"_s;
    // No: the dialog comes back with the name that would be written; then cancel.
    f.prompter.answers = {false};
    f.prompter.saveFileAnswers = {Prompter::SaveChoice{path(u"memo"_s), 3}};
    f.docs().FileNameSpecifiedSave();
    QCOMPARE(f.prompter.texts(), QStringList{question});
    QCOMPARE(f.prompter.dialogCalls.size(), 2);
    QCOMPARE(f.prompter.dialogCalls[1].fileName, u"memo.txt"_s);
    QCOMPARE(f.prompter.dialogCalls[1].filterIndex, 3);
    QCOMPARE(ReadBytes(path(u"memo.txt"_s)), QByteArray("precious"));
    QCOMPARE(f.state().textDocumentState, DocumentState::NewEdited);

    // A name the dialog itself asked about, and a new file: no question.
    f.prompter.clear();
    f.prompter.saveFileAnswers = {Prompter::SaveChoice{path(u"memo.txt"_s), 3},
                                  Prompter::SaveChoice{path(u"other"_s), 3}};
    f.docs().FileNameSpecifiedSave();
    f.docs().FileNameSpecifiedSave();
    QVERIFY(f.prompter.texts().isEmpty());
    QCOMPARE(ReadBytes(path(u"other.txt"_s)), QByteArray("\xEF\xBB\xBF") + u"新しい"_s.toUtf8());

    // Yes writes it.
    f.prompter.answers = {true};
    f.prompter.saveFileAnswers = {Prompter::SaveChoice{path(u"memo"_s), 3}};
    f.docs().FileNameSpecifiedSave();
    QCOMPARE(f.prompter.texts(), QStringList{question});
    QCOMPARE(ReadBytes(path(u"memo.txt"_s)), QByteArray("\xEF\xBB\xBF") + u"新しい"_s.toUtf8());
}

void TestDocumentSaves::utf16IsAlwaysWrittenWithItsMark_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("newText");
    QTest::addColumn<bool>("underName");
    QTest::addRow("LE, all replaced") << 1 << false << false;
    QTest::addRow("BE, all replaced") << 2 << false << false;
    QTest::addRow("BE, all replaced, under a name") << 2 << false << true;
    QTest::addRow("LE, new text after a LE file") << 1 << true << true;
}

void TestDocumentSaves::utf16IsAlwaysWrittenWithItsMark()
{
    QFETCH(int, code);
    QFETCH(bool, newText);
    QFETCH(bool, underName);
    const auto encoding = code == 1 ? TextCodec::Encoding::Utf16LE : TextCodec::Encoding::Utf16BE;
    const QByteArray mark = code == 1 ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    DocumentForm f;
    const QString p = path(u"u.txt"_s);
    QVERIFY(WriteBytes(p, mark + *TextCodec::System().Encode(u"古い"_s, encoding)));
    f.open(p);
    f.prompter.answers = {true, true};
    if (newText) {
        f.docs().NewText();
        DocumentForm::type(f.text(), u"新"_s);
    } else {
        f.docs().SelectAll();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, u"新"_s);
        QApplication::sendEvent(f.text(), &press);
        QCOMPARE(f.text()->Text(), u"新"_s);
    }
    if (underName) {
        f.prompter.saveFileAnswers = {Prompter::SaveChoice{p, code}};
        f.docs().FileNameSpecifiedSave();
    } else {
        f.docs().OverWrite();
    }
    QCOMPARE(ReadBytes(p), mark + *TextCodec::System().Encode(u"新"_s, encoding));
    f.open(p);
    QCOMPARE(f.text()->Text(), u"\uFEFF新"_s);
}

void TestDocumentSaves::openingFailuresSayWhy()
{
    DocumentForm f;
    QVERIFY(WriteBytes(path(u"kept.txt"_s), "kept"));
    f.open(path(u"kept.txt"_s));

    // A name whose bytes are not UTF-8, as the file list shows it.
    const QByteArray badName = QFile::encodeName(dir_->path()) + "/bad\xFF.txt";
    const int fd = ::open(badName.constData(), O_WRONLY | O_CREAT, 0644);
    QVERIFY(fd >= 0);
    ::close(fd);
    const QString shown = path(u"bad\uFFFD.txt"_s);
    // A folder without search permission, a FIFO and a device named like texts.
    QVERIFY(QDir().mkpath(path(u"closed"_s)));
    QVERIFY(WriteBytes(path(u"closed/in.txt"_s), "x"));
    QVERIFY(QFile::setPermissions(path(u"closed"_s), QFileDevice::Permissions(0x6600)));
    QCOMPARE(::mkfifo(QFile::encodeName(path(u"pipe.txt"_s)).constData(), 0644), 0);
    QVERIFY(QFile::link(u"/dev/zero"_s, path(u"zero.txt"_s)));
    // Were the FIFO opened blocking, this writer would free the test after 3 s.
    std::atomic<bool> done = false;
    std::thread unblock([fifo = QFile::encodeName(path(u"pipe.txt"_s)), &done] {
        for (int i = 0; i < 30 && !done; ++i)
            ::usleep(100000);
        const int w = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
        if (w >= 0)
            ::close(w);
    });
    const auto notRegular = [](const QString& p) {
        return u"「"_s + p + u"」を読み込めませんでした（通常のファイルではありません）。"_s;
    };
    QElapsedTimer clock;
    clock.start();
    {
        AsNobody nobody;
        QVERIFY(nobody.ok());
        for (const QString& p : {shown, path(u"closed/in.txt"_s), path(u"pipe.txt"_s), path(u"zero.txt"_s)})
            f.open(p);
    }
    done = true;
    unblock.join();
    ::unlink(badName.constData());   // a name the temporary folder's clean-up cannot spell
    QVERIFY(clock.elapsed() < 2000);
    QCOMPARE(f.prompter.texts(), (QStringList{Unread(shown, EILSEQ), Unread(path(u"closed/in.txt"_s), EACCES),
                                              notRegular(path(u"pipe.txt"_s)), notRegular(path(u"zero.txt"_s))}));
    QCOMPARE(f.text()->Text(), u"kept"_s);
    QCOMPARE(f.ui().textNameBox->text(), u"kept"_s);
    QCOMPARE(f.state().textDocumentState, DocumentState::Stored);
}

QTEST_MAIN(TestDocumentSaves)
#include "tst_documentsaves.moc"
