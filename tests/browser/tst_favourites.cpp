// The favourites file and list rules: reading and writing the file bytes,
// the file on disk over a run (never destroyed), deletion with its one-step
// undo, the table's height, and the address inside an Internet Explorer favourite.

#include "browser/Favourites.h"
#include "platform/FileErrors.h"

#include "support/SmallDisk.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using Entries = FavouriteEntries;
using OptionalAddress = std::optional<QString>;

namespace {
const QByteArray Mark("\xEF\xBB\xBF", 3);
QByteArray B(const char* s) { return QByteArray(s); }

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

}

char* toString(const FavouriteEntry& e)
{
    return QTest::toString(e.title + u" | "_s + e.address);
}

char* toString(const OptionalAddress& a)
{
    return a ? QTest::toString(*a) : qstrdup("(none)");
}

class tst_Favourites : public QObject
{
    Q_OBJECT

private slots:
    void readFile_data();
    void readFile();
    void writeFile_data();
    void writeFile();
    void tenThousandEntries();
    void fileOverARun_data();
    void fileOverARun();
    void failedFileReportedOnceAndKept();
    void fullDiskKeepsTheOldFile();
    void deleteAndUndo_data();
    void deleteAndUndo();
    void listHeight_data();
    void listHeight();
    void urlFile_data();
    void urlFile();
    void webAddress_data();
    void webAddress();
};

void tst_Favourites::readFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Entries>("expected");
    QTest::addColumn<bool>("decoded");

    const Entries two{{u"ニュース"_s, u"https://example.jp/news"_s}, {u"Top"_s, u"http://example.com/"_s}};
    QTest::newRow("two entries") << Mark + "\xE3\x83\x8B\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xB9\r\nhttps://example.jp/news\r\n"
                                          "Top\r\nhttp://example.com/"
                                 << two << true;
    QTest::newRow("final CR LF") << Mark + "A\r\nhttp://a/\r\n" << Entries{{u"A"_s, u"http://a/"_s}} << true;
    QTest::newRow("blank lines") << Mark + "\r\n\r\nA\r\n\r\n\r\nhttp://a/\r\n\r\nB\r\nhttp://b/\r\n\r\n"
                                 << Entries{{u"A"_s, u"http://a/"_s}, {u"B"_s, u"http://b/"_s}} << true;
    QTest::newRow("three lines") << Mark + "A\r\nhttp://a/\r\nB" << Entries{{u"A"_s, u"http://a/"_s}} << true;
    QTest::newRow("five lines") << Mark + "A\r\nhttp://a/\r\nB\r\nhttp://b/\r\nC"
                                << Entries{{u"A"_s, u"http://a/"_s}, {u"B"_s, u"http://b/"_s}} << true;
    QTest::newRow("one line") << Mark + "A" << Entries{} << true;
    // Read as texts are: a file without the mark is not empty.
    QTest::newRow("no mark") << B("A\r\nhttp://a/") << Entries{{u"A"_s, u"http://a/"_s}} << true;
    QTest::newRow("UTF-16 mark") << QByteArray("\xFF\xFE" "A\0\r\0\n\0", 8) << Entries{} << true;
    QTest::newRow("empty file") << QByteArray() << Entries{} << true;
    QTest::newRow("mark alone") << Mark << Entries{} << true;
    // A mark cut short is no text at all.
    QTest::newRow("first byte of the mark") << B("\xEF") << Entries{} << false;
    QTest::newRow("two bytes of the mark") << B("\xEF\xBB") << Entries{} << false;
    QTest::newRow("first byte of the UTF-16 mark") << B("\xFF") << Entries{} << false;
    // A lone CR or LF ends a line as CR LF does.
    QTest::newRow("lone CR") << Mark + "A\rB\r\nhttp://a/" << Entries{{u"A"_s, u"B"_s}} << true;
    QTest::newRow("lone LF") << Mark + "A\nB\r\nhttp://a/" << Entries{{u"A"_s, u"B"_s}} << true;
    QTest::newRow("LF without mark") << B("\xE3\x83\x8B\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xB9\nhttps://example.jp/news\n"
                                          "Top\nhttp://example.com/\n")
                                     << two << true;
    QTest::newRow("LF, ASCII, no mark") << B("A\nhttp://a/\nB\nhttp://b/\n")
                                        << Entries{{u"A"_s, u"http://a/"_s}, {u"B"_s, u"http://b/"_s}} << true;
    QTest::newRow("CR only") << B("\xE3\x83\x8B\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xB9\rhttps://example.jp/news\r"
                                  "Top\rhttp://example.com/")
                             << two << true;
    const QString twoText = u"ニュース\r\nhttps://example.jp/news\r\nTop\r\nhttp://example.com/"_s;
    QByteArray le("\xFF\xFE"), be("\xFE\xFF");
    for (QChar c : twoText) {
        le += char(c.unicode() & 0xFF);
        le += char(c.unicode() >> 8);
        be += char(c.unicode() >> 8);
        be += char(c.unicode() & 0xFF);
    }
    QTest::newRow("UTF-16 LE with mark") << le << two << true;
    QTest::newRow("UTF-16 BE with mark") << be << two << true;
    Entries cut = two;
    cut[1].address += u'\uFFFD';
    QTest::newRow("UTF-16 with an odd byte") << le + "A" << cut << false;
    QTest::newRow("Shift_JIS") << B("\x83\x6A\x83\x85\x81\x5B\x83\x58\r\nhttps://example.jp/news\r\nTop\r\nhttp://example.com/")
                               << two << true;
    QTest::newRow("Shift_JIS with a broken character") << B("A\x81\x20\r\nhttp://a/")
                                                       << Entries{{u"A\uFFFD "_s, u"http://a/"_s}} << false;
    // Read with U+FFFD, but the file is not the list's to write over.
    QTest::newRow("invalid bytes") << Mark + "A\xFF\xC3\r\nhttp://a/\r\nB\r\nhttp://b/"
                                   << Entries{{u"A\uFFFD\uFFFD"_s, u"http://a/"_s}, {u"B"_s, u"http://b/"_s}} << false;
    // U+FFFD written in the file itself is a character like any other.
    QTest::newRow("replacement character in the file") << Mark + "A\xEF\xBF\xBD\r\nhttp://a/"
                                                       << Entries{{u"A\uFFFD"_s, u"http://a/"_s}} << true;
    QTest::newRow("NUL byte") << Mark + QByteArray("A\0B\r\nhttp://a/", 14)
                              << Entries{{QString(u"A\0B"_s), u"http://a/"_s}} << true;
}

