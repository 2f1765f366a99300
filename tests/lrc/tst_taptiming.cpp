// Timing by tapping, and the rules under the lyric window's pairs and word
// highlight: stamping, writing the stamps into the source, word tags and
// lines of one time.

#include "lrc/LrcRules.h"
#include "lrc/LrcWordTags.h"
#include "lrc/TapTiming.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using Words = std::vector<LrcWordTags::Word>;
Q_DECLARE_METATYPE(Words)

namespace {
// A sitting played as a list of steps: "s<ms>" a tap at that played
// position, "u" Backspace, "n<line>:<delta>" a nudge.
QString Play(TapTiming::Session& session, const QStringList& steps, std::int32_t compensation)
{
    QStringList results;
    for (const QString& step : steps) {
        if (step.startsWith(u's')) {
            const auto r = session.Stamp(step.mid(1).toLongLong(), compensation);
            results << (r == TapTiming::StampResult::Stamped ? u"ok"_s
                        : r == TapTiming::StampResult::PastEnd ? u"end"_s : u"full"_s);
        } else if (step == u"u") {
            const auto from = session.Undo();
            results << (from ? u"from%1"_s.arg(*from) : u"none"_s);
        } else {
            const QStringList parts = step.mid(1).split(u':');
            results << (session.Nudge(parts[0].toInt(), parts[1].toInt()) ? u"moved"_s : u"stays"_s);
        }
    }
    return results.join(u' ');
}
} // namespace

