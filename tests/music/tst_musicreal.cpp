// The player in the real window on the real audio output (the private
// PulseAudio of the test session): what only GStreamer behind the buttons
// shows — the slider following the sound, pause holding it, and a play range
// looping without running past its end.

#include "app/MyForm.h"
#include "music/MusicController.h"
#include "support/AudioMedia.h"
#include "support/MonitorRecorder.h"
#include "support/ScriptedPrompter.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>


using namespace Qt::StringLiterals;

class TestMusicReal : public QObject
{
    Q_OBJECT

    QTemporaryDir home_;
    QString wav_;
    MonitorRecorder monitor_;   // keeps the null sink running at the pace of a sound card

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
            QFAIL("no PulseAudio session: run through scripts/test");
        QVERIFY(home_.isValid());
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            qputenv(name, QFile::encodeName(home_.path()));
        wav_ = home_.filePath(u"tone.wav"_s);
        QVERIFY(AudioMedia::WriteTone(wav_, 6000, {22050, 1, 16}));
        QVERIFY(monitor_.start());
    }

    void cleanupTestCase() { monitor_.stop(); }

    void playPauseStop()
    {
        ScriptedPrompter prompter;
        MyForm form(prompter);
        Controls& c = form.ui();
        form.music().MusicStart(wav_, u"tone.wav"_s);
        QCOMPARE(form.state().audioState, AudioState::WavePlaying);
        QCOMPARE(form.state().PlayTimeMiriSecond, 6000);

        // The poll moves the slider with the sound.
        QTRY_VERIFY_WITH_TIMEOUT(c.musicPositionSlider->value() >= 600, 3000);

        QTest::mouseClick(c.musicPauseButton, Qt::LeftButton);
        QCOMPARE(form.state().audioState, AudioState::WavePaused);
        const int held = c.musicPositionSlider->value();
        QTest::qWait(400);
        QCOMPARE(c.musicPositionSlider->value(), held);

        QTest::mouseClick(c.musicPauseButton, Qt::LeftButton);   // resume
        QCOMPARE(form.state().audioState, AudioState::WavePlaying);
        QTRY_VERIFY_WITH_TIMEOUT(c.musicPositionSlider->value() > held + 200, 3000);

        QTest::mouseClick(c.musicStopButton, Qt::LeftButton);
        QCOMPARE(form.state().audioState, AudioState::WaveStopped);
        QCOMPARE(prompter.texts(), QStringList());
    }

    // The range's end hands over on its own timer, not at the next poll: the
    // slider never shows a place past the end, and the range comes round.
    void rangeLoopsWithoutRunningPast()
    {
        ScriptedPrompter prompter;
        MyForm form(prompter);
        Controls& c = form.ui();
        form.state().playMode = PlayMode::None;
        form.music().MusicStart(wav_, u"tone.wav"_s);
        QCOMPARE(form.state().audioState, AudioState::WavePlaying);

        c.musicPositionSlider->setValue(1500);
        QTest::mouseClick(c.rangeEndSetButton, Qt::LeftButton);   // end
        c.musicPositionSlider->setValue(1000);
        QTest::mouseClick(c.rangeStartSetButton, Qt::LeftButton);   // start
        QCOMPARE(form.state().StartTime, 1000);
        QCOMPARE(form.state().EndingTime, 1500);

        int highest = 0;
        int returns = 0;
        int last = 0;
        QObject::connect(c.musicPositionSlider, &QSlider::valueChanged, c.musicPositionSlider, [&](int v) {
            highest = std::max(highest, v);
            if (v < last)
                ++returns;
            last = v;
        });
        QTest::mouseClick(c.musicPlayButton, Qt::LeftButton);   // restart at the range start
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(returns >= 4, 6000);
        QVERIFY2(highest <= 1500 + 40, qPrintable(u"the slider showed %1 ms"_s.arg(highest)));
        QVERIFY(last >= 1000 - 40);
        QCOMPARE(form.state().audioState, AudioState::WavePlaying);
        QCOMPARE(prompter.texts(), QStringList());
    }

    // At three quarters of the speed the range still ends at its end and
    // comes round to its start: the output never sounds the pitch that
    // follows the range end in the file.
    void rangeLoopAtSlowSpeedPlaysNothingPastItsEnd()
    {
        const QString steps = home_.filePath(u"steps.wav"_s);
        QVERIFY(AudioMedia::WriteSteps(steps, 22050, {{1500, 440}, {1500, 3000}}));
        ScriptedPrompter prompter;
        MyForm form(prompter);
        Controls& c = form.ui();
        form.state().playMode = PlayMode::None;
        form.state().StudySpeedPercent = 75;
        form.music().MusicStart(steps, u"steps.wav"_s);
        form.music().MusicSpeedApply();
        c.musicPositionSlider->setValue(1500);
        QTest::mouseClick(c.rangeEndSetButton, Qt::LeftButton);   // end, where the high pitch begins
        c.musicPositionSlider->setValue(1000);
        QTest::mouseClick(c.rangeStartSetButton, Qt::LeftButton);   // start

        int returns = 0;
        int last = 0;
        QObject::connect(c.musicPositionSlider, &QSlider::valueChanged, c.musicPositionSlider, [&](int v) {
            returns += v < last;
            last = v;
        });
        const qsizetype from = monitor_.samples();
        QTest::mouseClick(c.musicPlayButton, Qt::LeftButton);   // restart at the range start
        QTRY_VERIFY_WITH_TIMEOUT(returns >= 4, 8000);
        QTest::qWait(300);   // the monitor hears what was played
        const double past = monitor_.msPitchedAtLeast(from, 2000);
        QVERIFY2(past <= 4, qPrintable(u"%1 ms past the range end heard over %2 rounds"_s.arg(past).arg(returns)));
        QVERIFY(last >= 1000 - 40);
        QCOMPARE(form.state().audioState, AudioState::WavePlaying);
        QCOMPARE(prompter.texts(), QStringList());
    }
};

QTEST_MAIN(TestMusicReal)
#include "tst_musicreal.moc"
