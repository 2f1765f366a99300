// The LRC format as read: time tags, lines, headers, the offset, the first
// timed line, the text a line shows, and the decoding of the file.

#include "lrc/LrcController.h"
#include "lrc/LrcRules.h"
#include "platform/FileErrors.h"
#include "platform/TextCodec.h"
#include "support/ScriptedPrompter.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestLrcRules : public QObject
{
    Q_OBJECT

private slots:
    void timeTags_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("ms");
        QTest::newRow("mm:ss.xx") << u"01:02.34"_s << 0 << 62340;
        QTest::newRow("mm:ss") << u"01:02"_s << 0 << 62000;
        QTest::newRow("mm:ss:xx") << u"01:02:34"_s << 0 << 62340;
        QTest::newRow("one digit is hundredths") << u"00:01.5"_s << 0 << 1050;
        QTest::newRow("third digit dropped") << u"00:01.567"_s << 0 << 1560;
        QTest::newRow("h:mm:ss.xx reads minutes, seconds") << u"1:02:03.45"_s << 0 << 62450;
        QTest::newRow("point without colon ignores offset") << u"12.34"_s << 500 << 0;
        QTest::newRow("offset added") << u"00:10"_s << -250 << 9750;
        QTest::newRow("seconds past 59") << u"99:99.99"_s << 0 << 6039990;
        QTest::newRow("negative minutes") << u"-1:00"_s << 0 << -60000;
        QTest::newRow("atoi blanks and junk") << u" 01: 5x.7y"_s << 0 << 65070;
        QTest::newRow("no digits") << u"ar:Someone"_s << 0 << 0;
        QTest::newRow("empty tag is the offset") << u""_s << 300 << 300;
        QTest::newRow("point with nothing after") << u"00:12."_s << 0 << 12000;
        QTest::newRow("colon with nothing around") << u":"_s << 0 << 0;
    }
    void timeTags()
    {
        QFETCH(QString, tag);
        QFETCH(int, offset);
        QFETCH(int, ms);
        QCOMPARE(LrcRules::LrcTextTimerSet(tag, offset), ms);
    }

    // Each row: the file's text, the first timed line (-1: none), and from
    // it on every line as "time|text".
    void firstTimedLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<QStringList>("timed");
        QTest::newRow("headers skipped, CR LF")
            << u"[ti:歌]\r\n[ar:X]\r\n[00:01.00]あ\r\n[00:02.50]い\r\n"_s << 2
            << QStringList{u"1000|あ"_s, u"2500|い"_s};
        QTest::newRow("lone LF cuts lines") << u"[00:01.00]a\n[00:02.00]b\n"_s << 0
                                            << QStringList{u"1000|a"_s, u"2000|b"_s};
        QTest::newRow("lone CR cuts lines") << u"[00:01.00]a\r[00:02.00]b"_s << 0
                                            << QStringList{u"1000|a"_s, u"2000|b"_s};
        QTest::newRow("blank lines do not count") << u"[00:01.00]a\r\n\r\n\n\r\n[00:02.00]b"_s << 0
                                                  << QStringList{u"1000|a"_s, u"2000|b"_s};
        // Each time tag is a place of its own, and the table runs in time order.
        QTest::newRow("several leading tags, one entry each") << u"[00:12.00][01:30.50]chorus"_s << 0
                                                              << QStringList{u"12000|chorus"_s, u"90500|chorus"_s};
        QTest::newRow("several tags in time order")
            << u"[01:43.65][00:23.36]因为梦见你离开\n[00:30.00]b\n[01:50.00]c"_s << 0
            << QStringList{u"23360|因为梦见你离开"_s, u"30000|b"_s, u"103650|因为梦见你离开"_s, u"110000|c"_s};
        QTest::newRow("equal times keep file order") << u"[00:05.00]b\n[00:01.00][00:05.00]a\n[00:05.00]c"_s << 0
                                                     << QStringList{u"1000|a"_s, u"5000|b"_s, u"5000|a"_s, u"5000|c"_s};
        QTest::newRow("word tags in a line of several tags")
            << u"[00:03.00][00:01.00]<00:01.00>風<00:01.40>が"_s << 0
            << QStringList{u"1000|風が"_s, u"3000|風が"_s};
        QTest::newRow("untagged line follows the line before it") << u"[00:05.00]a\nplain\n[00:02.00]b"_s << 0
                                                                  << QStringList{u"2000|b"_s, u"5000|a"_s, u"0|"_s};
        QTest::newRow("only tag, empty text") << u"[00:12.34]"_s << 0 << QStringList{u"12340|"_s};
        QTest::newRow("offset before the first timed line") << u"[offset:500]\n[00:01.00]x"_s << 1
                                                            << QStringList{u"1500|x"_s};
        QTest::newRow("offset after it is a header, left out") << u"[00:01.00]x\n[offset:500]\n[by:me]"_s << 0
                                                               << QStringList{u"1000|x"_s};
        QTest::newRow("[re passed over") << u"[00:05.00]On the road [re-edit]\n[00:06.00]y [z]"_s << 1
                                         << QStringList{u"6000|y "_s};
        // Real files start their first line at 0: it is sung from the start.
        QTest::newRow("line at 0 shown") << u"[ti:歌]\n[00:00.00]作詞 某\n[00:05.00]あ"_s << 1
                                         << QStringList{u"0|作詞 某"_s, u"5000|あ"_s};
        QTest::newRow("text reading as 0 is no line at 0") << u"作詞: [某]\n[00:01.00]a"_s << 1
                                                           << QStringList{u"1000|a"_s};
        QTest::newRow("unlisted header passed over") << u"[la:ja]\n[00:03.00]z"_s << 1
                                                     << QStringList{u"3000|z"_s};
        QTest::newRow("unlisted header with offset is a header") << u"[offset:+200]\n[la:ja]\n[00:03.00]z"_s << 2
                                                                 << QStringList{u"3200|z"_s};
        QTest::newRow("unknown numeric header") << u"[ti:歌]\n[total:375275]\n[00:01.00]あ\n[00:02.00]い"_s << 2
                                                << QStringList{u"1000|あ"_s, u"2000|い"_s};
        QTest::newRow("negative offset") << u"[offset:-250]\n[00:03.00]z"_s << 1 << QStringList{u"2750|z"_s};
        QTest::newRow("offset with nothing after its colon") << u"[offset:]\n[00:03.00]z"_s << 1
                                                             << QStringList{u"3000|z"_s};
        QTest::newRow("tab as eight spaces") << u"[00:01.00]a\tb"_s << 0 << QStringList{u"1000|a        b"_s};
        QTest::newRow("word tags not shown") << u"[00:12.00]<00:12.00>Hel<00:12.50>lo 世界"_s << 0
                                             << QStringList{u"12000|Hello 世界"_s};
        QTest::newRow("untagged line after the first") << u"[00:01.00]a\nplain\n"_s << 0
                                                       << QStringList{u"1000|a"_s, u"0|"_s};
        QTest::newRow("point without colon is not a candidate") << u"[12.34]x\n[00:01]y"_s << 1
                                                                << QStringList{u"1000|y"_s};
        QTest::newRow("bad tags") << u"[-1:00]y\n[99:99.99]x\n[00:00.5]z"_s << 1
                                  << QStringList{u"50|z"_s, u"6039990|x"_s};
        QTest::newRow("bracket after the tags is text") << u"[00:12.00][Chorus]\n[00:15.00] [Bridge] ラ\n[00:20.00]x"_s << 0
                                                        << QStringList{u"12000|[Chorus]"_s, u"15000|[Bridge] ラ"_s, u"20000|x"_s};
        QTest::newRow("lines of blanks are blank") << u"[00:01.00]a\n   \n\t\r\n \u3000 \n[00:02.00]b"_s << 0
                                                   << QStringList{u"1000|a"_s, u"2000|b"_s};
        QTest::newRow("extension lines left out")
            << u"[00:01.00]風が\n[00:01.00][tt]<0,0><200,1><400>\n[00:01.00][tr:en]The wind\n[00:02.00]<0,0><150,1>\n[00:03.00]吹く"_s
            << 0 << QStringList{u"1000|風が"_s, u"3000|吹く"_s};
        QTest::newRow("empty file") << QString() << -1 << QStringList{};
        QTest::newRow("only headers") << u"[ti:a]\n[ar:b]\n[offset:100]"_s << -1 << QStringList{};
        QTest::newRow("unterminated tag") << u"[00:01.00 abc"_s << -1 << QStringList{};
    }
    void firstTimedLine()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(QStringList, timed);
        const LrcRules::Table table = LrcRules::FirstTimedLine(text);
        QCOMPARE(table.start.value_or(-1), start);
        QStringList got;
        for (int i = table.start.value_or(table.size()); i < table.size(); ++i)
            got << u"%1|%2"_s.arg(table.Time(i)).arg(table.TextAt(i));
        QCOMPARE(got, timed);
    }

    void decoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QString lyric = u"[00:01.00]あ"_s;
        QTest::newRow("UTF-8 mark dropped") << QByteArray("\xEF\xBB\xBF") + lyric.toUtf8() << lyric;
        QByteArray le("\xFF\xFE");
        QByteArray be("\xFE\xFF");
        for (QChar c : lyric) {
            le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
            be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
        }
        QTest::newRow("UTF-16LE mark dropped") << le << lyric;
        QTest::newRow("UTF-16BE mark dropped") << be << lyric;
        QTest::newRow("half a mark gives nothing") << QByteArray("\xFF\x41\x42") << QString();
        QTest::newRow("lone EF gives nothing") << QByteArray("\xEF") << QString();
        QTest::newRow("Shift_JIS without mark") << QByteArray("[00:01.00]\x82\xA0") << lyric;
        QTest::newRow("UTF-8 without mark") << lyric.toUtf8() << lyric;
        QTest::newRow("empty") << QByteArray() << QString();
        // Half a surrogate pair is one bad character, not a spoiled text.
        QTest::newRow("UTF-16LE lone surrogate") << QByteArray("\xFF\xFEx\0\x00\xD8y\0", 8) << u"x\uFFFDy"_s;
        QTest::newRow("UTF-16BE low surrogate first") << QByteArray("\xFE\xFF\0x\xDC\x00\xD8\x3D\xDE\x00", 10)
                                                      << u"x\uFFFD\U0001F600"_s;
    }
    void decoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(LrcRules::Decode(bytes, TextCodec::System()), text);
    }

    // Real files beside a music file, with their line ends and marks.
    void readsTheFileBesideTheMusic()
    {
        QTemporaryDir dir;
        const QString body = u"[ti:歌]\r\n[00:01.00]一\r\n[00:02.00]二\r\n"_s;
        auto write = [&](const QString& name, const QByteArray& bytes) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        write(u"crlf.lrc"_s, QByteArray("\xEF\xBB\xBF") + body.toUtf8());
        write(u"lf.lrc"_s, QString(body).remove(u'\r').toUtf8());

        State state;
        ScriptedPrompter prompter;
        Controls ui;
        Peers peers;
        LrcController lrc{Context{state, prompter, ui, peers}};
        lrc.LrcTextTempLabel(dir.filePath(u"crlf.mp3"_s));
        QCOMPARE(state.LrcText, body);
        QCOMPARE(state.LrcTextCodeKindLength, 0);   // the editor's mark flag is not touched
        lrc.LrcTextTempLabel(dir.filePath(u"lf.WAV"_s));
        const LrcRules::Table table = LrcRules::FirstTimedLine(state.LrcText);
        QCOMPARE(table.start.value_or(-1), 1);
        QCOMPARE(table.TextAt(2), u"二"_s);
        lrc.LrcTextTempLabel(dir.filePath(u"missing.mp3"_s));
        QVERIFY(state.LrcText.isEmpty());
    }

    // A file no supported encoding reads is reported once, naming it, and
    // the song goes on without lyrics; a stray bad byte in a lyric file
    // does not make it unreadable.
    void unreadableFileSaidOnce_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("unreadable");
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary.append(char((i * 37 + (i >> 3)) & 0xFF));
        QTest::newRow("binary") << binary << true;
        QTest::newRow("binary behind a UTF-16 mark") << QByteArray("\xFF\xFE") + binary << true;
        QTest::newRow("binary behind a UTF-8 mark") << QByteArray("\xEF\xBB\xBF") + binary << true;
        QByteArray good;
        for (int i = 1; i <= 20; ++i)
            good += "[00:" + QByteArray::number(10 + i) + ".00]\x82\xA0\x82\xA2\x82\xA4\r\n";
        QTest::newRow("Shift_JIS with a stray byte") << good + "\x80" << false;
        QTest::newRow("short UTF-8 lyric, two bytes forming nothing")
            << QByteArray("\xEF\xBB\xBF[00:01.00]\xE6\xAD\x8C\xFF!\r\n[00:02.00]\xC3\r\n") << false;
    }
    void unreadableFileSaidOnce()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, unreadable);
        QTemporaryDir dir;
        QFile f(dir.filePath(u"歌.lrc"_s));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        State state;
        ScriptedPrompter prompter;
        Controls ui;
        Peers peers;
        LrcController lrc{Context{state, prompter, ui, peers}};
        for (int played = 0; played < 2; ++played) {
            lrc.LrcTextTempLabel(dir.filePath(u"歌.mp3"_s));
            QCOMPARE(state.LrcText.isEmpty(), unreadable);
        }
        if (!unreadable) {
            QVERIFY(prompter.entries.isEmpty());
            return;
        }
        QCOMPARE(prompter.texts(), QStringList{FileErrors::Message(FileErrors::Doing::Read, dir.filePath(u"歌.lrc"_s),
                                                                   u"対応している文字コードのどれでも正しく読めない内容です"_s)});
    }

    // A FIFO under the lyrics' name is not read: opening it would wait for a
    // writer for good.
    void fifoBesideTheMusicIsNotRead()
    {
        QTemporaryDir dir;
        const QByteArray fifo = QFile::encodeName(dir.filePath(u"song.lrc"_s));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        State state;
        ScriptedPrompter prompter;
        Controls ui;
        Peers peers;
        LrcController lrc{Context{state, prompter, ui, peers}};
        state.LrcText = u"[00:01.00]the song before"_s;
        auto read = std::async(std::launch::async, [&] { lrc.LrcTextTempLabel(dir.filePath(u"song.mp3"_s)); });
        const bool finished = read.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        if (!finished) {
            // A writer that comes and goes lets the stuck reader end.
            ::close(::open(fifo.constData(), O_WRONLY | O_NONBLOCK));
            read.wait();
        }
        QVERIFY(finished);
        QVERIFY(state.LrcText.isEmpty());
        QVERIFY(prompter.entries.isEmpty());
    }

    // Hostile files: no crash, no hang, the lines that qualify still found.
    void badFiles()
    {
        const QString big = u"[00:01.00]"_s + QString(2 * 1024 * 1024, u'x');
        LrcRules::Table table = LrcRules::FirstTimedLine(big + u"\n[00:02.00]b"_s);
        QCOMPARE(table.start.value_or(-1), 0);
        QCOMPARE(table.TextAt(0).size(), 2 * 1024 * 1024);
        QCOMPARE(table.TextAt(1), u"b"_s);

        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary.append(char((i * 37) & 0xFF));
        binary.prepend("[00:03.00]ok\n");
        table = LrcRules::FirstTimedLine(LrcRules::Decode(binary, TextCodec::System()));
        QCOMPARE(table.start.value_or(-1), 0);
        QCOMPARE(table.Time(0), 3000);

        QByteArray odd("\xFF\xFE");
        for (char c : QByteArray("[00:04.00]o"))
            odd.append(c).append('\0');
        odd.append('\x41');   // half a character at the end
        table = LrcRules::FirstTimedLine(LrcRules::Decode(odd, TextCodec::System()));
        QCOMPARE(table.start.value_or(-1), 0);
        QCOMPARE(table.Time(0), 4000);
        QVERIFY(table.TextAt(0).startsWith(u'o'));
    }
};

QTEST_GUILESS_MAIN(TestLrcRules)
#include "tst_lrcrules.moc"