void tst_Favourites::readFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Entries, expected);
    QFETCH(bool, decoded);
    const Favourites::ReadResult read = Favourites::ReadEntries(bytes);
    QCOMPARE(read.entries, expected);
    QCOMPARE(read.decoded, decoded);
}

void tst_Favourites::writeFile_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("two entries") << Entries{{u"ア"_s, u"https://example.jp/"_s}, {u"B"_s, u"http://b/"_s}}
                                 << Mark + "\xE3\x82\xA2\r\nhttps://example.jp/\r\nB\r\nhttp://b/";
    QTest::newRow("empty list") << Entries{} << Mark;
    // A title that starts with U+FEFF brings its own mark.
    QTest::newRow("text with a mark") << Entries{{u"\uFEFFA"_s, u"http://a/"_s}} << Mark + "A\r\nhttp://a/";
}

void tst_Favourites::writeFile()
{
    QFETCH(Entries, entries);
    QFETCH(QByteArray, bytes);
    const QByteArray written = Favourites::FileBytes(Favourites::FileText(entries));
    QCOMPARE(written, bytes);
    // Read back, the list is the same (a title's own mark is the file's).
    Entries back = entries;
    if (!back.isEmpty() && back[0].title.startsWith(QChar(0xFEFF)))
        back[0].title.remove(0, 1);
    QCOMPARE(Favourites::ReadEntries(written).entries, back);
}

void tst_Favourites::tenThousandEntries()
{
    QByteArray bytes = Mark;
    for (int i = 0; i < 10000; ++i) {
        if (i)
            bytes += "\r\n";
        bytes += "Title " + QByteArray::number(i) + "\r\nhttps://example.com/" + QByteArray::number(i);
    }
    QElapsedTimer timer;
    timer.start();
    const Entries entries = Favourites::ReadEntries(bytes).entries;
    const QByteArray written = Favourites::FileBytes(Favourites::FileText(entries));
    const qint64 ms = timer.elapsed();
    QCOMPARE(entries.size(), 10000);
    QCOMPARE(entries[9999], (FavouriteEntry{u"Title 9999"_s, u"https://example.com/9999"_s}));
    QCOMPARE(written, bytes);
    qInfo("10 000 entries read and written in %lld ms", ms);
    QVERIFY2(ms < 500, qPrintable(u"%1 ms"_s.arg(ms)));
}

