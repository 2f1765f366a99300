// Documents and their files: loading with encoding detection, over-writing,
// saving under a name in four encodings, failures that leave files whole,
// and the line-ending check, on a real main window and real files.

#include "DocumentFixture.h"

#include "platform/TextCodec.h"

#include <QDateTime>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

using namespace Qt::StringLiterals;
using Kind = ScriptedPrompter::Kind;

namespace {
const QString NotAnsi =
    u"ANSI以外の文字が含まれていますので「名前を付けて保存」で「Unicodeなど」を指定して保存してください。"_s;
const QChar Mark(0xFEFF);

QByteArray Encoded(const QString& text, int code)
{
    return *TextCodec::System().Encode(text, code == 0 ? TextCodec::Encoding::ShiftJis
                                              : code == 1 ? TextCodec::Encoding::Utf16LE
                                              : code == 2 ? TextCodec::Encoding::Utf16BE
                                                          : TextCodec::Encoding::Utf8);
}

// Makes a file look old so a later write shows in its time.
void Age(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
}

bool WrittenSinceAged(const QString& path)
{
    return QFileInfo(path).lastModified() > QDateTime::currentDateTime().addDays(-1);
}
} // namespace

class TestDocumentFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { UsePrivateHome(home_); }
    void init();

    void loadThenOverWriteIsByteExact_data();
    void loadThenOverWriteIsByteExact();
    void loadSetsLocationAndOnlyItsOwnDocumentsCodes();
    void emptyFileKeepsCodeAndMark();
    void refusalsAndQuestionsBeforeLoading();
    void unreadableFileChangesNeitherDocument();
    void reloadingTheSameTextStillCountsTheNextEdit();
    void strictShiftJisRefusalLeavesTheFileUntouched();
    void failedWriteHalfWayLeavesTheOldFileWhole();
    void overWriteDecisions();
    void savePreselection();
    void newDocumentSavedAsUtf8();
    void ansiDocumentSavedAsUnicodeKeepsItsMark();
    void markedTextInAnotherEncodingGetsOneMark();
    void chosenNamesAlwaysGetTheViewsExtension();
    void lineEndingCheck();

private:
    QString path(const QString& name) const { return dir_->filePath(name); }
    QTemporaryDir home_;
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestDocumentFiles::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void TestDocumentFiles::loadThenOverWriteIsByteExact_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("marked");

    const QString breaks[][2] = {{u"CRLF"_s, u"\r\n"_s}, {u"LF"_s, u"\n"_s}, {u"CR"_s, u"\r"_s}};
    const QString body = u"日本語のテキスト ABC;コメント"_s;
    for (int code = 0; code <= 3; ++code) {
        for (const auto& [name, br] : breaks) {
            const QString text = body + br + u"二行目"_s + br + br + u"ｶﾀｶﾅ①"_s + br;
            QByteArray file = Encoded(text, code);
            if (code > 0)
                file.prepend(Encoded(QString(Mark), code));
            QTest::addRow("code %d, %s", code, qPrintable(name)) << code << file << (code > 0);
        }
        const QString mixed = u"一\r\n二\n三\r四\r\r\n\n五"_s;
        QByteArray file = Encoded(mixed, code);
        if (code > 0)
            file.prepend(Encoded(QString(Mark), code));
        QTest::addRow("code %d, mixed", code) << code << file << (code > 0);
        // UTF-8 without a mark, as most texts here are, stays without one.
        if (code == 3)
            QTest::addRow("UTF-8 without mark, mixed") << code << mixed.toUtf8() << false;
    }
    QTest::newRow("UTF-8 without mark, full-width first")
        << 3 << u"（注）ＡＢＣ\n二行目\n"_s.toUtf8() << false;
    // ASCII alone is read, and over-written, as Shift_JIS.
    QTest::newRow("UTF-8 without mark, ASCII") << 0 << QByteArray("plain\nascii\r\n") << false;
    // A mark character further on is ordinary text.
    QTest::newRow("two marks") << 3 << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF" "a") << true;
}

