// The favourites file and list rules: reading and writing the file bytes,
// deletion with its one-step undo, the table's height, the quick buttons'
// titles, and the address inside an Internet Explorer favourite.

#include "browser/Favourites.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

using Entries = FavouriteEntries;
using OptionalAddress = std::optional<QString>;

namespace {
const QByteArray Mark("\xEF\xBB\xBF", 3);
QByteArray B(const char* s) { return QByteArray(s); }
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
    void deleteAndUndo_data();
    void deleteAndUndo();
    void listHeight_data();
    void listHeight();
    void buttonNames_data();
    void buttonNames();
    void urlFile_data();
    void urlFile();
    void webAddress_data();
    void webAddress();
};

void tst_Favourites::readFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Entries>("expected");

    const Entries two{{u"ニュース"_s, u"https://example.jp/news"_s}, {u"Top"_s, u"http://example.com/"_s}};
    QTest::newRow("two entries") << Mark + "\xE3\x83\x8B\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xB9\r\nhttps://example.jp/news\r\n"
                                          "Top\r\nhttp://example.com/"
                                 << two;
    QTest::newRow("final CR LF") << Mark + "A\r\nhttp://a/\r\n" << Entries{{u"A"_s, u"http://a/"_s}};
    QTest::newRow("blank lines") << Mark + "\r\n\r\nA\r\n\r\n\r\nhttp://a/\r\n\r\nB\r\nhttp://b/\r\n\r\n"
                                 << Entries{{u"A"_s, u"http://a/"_s}, {u"B"_s, u"http://b/"_s}};
    QTest::newRow("three lines") << Mark + "A\r\nhttp://a/\r\nB" << Entries{{u"A"_s, u"http://a/"_s}};
    QTest::newRow("five lines") << Mark + "A\r\nhttp://a/\r\nB\r\nhttp://b/\r\nC"
                                << Entries{{u"A"_s, u"http://a/"_s}, {u"B"_s, u"http://b/"_s}};
    QTest::newRow("one line") << Mark + "A" << Entries{};
    QTest::newRow("no mark") << B("A\r\nhttp://a/") << Entries{};
    QTest::newRow("UTF-16 mark") << B("\xFF\xFE" "A\0\r\0\n\0") << Entries{};
    QTest::newRow("empty file") << QByteArray() << Entries{};
    QTest::newRow("mark alone") << Mark << Entries{};
    QTest::newRow("first byte of the mark") << B("\xEF") << Entries{};
    QTest::newRow("two bytes of the mark") << B("\xEF\xBB") << Entries{};
    // Only CR LF ends a line: a lone CR or LF stays inside it.
    QTest::newRow("lone CR") << Mark + "A\rB\r\nhttp://a/" << Entries{{u"A\rB"_s, u"http://a/"_s}};
    QTest::newRow("lone LF") << Mark + "A\nB\r\nhttp://a/" << Entries{{u"A\nB"_s, u"http://a/"_s}};
    QTest::newRow("invalid bytes") << Mark + "A\xFF\xC3\r\nhttp://a/\r\nB\r\nhttp://b/"
                                   << Entries{{u"A\uFFFD\uFFFD"_s, u"http://a/"_s}, {u"B"_s, u"http://b/"_s}};
    QTest::newRow("NUL byte") << Mark + QByteArray("A\0B\r\nhttp://a/", 14)
                              << Entries{{QString(u"A\0B"_s), u"http://a/"_s}};
}

void tst_Favourites::readFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Entries, expected);
    QCOMPARE(Favourites::ReadEntries(bytes), expected);
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
    QCOMPARE(Favourites::ReadEntries(written), back);
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
    const Entries entries = Favourites::ReadEntries(bytes);
    const QByteArray written = Favourites::FileBytes(Favourites::FileText(entries));
    const qint64 ms = timer.elapsed();
    QCOMPARE(entries.size(), 10000);
    QCOMPARE(entries[9999], (FavouriteEntry{u"Title 9999"_s, u"https://example.com/9999"_s}));
    QCOMPARE(written, bytes);
    QVERIFY2(ms < 500, qPrintable(u"%1 ms"_s.arg(ms)));
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

void tst_Favourites::buttonNames_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("none") << 0 << QStringList(7);
    QTest::newRow("three") << 3 << QStringList{u"T0"_s, u"T1"_s, u"T2"_s, {}, {}, {}, {}};
    QTest::newRow("seven") << 7 << QStringList{u"T0"_s, u"T1"_s, u"T2"_s, u"T3"_s, u"T4"_s, u"T5"_s, u"T6"_s};
    QTest::newRow("eight") << 8 << QStringList{u"T0"_s, u"T1"_s, u"T2"_s, u"T3"_s, u"T4"_s, u"T5"_s, u"T6"_s};
}

void tst_Favourites::buttonNames()
{
    QFETCH(int, entries);
    QFETCH(QStringList, names);
    Entries list;
    for (int i = 0; i < entries; ++i)
        list.append({u"T"_s + QString::number(i), u"http://x/"_s});
    QCOMPARE(Favourites::ButtonNames(list), names);
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