void tst_Favourites::fileOverARun_data()
{
    // The file's form, opened and closed with or without a change to the
    // list: the bytes after closing, and the message at opening.
    QTest::addColumn<QString>("form");   // "file", "folder" or "fifo"
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("change");
    QTest::addColumn<QByteArray>("after");   // the file's bytes after closing
    QTest::addColumn<QString>("reason");     // the reason reported at opening; empty: none

    const QByteArray lf = B("\xE3\x82\xA2\nhttps://a.jp/\nB\nhttp://b/\n");
    const QByteArray changed = Mark + "\xE3\x82\xA2\r\nhttps://a.jp/\r\nB\r\nhttp://b/\r\nNew\r\nhttp://new/";
    QByteArray le("\xFF\xFE");
    for (QChar c : u"ア\r\nhttps://a.jp/\r\nB\r\nhttp://b/"_s) {
        le += char(c.unicode() & 0xFF);
        le += char(c.unicode() >> 8);
    }
    const QByteArray sjis = B("\x83\x41\r\nhttps://a.jp/\r\nB\r\nhttp://b/");
    const QString notText = FavouritesFile::NotTextReason();

    QTest::newRow("LF without mark, unchanged") << u"file"_s << lf << false << lf << QString();
    QTest::newRow("LF without mark, changed") << u"file"_s << lf << true << changed << QString();
    QTest::newRow("CR only, unchanged") << u"file"_s << B("\xE3\x82\xA2\rhttps://a.jp/\rB\rhttp://b/") << false
                                        << B("\xE3\x82\xA2\rhttps://a.jp/\rB\rhttp://b/") << QString();
    QTest::newRow("CR only, changed") << u"file"_s << B("\xE3\x82\xA2\rhttps://a.jp/\rB\rhttp://b/") << true << changed
                                      << QString();
    QTest::newRow("UTF-16 LE, unchanged") << u"file"_s << le << false << le << QString();
    QTest::newRow("UTF-16 LE, changed") << u"file"_s << le << true << changed << QString();
    QTest::newRow("Shift_JIS, unchanged") << u"file"_s << sjis << false << sjis << QString();
    QTest::newRow("Shift_JIS, changed") << u"file"_s << sjis << true << changed << QString();
    QTest::newRow("with mark and CR LF, unchanged, three lines")
        << u"file"_s << Mark + "A\r\nhttp://a/\r\nC" << false << Mark + "A\r\nhttp://a/\r\nC" << QString();
    QTest::newRow("undecodable, changed") << u"file"_s << B("\xEF\xBB") << true << B("\xEF\xBB") << notText;
    QTest::newRow("invalid UTF-8, changed") << u"file"_s << Mark + "A\xFF\r\nhttp://a/" << true
                                            << Mark + "A\xFF\r\nhttp://a/" << notText;
    QTest::newRow("a folder in its place") << u"folder"_s << QByteArray() << true << QByteArray()
                                           << FileErrors::Reason(EISDIR);
    QTest::newRow("a FIFO in its place") << u"fifo"_s << QByteArray() << true << QByteArray()
                                         << FileErrors::NotRegularReason();
}

void tst_Favourites::fileOverARun()
{
    QFETCH(QString, form);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, change);
    QFETCH(QByteArray, after);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"お気に入り.txt"_s);
    if (form == u"folder"_s)
        QVERIFY(QDir().mkdir(path));
    else if (form == u"fifo"_s)
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        QVERIFY(WriteBytes(path, bytes));

    FavouritesFile file(path);
    FavouritesFile::Loaded loaded = file.Load();
    QCOMPARE(loaded.message, reason.isEmpty() ? QString()
                                              : FileErrors::Message(FileErrors::Doing::Read, path, reason) + u'\n'
                                                    + FavouritesFile::KeptInMemoryNote());
    if (change)
        loaded.entries.append({u"New"_s, u"http://new/"_s});
    QCOMPARE(file.Save(loaded.entries), QString());

    const QFileInfo info(path);
    if (form == u"folder"_s) {
        QVERIFY(info.isDir());
    } else if (form == u"fifo"_s) {
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    } else {
        QCOMPARE(ReadBytes(path), after);
    }
    // Nothing else is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"お気に入り.txt"_s});
}

