// The rules of writing a text read aloud to a sound file: the lines read,
// the pieces with repetitions and pauses, the .lrc lines and the names.

#include "study/AudioExportRules.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace AudioExportRules;

namespace {

// "line.pass" per piece, then "+p<percent>" for a pause and "+b" for a breath.
QString Describe(const std::vector<Step>& steps)
{
    QStringList out;
    for (const Step& s : steps)
        out << u"%1.%2%3%4"_s.arg(s.line).arg(s.pass)
                   .arg(s.pausePercent > 0 ? u"+p%1"_s.arg(s.pausePercent) : QString())
                   .arg(s.breathAfter ? u"+b"_s : QString());
    return out.join(u' ');
}

} // namespace

class TestAudioExportRules : public QObject
{
    Q_OBJECT

private slots:
    void spokenLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("comments cut, both semicolons")
            << u"Hello there; a note\r\n今日は；メモ\r\n"_s << QStringList{u"Hello there"_s, u"今日は"_s};
        QTest::newRow("blank, comment-only and mark-only lines are not read")
            << u"one\n\n   \n; all comment\n…—・\n!!!\ntwo"_s << QStringList{u"one"_s, u"two"_s};
        QTest::newRow("digits are read") << u"2024\r---"_s << QStringList{u"2024"_s};
        QTest::newRow("byte order mark and blanks around") << u"\uFEFF  first  \r\nsecond"_s
                                                           << QStringList{u"first"_s, u"second"_s};
        QTest::newRow("no letters at all") << u"。。。\r\n；メモ\r\n  "_s << QStringList{};
    }
    void spokenLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(SpokenLines(text), lines);
    }

    void plan_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("loopCount");
        QTest::addColumn<int>("pausePercent");
        QTest::addColumn<bool>("withRepetitions");
        QTest::addColumn<bool>("withPause");
        QTest::addColumn<QString>("pieces");
        QTest::newRow("once each, breaths only") << 2 << 1 << 0 << true << true << u"0.0+b 1.0"_s;
        QTest::newRow("repeated twice, pause after every piece but the last")
            << 2 << 2 << 100 << true << true << u"0.0+p100+b 0.1+p100+b 1.0+p100+b 1.1"_s;
        QTest::newRow("repetitions left out") << 2 << 4 << 50 << false << true << u"0.0+p50+b 1.0"_s;
        QTest::newRow("pause left out") << 1 << 2 << 150 << true << false << u"0.0+b 0.1"_s;
        QTest::newRow("endless is once in a file") << 2 << kEndlessCount << 0 << true << false << u"0.0+b 1.0"_s;
        QTest::newRow("one line said once") << 1 << 1 << 100 << true << true << u"0.0"_s;
        QTest::newRow("nothing to say") << 0 << 2 << 100 << true << true << QString();
    }
    void plan()
    {
        QFETCH(int, lines);
        QFETCH(int, loopCount);
        QFETCH(int, pausePercent);
        QFETCH(bool, withRepetitions);
        QFETCH(bool, withPause);
        QFETCH(QString, pieces);
        QStringList texts;
        for (int i = 0; i < lines; ++i)
            texts << u"line %1"_s.arg(i);
        const std::vector<Step> steps = Plan(texts, {loopCount, pausePercent, withRepetitions, withPause});
        QCOMPARE(Describe(steps), pieces);
        for (const Step& s : steps)
            QCOMPARE(s.text, texts.at(s.line));
    }

    void pauseLength()
    {
        QCOMPARE(PauseMs(1234, 0), 0);
        QCOMPARE(PauseMs(1234, 50), 617);
        QCOMPARE(PauseMs(1000, 150), 1500);
        QCOMPARE(PauseMs(-5, 100), 0);
    }

    void lrcLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lineMs");
        QTest::addColumn<QList<int>>("words");   // start, length, ms for each word
        QTest::addColumn<bool>("wordTags");
        QTest::addColumn<QString>("line");
        QTest::newRow("a tag before each word")
            << u"Good morning, Anna."_s << 1234 << QList<int>{0, 4, 1234, 5, 7, 1590, 14, 4, 2105} << true
            << u"[00:01.23]<00:01.23>Good <00:01.59>morning, <00:02.11>Anna."_s;
        QTest::newRow("line tags only") << u"Good morning"_s << 61005 << QList<int>{0, 4, 61005} << false
                                        << u"[01:01.01]Good morning"_s;
        QTest::newRow("Japanese words in reported order")
            << u"今日は晴れです"_s << 500 << QList<int>{0, 3, 500, 3, 2, 900, 5, 2, 1200} << true
            << u"[00:00.50]<00:00.50>今日は<00:00.90>晴れ<00:01.20>です"_s;
        QTest::newRow("words outside, overlapping or going back are left out")
            << u"one two three"_s << 100 << QList<int>{0, 3, 100, 2, 3, 150, 4, 3, 300, 8, 5, 250, 12, 9, 400} << true
            << u"[00:00.10]<00:00.10>one <00:00.30>two three"_s;
        QTest::newRow("a word before the line's time is left out")
            << u"late start"_s << 800 << QList<int>{0, 4, 700, 5, 5, 900} << true << u"[00:00.80]late <00:00.90>start"_s;
        QTest::newRow("brackets never read as tags")
            << u"[Chorus] <b> x"_s << 0 << QList<int>{13, 1, 40} << true << u"[00:00.00]［Chorus］ ＜b＞ <00:00.04>x"_s;
        QTest::newRow("words reported out of order") << u"a b"_s << 0 << QList<int>{2, 1, 30, 0, 1, 10} << true
                                                     << u"[00:00.00]<00:00.01>a <00:00.03>b"_s;
    }
    void lrcLine()
    {
        QFETCH(QString, text);
        QFETCH(int, lineMs);
        QFETCH(QList<int>, words);
        QFETCH(bool, wordTags);
        QFETCH(QString, line);
        TimedLine timed{lineMs, text, {}};
        for (qsizetype i = 0; i + 2 < words.size(); i += 3)
            timed.words.push_back({words.at(i), words.at(i + 1), words.at(i + 2)});
        QCOMPARE(LrcLine(timed, wordTags), line);
    }

    void lrcTextEndsWithABareTag()
    {
        const std::vector<TimedLine> lines{{0, u"one"_s, {}}, {1500, u"two"_s, {}}, {1500, u"two"_s, {}}};
        QCOMPARE(LrcText(lines, 2349, false), u"[00:00.00]one\r\n[00:01.50]two\r\n[00:01.50]two\r\n[00:02.35]\r\n"_s);
        QCOMPARE(LrcText({}, 0, true), QString());
        QCOMPARE(WordTag(5999), u"<00:06.00>"_s);
    }

    void suffix_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("result");
        QTest::newRow("added") << u"/a/study"_s << int(Format::Mp3) << u"/a/study.mp3"_s;
        QTest::newRow("kept in its case") << u"/a/study.WAV"_s << int(Format::Wav) << u"/a/study.WAV"_s;
        QTest::newRow("the other format's replaced") << u"/a/study.wav"_s << int(Format::Mp3) << u"/a/study.mp3"_s;
        QTest::newRow("a dotted name keeps its dots") << u"/a/lesson.1"_s << int(Format::Wav) << u"/a/lesson.1.wav"_s;
    }
    void suffix()
    {
        QFETCH(QString, path);
        QFETCH(int, format);
        QFETCH(QString, result);
        QCOMPARE(WithSuffix(path, Format(format)), result);
    }

    void defaultPath_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("audio");
        QTest::addColumn<QString>("lrc");
        QTest::newRow("beside a text") << u"/d/lesson 1.txt"_s << int(Format::Mp3) << u"/d/lesson 1.mp3"_s
                                       << u"/d/lesson 1.lrc"_s;
        QTest::newRow("a .lrc text is not overwritten by its own lyrics")
            << u"/d/song.lrc"_s << int(Format::Wav) << u"/d/song_音声.wav"_s << u"/d/song_音声.lrc"_s;
        QTest::newRow("a text never saved goes in the folder") << QString() << int(Format::Mp3) << u"/list/音声.mp3"_s
                                                               << u"/list/音声.lrc"_s;
    }
    void defaultPath()
    {
        QFETCH(QString, text);
        QFETCH(int, format);
        QFETCH(QString, audio);
        QFETCH(QString, lrc);
        const QString path = DefaultPath(text, u"/list"_s, Format(format));
        QCOMPARE(path, audio);
        QCOMPARE(LrcPathFor(path), lrc);
        QVERIFY(!LrcIsSource(path, text));
    }

    void lrcOfTheSourceIsRefused()
    {
        QTemporaryDir dir;
        QVERIFY(LrcIsSource(u"/d/song.mp3"_s, u"/d/song.lrc"_s));
        QVERIFY(LrcIsSource(u"/d/x/../song.WAV"_s, u"/d/song.lrc"_s));
        QVERIFY(!LrcIsSource(u"/d/song.mp3"_s, u"/d/song.txt"_s));
        // A link to the text is the text.
        QFile text(dir.filePath(u"real.lrc"_s));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.close();
        QVERIFY(QFile::link(text.fileName(), dir.filePath(u"other.lrc"_s)));
        QVERIFY(LrcIsSource(dir.filePath(u"other.mp3"_s), text.fileName()));
    }
};

QTEST_GUILESS_MAIN(TestAudioExportRules)
#include "tst_audioexportrules.moc"