void TestDocumentFiles::loadThenOverWriteIsByteExact()
{
    QFETCH(int, code);
    QFETCH(QByteArray, file);
    QFETCH(bool, marked);
    DocumentForm f;
    const QString p = path(u"文書.txt"_s);
    QVERIFY(WriteBytes(p, file));
    f.open(p);
    QCOMPARE(int(f.state().textEncoding), code);
    QCOMPARE(f.state().TextCodeKindLength, marked ? 1 : 0);
    QCOMPARE(f.text()->Text().startsWith(Mark), marked);
    QCOMPARE(f.state().textDocumentState, DocumentState::Stored);

    // An edit undone by hand leaves the text as it came but the document edited.
    DocumentForm::type(f.text(), u"x"_s);
    QTest::keyClick(f.text(), Qt::Key_Backspace);
    QCOMPARE(f.state().textDocumentState, DocumentState::StoredEdited);
    Age(p);
    f.prompter.answers = {true};
    f.docs().OverWrite();
    QCOMPARE(f.prompter.texts(), QStringList{u"テキスト・データを上書き保存しますか？"_s});
    QVERIFY(WrittenSinceAged(p));
    QCOMPARE(ReadBytes(p), file);
    QCOMPARE(f.state().textDocumentState, DocumentState::Stored);
    QCOMPARE(f.state().lastFileOutcome, FileOutcome::Done);
}

void TestDocumentFiles::loadSetsLocationAndOnlyItsOwnDocumentsCodes()
{
    DocumentForm f;
    QVERIFY(WriteBytes(path(u"song.lrc"_s), QByteArray("\xFE\xFF\x30\x42")));
    QVERIFY(WriteBytes(path(u"memo.txt"_s), QByteArray("\xFF\xFE\x41\x00")));
    f.state().OneLineSelectionStart = 7;
    f.state().OneLineSelectionLength = 3;

    f.open(path(u"song.lrc"_s));
    QCOMPARE(f.state().lrcEncoding, EncodingCode::Utf16BE);
    QCOMPARE(f.state().LrcTextCodeKindLength, 1);
    QCOMPARE(f.state().textEncoding, EncodingCode::ShiftJis);
    QCOMPARE(f.state().TextCodeKindLength, 0);
    QCOMPARE(f.lrc()->Text(), u"\uFEFFあ"_s);
    QCOMPARE(f.ui().lrcNameBox->text(), u"song"_s);
    QCOMPARE(f.ui().lrcFolderLabel->text(), dir_->path());
    QCOMPARE(f.state().lrcTextFolder, dir_->path());
    QCOMPARE(f.state().lrcDocumentState, DocumentState::Stored);
    QCOMPARE(f.state().lrcLoadChange, LoadChange::None);   // the load's own change was swallowed
    QVERIFY(!f.lrc()->isHidden());
    QVERIFY(f.text()->isHidden());
    QCOMPARE(f.state().OneLineSelectionStart, 0);
    QCOMPARE(f.state().OneLineSelectionLength, 0);
    QCOMPARE(f.state().textDocumentState, DocumentState::Untouched);

    f.open(path(u"memo.txt"_s));
    QCOMPARE(f.state().textEncoding, EncodingCode::Utf16LE);
    QCOMPARE(f.state().lrcEncoding, EncodingCode::Utf16BE);
    QCOMPARE(f.ui().textNameBox->text(), u"memo"_s);
    QCOMPARE(f.ui().textFolderLabel->text(), dir_->path());
    QVERIFY(!f.text()->isHidden());
    QCOMPARE(f.lrc()->Text(), u"\uFEFFあ"_s);
    QVERIFY(f.prompter.entries.isEmpty());
}

void TestDocumentFiles::emptyFileKeepsCodeAndMark()
{
    DocumentForm f;
    QVERIFY(WriteBytes(path(u"a.txt"_s), "\xEF\xBB\xBF" "abc"));
    QVERIFY(WriteBytes(path(u"empty.txt"_s), QByteArray()));
    f.open(path(u"a.txt"_s));
    f.open(path(u"empty.txt"_s));
    QCOMPARE(f.text()->Text(), QString());
    QCOMPARE(f.state().textDocumentState, DocumentState::Stored);
    QCOMPARE(f.state().textEncoding, EncodingCode::Utf8);
    QCOMPARE(f.state().TextCodeKindLength, 1);
    QCOMPARE(f.ui().textNameBox->text(), u"empty"_s);
    // A lone 0xEF: no text, code 0, mark flag kept.
    QVERIFY(WriteBytes(path(u"ef.txt"_s), QByteArray("\xEF")));
    f.open(path(u"ef.txt"_s));
    QCOMPARE(f.state().textEncoding, EncodingCode::ShiftJis);
    QCOMPARE(f.state().TextCodeKindLength, 1);
    QCOMPARE(f.text()->Text(), QString());
}