void tst_Favourites::failedFileReportedOnceAndKept()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"お気に入り.txt"_s);
    const QByteArray bytes = B("\xFF");
    QVERIFY(WriteBytes(path, bytes));
    FavouritesFile file(path);

    FavouritesFile::Loaded first = file.Load();
    QVERIFY(first.message.startsWith(u"「"_s + path + u"」を読み込めませんでした"_s));
    first.entries.append({u"A"_s, u"http://a/"_s});
    QCOMPARE(file.Save(first.entries), QString());
    QCOMPARE(ReadBytes(path), bytes);

    // The next opening in the run: no second message, the list as it was left.
    FavouritesFile::Loaded second = file.Load();
    QCOMPARE(second.message, QString());
    QCOMPARE(second.entries, (Entries{{u"A"_s, u"http://a/"_s}}));
    QCOMPARE(file.Save({}), QString());
    QCOMPARE(ReadBytes(path), bytes);
}

void tst_Favourites::fullDiskKeepsTheOldFile()
{
    QTemporaryDir dir;
    SmallDisk disk(dir.filePath(u"disk"_s));
    const QString path = dir.filePath(u"disk/お気に入り.txt"_s);
    const QByteArray old = B("A\nhttp://a/\n");
    QVERIFY(WriteBytes(path, old));
    FavouritesFile file(path);
    FavouritesFile::Loaded loaded = file.Load();
    QCOMPARE(loaded.message, QString());
    loaded.entries.append({QString(2000, u'x'), u"http://x/"_s});

    disk.Fill(0);
    const QString message = file.Save(loaded.entries);
    disk.Empty();
    QCOMPARE(ReadBytes(path), old);
    QCOMPARE(message, FileErrors::Message(FileErrors::Doing::Write, path, disk.Error()) + u'\n'
                          + FavouritesFile::NotSavedNote());
    QCOMPARE(QDir(dir.filePath(u"disk"_s)).entryList(QDir::Files | QDir::Hidden), QStringList{u"お気に入り.txt"_s});

    // The change is not lost: the next opening has it, and room on the disk saves it.
    const FavouritesFile::Loaded again = file.Load();
    QCOMPARE(again.entries, loaded.entries);
    QCOMPARE(file.Save(again.entries), QString());
    QCOMPARE(ReadBytes(path), Favourites::FileBytes(Favourites::FileText(loaded.entries)));
}

void tst_Favourites::deleteAndUndo_data()
{
    // Steps: "dN" deletes row N, "u" undoes; the titles that remain.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("titles");
    QTest::addColumn<bool>("canUndo");

    QTest::newRow("delete 2") << QStringList{u"d2"_s} << u"ABD"_s << true;
    QTest::newRow("delete 2, undo") << QStringList{u"d2"_s, u"u"_s} << u"ABCD"_s << false;
    QTest::newRow("delete 2, delete 0, undo") << QStringList{u"d2"_s, u"d0"_s, u"u"_s} << u"ABD"_s << false;
    QTest::newRow("only the last deletion") << QStringList{u"d2"_s, u"d0"_s, u"u"_s, u"u"_s} << u"ABD"_s << false;
    QTest::newRow("last row") << QStringList{u"d3"_s, u"u"_s} << u"ABCD"_s << false;
    QTest::newRow("undo with nothing deleted") << QStringList{u"u"_s} << u"ABCD"_s << false;
    QTest::newRow("no such row") << QStringList{u"d4"_s, u"d-1"_s} << u"ABCD"_s << false;
    QTest::newRow("delete all, undo") << QStringList{u"d0"_s, u"d0"_s, u"d0"_s, u"d0"_s, u"u"_s} << u"D"_s << false;
}

void tst_Favourites::deleteAndUndo()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, titles);
    QFETCH(bool, canUndo);

    FavouriteList list;
    list.setEntries({{u"A"_s, u"http://a/"_s}, {u"B"_s, u"http://b/"_s}, {u"C"_s, u"http://c/"_s},
                     {u"D"_s, u"http://d/"_s}});
    for (const QString& step : steps) {
        if (step == u"u"_s)
            list.undo();
        else
            list.remove(step.mid(1).toInt());
    }
    QString shown;
    for (const FavouriteEntry& e : list.entries()) {
        shown += e.title;
        // Each title keeps its own address.
        QCOMPARE(e.address, u"http://"_s + e.title.toLower() + u'/');
    }
    QCOMPARE(shown, titles);
    QCOMPARE(list.canUndo(), canUndo);
}

