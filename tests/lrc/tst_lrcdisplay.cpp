// The timed four-line window against a clock and a device position the test
// sets: locating a start position, each tick, pause and resume, the day
// wrap, and the window itself.

#include "lrc/LrcController.h"
#include "lrc/LrcDisplay.h"
#include "platform/Clock.h"
#include "support/ScriptedPrompter.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

class FakeClock : public Clock
{
public:
    std::int32_t now = 0;
    std::int32_t TimeOfDay() const override { return now; }
};

const QString kSong = u"[ti:歌]\r\n[00:01.00]一\n[00:02.00]二\r[00:03.00]三\r\n[00:04.00]四\r\n"_s;

struct Fixture
{
    State state;
    ScriptedPrompter prompter;
    Controls ui;
    Peers peers;
    QWidget form;
    QTimer lineTimer;
    QTimer lrcCloseTimer;
    FakeClock clock;
    LrcController lrc{Context{state, prompter, ui, peers}};

    explicit Fixture(const QString& text = kSong)
    {
        ui.form = &form;
        ui.lineTimer = &lineTimer;
        ui.lrcCloseTimer = &lrcCloseTimer;
        lrc.setClock(&clock);
        state.LrcText = text;
        state.audioState = AudioState::WavePlaying;
        state.playRange = PlayRange::Off;
        lrc.LrcDisplayOpen();
    }

    QStringList labels() const
    {
        QStringList shown;
        for (QLabel* l : lrc.dlgLrcDisplay()->labels())
            shown << l->text();
        return shown;
    }
    // The line timer's next delay, or -1 when it is not armed.
    int armed() const { return lineTimer.isActive() ? lineTimer.interval() : -1; }
    void syncAt(int position)
    {
        state.PositionTimeMiriSecond = position;
        lrc.TrackBarLrcTextTimerIni();
    }
    void tickAt(int clockReading)
    {
        clock.now = clockReading;
        lrc.LrcTextDisplay();
    }
};

} // namespace