void TestDocumentFiles::refusalsAndQuestionsBeforeLoading()
{
    DocumentForm f;
    const QString p = path(u"a.txt"_s);
    QVERIFY(WriteBytes(p, "new"));

    // The engine in use decides which states refuse; an unusable engine is not asked.
    struct Engine { short major, minor; int synthError, voiceError, flag; const char16_t* message; };
    const Engine engines[] = {
        {6, 3, 0, 1, 20, u"音声合成の再生中です。停止ボタンをクリックしてください。"},
        {6, 2, 0, 1, 21, u"音声合成の一時停止中です。停止ボタンをクリックしてください。"},
        {6, 1, 1, 0, 10, u"音声合成の再生中です。停止ボタンをクリックしてください。"},
        {6, 1, 1, 0, 11, u"音声合成の一時停止中です。停止ボタンをクリックしてください。"},
        {6, 3, 1, 0, 20, nullptr},
        {6, 1, 0, 0, 20, nullptr},
    };
    for (const Engine& e : engines) {
        DocumentForm g;
        g.state().OsMajor = e.major;
        g.state().OsMinor = e.minor;
        g.state().synthesizerStatus = e.synthError;
        g.state().voiceStatus = e.voiceError;
        g.state().speechState = e.flag;
        g.open(p);
        if (e.message) {
            QCOMPARE(g.prompter.texts(), QStringList{QString::fromUtf16(e.message)});
            QCOMPARE(g.state().textDocumentState, DocumentState::Untouched);
            QCOMPARE(g.text()->Text(), QString());
        } else {
            QVERIFY(g.prompter.entries.isEmpty());
            QCOMPARE(g.text()->Text(), u"new"_s);
        }
    }

    // Unsaved edits: the question, and No keeps everything.
    DocumentForm::type(f.text(), u"mine"_s);
    QCOMPARE(f.state().textDocumentState, DocumentState::NewEdited);
    f.prompter.answers = {false};
    f.open(p);
    QCOMPARE(f.prompter.texts(), QStringList{u"テキスト・データを保存しなくてもよいですか？"_s});
    QCOMPARE(f.text()->Text(), u"mine"_s);
    QCOMPARE(f.state().textDocumentState, DocumentState::NewEdited);
    // The synchronized-text question is its own.
    DocumentForm::type(f.lrc(), u"lrc"_s);
    f.prompter.clear();
    f.open(path(u"b.lrc"_s));
    QCOMPARE(f.prompter.texts(), QStringList{u"同期テキスト・データを保存しなくてもよいですか？"_s});
    // Yes to a file that does not exist (gone since the list was filled):
    // the system's reason, and nothing loaded.
    f.prompter.clear();
    f.prompter.answers = {true};
    f.open(path(u"missing.txt"_s));
    QCOMPARE(f.prompter.texts().value(1),
             u"「"_s + path(u"missing.txt"_s) + u"」を読み込めませんでした（ファイルまたはフォルダーが見つかりません）。"_s);
    QCOMPARE(f.text()->Text(), u"mine"_s);
    f.prompter.answers = {true};
    f.open(p);
    QCOMPARE(f.text()->Text(), u"new"_s);
    QCOMPARE(f.state().textDocumentState, DocumentState::Stored);
}

void TestDocumentFiles::unreadableFileChangesNeitherDocument()
{
    DocumentForm f;
    QVERIFY(WriteBytes(path(u"good.txt"_s), "kept"));
    f.open(path(u"good.txt"_s));
    f.state().textEncoding = EncodingCode::Utf16BE;
    QVERIFY(QDir(dir_->path()).mkdir(u"folder.txt"_s));   // exists, cannot be read as a file
    f.open(path(u"folder.txt"_s));
    QCOMPARE(f.prompter.entries.size(), 1);
    QCOMPARE(f.prompter.entries[0].kind, Kind::Message);
    QVERIFY(!f.prompter.entries[0].text.isEmpty());   // the system's own error text
    QCOMPARE(f.text()->Text(), u"kept"_s);
    QCOMPARE(f.ui().textNameBox->text(), u"good"_s);
    QCOMPARE(f.state().textEncoding, EncodingCode::Utf16BE);
    QCOMPARE(f.state().textDocumentState, DocumentState::Stored);
}