void tst_Favourites::listHeight_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("height");

    // A row is 20 pixels: 20 × (entries + 1) + 20, within 66 ... 600.
    QTest::newRow("0") << 0 << 66;
    QTest::newRow("1") << 1 << 66;
    QTest::newRow("2") << 2 << 80;
    QTest::newRow("10") << 10 << 240;
    QTest::newRow("27") << 27 << 580;
    QTest::newRow("28") << 28 << 600;
    QTest::newRow("30") << 30 << 600;
    QTest::newRow("10000") << 10000 << 600;
}

void tst_Favourites::listHeight()
{
    QFETCH(int, entries);
    QFETCH(int, height);
    QCOMPARE(Favourites::ListHeight(entries), height);
}

void tst_Favourites::urlFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<OptionalAddress>("address");

    QTest::newRow("section and URL") << B("[InternetShortcut]\r\nURL=http://example.com/a?b=1\r\nIconIndex=0\r\n")
                                     << OptionalAddress(u"http://example.com/a?b=1"_s);
    QTest::newRow("URL at the end") << B("[InternetShortcut]\r\nURL=https://example.com/")
                                    << OptionalAddress(u"https://example.com/"_s);
    QTest::newRow("DEFAULT section first") << B("[DEFAULT]\r\nBASEURL=http://base/\r\n[InternetShortcut]\r\nURL=http://base/p\r\n")
                                           << OptionalAddress(u"http://base/"_s);
    QTest::newRow("non-ASCII address") << B("[InternetShortcut]\r\nURL=https://example.jp/\xE3\x82\xA2\r\n")
                                       << OptionalAddress(u"https://example.jp/%E3%82%A2"_s);
    QTest::newRow("stray byte dropped") << B("[InternetShortcut]\r\nURL=http://a/\x80x\r\n")
                                        << OptionalAddress(u"http://a/x"_s);
    QTest::newRow("LF line ends") << B("[InternetShortcut]\nURL=http://example.com/\nIconIndex=0\n")
                                  << OptionalAddress(u"http://example.com/"_s);
    QTest::newRow("starts with URL=") << B("URL=http://first/\r\nIconIndex=0\r\n")
                                      << OptionalAddress(u"http://first/"_s);
    QTest::newRow("no URL line") << B("[InternetShortcut]\r\nIconIndex=0\r\n") << OptionalAddress();
    QTest::newRow("empty value") << B("[InternetShortcut]\r\nURL=\r\n\r\n") << OptionalAddress();
    QTest::newRow("empty file") << QByteArray() << OptionalAddress();
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFEU\0R\0L\0=\0h\0:\0", 14) << OptionalAddress();
    // These are found; opening them is refused (webAddress).
    QTest::newRow("file:") << B("[InternetShortcut]\r\nURL=file:///etc/passwd\r\n")
                           << OptionalAddress(u"file:///etc/passwd"_s);
    QTest::newRow("javascript:") << B("[InternetShortcut]\r\nURL=javascript:alert(1)\r\n")
                                 << OptionalAddress(u"javascript:alert(1)"_s);
}

void tst_Favourites::urlFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(OptionalAddress, address);
    QCOMPARE(Favourites::UrlFileAddress(bytes), address);
}

void tst_Favourites::webAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("web");

    QTest::newRow("http") << u"http://example.com/"_s << true;
    QTest::newRow("https upper case") << u"HTTPS://example.com/"_s << true;
    QTest::newRow("escaped path") << u"https://example.jp/%E3%82%A2"_s << true;
    QTest::newRow("javascript") << u"javascript:alert(1)"_s << false;
    QTest::newRow("javascript after spaces") << u"  \tjavascript:alert(1)"_s << false;
    QTest::newRow("javascript mixed case") << u"JavaScript:alert(1)"_s << false;
    QTest::newRow("file") << u"file:///etc/passwd"_s << false;
    QTest::newRow("data") << u"data:text/html,<script>alert(1)</script>"_s << false;
    QTest::newRow("other scheme") << u"ftp://example.com/"_s << false;
    QTest::newRow("scheme split by a tab") << u"ht\ttp://example.com/"_s << false;
    QTest::newRow("http lookalike") << u"httpx://example.com/"_s << false;
    QTest::newRow("no scheme") << u"www.example.com"_s << false;
    QTest::newRow("empty") << QString() << false;
}

void tst_Favourites::webAddress()
{
    QFETCH(QString, address);
    QFETCH(bool, web);
    QCOMPARE(Favourites::IsWebAddress(address), web);
}

QTEST_GUILESS_MAIN(tst_Favourites)
#include "tst_favourites.moc"