class TestLrcDisplay : public QObject
{
    Q_OBJECT

private slots:
    // Lines at 1, 2, 3 and 4 s; a start at `position` in device state
    // `audio` with an MP3 adjustment shows these labels, aims the next tick
    // at this index and arms the timer with this delay (-1: not armed).
    void locate_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("audio");
        QTest::addColumn<int>("adjustment");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<int>("next");
        QTest::addColumn<int>("delay");
        const QStringList blank{u""_s, u""_s, u""_s, u""_s};
        QTest::newRow("from 0") << 0 << int(AudioState::WavePlaying) << 0 << blank << 1 << 1000;
        QTest::newRow("before the first") << 400 << int(AudioState::WavePlaying) << 0 << blank << 1 << 600;
        QTest::newRow("on a line's time") << 2000 << int(AudioState::WavePlaying) << 0 << QStringList{u""_s, u"二"_s, u"三"_s, u"四"_s} << 3
                                          << 1000;
        QTest::newRow("between lines") << 2500 << int(AudioState::WavePlaying) << 0 << QStringList{u""_s, u"二"_s, u"三"_s, u"四"_s} << 3
                                       << 500;
        QTest::newRow("on the last line") << 4000 << int(AudioState::WavePlaying) << 0 << QStringList{u""_s, u"四"_s, u""_s, u""_s} << 4
                                          << -1;
        QTest::newRow("after the last") << 4500 << int(AudioState::WavePlaying) << 0 << blank << -1 << -1;
        QTest::newRow("paused: shown, not armed") << 2500 << int(AudioState::WavePaused) << 0
                                                  << QStringList{u""_s, u"二"_s, u"三"_s, u"四"_s} << 2 << -1;
        QTest::newRow("MP3 restarted mid-track") << 2500 << int(AudioState::Mp3Playing) << 100
                                                 << QStringList{u""_s, u"二"_s, u"三"_s, u"四"_s} << 3 << 600;
        QTest::newRow("MP3 from 0 has no adjustment") << 0 << int(AudioState::Mp3Playing) << 100 << blank << 1 << 1000;
    }
    void locate()
    {
        QFETCH(int, position);
        QFETCH(int, audio);
        QFETCH(int, adjustment);
        QFETCH(QStringList, labels);
        QFETCH(int, next);
        QFETCH(int, delay);
        Fixture f;
        f.lineTimer.start(50);   // left armed from before
        f.state.audioState = audio;
        f.state.LrcMp3TimeAdjustment = adjustment;
        f.clock.now = 5'000'000;
        f.syncAt(position);
        QCOMPARE(f.labels(), labels);
        QCOMPARE(f.armed(), delay);
        if (next >= 0)
            QCOMPARE(f.state.LrcDspArrayCunt, next);
        QCOMPARE(f.state.LrcStartArrayCunt, 1);
        QCOMPARE(f.state.LrcEndArrayCunt, 5);
    }

    void ticksMoveTheLinesUpAndCorrectLateness()
    {
        Fixture f;
        f.clock.now = 10'000;
        f.syncAt(0);
        f.tickAt(11'000);
        QCOMPARE(f.labels(), (QStringList{u""_s, u"一"_s, u"二"_s, u"三"_s}));
        QCOMPARE(f.armed(), 1000);
        f.tickAt(12'030);   // 30 ms late: the next delay is shorter by as much
        QCOMPARE(f.labels(), (QStringList{u"一"_s, u"二"_s, u"三"_s, u"四"_s}));
        QCOMPARE(f.armed(), 970);
        f.tickAt(13'000);
        QCOMPARE(f.labels(), (QStringList{u"二"_s, u"三"_s, u"四"_s, u""_s}));
        f.tickAt(14'000);
        QCOMPARE(f.labels(), (QStringList{u"三"_s, u"四"_s, u""_s, u""_s}));
        QCOMPARE(f.armed(), -1);   // the last line stays, the timer stops
        f.lrc.LrcTextDisplay();    // a stray tick changes nothing
        QCOMPARE(f.labels(), (QStringList{u"三"_s, u"四"_s, u""_s, u""_s}));
    }

    void pauseAndResumeKeepTheLines()
    {
        Fixture f;
        f.clock.now = 0;
        f.syncAt(0);
        f.tickAt(1000);
        f.tickAt(2000);
        f.lrc.LrcTimerOnStop();   // the player pauses
        const QStringList paused = f.labels();
        f.clock.now = 60'000;       // the pause lasts a minute
        f.lrc.LrcTextDisplayRestart(2600);
        QCOMPARE(f.labels(), paused);
        QCOMPARE(f.armed(), 400);
        f.tickAt(60'400);
        QCOMPARE(f.labels(), (QStringList{u"二"_s, u"三"_s, u"四"_s, u""_s}));
        QCOMPARE(f.armed(), 1000);   // measured from the resumed position


        // Paused past the last line: a resume has nothing to aim at.
        f.syncAt(4500);
        f.lrc.LrcTextDisplayRestart(4600);
        QCOMPARE(f.armed(), -1);
    }

    // An output that starts late: a tick before the audio reaches the line
    // waits for it, and the lines after are measured from the audio.
    void ticksWaitForLateAudio()
    {
        Fixture f;
        std::int64_t audio = 0;
        f.lrc.setPositionSource([&audio](std::int64_t& ms) { ms = audio; return true; });
        f.clock.now = 0;
        f.syncAt(0);
        audio = 700;   // 300 ms behind the clock
        f.tickAt(1000);
        QCOMPARE(f.labels(), (QStringList{u""_s, u""_s, u""_s, u""_s}));
        QCOMPARE(f.armed(), 150);
        audio = 1000;
        f.tickAt(1300);
        QCOMPARE(f.labels(), (QStringList{u""_s, u"一"_s, u"二"_s, u"三"_s}));
        QCOMPARE(f.armed(), 1000);
    }

    // A lyric and its translation share one time: they are one current
    // line, the translation under it, and the speak button reads the lyric.
    void equalTimesShowAsOneLine()
    {
        Fixture f(u"[00:01.00]a\n[00:01.00]b\n[00:02.00]c"_s);
        LrcDisplay* d = f.lrc.dlgLrcDisplay();
        f.clock.now = 0;
        f.syncAt(0);
        f.tickAt(1000);
        QCOMPARE(f.labels(), (QStringList{u""_s, u"a"_s, u"c"_s, u""_s}));
        QCOMPARE(d->currentLineLabel->secondLine(), u"b"_s);
        QCOMPARE(f.armed(), 1000);
        QSignalSpy spoken(d, &LrcDisplay::speakRequested);
        d->currentLineSpeakButton->click();
        QCOMPARE(spoken.value(0).value(0).toString(), u"a"_s);
        f.tickAt(2000);
        QCOMPARE(f.labels(), (QStringList{u"a"_s, u"c"_s, u""_s, u""_s}));
        QCOMPARE(d->previousLineLabel->secondLine(), u"b"_s);
        QVERIFY(d->currentLineLabel->secondLine().isEmpty());

        f.syncAt(1000);   // a start on the shared time shows the pair
        QCOMPARE(f.labels(), (QStringList{u""_s, u"a"_s, u"c"_s, u""_s}));
        QCOMPARE(d->currentLineLabel->secondLine(), u"b"_s);
    }

    // Word tags: the word being sung is coloured as the audio reaches it,
    // an early tick waits for it, and the tags never show.
    void sungWordFollowsTheAudio()
    {
        Fixture f(u"[00:01.00]<00:01.00>春<00:01.50>の<00:02.00>\n[00:03.00]x"_s);
        std::int64_t audio = 0;
        f.lrc.setPositionSource([&audio](std::int64_t& ms) {
            ms = audio;
            return true;
        });
        LyricLineLabel* current = f.lrc.dlgLrcDisplay()->currentLineLabel;
        using Span = std::pair<qsizetype, qsizetype>;
        f.clock.now = 0;
        f.syncAt(0);
        audio = 1000;
        f.tickAt(1000);
        QCOMPARE(current->text(), u"春の"_s);
        QCOMPARE(current->wordHighlight(), Span(0, 1));
        QVERIFY(f.lrc.wordTimer()->isActive());
        QCOMPARE(f.lrc.wordTimer()->interval(), 500);
        audio = 1400;   // the timer is early
        QTRY_COMPARE_WITH_TIMEOUT(f.lrc.wordTimer()->interval(), 100, 2000);
        QCOMPARE(current->wordHighlight(), Span(0, 1));
        audio = 1500;
        QTRY_COMPARE_WITH_TIMEOUT(current->wordHighlight(), Span(1, 1), 2000);
        audio = 2000;
        QTRY_COMPARE_WITH_TIMEOUT(current->wordHighlight(), Span(2, 0), 2000);
        QVERIFY(!f.lrc.wordTimer()->isActive());
    }

    // A line with several tags comes at each of them, in the song's order,
    // however the file lists them.
    void severalTagsComeInTimeOrder()
    {
        Fixture f(u"[00:03.00][00:01.00]a\n[00:02.00]b"_s);
        f.clock.now = 0;
        f.syncAt(0);
        QCOMPARE(f.armed(), 1000);
        f.tickAt(1000);
        QCOMPARE(f.labels(), (QStringList{u""_s, u"a"_s, u"b"_s, u"a"_s}));
        QCOMPARE(f.armed(), 1000);
        f.tickAt(2000);
        f.tickAt(3000);
        QCOMPARE(f.labels(), (QStringList{u"b"_s, u"a"_s, u""_s, u""_s}));
        QCOMPARE(f.armed(), -1);
    }

    // The clock folds into one day; a tick after the wrap is still measured
    // from the start.
    void dayWrapKeepsTheLinesInTime()
    {
        Fixture f;
        f.clock.now = Clock::kDay - 500;
        f.syncAt(0);
        f.tickAt(500);   // 1 s later, past the wrap
        QCOMPARE(f.state.CorrectTime, 1000);
        QCOMPARE(f.armed(), 1000);
        f.tickAt(1480);
        QCOMPARE(f.state.CorrectTime, 1980);
        QCOMPARE(f.armed(), 1020);

        // The program's own clock counts elapsed time, not the wall clock.
        const MonotonicClock real;
        const std::int32_t before = real.TimeOfDay();
        QTest::qWait(30);
        const std::int32_t after = real.TimeOfDay();
        QVERIFY2(after - before >= 29 && after - before < 1000, qPrintable(QString::number(after - before)));
    }

    // Half a surrogate pair in a UTF-16 file spoils one character, not the
    // window.
    void loneSurrogateSpoilsOneCharacter()
    {
        QTemporaryDir dir;
        QByteArray bytes("\xFF\xFE");
        const auto append = [&bytes](const QString& text) {
            for (QChar c : text)
                bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        };
        append(u"[00:01.00]一\r\n[00:02.00]x"_s);
        bytes.append("\x00\xD8", 2);
        append(u"y\r\n[00:03.00]三\r\n"_s);
        QFile file(dir.filePath(u"song.lrc"_s));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        Fixture f(u"[00:09.00]before"_s);
        f.lrc.LrcTextTempLabel(dir.filePath(u"song.mp3"_s));
        f.syncAt(2500);
        QCOMPARE(f.labels(), (QStringList{u""_s, u"x\uFFFDy"_s, u"三"_s, u""_s}));
        QCOMPARE(f.armed(), 500);
    }

    void fileWithoutTimedLinesShowsNothing()
    {
        for (const QString& text : {u"[ti:a]\n[ar:b]"_s, u"plain text"_s}) {
            Fixture f(text);
            f.lineTimer.start(50);
            f.lrc.dlgLrcDisplay()->currentLineLabel->setText(u"old"_s);
            f.syncAt(0);
            QCOMPARE(f.labels(), (QStringList{u""_s, u""_s, u""_s, u""_s}));
            QCOMPARE(f.armed(), -1);
        }
        Fixture one(u"[00:02.00]only"_s);
        one.syncAt(0);
        QCOMPARE(one.armed(), 2000);
        one.tickAt(2000);
        QCOMPARE(one.labels(), (QStringList{u""_s, u"only"_s, u""_s, u""_s}));
        QCOMPARE(one.armed(), -1);
    }

    void windowOpensClearsAndClosesAfterStop()
    {
        Fixture f;
        LrcDisplay* w = f.lrc.dlgLrcDisplay();
        QVERIFY(w && w->isVisible());
        QCOMPARE(f.state.lyricWindowState, LyricWindowState::Shown);
        QCOMPARE(w->windowTitle(), u"同期テキスト・ディスプレイ"_s);
        QCOMPARE(w->minimumHeight(), w->maximumHeight());
        QVERIFY(w->minimumWidth() < w->maximumWidth());
        QCOMPARE(w->currentLineLabel->font().pointSizeF(), 18.0);
        QCOMPARE(w->currentLineLabel->alignment(), Qt::AlignCenter);
        const int narrow = w->previousLineLabel->width();
        w->resize(w->width() + 200, w->height());
        QCOMPARE(w->afterNextLineLabel->width(), narrow + 200);

        f.lrc.LrcDisplayOpen();   // already open: the same window
        QCOMPARE(f.lrc.dlgLrcDisplay(), w);
        f.syncAt(2500);
        f.lrc.LrcTextClear();
        QCOMPARE(f.labels(), (QStringList{u""_s, u""_s, u""_s, u""_s}));

        QPointer<LrcDisplay> gone(w);
        f.lrcCloseTimer.start(400);
        f.lrc.LrcCloseTick();
        QVERIFY(!f.lrcCloseTimer.isActive());
        QCOMPARE(f.state.lyricWindowState, LyricWindowState::Hidden);
        QVERIFY(!w->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(gone.isNull(), 2000);

        f.state.LrcText.clear();   // a track without synchronized text
        f.lrc.LrcDisplayOpen();
        QCOMPARE(f.state.lyricWindowState, LyricWindowState::Hidden);
        QVERIFY(!f.lrc.dlgLrcDisplay());
    }

    // The click that brings the window forward only does that; once it is
    // in front, a click on a line's label practises that line, and the
    // labels say so.
    void lineClickOnlyOnceInFront()
    {
        Fixture f;
        QList<std::int32_t> clicked;
        f.lrc.onLineClicked = [&](std::int32_t line) { clicked << line; };
        f.syncAt(2500);   // 二 current, 三 and 四 below
        LrcDisplay* w = f.lrc.dlgLrcDisplay();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!w->isActiveWindow());

        QTest::mouseClick(w->nextLineLabel, Qt::LeftButton);
        QVERIFY(clicked.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(w->isActiveWindow(), 2000);
        QTest::qWait(LrcDisplay::ActivationClickMs + 50);
        QTest::mouseClick(w->previousLineLabel, Qt::LeftButton);   // blank: no line
        QTest::mouseClick(w->nextLineLabel, Qt::LeftButton);
        QCOMPARE(clicked, (QList<std::int32_t>{3}));
        for (QLabel* label : w->labels())
            QVERIFY2(label->toolTip().contains(u"クリック"_s) && label->toolTip().contains(u"繰り返し"_s),
                     qPrintable(label->toolTip()));
    }

    // The window must never cover the main window's player controls.
    void placedBesideTheMainWindow_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("owner");
        QTest::addColumn<QPoint>("expected");
        const QRect screen(0, 0, 1280, 1024);
        // The window is 840 × 250 with its frame.
        QTest::newRow("below, centred on the owner") << screen << QRect(100, 0, 960, 640) << QPoint(160, 640);
        QTest::newRow("below, kept on the screen") << screen << QRect(0, 0, 400, 300) << QPoint(0, 300);
        QTest::newRow("right edge kept") << screen << QRect(1000, 100, 280, 300) << QPoint(440, 400);
        QTest::newRow("exactly fits below") << screen << QRect(0, 0, 1280, 774) << QPoint(220, 774);
        QTest::newRow("no room below: above") << screen << QRect(0, 500, 1280, 400) << QPoint(220, 250);
        QTest::newRow("no room either side: screen centre") << screen << QRect(0, 200, 1280, 700) << QPoint(220, 387);
        QTest::newRow("no owner shown: screen centre") << screen << QRect() << QPoint(220, 387);
        QTest::newRow("second screen") << QRect(1280, 0, 1920, 1080) << QRect(1400, 300, 900, 500) << QPoint(1430, 800);
    }

    void placedBesideTheMainWindow()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, owner);
        QFETCH(QPoint, expected);
        QCOMPARE(LrcDisplay::PlaceBeside(screen, owner, QSize(840, 250)), expected);
    }
};

QTEST_MAIN(TestLrcDisplay)
#include "tst_lrcdisplay.moc"