void TestDocumentFiles::reloadingTheSameTextStillCountsTheNextEdit()
{
    DocumentForm f;
    const QString p = path(u"same.txt"_s);
    QVERIFY(WriteBytes(p, "same\r\ntext"));
    f.open(p);
    DocumentForm::type(f.text(), u"!"_s);
    QCOMPARE(f.state().textDocumentState, DocumentState::StoredEdited);
    f.prompter.answers = {true};
    f.open(p);
    QCOMPARE(f.state().textDocumentState, DocumentState::Stored);
    DocumentForm::type(f.text(), u"!"_s);
    QCOMPARE(f.state().textDocumentState, DocumentState::StoredEdited);
    // In state 3 with the same text in the editor: no change notification at
    // all, and still the next keystroke is an edit.
    f.prompter.answers = {true};
    f.open(p);
    f.open(p);
    QCOMPARE(f.state().textDocumentState, DocumentState::Stored);
    QCOMPARE(f.state().textLoadChange, LoadChange::None);
    DocumentForm::type(f.text(), u"!"_s);
    QCOMPARE(f.state().textDocumentState, DocumentState::StoredEdited);
}

void TestDocumentFiles::strictShiftJisRefusalLeavesTheFileUntouched()
{
    for (const QString& foreign : {u"😀"_s, u"ㇰ"_s}) {
        DocumentForm f;
        const QString p = path(u"ansi.txt"_s);
        const QByteArray original = Encoded(u"シフトJIS\r\n"_s, 0);
        QVERIFY(WriteBytes(p, original));
        f.open(p);
        DocumentForm::type(f.text(), foreign);
        Age(p);
        f.prompter.answers = {true};
        f.docs().OverWrite();
        QCOMPARE(f.prompter.texts().value(1), NotAnsi);
        QCOMPARE(ReadBytes(p), original);
        QVERIFY(!WrittenSinceAged(p));
        QCOMPARE(f.state().textDocumentState, DocumentState::StoredEdited);
        QCOMPARE(f.state().lastFileOutcome, FileOutcome::Failed);
    }
}

void TestDocumentFiles::failedWriteHalfWayLeavesTheOldFileWhole()
{
    DocumentForm f;
    const QString p = path(u"big.txt"_s);
    const QByteArray original = QByteArray("\xEF\xBB\xBF") + QByteArray(100, 'o');
    QVERIFY(WriteBytes(p, original));
    f.open(p);
    DocumentForm::type(f.text(), QString(200, u'x'));
    f.text()->InsertText(QString(40000, u'y'));

    // Files may not grow past 4 KB now: the write fails part of the way.
    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    f.prompter.answers = {true};
    f.docs().OverWrite();
    // and the dialog's write fails the same way, with its own message
    f.ui().textNameBox->setText(u"other"_s);
    f.prompter.saveFileAnswers = {Prompter::SaveChoice{path(u"other.txt"_s), 2}};
    f.docs().OverWrite();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    QCOMPARE(ReadBytes(p), original);
    // The system says what went wrong; the conversion messages are for characters.
    const auto tooLarge = [](const QString& p) { return u"「"_s + p + u"」を保存できませんでした（ファイルが大きすぎます）。"_s; };
    QCOMPARE(f.prompter.texts(),
             (QStringList{u"テキスト・データを上書き保存しますか？"_s, tooLarge(p), tooLarge(path(u"other.txt"_s))}));
    QCOMPARE(f.state().lastFileOutcome, FileOutcome::Failed);
    QCOMPARE(f.state().textDocumentState, DocumentState::StoredEdited);
    QVERIFY(!QFile::exists(path(u"other.txt"_s)));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), (QStringList{u"big.txt"_s}));   // no temporary left
    QCOMPARE(f.state().textEncoding, EncodingCode::Utf8);   // a failed save keeps the encoding
    QCOMPARE(f.ui().textNameBox->text(), u"other"_s);
}

