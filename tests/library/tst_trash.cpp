// Deleting from the lists in a home that has no trash yet, or only part of
// one: the trash is made where the desktop looks for it, the file lands
// there, and nothing is left in the current folder.

#include "app/MyForm.h"
#include "library/HomeTrash.h"
#include "library/LibraryController.h"
#include "platform/FileErrors.h"
#include "support/ScriptedPrompter.h"
#include "TestFolders.h"

#include <QLabel>
#include <QTreeWidget>

#include <cerrno>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

int Mode(const QString& path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

// Sets an environment variable, or unsets it for an empty value, until the
// end of the scope.
class EnvironmentChange
{
public:
    EnvironmentChange(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
        if (value.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvironmentChange()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    EnvironmentChange(const EnvironmentChange&) = delete;
    EnvironmentChange& operator=(const EnvironmentChange&) = delete;

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

} // namespace

class TestTrash : public QObject
{
    Q_OBJECT

private slots:
    void deleteMakesTheHomeTrashFirst_data()
    {
        QTest::addColumn<QString>("dataHome");   // $XDG_DATA_HOME below the home, "" for none
        QTest::addColumn<QStringList>("present");   // folders made beforehand, below the home
        QTest::addColumn<QString>("trash");      // where the file must land, below the home
        QTest::addColumn<QStringList>("made");   // folders the delete must make, mode 0700
        QTest::newRow("no data home")
            << QString() << QStringList() << u".local/share/Trash"_s
            << QStringList{u".local"_s, u".local/share"_s, u".local/share/Trash"_s,
                           u".local/share/Trash/files"_s, u".local/share/Trash/info"_s};
        QTest::newRow("named data home missing")
            << u"xdg/data"_s << QStringList() << u"xdg/data/Trash"_s
            << QStringList{u"xdg"_s, u"xdg/data"_s, u"xdg/data/Trash"_s, u"xdg/data/Trash/files"_s,
                           u"xdg/data/Trash/info"_s};
        QTest::newRow("data home without trash")
            << QString() << QStringList{u".local/share"_s} << u".local/share/Trash"_s
            << QStringList{u".local/share/Trash"_s, u".local/share/Trash/files"_s, u".local/share/Trash/info"_s};
        QTest::newRow("trash without info")
            << QString() << QStringList{u".local/share/Trash/files"_s} << u".local/share/Trash"_s
            << QStringList{u".local/share/Trash/info"_s};
    }

    void deleteMakesTheHomeTrashFirst()
    {
        QFETCH(QString, dataHome);
        QFETCH(QStringList, present);
        QFETCH(QString, trash);
        QFETCH(QStringList, made);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString home = tmp.filePath(u"home"_s);
        const QString cwd = tmp.filePath(u"cwd"_s);
        const QString list = tmp.filePath(u"list"_s);
        for (const QString& folder : {home, cwd, list})
            QVERIFY(QDir().mkpath(folder));
        for (const QString& folder : std::as_const(present))
            QVERIFY(QDir(home).mkpath(folder));
        TestFolders::Touch(list + u"/gone.txt"_s);
        TestFolders::Touch(list + u"/kept.txt"_s);

        const EnvironmentChange newHome("HOME", QFile::encodeName(home));
        const EnvironmentChange newData("XDG_DATA_HOME",
                                        dataHome.isEmpty() ? QByteArray() : QFile::encodeName(home + u'/' + dataHome));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(cwd));

        ScriptedPrompter prompter;
        MyForm form(prompter);
        form.state().listFolderPath = list;
        form.ui().listFolderLabel->setText(list);
        form.state().deleteFileName = list + u"/gone.txt"_s;
        prompter.answers = {true};
        form.library().DeleteFile();
        QDir::setCurrent(before);

        QCOMPARE(prompter.texts(), QStringList{u"ファイルを削除しますか？"_s});
        QCOMPARE(HomeTrash::Location(), home + u'/' + trash);
        QVERIFY(!QFileInfo::exists(list + u"/gone.txt"_s));
        QVERIFY(QFileInfo(home + u'/' + trash + u"/files/gone.txt"_s).isFile());
        QVERIFY(QFileInfo(home + u'/' + trash + u"/info/gone.txt.trashinfo"_s).isFile());
        for (const QString& folder : std::as_const(made))
            QCOMPARE(Mode(home + u'/' + folder), 0700);
        QCOMPARE(QDir(cwd).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden), QStringList());
        // The lists are refilled without it.
        QTreeWidget* all = form.ui().allFileList;
        QCOMPARE(all->topLevelItemCount(), 1);
        QCOMPARE(all->topLevelItem(0)->text(0), u"kept.txt"_s);
    }

    // Something else where a trash folder belongs: the system's message, and
    // the file stays.
    void aFileWhereTheTrashBelongs_data()
    {
        QTest::addColumn<QString>("blocker");
        QTest::newRow("data home") << u".local/share"_s;
        QTest::newRow("trash") << u".local/share/Trash"_s;
        QTest::newRow("info") << u".local/share/Trash/info"_s;
    }

    void aFileWhereTheTrashBelongs()
    {
        QFETCH(QString, blocker);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString home = tmp.filePath(u"home"_s);
        const QString list = tmp.filePath(u"list"_s);
        const QString cwd = tmp.filePath(u"cwd"_s);
        QVERIFY(QDir().mkpath(list));
        QVERIFY(QDir().mkpath(cwd));
        QVERIFY(QDir(home).mkpath(QFileInfo(blocker).path()));
        TestFolders::Touch(home + u'/' + blocker);
        TestFolders::Touch(list + u"/a.txt"_s);
        const EnvironmentChange newHome("HOME", QFile::encodeName(home));
        const EnvironmentChange newData("XDG_DATA_HOME", QByteArray());

        ScriptedPrompter prompter;
        MyForm form(prompter);
        form.ui().listFolderLabel->setText(list);
        form.state().deleteFileName = list + u"/a.txt"_s;
        prompter.answers = {true};
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(cwd));
        form.library().DeleteFile();
        QDir::setCurrent(before);
        QCOMPARE(prompter.texts().size(), 2);
        QCOMPARE(prompter.texts().value(1),
                 FileErrors::Message(FileErrors::Doing::Create, home + u'/' + blocker, ENOTDIR));
        QVERIFY(QFileInfo::exists(list + u"/a.txt"_s));
        QCOMPARE(QDir(cwd).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden), QStringList());
    }
};

MURMELIN_LIST_TEST_MAIN(TestTrash)
#include "tst_trash.moc"
