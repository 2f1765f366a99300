// The player in the real main window: its buttons, slider and mode buttons
// clicked as a user would, with a fake device and mixer behind them.

#include "app/MyForm.h"
#include "music/MusicController.h"
#include "music/MusicTimes.h"
#include "platform/SystemColors.h"
#include "study/StudyController.h"
#include "support/EventWait.h"
#include "support/FakeAudioDevice.h"
#include "support/FakeMixer.h"
#include "support/ScriptedPrompter.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
// Lines 0.3 s apart after a header; the last runs to the end of a 2.2 s song.
const QString kSong = u"[ti:歌]\r\n[00:01.00]一\r\n[00:01.30]二\r\n[00:01.60]三\r\n[00:01.90]四\r\n"_s;
constexpr int kSongMs = 2200;
const QList<int> kLineStarts{1000, 1300, 1600, 1900};

// Whether start..end is the range of one lyric line.
bool IsLineRange(int start, int end)
{
    const qsizetype i = kLineStarts.indexOf(start);
    return i >= 0 && end == (i + 1 < kLineStarts.size() ? kLineStarts[i + 1] : kSongMs);
}
} // namespace

class TestMusicForm : public QObject
{
    Q_OBJECT

    struct Form
    {
        FakeAudioDevice device;
        FakeMixer mixer;
        ScriptedPrompter prompter;
        std::unique_ptr<MyForm> form;

        Form()
        {
            form = std::make_unique<MyForm>(prompter);
            form->setMusic(std::make_unique<MusicController>(form->context(), device, mixer));
        }
        ~Form() { form.reset(); }
        Controls& ui() { return form->ui(); }
        int state() { return form->state().audioState; }
    };

    QTemporaryDir home_;