void TestDocumentFiles::overWriteDecisions()
{
    DocumentForm f;
    const QString p = path(u"a.txt"_s);
    QVERIFY(WriteBytes(p, "abc"));
    f.open(p);
    Age(p);
    f.docs().OverWrite();   // state 3, file there: nothing at all
    QVERIFY(f.prompter.entries.isEmpty());
    QVERIFY(!WrittenSinceAged(p));

    // A new name in the name box: that file does not exist, so the dialog opens.
    f.ui().textNameBox->setText(u"renamed"_s);
    f.docs().OverWrite();
    QCOMPARE(f.prompter.entries.size(), 1);
    QCOMPARE(f.prompter.entries[0].kind, Kind::SaveFile);
    QCOMPARE(f.prompter.dialogCalls[0].startFolder, dir_->path());
    QCOMPARE(f.prompter.dialogCalls[0].fileName, u"renamed.txt"_s);

    // Edited and asked: No writes nothing and keeps state 4.
    f.ui().textNameBox->setText(u"a"_s);
    DocumentForm::type(f.text(), u"d"_s);
    f.prompter.clear();
    f.prompter.answers = {false};
    f.docs().OverWrite();
    QCOMPARE(f.prompter.texts(), QStringList{u"テキスト・データを上書き保存しますか？"_s});
    QCOMPARE(ReadBytes(p), QByteArray("abc"));
    QCOMPARE(f.state().textDocumentState, DocumentState::StoredEdited);

    // A new document whose default name exists is never over-written without the dialog.
    QVERIFY(WriteBytes(path(u"NewText.txt"_s), "precious"));
    f.prompter.answers = {true};
    f.docs().NewText();
    f.ui().textFolderLabel->setText(dir_->path());
    DocumentForm::type(f.text(), u"typed"_s);
    f.prompter.clear();
    f.docs().OverWrite();
    QCOMPARE(f.prompter.entries.size(), 1);
    QCOMPARE(f.prompter.entries[0].kind, Kind::SaveFile);
    QCOMPARE(ReadBytes(path(u"NewText.txt"_s)), QByteArray("precious"));

    // The picture view: nothing.
    f.docs().ArtDisplaySwitch();
    f.prompter.clear();
    f.docs().OverWrite();
    f.docs().FileNameSpecifiedSave();
    f.docs().LineEndCheck();
    QVERIFY(f.prompter.entries.isEmpty());
}

void TestDocumentFiles::savePreselection()
{
    DocumentForm f;
    f.ui().textFolderLabel->setText(dir_->path());
    f.docs().NewText();
    DocumentForm::type(f.text(), u"かな"_s);
    f.docs().FileNameSpecifiedSave();
    QCOMPARE(f.prompter.dialogCalls.size(), 1);
    QCOMPARE(f.prompter.dialogCalls[0].filterIndex, 0);   // converts to Shift_JIS: ANSI
    QCOMPARE(f.prompter.dialogCalls[0].filters,
             (QStringList{u"ANSIテキスト(*.txt)"_s, u"Unicodeテキスト(*.txt)"_s,
                          u"Unicode big endianテキスト(*.txt)"_s, u"UTF8テキスト(*.txt)"_s}));
    QCOMPARE(f.prompter.dialogCalls[0].fileName, u"NewText.txt"_s);
    QCOMPARE(f.prompter.dialogCalls[0].startFolder, dir_->path());

    DocumentForm::type(f.text(), u"한"_s);
    f.prompter.saveFileAnswers = {Prompter::SaveChoice{path(u"k.txt"_s), 0}};   // ANSI anyway
    f.docs().FileNameSpecifiedSave();
    QCOMPARE(f.prompter.dialogCalls[1].filterIndex, 1);   // outside Shift_JIS: Unicode
    QCOMPARE(f.prompter.texts(), QStringList{u"ANSIコードに変換できない文字が含まれています。"_s});
    QVERIFY(!QFile::exists(path(u"k.txt"_s)));
    QCOMPARE(f.ui().textNameBox->text(), u"k"_s);   // the name stays although the write failed
    QCOMPARE(f.state().textDocumentState, DocumentState::NewEdited);
    QVERIFY(f.log.calls.isEmpty());   // no list refill after a failure

    // A synchronized-text document from a UTF-16BE file proposes its own encoding.
    QVERIFY(WriteBytes(path(u"s.lrc"_s), QByteArray("\xFE\xFF\x00\x41")));
    f.open(path(u"s.lrc"_s));
    f.docs().FileNameSpecifiedSave();
    QCOMPARE(f.prompter.dialogCalls[2].filterIndex, 2);
    QCOMPARE(f.prompter.dialogCalls[2].filters.value(3), u"UTF8テキスト(*.lrc)"_s);
    QCOMPARE(f.prompter.dialogCalls[2].fileName, u"s.lrc"_s);
}

