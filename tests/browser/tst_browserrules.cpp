// The browser's rules without a window: address escaping, the address box's
// Enter, the history with its jumps and cuts, display names, and which
// files the manual's address may reach, and how the engine is set up.

#include "browser/BrowserEngine.h"
#include "browser/BrowserHistory.h"
#include "browser/ManualServer.h"
#include "browser/UrlRules.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
const QString kSearch = u"https://www.google.co.jp/search?q="_s;

// Steps of a browsing session: "load <address> <title>" completes a page,
// "jump <index>" chooses a history entry and completes the page it names.
void Run(BrowserHistory& h, const QStringList& steps)
{
    for (const QString& step : steps) {
        const QStringList w = step.split(u' ');
        if (w[0] == u"load"_s) {
            h.DocumentCompleted(w[1], w.value(2), {});
        } else if (w[0] == u"jump"_s) {
            QString message;
            const QString address = h.SelControl(w[1].toInt(), &message);
            QVERIFY2(address != u"No"_s, qPrintable(message));
            h.DocumentCompleted(address, u"jumped"_s, {});
        }
    }
}
} // namespace

class TestBrowserRules : public QObject
{
    Q_OBJECT

private slots:
    void conversion_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("escaped");
        QTest::addColumn<QString>("everyByte");
        QTest::newRow("ascii unchanged") << "http://a.jp/x y%20z?q=1&r=~"_ba
                                         << u"http://a.jp/x y%20z?q=1&r=~"_s
                                         << u"%68%74%74%70%3A%2F%2F%61%2E%6A%70%2F%78%20%79%25%32%30%7A%3F%71%3D%31%26%72%3D%7E"_s;
        QTest::newRow("katakana") << "\xE3\x82\xA2"_ba << u"%E3%82%A2"_s << u"%E3%82%A2"_s;
        QTest::newRow("two-byte é between ascii") << "a\xC3\xA9z"_ba << u"a%C3%A9z"_s << u"%61%C3%A9%7A"_s;
        QTest::newRow("four-byte emoji") << "\xF0\x9F\x98\x80!"_ba << u"%F0%9F%98%80!"_s << u"%F0%9F%98%80%21"_s;
        QTest::newRow("japanese path")
            << "/Murmelin\xE3\x83\x9E\xE3\x83\x8B%20"_ba << u"/Murmelin%E3%83%9E%E3%83%8B%20"_s
            << u"%2F%4D%75%72%6D%65%6C%69%6E%E3%83%9E%E3%83%8B%25%32%30"_s;
        QTest::newRow("empty") << QByteArray() << QString() << QString();
    }
    void conversion()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, escaped);
        QFETCH(QString, everyByte);
        const QString text = QString::fromUtf8(bytes);
        QCOMPARE(URL_UTF8Conversion(text), escaped);
        QCOMPARE(EscapeUtf8Sequences(bytes), escaped);
        QCOMPARE(EscapeEveryByte(text), everyByte);
    }

    // Bytes that are not whole UTF-8: a stray continuation byte is dropped,
    // a cut sequence escapes what there is.
    void brokenSequences_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("stray continuation") << "a\x80\xBF" "b"_ba << u"ab"_s;
        QTest::newRow("cut at the end") << "a\xE3\x82"_ba << u"a%E3%82"_s;
        QTest::newRow("lead eats ascii") << "\xC3" "a"_ba << u"%C3%61"_s;
    }
    void brokenSequences()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, escaped);
        QCOMPARE(EscapeUtf8Sequences(bytes), escaped);
    }

    // The box's text after a change: what is navigated to, and what the box
    // holds afterwards (unchanged when nothing is put back).
    void addressBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("boxAfter");
        QTest::newRow("typing alone") << u"ニュース"_s << u"No"_s << u"ニュース"_s;
        QTest::newRow("search ニュース") << u"ニュース\n"_s
                                      << kSearch + u"%E3%83%8B%E3%83%A5%E3%83%BC%E3%82%B9"_s << u"ニュース"_s;
        QTest::newRow("search abc") << u"abc\n"_s << kSearch + u"%61%62%63"_s << u"abc"_s;
        QTest::newRow("windows line break") << u"abc\r\n"_s << kSearch + u"%61%62%63"_s << u"abc"_s;
        QTest::newRow("one character") << u"a\n"_s << kSearch + u"%61"_s << u"a"_s;
        QTest::newRow("www unchanged") << u"www.example.jp/ア\n"_s << u"www.example.jp/ア"_s
                                       << u"www.example.jp/ア"_s;
        QTest::newRow("http inside words") << u"see http://x.jp\n"_s << u"see http://x.jp"_s << u"see http://x.jp"_s;
        QTest::newRow("https") << u"https://x.jp/?q=1\n"_s << u"https://x.jp/?q=1"_s << u"https://x.jp/?q=1"_s;
        // Enter on an empty box goes nowhere, and leaves no break behind to
        // make the next key typed a navigation.
        QTest::newRow("enter on empty box") << u"\n"_s << u"No"_s << QString();
        QTest::newRow("enter on blanks") << u"  \n"_s << u"No"_s << u"  "_s;
        QTest::newRow("enter mid-text") << u"ab\ncd"_s << kSearch + u"%61%62%63%64"_s << u"abcd"_s;
        QTest::newRow("pasted lines") << u"a\nb\n"_s << kSearch + u"%61%62"_s << u"ab"_s;
    }
    void addressBox()
    {
        QFETCH(QString, text);
        QFETCH(QString, address);
        QFETCH(QString, boxAfter);
        BrowserHistory h;
        h.UrlBackNextFlag = 3;
        const BrowserHistory::BoxResult r = h.UrlInRUN(text);
        QCOMPARE(r.address, address);
        QCOMPARE(r.replaceText ? r.boxText : text, boxAfter);
        // A navigation from the box is entered in the history.
        QCOMPARE(h.UrlBackNextFlag, address == u"No"_s ? 3 : 0);
    }

    // Sessions and the history they leave, newest first.
    void history_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("pages in order") << u"ホーム"_s << QStringList{u"load a A"_s, u"load b B"_s, u"load c C"_s}
                                        << QStringList{u"c"_s, u"b"_s, u"a"_s}
                                        << QStringList{u"C"_s, u"B"_s, u"A"_s};
        QTest::newRow("jump to third-newest, then a link")
            << u"ホーム"_s << QStringList{u"load a A"_s, u"load b B"_s, u"load c C"_s, u"jump 2"_s, u"load d D"_s}
            << QStringList{u"d"_s, u"a"_s} << QStringList{u"D"_s, u"A"_s};
        QTest::newRow("jump alone changes nothing")
            << u"ホーム"_s << QStringList{u"load a A"_s, u"load b B"_s, u"jump 1"_s}
            << QStringList{u"b"_s, u"a"_s} << QStringList{u"B"_s, u"A"_s};
        QTest::newRow("reload adds nothing") << u"ホーム"_s << QStringList{u"load a A"_s, u"load a A"_s}
                                             << QStringList{u"a"_s} << QStringList{u"A"_s};
        QTest::newRow("same address again later") << u"ホーム"_s
                                                  << QStringList{u"load a A"_s, u"load b B"_s, u"load a A"_s}
                                                  << QStringList{u"a"_s, u"b"_s, u"a"_s}
                                                  << QStringList{u"A"_s, u"B"_s, u"A"_s};
        // The first page is entered although the current address held it as the
        // start request.
        QTest::newRow("first page equals the request") << u"m"_s << QStringList{u"load m M"_s}
                                                       << QStringList{u"m"_s} << QStringList{u"M"_s};
        // A jump to the page on show loads it again; the next page must
        // still be entered.
        QTest::newRow("jump to the page on show, then a link")
            << u"ホーム"_s << QStringList{u"load a A"_s, u"load b B"_s, u"jump 0"_s, u"load c C"_s}
            << QStringList{u"c"_s, u"b"_s, u"a"_s} << QStringList{u"C"_s, u"B"_s, u"A"_s};
        QTest::newRow("two jumps, then a link")
            << u"ホーム"_s
            << QStringList{u"load a A"_s, u"load b B"_s, u"load c C"_s, u"load d D"_s, u"jump 1"_s, u"jump 3"_s,
                           u"load e E"_s}
            << QStringList{u"e"_s, u"a"_s} << QStringList{u"E"_s, u"A"_s};
    }
    void history()
    {
        QFETCH(QString, start);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, addresses);
        QFETCH(QStringList, titles);
        BrowserHistory h;
        h.Start(start);
        Run(h, steps);
        QCOMPARE(h.addresses(), addresses);
        QCOMPARE(h.titles(), titles);
        QCOMPARE(h.UrlBackNextFlag, 0);
    }

    // A jump escapes the address it navigates to; an entry without one is
    // the drop-down's fault and goes nowhere.
    void jumpAddresses()
    {
        BrowserHistory h;
        h.Start(u"ホーム"_s);
        h.DocumentCompleted(u"http://x.jp/ア"_s, u"X"_s, {});
        h.DocumentCompleted(QString(), u"empty"_s, {});
        QString message;
        QCOMPARE(h.SelControl(1, &message), u"http://x.jp/%E3%82%A2"_s);
        QCOMPARE(h.UrlBackNextFlag, 3);
        h.UrlBackNextFlag = 0;
        QCOMPARE(h.SelControl(0, &message), u"No"_s);
        QCOMPARE(message, u"コンボ・ボックス関数の不具合です。"_s);
        QCOMPARE(h.UrlBackNextFlag, 0);
    }

    void displayName_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("name");
        QTest::newRow("title") << u"はじめに"_s << u"<title>x</title>"_s << u"はじめに"_s;
        QTest::newRow("from the source") << QString() << u"<html><title>Top</title>"_s << u"Top"_s;
        QTest::newRow("first piece after title") << QString() << u"x title=\"a\">Tip<b>"_s << u"=\"a\""_s;
        QTest::newRow("blank pieces skipped") << QString() << u"<title>\n  <>Name</title>"_s << u"Name"_s;
        QTest::newRow("case matters") << QString() << u"<TITLE>Top</TITLE>"_s << u"http://p/"_s;
        QTest::newRow("no title anywhere") << QString() << u"<p>text</p>"_s << u"http://p/"_s;
        QTest::newRow("nothing after title") << QString() << u"<p>title<>"_s << u"http://p/"_s;
        QTest::newRow("empty title element") << QString() << u"<title></title><p>x</p>"_s << u"http://p/"_s;
        QTest::newRow("line break inside") << QString() << u"<span id=title>A\r\n  B</span>"_s << u"A B"_s;
    }
    void displayName()
    {
        QFETCH(QString, title);
        QFETCH(QString, source);
        QFETCH(QString, name);
        QCOMPARE(BrowserHistory::DisplayName(title, source, u"http://p/"_s), name);
    }

    // Site paths (decoded) and the file of the manual's folder they reach.
    void manualFiles_data()
    {
        QTest::addColumn<QString>("sitePath");
        QTest::addColumn<QString>("file");   // relative to the folder; empty: refused
        QTest::newRow("first page") << u"/SoftWare/Murmelin/Murmelinマニュアル はじめに.html"_s
                                    << u"Murmelinマニュアル はじめに.html"_s;
        QTest::newRow("subfolder") << u"/SoftWare/Murmelin/img/a.png"_s << u"img/a.png"_s;
        QTest::newRow("missing") << u"/SoftWare/Murmelin/none.html"_s << QString();
        QTest::newRow("folder itself") << u"/SoftWare/Murmelin/"_s << QString();
        QTest::newRow("a subfolder") << u"/SoftWare/Murmelin/img"_s << QString();
        QTest::newRow("other site path") << u"/SoftWare/Other/secret.txt"_s << QString();
        QTest::newRow("up and out") << u"/SoftWare/Murmelin/../secret.txt"_s << QString();
        QTest::newRow("up, out and in again") << u"/SoftWare/Murmelin/img/../../manual/img/a.png"_s
                                              << u"img/a.png"_s;
        QTest::newRow("link out of the folder") << u"/SoftWare/Murmelin/link.txt"_s << QString();
        QTest::newRow("backslash") << u"/SoftWare/Murmelin/..\\secret.txt"_s << QString();
    }
    void manualFiles()
    {
        QFETCH(QString, sitePath);
        QFETCH(QString, file);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.path() + u"/manual"_s;
        QVERIFY(QDir().mkpath(folder + u"/img"_s));
        for (const QString& f : {folder + u"/Murmelinマニュアル はじめに.html"_s, folder + u"/img/a.png"_s,
                                 dir.path() + u"/secret.txt"_s}) {
            QFile out(f);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("x");
        }
        QVERIFY(QFile::link(dir.path() + u"/secret.txt"_s, folder + u"/link.txt"_s));
        const QString expected = file.isEmpty() ? QString() : QFileInfo(folder + u'/' + file).canonicalFilePath();
        QCOMPARE(ManualFile(folder, sitePath), expected);
    }

    // The variables a process sets before its engine starts, from those it
    // inherited ("NAME=value" each).
    void engineEnvironment_data()
    {
        QTest::addColumn<QStringList>("inherited");
        QTest::addColumn<bool>("asRoot");
        QTest::addColumn<bool>("software");
        QTest::addColumn<QStringList>("set");
        const QString flags = u"QTWEBENGINE_CHROMIUM_FLAGS="_s;
        QTest::newRow("plain view") << QStringList() << false << false << QStringList{flags + u"--lang=ja"_s};
        QTest::newRow("as root") << QStringList() << true << false
                                 << QStringList{flags + u"--lang=ja --no-sandbox"_s};
        QTest::newRow("user's flags kept") << QStringList{flags + u"--foo --lang=en"_s} << false << false
                                           << QStringList{flags + u"--foo --lang=en"_s};
        QTest::newRow("manual by processor")
            << QStringList() << false << true
            << QStringList{flags + u"--lang=ja --disable-gpu"_s, u"QT_QUICK_BACKEND=software"_s,
                           u"QT_XCB_GL_INTEGRATION=none"_s};
        QTest::newRow("by processor as root")
            << QStringList() << true << true
            << QStringList{flags + u"--lang=ja --no-sandbox --disable-gpu"_s, u"QT_QUICK_BACKEND=software"_s,
                           u"QT_XCB_GL_INTEGRATION=none"_s};
        QTest::newRow("user's Quick backend kept")
            << QStringList{u"QT_QUICK_BACKEND=opengl"_s} << false << true << QStringList{flags + u"--lang=ja"_s};
        QTest::newRow("user's OpenGL integration kept")
            << QStringList{u"QT_XCB_GL_INTEGRATION=xcb_egl"_s} << false << true
            << QStringList{flags + u"--lang=ja --disable-gpu"_s, u"QT_QUICK_BACKEND=software"_s};
    }
    void engineEnvironment()
    {
        QFETCH(QStringList, inherited);
        QFETCH(bool, asRoot);
        QFETCH(bool, software);
        QFETCH(QStringList, set);
        QProcessEnvironment environment;
        for (const QString& variable : inherited)
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        QStringList got;
        for (const auto& [name, value] :
             EngineEnvironment(environment, asRoot, software ? EngineDrawing::Software : EngineDrawing::OpenGL))
            got << QString::fromLatin1(name + '=' + value);
        QCOMPARE(got, set);
    }
};

QTEST_GUILESS_MAIN(TestBrowserRules)
#include "tst_browserrules.moc"