    // Runs one step of a practice scenario with the window's own controls.
    static void Step(Form& f, const QString& step)
    {
        Controls& c = f.ui();
        const QStringList parts = step.split(u' ');
        const QString& what = parts.first();
        if (what == u"line"_s) {
            f.form->study().PracticeLine(parts.value(1).toInt());   // a click on that lyric line
        } else if (what == u"on"_s || what == u"off"_s) {
            QCOMPARE(c.menuLinePractice->isChecked(), what == u"off"_s);
            c.menuLinePractice->trigger();
        } else if (what == u"clear"_s) {
            QTest::mouseClick(c.rangeStartClearButton, Qt::LeftButton);
            if (parts.value(1) != u"start"_s)
                QTest::mouseClick(c.rangeEndClearButton, Qt::LeftButton);
        } else if (what == u"start"_s) {
            c.musicPositionSlider->setValue(parts.value(1).toInt());
            QTest::mouseClick(c.rangeStartSetButton, Qt::LeftButton);
        } else if (what == u"range"_s) {
            QTest::mouseClick(c.rangePlayButton, Qt::LeftButton);
        } else if (what == u"play"_s) {
            QTest::mouseClick(c.musicPlayButton, Qt::LeftButton);
        } else if (what == u"pause"_s) {
            QTest::mouseClick(c.musicPauseButton, Qt::LeftButton);
        } else if (what == u"stop"_s) {
            QTest::mouseClick(c.musicStopButton, Qt::LeftButton);
        } else if (what == u"ended"_s) {
            QVERIFY(WaitFor([&] { return f.state() == 12; }, 5000));
        } else if (what == u"wait"_s) {
            Wait(parts.value(1).toInt());
        } else {
            QFAIL(qPrintable(step));
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(home_.isValid());
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            qputenv(name, QFile::encodeName(home_.path()));
    }

    void playPauseStop()
    {
        Form f;
        Controls& c = f.ui();
        QVERIFY(!c.musicPositionSlider->isEnabled());
        QTest::mouseClick(c.musicPlayButton, Qt::LeftButton);   // nothing open yet
        QCOMPARE(f.state(), 99);
        QVERIFY(f.device.calls.isEmpty());

        f.form->music().MusicStart(u"/music/song.wav"_s, u"song.wav"_s);
        QCOMPARE(f.state(), 10);
        QVERIFY(c.musicPositionSlider->isEnabled());
        QCOMPARE(c.rangeEndLabel->text(), u"End：245.00 sec"_s);

        QTest::mouseClick(c.musicPauseButton, Qt::LeftButton);
        QCOMPARE(f.state(), 11);
        QCOMPARE(SystemColors::BackColor(c.musicPauseButton), SystemColors::ActiveCaption());
        QVERIFY(!c.musicPollTimer->isActive());
        QTest::mouseClick(c.musicPlayButton, Qt::LeftButton);
        QCOMPARE(f.state(), 10);
        QCOMPARE(SystemColors::BackColor(c.musicPauseButton), SystemColors::ControlLight());
        QVERIFY(c.musicPollTimer->isActive());

        QTest::mouseClick(c.musicStopButton, Qt::LeftButton);
        QCOMPARE(f.state(), 12);
        QVERIFY(c.lrcCloseTimer->isActive());
        const int commands = int(f.device.calls.size());
        QTest::mouseClick(c.musicStopButton, Qt::LeftButton);
        QCOMPARE(f.device.calls.size(), commands);
        QTest::mouseClick(c.musicPlayButton, Qt::LeftButton);
        QCOMPARE(f.state(), 10);
        QCOMPARE(f.device.Commands().mid(commands), (QStringList{u"Seek(0)"_s, u"Play"_s}));
    }

    // One wheel notch moves the slider by 500 ms and nothing more.
    void wheelOnTheSlider()
    {
        Form f;
        f.form->music().MusicStart(u"/music/song.wav"_s, u"song.wav"_s);
        QSlider* slider = f.ui().musicPositionSlider;
        slider->setValue(10000);
        QWheelEvent wheel(QPointF(5, 5), slider->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(slider, &wheel);
        QCOMPARE(slider->value(), 10500);
        QCOMPARE(f.device.Commands().last(), u"Play"_s);
        QVERIFY(f.device.Commands().contains(u"Seek(10500)"_s));
    }

    // Line practice, the range, Stop and ▶ in any order: the window always
    // tells the truth about the range, the position and the practice, and
    // what plays is what it shows.
    void practiceRangeStopPlay_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("state");         // 10 playing, 11 paused, 12 stopped
        QTest::addColumn<bool>("practice");     // the menu item's tick
        QTest::addColumn<int>("start");         // -1: a lyric line's range
        QTest::addColumn<int>("end");

        const auto row = [](const char* name, const QString& steps, int state, bool practice, int start, int end) {
            QTest::newRow(name) << steps.split(u',') << state << practice << start << end;
        };
        row("line loop, stop, play: the line again", u"line 2,stop,play"_s, 10, false, 1300, 1600);
        row("line loop, practice on: it goes on from the line", u"line 2,on"_s, 10, true, -1, -1);
        row("line loop, practice on, range cleared, play", u"line 2,wait 100,on,clear,play"_s, 10, false, 0, kSongMs);
        row("practice on, range cleared", u"on,wait 100,clear"_s, 10, false, 0, kSongMs);
        row("practice on, range start cleared", u"on,wait 100,clear start"_s, 10, false, 0, -2);
        row("practice on, range switched off", u"on,wait 100,range"_s, 10, false, -1, -1);
        row("practice on, stop, range cleared, play", u"on,stop,clear,play"_s, 10, false, 0, kSongMs);
        row("practice on, stop, play: practice goes on", u"on,stop,play"_s, 10, true, -1, -1);
        row("practice on while stopped, play: practice starts", u"stop,on,play"_s, 10, true, 1000, 1300);
        row("practice to the last line, then play from the first", u"on,ended,play"_s, 10, true, 1000, 1300);
        row("practice to the last line: the whole song shows", u"on,ended"_s, 12, true, 0, kSongMs);
        row("line loop, start moved by hand, practice on", u"line 2,start 1400,on"_s, 10, true, -1, -1);
        row("practice on, off: the song plays on", u"on,wait 100,off"_s, 10, false, 0, kSongMs);
        row("practice on, pause, play", u"on,pause,play"_s, 10, true, -1, -1);
        row("practice on, pause", u"on,pause"_s, 11, true, -1, -1);
        row("line loop, range cleared, stop, play", u"line 2,clear,stop,play"_s, 10, false, 0, kSongMs);
    }

    void practiceRangeStopPlay()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, state);
        QFETCH(bool, practice);
        QFETCH(int, start);
        QFETCH(int, end);