void TestDocumentFiles::newDocumentSavedAsUtf8()
{
    DocumentForm f;
    f.ui().listFolderLabel->setText(u"/list/folder"_s);
    f.docs().NewText();
    DocumentForm::type(f.text(), u"ユニコード"_s);
    f.prompter.saveFileAnswers = {Prompter::SaveChoice{path(u"u8.txt"_s), 3}};
    f.docs().FileNameSpecifiedSave();
    QCOMPARE(ReadBytes(path(u"u8.txt"_s)), QByteArray("\xEF\xBB\xBF") + u"ユニコード"_s.toUtf8());
    QCOMPARE(f.text()->Text(), u"\uFEFFユニコード"_s);
    QCOMPARE(f.state().textEncoding, EncodingCode::Utf8);
    QCOMPARE(f.state().TextCodeKindLength, 1);
    QCOMPARE(f.state().textDocumentState, DocumentState::Stored);
    QCOMPARE(f.ui().textNameBox->text(), u"u8"_s);
    QCOMPARE(f.ui().textFolderLabel->text(), dir_->path());
    QCOMPARE(f.state().textFolder, dir_->path());
    QCOMPARE(f.state().openDirFolder, dir_->path());
    QCOMPARE(f.log.calls, (QStringList{u"ListViewAllFileNameWriting(/list/folder)"_s,
                                       u"ListViewTextFileNameWriting(/list/folder)"_s,
                                       u"ListViewMusicFileNameWriting(/list/folder)"_s}));
    // An edit and an over-write write the mark again, once.
    DocumentForm::type(f.text(), u"!"_s);
    f.prompter.answers = {true};
    f.docs().OverWrite();
    QCOMPARE(ReadBytes(path(u"u8.txt"_s)), QByteArray("\xEF\xBB\xBF") + u"ユニコード!"_s.toUtf8());
    QCOMPARE(f.state().textDocumentState, DocumentState::Stored);
}

void TestDocumentFiles::ansiDocumentSavedAsUnicodeKeepsItsMark()
{
    DocumentForm f;
    const QString p = path(u"ansi.txt"_s);
    QVERIFY(WriteBytes(p, Encoded(u"ＡＮＳＩ\r\n"_s, 0)));
    f.open(p);
    f.prompter.saveFileAnswers = {Prompter::SaveChoice{path(u"le.txt"_s), 1}};
    f.docs().FileNameSpecifiedSave();
    QCOMPARE(f.prompter.dialogCalls[0].filterIndex, 0);
    const QByteArray expected = QByteArray("\xFF\xFE") + Encoded(u"ＡＮＳＩ\r\n"_s, 1);
    QCOMPARE(ReadBytes(path(u"le.txt"_s)), expected);
    QCOMPARE(f.state().textEncoding, EncodingCode::Utf16LE);
    QCOMPARE(ReadBytes(p), Encoded(u"ＡＮＳＩ\r\n"_s, 0));   // the old file is left as it was
    DocumentForm::type(f.text(), u"x"_s);
    f.prompter.answers = {true};
    f.docs().OverWrite();
    QCOMPARE(ReadBytes(path(u"le.txt"_s)), QByteArray("\xFF\xFE") + Encoded(u"ＡＮＳＩ\r\nx"_s, 1));
    // Saved again under a name in its own encoding: its mark is in the text already.
    f.prompter.saveFileAnswers = {Prompter::SaveChoice{path(u"le2.txt"_s), 1}};
    f.docs().FileNameSpecifiedSave();
    QCOMPARE(f.prompter.dialogCalls.last().filterIndex, 1);
    QCOMPARE(ReadBytes(path(u"le2.txt"_s)), ReadBytes(path(u"le.txt"_s)));
}

