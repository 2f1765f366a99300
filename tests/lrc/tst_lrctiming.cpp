// The study tools' timing rules: the play range a lyric line makes, and
// moving every time tag of a text.

#include "lrc/LrcRules.h"
#include "lrc/LrcTiming.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using OptRange = std::optional<LrcTiming::Range>;
Q_DECLARE_METATYPE(OptRange)

class TestLrcTiming : public QObject
{
    Q_OBJECT

private slots:
    void rangeFromLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("length");
        QTest::addColumn<OptRange>("range");
        const QString song = u"[ti:歌]\r\n[00:01.00]あ\r\n[00:02.50]い\r\n[00:04.00]う\r\n"_s;
        QTest::newRow("to the next line") << song << 1 << 10000 << OptRange({1000, 2500});
        QTest::newRow("last line runs to the track's end") << song << 3 << 10000 << OptRange({4000, 10000});
        QTest::newRow("past the table") << song << 4 << 10000 << OptRange();
        QTest::newRow("next line past the end is cut") << song << 2 << 3000 << OptRange({2500, 3000});
        QTest::newRow("line at the track's end") << song << 3 << 4000 << OptRange();
        QTest::newRow("offset included")
            << u"[offset:+500]\n[00:01.00]a\n[00:02.00]b\n"_s << 1 << 10000 << OptRange({1500, 2500});
        QTest::newRow("equal times share one range")
            << u"[00:01.00]a\n[00:01.00]b\n[00:03.00]c\n"_s << 0 << 10000 << OptRange({1000, 3000});
        QTest::newRow("earlier line after is passed over")
            << u"[00:05.00]a\n[00:02.00]b\n[00:07.00]c\n"_s << 0 << 10000 << OptRange({5000, 7000});
        QTest::newRow("no timed lines") << u"[ti:x]\nplain\n"_s << 1 << 10000 << OptRange();
        QTest::newRow("untagged line names no place")
            << u"[00:01.00]a\nplain\n[00:03.00]c\n"_s << 1 << 10000 << OptRange();
        QTest::newRow("line at 0 can be practised") << u"[ti:x]\n[00:00.00]a\n[00:02.00]b\n"_s << 1 << 10000
                                                    << OptRange({0, 2000});
        // A line of several tags is practised at its first time, up to the
        // next time of any line.
        QTest::newRow("several tags: the earliest, to the next time")
            << u"[00:05.00][00:01.00]a\n[00:03.00]b\n"_s << 0 << 10000 << OptRange({1000, 3000});
    }

    // Where practice goes from a line: equal times are one place, untagged
    // lines none, and the ends of the lyrics stop it.
    void stepLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("to");   // -1: none
        const QString song = u"[ti:x]\n[00:01.00]a\n[00:02.00]b\n[00:02.00]b2\nplain\n[00:04.00]c\n"_s;
        QTest::newRow("on") << song << 1 << 1 << 2;
        QTest::newRow("on past equal times") << song << 2 << 1 << 5;
        QTest::newRow("on from the second of equal times") << song << 3 << 1 << 5;
        QTest::newRow("on from an untagged line") << song << 4 << 1 << 5;
        QTest::newRow("back past equal times") << song << 3 << -1 << 1;
        QTest::newRow("back over an untagged line") << song << 5 << -1 << 3;
        QTest::newRow("on from the last") << song << 5 << 1 << -1;
        QTest::newRow("back from the first") << song << 1 << -1 << -1;
        QTest::newRow("stay") << song << 2 << 0 << 2;
        QTest::newRow("stay on an untagged line") << song << 4 << 0 << -1;
        QTest::newRow("before the first timed line") << song << 0 << 1 << -1;
        QTest::newRow("back to a line at 0") << u"[00:00.00]a\n[00:01.00]b"_s << 1 << -1 << 0;
        // Steps follow the song's time, where a line of several tags comes
        // back: from the line at 3 s on to the one sung again at 5 s.
        const QString repeated = u"[00:01.00]a\n[00:05.00][00:02.00]b\n[00:03.00]c\n"_s;
        QTest::newRow("on to a line sung again") << repeated << 2 << 1 << 1;
        QTest::newRow("on from a line sung first") << repeated << 1 << 1 << 2;
        QTest::newRow("back from a line sung first") << repeated << 1 << -1 << 0;
    }
    // Rows name lines of the file; the table counts a line at each of its
    // times, the first of them here.
    void stepLine()
    {
        QFETCH(QString, text);
        QFETCH(int, line);
        QFETCH(int, step);
        QFETCH(int, to);
        const LrcRules::Table table = LrcRules::FirstTimedLine(text);
        const auto entry = table.EntryOfLine(line).value_or(-1);
        const auto reached = LrcTiming::StepLine(table, entry, step);
        QCOMPARE(reached ? table.Line(*reached) : -1, to);
    }
    void rangeFromLine()
    {
        QFETCH(QString, text);
        QFETCH(int, line);
        QFETCH(int, length);
        QFETCH(OptRange, range);
        const LrcRules::Table table = LrcRules::FirstTimedLine(text);
        QCOMPARE(LrcTiming::RangeFromLine(table, table.EntryOfLine(line).value_or(-1), length), range);
    }

    void shiftTimeTags_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("shift");
        QTest::addColumn<QString>("shifted");
        QTest::newRow("mm:ss.xx later") << u"[01:02.34]歌\r\n"_s << 300 << u"[01:02.64]歌\r\n"_s;
        QTest::newRow("earlier across a minute") << u"[01:00.05]a"_s << -100 << u"[00:59.95]a"_s;
        QTest::newRow("mm:ss:xx keeps its colon") << u"[01:02:34]a"_s << -300 << u"[01:02:04]a"_s;
        QTest::newRow("mm:ss gains hundredths") << u"[01:02]a"_s << 100 << u"[01:02.10]a"_s;
        QTest::newRow("mm:ss on a whole second stays") << u"[01:02]a"_s << 1000 << u"[01:03]a"_s;
        QTest::newRow("one digit is hundredths") << u"[00:01.5]a"_s << 100 << u"[00:01.15]a"_s;
        QTest::newRow("third digit kept as written") << u"[00:01.567]a"_s << 100 << u"[00:01.667]a"_s;
        QTest::newRow("minute width kept") << u"[1:02.00]a"_s << 100 << u"[1:02.10]a"_s;
        QTest::newRow("below 0 lands on 0") << u"[00:00.05]a"_s << -100 << u"[00:00.00]a"_s;
        // A line at 0 is shown like any other, so it moves with the rest.
        QTest::newRow("a tag at 0 moves") << u"[00:00.00]題\n[00:00]x\n[00:01.00]a"_s << 200
                                          << u"[00:00.20]題\n[00:00.20]x\n[00:01.20]a"_s;
        QTest::newRow("several leading tags") << u"[00:01.00][00:15.00]あ"_s << 200
                                              << u"[00:01.20][00:15.20]あ"_s;
        QTest::newRow("word tags inside the text") << u"[00:01.00]<00:01.00>風<00:01.40>が"_s << 100
                                                   << u"[00:01.10]<00:01.10>風<00:01.50>が"_s;
        QTest::newRow("time in the middle of a text stays") << u"[00:01.00]at [02:00] sharp"_s << 100
                                                            << u"[00:01.10]at [02:00] sharp"_s;
        QTest::newRow("headers stay") << u"[ti:歌]\n[offset:+500]\n[length: 03:20]\n[00:01.00]a"_s << 100
                                      << u"[ti:歌]\n[offset:+500]\n[length: 03:20]\n[00:01.10]a"_s;
        QTest::newRow("breaks of every kind kept") << u"[00:01.00]a\r\n[00:02.00]b\n[00:03.00]c\r[00:04.00]d"_s
                                                   << 100
                                                   << u"[00:01.10]a\r\n[00:02.10]b\n[00:03.10]c\r[00:04.10]d"_s;
        QTest::newRow("mark kept, first tag after it") << u"\uFEFF[00:01.00]a"_s << 100 << u"\uFEFF[00:01.10]a"_s;
        QTest::newRow("unclosed tag stays") << u"[00:01.00a\n"_s << 100 << u"[00:01.00a\n"_s;
    }
    void shiftTimeTags()
    {
        QFETCH(QString, text);
        QFETCH(int, shift);
        QFETCH(QString, shifted);
        QCOMPARE(LrcTiming::ShiftTimeTags(text, shift), shifted);
        // Whatever the form, the reader sees every timed line moved by the shift.
        const auto before = LrcRules::FirstTimedLine(text);
        const auto after = LrcRules::FirstTimedLine(shifted);
        if (before.start && shift >= 0) {
            for (std::int32_t i = *before.start; i < before.size(); ++i) {
                if (before.Tagged(i))   // untagged lines have no time to move
                    QCOMPARE(after.Time(i), before.Time(i) + shift);
            }
        }
    }

};

QTEST_GUILESS_MAIN(TestLrcTiming)
#include "tst_lrctiming.moc"