class TestTapTiming : public QObject
{
    Q_OBJECT

private slots:
    // Three lines, a song of 10 s: what each step answers and the stamps.
    void stamping_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("compensation");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QList<int>>("stamps");
        QTest::newRow("played position less the compensation")
            << QStringList{u"s1150"_s, u"s2000"_s} << 150 << u"ok ok"_s << QList<int>{1000, 1850};
        QTest::newRow("never below 0") << QStringList{u"s100"_s} << 150 << u"ok"_s << QList<int>{0};
        QTest::newRow("quick taps stay apart")
            << QStringList{u"s1000"_s, u"s1005"_s} << 0 << u"ok ok"_s << QList<int>{1000, 1010};
        QTest::newRow("past the last line") << QStringList{u"s1000"_s, u"s2000"_s, u"s3000"_s, u"s4000"_s} << 0
                                            << u"ok ok ok full"_s << QList<int>{1000, 2000, 3000};
        QTest::newRow("past the song's end") << QStringList{u"s1000"_s, u"s10000"_s} << 0 << u"ok end"_s
                                             << QList<int>{1000};
        QTest::newRow("Backspace before the first stamp") << QStringList{u"u"_s} << 0 << u"none"_s << QList<int>{};
        QTest::newRow("Backspace plays from before the stamp")
            << QStringList{u"s1000"_s, u"s5000"_s, u"u"_s, u"u"_s} << 0 << u"ok ok from3000 from0"_s
            << QList<int>{};
        QTest::newRow("nudges stay between neighbours")
            << QStringList{u"s1000"_s, u"s2000"_s, u"n0:100"_s, u"n0:-10"_s, u"n0:2000"_s, u"n1:-5000"_s}
            << 0 << u"ok ok moved moved moved stays"_s << QList<int>{2000, 2000};
        QTest::newRow("the last nudge stays in the song")
            << QStringList{u"s9000"_s, u"n0:5000"_s, u"n1:10"_s} << 0 << u"ok moved stays"_s << QList<int>{9999};
    }
    void stamping()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, compensation);
        QFETCH(QString, answers);
        QFETCH(QList<int>, stamps);
        TapTiming::Session session(3, 10000);
        QCOMPARE(Play(session, steps, compensation), answers);
        QCOMPARE(QList<int>(session.stamps().begin(), session.stamps().end()), stamps);
    }

    void fits()
    {
        QVERIFY(TapTiming::Session(3, 10000).Fits());
        QVERIFY(!TapTiming::Session(1000, 10000).Fits());   // 10 ms a line is too little
    }

    // The source with stamps written in: breaks, headers, blank lines and
    // lines past the stamps stay; word tags move with their line.
    void compose_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QList<int>>("stamps");
        QTest::addColumn<QString>("result");
        QTest::newRow("plain lines, CR LF kept")
            << u"[ti:歌]\r\nあ\r\n\r\nい\r\n"_s << QList<int>{1234, 65432}
            << u"[ti:歌]\r\n[00:01.23]あ\r\n\r\n[01:05.43]い\r\n"_s;
        QTest::newRow("LF and no break at the end") << u"a\nb"_s << QList<int>{1000, 2000}
                                                    << u"[00:01.00]a\n[00:02.00]b"_s;
        QTest::newRow("unstamped lines stay") << u"a\n[00:09.00]b\nc\n"_s << QList<int>{500}
                                              << u"[00:00.50]a\n[00:09.00]b\nc\n"_s;
        QTest::newRow("old tags replaced") << u"[00:09.00][00:20.00]a\n"_s << QList<int>{1000}
                                           << u"[00:01.00]a\n"_s;
        QTest::newRow("a line of only a tag is stamped") << u"a\n[00:05.00]\n"_s << QList<int>{1000, 3000}
                                                         << u"[00:01.00]a\n[00:03.00]\n"_s;
        QTest::newRow("word tags move with their line")
            << u"[00:10.00]<00:10.00>あ<00:10.50>い<00:11.00>\n"_s << QList<int>{2000}
            << u"[00:02.00]<00:02.00>あ<00:02.50>い<00:03.00>\n"_s;
        QTest::newRow("word tags without a line tag follow the first word")
            << u"<00:10.00>a <00:10.40>b\n"_s << QList<int>{1000} << u"[00:01.00]<00:01.00>a <00:01.40>b\n"_s;
        QTest::newRow("offset header counted") << u"[offset:+500]\na\n"_s << QList<int>{1500}
                                               << u"[offset:+500]\n[00:01.00]a\n"_s;
    }
    void compose()
    {
        QFETCH(QString, source);
        QFETCH(QList<int>, stamps);
        QFETCH(QString, result);
        const auto lines = TapTiming::SplitKeepingBreaks(source);
        QCOMPARE(TapTiming::Compose(lines, std::vector<std::int32_t>(stamps.begin(), stamps.end())), result);
    }

    void wordTags_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Words>("words");
        QTest::newRow("a tag before each word")
            << u"[00:01.00]<00:01.00>あい <00:01.50>う<00:02.00>"_s
            << Words{{1000, 0, 3}, {1500, 3, 1}, {2000, 4, 0}};
        QTest::newRow("text before the first tag is at the line's time")
            << u"[00:01.00]Hi <00:01.20>you"_s << Words{{1000, 0, 3}, {1200, 3, 3}};
        QTest::newRow("no word tags") << u"[00:01.00]plain"_s << Words{};
        QTest::newRow("a tab counts as eight spaces")
            << u"[00:01.00]<00:01.00>a\t<00:01.10>b"_s << Words{{1000, 0, 9}, {1100, 9, 1}};
    }
    void wordTags()
    {
        QFETCH(QString, line);
        QFETCH(Words, words);
        QCOMPARE(LrcWordTags::Words(line, 1000, 0), words);
        // The tags never show.
        QVERIFY(!LrcRules::Text(line).contains(u'<'));
    }

    void wordAt()
    {
        const Words words{{1000, 0, 1}, {1500, 1, 1}, {2000, 2, 0}};
        QCOMPARE(LrcWordTags::WordAt(words, 999), -1);
        QCOMPARE(LrcWordTags::WordAt(words, 1000), 0);
        QCOMPARE(LrcWordTags::WordAt(words, 1499), 0);
        QCOMPARE(LrcWordTags::WordAt(words, 2500), 2);
    }

    // Word tags keep their form byte for byte; only their times move.
    void shiftWordTags_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("delta");
        QTest::addColumn<QString>("result");
        QTest::newRow("leading tag stays") << u"[00:01.00]<00:01.00>a<00:01.50>"_s << 100
                                           << u"[00:01.00]<00:01.10>a<00:01.60>"_s;
        QTest::newRow("colon form and minute width kept") << u"<1:02:50>a"_s << -1000 << u"<1:01:50>a"_s;
        QTest::newRow("not below 0") << u"<00:00.50>a"_s << -1000 << u"<00:00.00>a"_s;
        QTest::newRow("nothing to move") << u"[00:01.00]a <b>"_s << 500 << u"[00:01.00]a <b>"_s;
    }
    void shiftWordTags()
    {
        QFETCH(QString, line);
        QFETCH(int, delta);
        QFETCH(QString, result);
        QCOMPARE(LrcWordTags::ShiftWordTags(line, delta), result);
    }

    // Lines of one time are one group, shown together: [first, end) and the
    // texts the window shows.
    void groups_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("main");
        QTest::addColumn<QString>("second");
        const QString song = u"[ti:x]\n[00:01.00]春\n[00:01.00]Spring\n[00:02.00]夏\n[00:03.00]秋\n[00:03.00]\n"_s;
        QTest::newRow("a lyric and its translation") << song << 1 << 1 << 3 << u"春"_s << u"Spring"_s;
        QTest::newRow("from the translation") << song << 2 << 1 << 3 << u"Spring"_s << QString();
        QTest::newRow("a line alone") << song << 3 << 3 << 4 << u"夏"_s << QString();
        QTest::newRow("an empty partner shows nothing") << song << 4 << 4 << 6 << u"秋"_s << QString();
        QTest::newRow("three lines of one time")
            << u"[00:01.00]a\n[00:01.00]b\n[00:01.00]c\n"_s << 0 << 0 << 3 << u"a"_s << u"b / c"_s;
        QTest::newRow("untagged line is not a partner")
            << u"[00:01.00]a\nplain\n[00:02.00]b\n"_s << 0 << 0 << 1 << u"a"_s << QString();
    }
    void groups()
    {
        QFETCH(QString, text);
        QFETCH(int, entry);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, main);
        QFETCH(QString, second);
        const LrcRules::Table table = LrcRules::FirstTimedLine(text);
        QCOMPARE(LrcWordTags::GroupStart(table, entry), start);
        QCOMPARE(LrcWordTags::GroupEnd(table, start), end);
        const auto shown = LrcWordTags::TextOfGroup(table, entry);
        QCOMPARE(shown.main, main);
        QCOMPARE(shown.second, second);
    }
};

QTEST_GUILESS_MAIN(TestTapTiming)
#include "tst_taptiming.moc"