        Form f;
        Controls& c = f.ui();
        State& s = f.form->state();
        f.device.length = kSongMs;
        s.LrcText = kSong;
        s.LoopModeCount = 1;
        f.form->study().TrackStarting();
        f.form->music().MusicStart(u"/music/song.wav"_s, u"song.wav"_s);
        for (const QString& step : steps) {
            Step(f, step);
            if (QTest::currentTestFailed())
                return;
        }
        Wait(250);   // a poll or two

        QCOMPARE(f.state(), state);
        QCOMPARE(c.menuLinePractice->isChecked(), practice);
        QCOMPARE(s.StudyLinePractice, practice ? Switch::On : Switch::Off);
        // The range shown is the range held, and a practice shows its line.
        QCOMPARE(c.rangeStartLabel->text(), MusicTimes::StartLabel(s.StartTime / 1000.0));
        QCOMPARE(c.rangeEndLabel->text(), MusicTimes::EndLabel(s.EndingTime / 1000.0));
        QCOMPARE(c.rangePlayButton->text(), s.playRange ? u"レ"_s : QString());
        if (start >= 0)
            QCOMPARE(s.StartTime, start);
        if (end >= 0)
            QCOMPARE(s.EndingTime, end);
        if (start == -1 || (practice && state != 12))
            QVERIFY2(IsLineRange(s.StartTime, s.EndingTime), qPrintable(u"%1 to %2"_s.arg(s.StartTime).arg(s.EndingTime)));
        // What plays lies in the range shown, where the slider and the label say.
        std::int64_t at = 0;
        QCOMPARE(f.device.Position(at), DeviceResult::Success);
        if (state == 12) {
            QCOMPARE(c.musicPositionSlider->value(), 0);
            QVERIFY(c.elapsedTimeLabel->text().startsWith(u"0:00.00 /"_s));
            return;
        }
        QCOMPARE(f.device.playing(), state == 10);
        if (s.playRange)
            QVERIFY2(at >= s.StartTime && at <= s.EndingTime, qPrintable(QString::number(at)));
        QVERIFY2(std::abs(c.musicPositionSlider->value() - at) <= 250, qPrintable(u"%1 / %2"_s.arg(c.musicPositionSlider->value()).arg(at)));
        QVERIFY(c.elapsedTimeLabel->text().startsWith(MusicTimes::Elapsed(c.musicPositionSlider->value(), kSongMs, 0).left(4)));
    }

    // A click on the groove puts the play head where it was clicked, as a
    // drag there would; a page step is no place the user asked for.
    void grooveClickSeeksThere()
    {
        Form f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        f.form->music().MusicStart(u"/music/song.wav"_s, u"song.wav"_s);
        QSlider* slider = f.ui().musicPositionSlider;
        f.device.calls.clear();
        QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() * 3 / 4, slider->height() / 2));
        const int v = slider->value();
        QVERIFY2(std::abs(v - 245000 * 3 / 4) < 245000 / 50, qPrintable(QString::number(v)));
        QCOMPARE(f.device.Commands().mid(f.device.Commands().indexOf(u"Pause"_s)),
                 (QStringList{u"Pause"_s, u"Seek(%1)"_s.arg(v), u"Play"_s}));
        QCOMPARE(f.state(), 10);
        QVERIFY(f.ui().musicPollTimer->isActive());
    }

    // Before any song the slider is off: the wheel neither moves it nor
    // reaches the device.
    void wheelOnTheDisabledSlider()
    {
        Form f;
        QSlider* slider = f.ui().musicPositionSlider;
        QVERIFY(!slider->isEnabled());
        for (int delta : {-120, 120}) {
            QWheelEvent wheel(QPointF(5, 5), slider->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(slider, &wheel);
        }
        QCOMPARE(slider->value(), 0);
        QVERIFY2(f.device.calls.isEmpty(), qPrintable(f.device.Commands().join(u", "_s)));
        QCOMPARE(f.ui().elapsedTimeLabel->text(), QString());
    }

    // The master volume moves by one percent for each click on its groove.
    void masterVolumeGrooveClickStepsOne()
    {
        Form f;
        Controls& c = f.ui();
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        QTest::mouseClick(c.masterVolumeButton, Qt::LeftButton);
        QVERIFY(c.masterVolumeSlider->isVisible());
        c.masterVolumeSlider->setValue(50);
        // Near the bottom: below the handle, towards 0.
        QTest::mouseClick(c.masterVolumeSlider, Qt::LeftButton, {}, QPoint(c.masterVolumeSlider->width() / 2, c.masterVolumeSlider->height() - 4));
        QCOMPARE(c.masterVolumeSlider->value(), 49);
        QCOMPARE(f.form->state().MixerVolume, 49);
        QCOMPARE(c.masterVolumeLabel->text(), u"49"_s);
    }

    // Closing a window whose position slider has the focus: the slider
    // loses it while the window goes, and nothing may reach the player then.
    void destroyedWithTheSliderFocused()
    {
        Form f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        f.form->music().MusicStart(u"/music/song.wav"_s, u"song.wav"_s);
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        f.ui().musicPositionSlider->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(f.ui().musicPositionSlider->hasFocus(), 2000);
        f.form.reset();
        QVERIFY(!f.form);
    }

    void modeButtons()
    {
        Form f;
        Controls& c = f.ui();
        QTest::mouseClick(c.inOrderLoopButton, Qt::LeftButton);
        QCOMPARE(f.form->state().playMode, PlayMode::InOrderLoop);
        QCOMPARE(SystemColors::BackColor(c.inOrderLoopButton), SystemColors::ActiveCaption());
        QCOMPARE(SystemColors::BackColor(c.repeatOneButton), SystemColors::ControlLight());
        QTest::mouseClick(c.repeatOneButton, Qt::LeftButton);
        QCOMPARE(f.form->state().playMode, PlayMode::RepeatOne);
        QCOMPARE(SystemColors::BackColor(c.inOrderLoopButton), SystemColors::ControlLight());
        QTest::mouseClick(c.repeatOneButton, Qt::LeftButton);
        QCOMPARE(f.form->state().playMode, PlayMode::None);
        QCOMPARE(SystemColors::BackColor(c.repeatOneButton), SystemColors::ControlLight());

        QTest::mouseClick(c.rangePlayButton, Qt::LeftButton);
        QCOMPARE(f.form->state().playRange, PlayRange::Off);
        QCOMPARE(c.rangePlayButton->text(), QString());
    }

    // A mixer that does not keep the value hides the volume controls.
    void failingMixerHidesControls()
    {
        Form f;
        Controls& c = f.ui();
        f.mixer.step = 20000;
        QTest::mouseClick(c.masterVolumeButton, Qt::LeftButton);
        QVERIFY(!c.masterVolumeSlider->isHidden());
        c.masterVolumeSlider->setValue(50);
        c.masterVolumeSlider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(f.form->state().MixerVolume, 51);
        QCOMPARE(c.masterVolumeLabel->text(), u"51"_s);
        for (QWidget* w : {static_cast<QWidget*>(c.masterVolumeButton), static_cast<QWidget*>(c.masterVolumeSlider),
                           static_cast<QWidget*>(c.masterVolumeLabel)}) {
            QVERIFY(w->isHidden());
            QVERIFY(!w->isEnabled());
        }
    }
};

QTEST_MAIN(TestMusicForm)
#include "tst_musicform.moc"