void TestDocumentFiles::markedTextInAnotherEncodingGetsOneMark()
{
    DocumentForm f;
    QVERIFY(WriteBytes(path(u"m.txt"_s), "\xEF\xBB\xBF" "abc"));
    f.open(path(u"m.txt"_s));
    f.prompter.saveFileAnswers = {Prompter::SaveChoice{path(u"be.txt"_s), 2},
                                  Prompter::SaveChoice{path(u"ansi.txt"_s), 0}};
    f.docs().FileNameSpecifiedSave();
    QCOMPARE(ReadBytes(path(u"be.txt"_s)), QByteArray("\xFE\xFF\x00" "a\x00" "b\x00" "c", 8));
    QCOMPARE(f.text()->Text(), u"\uFEFFabc"_s);
    QCOMPARE(f.state().textEncoding, EncodingCode::Utf16BE);
    // ANSI has no mark: the mark character goes, the rest is written.
    f.docs().FileNameSpecifiedSave();
    QCOMPARE(ReadBytes(path(u"ansi.txt"_s)), QByteArray("abc"));
    QCOMPARE(f.text()->Text(), u"abc"_s);
    QCOMPARE(f.state().textEncoding, EncodingCode::ShiftJis);
    QCOMPARE(f.state().TextCodeKindLength, 0);
    QVERIFY(f.prompter.texts().isEmpty());
}

void TestDocumentFiles::chosenNamesAlwaysGetTheViewsExtension()
{
    DocumentForm f;
    f.docs().NewLrcText();
    DocumentForm::type(f.lrc(), u"[00:01.00]歌"_s);
    f.prompter.saveFileAnswers = {Prompter::SaveChoice{path(u"song"_s), 3},
                                  Prompter::SaveChoice{path(u"notes.txt"_s), 3}};
    f.docs().FileNameSpecifiedSave();
    QVERIFY(QFile::exists(path(u"song.lrc"_s)));
    QCOMPARE(f.ui().lrcNameBox->text(), u"song"_s);
    QCOMPARE(f.state().lrcEncoding, EncodingCode::Utf8);
    QCOMPARE(f.state().lrcDocumentState, DocumentState::Stored);
    // A text file's name typed for the synchronized text still saves the synchronized text.
    f.docs().FileNameSpecifiedSave();
    QVERIFY(QFile::exists(path(u"notes.txt.lrc"_s)));
    QVERIFY(!QFile::exists(path(u"notes.txt"_s)));
    QCOMPARE(f.ui().lrcNameBox->text(), u"notes.txt"_s);
    QCOMPARE(f.ui().textNameBox->text(), u"NewText"_s);
    QCOMPARE(f.state().textDocumentState, DocumentState::Untouched);
    QCOMPARE(f.ui().lrcFolderLabel->text(), dir_->path());
}

void TestDocumentFiles::lineEndingCheck()
{
    DocumentForm f;
    const QString p = path(u"lf.txt"_s);
    QVERIFY(WriteBytes(p, "one\ntwo\r\nthree\rfour\n"));
    f.open(p);
    f.prompter.answers = {false};
    f.docs().LineEndCheck();
    QCOMPARE(f.prompter.texts(), QStringList{u"テキストファイルの改行コードを修正しますか？"_s});
    QCOMPARE(f.state().textDocumentState, DocumentState::Stored);
    f.prompter.clear();
    f.prompter.answers = {true};
    f.docs().LineEndCheck();
    QCOMPARE(f.prompter.texts(), (QStringList{u"テキストファイルの改行コードを修正しますか？"_s,
                                              u"改行コードの修正を完了しました。"_s}));
    QCOMPARE(f.text()->Text(), u"one\r\ntwo\r\nthree\rfour\r\n"_s);
    QCOMPARE(f.state().textDocumentState, DocumentState::StoredEdited);   // an edit, not a save
    QCOMPARE(ReadBytes(p), QByteArray("one\ntwo\r\nthree\rfour\n"));
    f.prompter.clear();
    f.docs().LineEndCheck();
    QCOMPARE(f.prompter.texts(), QStringList{u"改行コードに問題は有りません。"_s});
    // Only CR LF breaks: no message at all; an empty text: nothing.
    f.prompter.clear();
    f.text()->SetText(u"\r\n\r\n"_s);
    f.docs().LineEndCheck();
    f.text()->SetText(QString());
    f.docs().LineEndCheck();
    QVERIFY(f.prompter.entries.isEmpty());
    // The repair is undone like any edit.
    f.text()->SetText(u"a\nb"_s);
    f.prompter.answers = {true};
    f.docs().LineEndCheck();
    QCOMPARE(f.text()->Text(), u"a\r\nb"_s);
    f.docs().Undo();
    QCOMPARE(f.text()->Text(), u"a\nb"_s);
}

QTEST_MAIN(TestDocumentFiles)
#include "tst_documentfiles.moc"
