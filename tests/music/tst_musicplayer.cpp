// The player's state machine against a fake device: every state and
// command, the restart point, the slider, the elapsed time and the error path.

#include "music/MusicTimes.h"
#include "PlayerRig.h"
#include "platform/SystemColors.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
// A device failure names the song and ends with the device's own words.
bool IsPlayFailure(const QString& message, const QString& deviceText)
{
    return message.startsWith(u"「"_s) && message.contains(u"」を再生できませんでした。\n"_s)
        && message.endsWith(deviceText);
}
} // namespace

class TestMusicPlayer : public QObject
{
    Q_OBJECT

private slots:
    void stateTable_data()
    {
        QTest::addColumn<bool>("mp3");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("event");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("commands");

        const QStringList none;
        QTest::newRow("wav pause") << false << u"playing"_s << u"pause"_s << QString() << int(AudioState::WavePaused) << QStringList{u"Pause"_s};
        QTest::newRow("mp3 pause") << true << u"playing"_s << u"pause"_s << QString() << int(AudioState::Mp3Paused) << QStringList{u"Pause"_s};
        QTest::newRow("pause resumes") << false << u"paused"_s << u"pause"_s << QString() << int(AudioState::WavePlaying) << QStringList{u"Resume"_s};
        QTest::newRow("play resumes") << true << u"paused"_s << u"play"_s << QString() << int(AudioState::Mp3Playing) << QStringList{u"Resume"_s};
        QTest::newRow("play restarts") << false << u"playing"_s << u"play"_s << QString() << int(AudioState::WavePlaying)
                                       << QStringList{u"Stop"_s, u"Seek(0)"_s, u"Play"_s};
        QTest::newRow("play after stop") << true << u"stopped"_s << u"play"_s << QString() << int(AudioState::Mp3Playing)
                                         << QStringList{u"Seek(0)"_s, u"Play"_s};
        QTest::newRow("stop playing") << false << u"playing"_s << u"stop"_s << QString() << int(AudioState::WaveStopped) << QStringList{u"Stop"_s};
        QTest::newRow("stop paused") << true << u"paused"_s << u"stop"_s << QString() << int(AudioState::Mp3Stopped) << QStringList{u"Stop"_s};
        QTest::newRow("second stop") << false << u"stopped"_s << u"stop"_s << QString() << int(AudioState::WaveStopped) << none;
        QTest::newRow("pause stopped") << true << u"stopped"_s << u"pause"_s << QString() << int(AudioState::Mp3Stopped) << none;
        QTest::newRow("play closed") << false << u"closed"_s << u"play"_s << QString() << int(AudioState::Closed) << none;
        QTest::newRow("pause closed") << false << u"closed"_s << u"pause"_s << QString() << int(AudioState::Closed) << none;
        QTest::newRow("stop closed") << false << u"closed"_s << u"stop"_s << QString() << int(AudioState::Closed) << none;
        QTest::newRow("pause fails") << false << u"playing"_s << u"pause"_s << u"Pause"_s << int(AudioState::Closed)
                                     << QStringList{u"Pause"_s, u"Close"_s};
        QTest::newRow("resume fails") << true << u"paused"_s << u"play"_s << u"Resume"_s << int(AudioState::Closed)
                                      << QStringList{u"Resume"_s, u"Close"_s};
        QTest::newRow("stop fails") << false << u"playing"_s << u"stop"_s << u"Stop"_s << int(AudioState::Closed)
                                    << QStringList{u"Stop"_s, u"Close"_s};
        QTest::newRow("play after stop fails") << true << u"stopped"_s << u"play"_s << u"Play"_s << int(AudioState::Closed)
                                               << QStringList{u"Seek(0)"_s, u"Play"_s, u"Close"_s};
        QTest::newRow("restart's play fails") << false << u"playing"_s << u"play"_s << u"Play"_s << int(AudioState::Closed)
                                              << QStringList{u"Stop"_s, u"Seek(0)"_s, u"Play"_s, u"Close"_s};
    }

    void stateTable()
    {
        QFETCH(bool, mp3);
        QFETCH(QString, from);
        QFETCH(QString, event);
        QFETCH(QString, failing);
        QFETCH(int, state);
        QFETCH(QStringList, commands);

        PlayerRig rig;
        rig.Reach(from, mp3);
        rig.device.calls.clear();
        if (!failing.isEmpty())
            rig.device.failures[failing] = 263;
        if (event == u"play"_s)
            rig.music->MusicPlay();
        else if (event == u"pause"_s)
            rig.music->MusicPause();
        else
            rig.music->MusicStop();

        QCOMPARE(rig.state.audioState, state);
        QCOMPARE(rig.device.Commands(), commands);
        QCOMPARE(rig.ui.musicPollTimer->isActive(), state == 10 || state == 20);
        if (failing.isEmpty()) {
            QVERIFY(rig.prompter.entries.isEmpty());
        } else {
            QCOMPARE(rig.prompter.entries.size(), 1);
            QVERIFY2(IsPlayFailure(rig.prompter.entries[0].text, u"device error 263"_s), qPrintable(rig.prompter.entries[0].text));
            QCOMPARE(rig.ui.musicPositionSlider->value(), 0);
            QCOMPARE(rig.ui.elapsedTimeLabel->text(), u"0:00.00 / 0:00.00 sec"_s);
        }
        if (event == u"stop"_s && from != u"stopped"_s && from != u"closed"_s)
            QVERIFY(rig.ui.lrcCloseTimer->isActive());
        QCOMPARE(rig.state.PositionTimeMiriSecond, 0);
    }

    void trackStart_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("duration");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("adjustment");
        QTest::addColumn<QStringList>("commands");

        QTest::newRow("wav") << u"/m/a.wav"_s << qint64(0) << QString() << int(AudioState::WavePlaying) << 0
                             << QStringList{u"Open(/m/a.wav,Waveform)"_s, u"Seek(0)"_s, u"Play"_s};
        QTest::newRow("mp3 in a folder name") << u"/m/x.mp3s/a.WAV"_s << qint64(243400) << QString() << int(AudioState::Mp3Playing) << 1000
                                              << QStringList{u"Open(/m/x.mp3s/a.WAV,Mpeg)"_s, u"Seek(0)"_s, u"Play"_s};
        QTest::newRow("mp3 without duration") << u"/m/a.mp3"_s << qint64(0) << QString() << int(AudioState::Mp3Playing) << 245000
                                              << QStringList{u"Open(/m/a.mp3,Mpeg)"_s, u"Seek(0)"_s, u"Play"_s};
        QTest::newRow("not audio") << u"/m/a.wav"_s << qint64(0) << u"Open"_s << int(AudioState::Closed) << 0
                                   << QStringList{u"Open(/m/a.wav,Waveform)"_s, u"Close"_s};
        QTest::newRow("length unknown") << u"/m/a.mp3"_s << qint64(0) << u"Length"_s << int(AudioState::Closed) << 0
                                        << QStringList{u"Open(/m/a.mp3,Mpeg)"_s, u"Close"_s};
        QTest::newRow("play refused") << u"/m/a.wav"_s << qint64(0) << u"Play"_s << int(AudioState::Closed) << 0
                                      << QStringList{u"Open(/m/a.wav,Waveform)"_s, u"Seek(0)"_s, u"Play"_s, u"Close"_s};
    }

    void trackStart()
    {
        QFETCH(QString, path);
        QFETCH(qint64, duration);
        QFETCH(QString, failing);
        QFETCH(int, state);
        QFETCH(int, adjustment);
        QFETCH(QStringList, commands);

        PlayerRig rig;
        rig.music->duration = duration;
        if (!failing.isEmpty())
            rig.device.failures[failing] = 7;
        rig.music->MusicStart(path, QString());

        QCOMPARE(rig.state.audioState, state);
        QCOMPARE(rig.device.Commands(), commands);
        if (state == 99) {
            QCOMPARE(rig.prompter.entries.size(), 1);
            QVERIFY2(IsPlayFailure(rig.prompter.entries[0].text, u"device error 7"_s), qPrintable(rig.prompter.entries[0].text));
            QVERIFY(!rig.ui.musicPollTimer->isActive());
            QVERIFY(!rig.ui.musicPositionSlider->isEnabled());
            return;
        }
        QCOMPARE(rig.state.LrcMp3TimeAdjustment, adjustment);
        QCOMPARE(rig.state.EndingTime, 245000);
        QCOMPARE(rig.ui.musicPositionSlider->maximum(), 245000);
        QVERIFY(rig.ui.musicPositionSlider->isEnabled());
        QVERIFY(rig.ui.rangeEndSetButton->isEnabled() && rig.ui.rangeEndClearButton->isEnabled());
        QVERIFY(rig.ui.musicPollTimer->isActive());
        QCOMPARE(rig.ui.rangeStartLabel->text(), u"Start：0.00 sec"_s);
        QCOMPARE(rig.ui.rangeEndLabel->text(), u"End：245.00 sec"_s);
        QCOMPARE(rig.ui.elapsedTimeLabel->text(), u"0:00.00 / 4:05.00 sec"_s);
    }

    // A new track closes the one before, and its synchronized-text window.
    void newTrackClosesTheOld()
    {
        PlayerRig rig;
        rig.state.LrcText = u"[00:01.00]a"_s;
        rig.music->MusicStart(u"/m/a.wav"_s, QString());
        QCOMPARE(rig.lrc->calls, (QStringList{u"TimerStop"_s, u"Open"_s, u"Clear"_s, u"Ini"_s}));
        QCOMPARE(rig.state.lyricWindowState, LyricWindowState::Shown);
        rig.lrc->calls.clear();
        rig.state.LrcText.clear();
        rig.device.calls.clear();
        rig.music->MusicStart(u"/m/b.wav"_s, QString());
        QCOMPARE(rig.lrc->calls, (QStringList{u"TimerStop"_s, u"Close"_s}));
        QCOMPARE(rig.state.lyricWindowState, LyricWindowState::Hidden);
        QCOMPARE(rig.device.Commands().first(), u"Close"_s);
    }

    void elapsedText_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<double>("length");
        QTest::addColumn<int>("adjustment");
        QTest::addColumn<QString>("text");

        QTest::newRow("example") << 65432.0 << 245000.0 << 0 << u"1:05.43 / 4:05.00 sec"_s;
        QTest::newRow("minutes before rounding") << 59996.0 << 60000.0 << 0 << u"0:60.00 / 1:00.00 sec"_s;
        QTest::newRow("half away from zero") << 1005.0 << 0.0 << 0 << u"0:01.01 / 0:00.00 sec"_s;
        QTest::newRow("fraction of a ms dropped") << 1004.9 << 600000.0 << 0 << u"0:01.00 / 10:00.00 sec"_s;
        QTest::newRow("adjusted, position only") << 3000.0 << 245000.0 << 1000 << u"0:02.00 / 4:05.00 sec"_s;
    }

    void elapsedText()
    {
        QFETCH(double, position);
        QFETCH(double, length);
        QFETCH(int, adjustment);
        QFETCH(QString, text);

        PlayerRig rig;
        rig.state.LrcMp3TimeAdjustment = adjustment;
        rig.state.lrcAdjustment = adjustment != 0 ? Switch::On : Switch::Off;
        rig.music->ElapsedTimeDisplay(position, length);
        QCOMPARE(rig.ui.elapsedTimeLabel->text(), text);
    }

    // A restart (Play while playing, repeat at the end) begins at the range
    // start, or at 0 with range play off, never at the slider's value.
    void restartPoint_data()
    {
        QTest::addColumn<bool>("rangeOn");
        QTest::addColumn<int>("rangeStart");
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("seek");

        QTest::newRow("range off, play") << false << 0 << u"play"_s << u"Seek(0)"_s;
        QTest::newRow("range off, repeat at end") << false << 0 << u"repeat"_s << u"Seek(0)"_s;
        QTest::newRow("range switched off, repeat") << false << 30000 << u"repeat"_s << u"Seek(0)"_s;
        QTest::newRow("range on, start 0, play") << true << 0 << u"play"_s << u"Seek(0)"_s;
        QTest::newRow("range on, play") << true << 30000 << u"play"_s << u"Seek(30000)"_s;
        QTest::newRow("range on, end of range") << true << 30000 << u"repeat"_s << u"Seek(30000)"_s;
    }

    void restartPoint()
    {
        QFETCH(bool, rangeOn);
        QFETCH(int, rangeStart);
        QFETCH(QString, trigger);
        QFETCH(QString, seek);

        PlayerRig rig;
        rig.state.playMode = PlayMode::RepeatOne;
        rig.Reach(u"playing"_s);
        if (rangeStart)
            rig.SetRange(rangeStart, 245000);
        if (!rangeOn)
            rig.music->RangePlayToggled();
        // The slider follows the poll: mid-track for Play, at the end for repeat.
        rig.device.SetPosition(trigger == u"play"_s ? 100000 : 245000);
        if (trigger == u"play"_s) {
            rig.music->MusicPollTick();
            QCOMPARE(rig.ui.musicPositionSlider->value(), 100000);
        }
        rig.device.calls.clear();
        if (trigger == u"play"_s)
            rig.music->MusicPlay();
        else
            rig.music->MusicPollTick();
        QCOMPARE(rig.device.Commands(), (QStringList{u"Stop"_s, seek, u"Play"_s}));
        QCOMPARE(rig.state.audioState, AudioState::WavePlaying);
        // The next poll sees the track playing again, not at its end.
        rig.device.calls.clear();
        rig.music->MusicPollTick();
        QVERIFY(rig.device.Commands().isEmpty());
    }

    // After a slider release beyond the range start, the end of the range
    // still replays from the range start.
    void rangeReplayAfterSliderMove()
    {
        PlayerRig rig;
        rig.Reach(u"playing"_s);
        rig.SetRange(10000, 20000);
        rig.ui.musicPositionSlider->setValue(15000);
        rig.music->trackBarMovementStart();
        rig.music->trackBarMovementEnd();
        rig.device.SetPosition(20000);
        rig.device.calls.clear();
        rig.music->MusicPollTick();
        QCOMPARE(rig.device.Commands(), (QStringList{u"Stop"_s, u"Seek(10000)"_s, u"Play"_s}));
    }

    void slider_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("wheel");   // 0: a drag and release
        QTest::addColumn<int>("rangeStart");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QStringList>("commands");

        QTest::newRow("drag while playing") << u"playing"_s << 50000 << 0 << 0 << 50000
                                            << QStringList{u"Pause"_s, u"Seek(50000)"_s, u"Play"_s};
        QTest::newRow("drag before the range start") << u"playing"_s << 5000 << 0 << 10000 << 10000
                                                     << QStringList{u"Pause"_s, u"Seek(10000)"_s, u"Play"_s};
        QTest::newRow("drag while paused") << u"paused"_s << 50000 << 0 << 0 << 50000 << QStringList{u"Seek(50000)"_s};
        QTest::newRow("drag while stopped") << u"stopped"_s << 50000 << 0 << 0 << 50000 << QStringList{u"Seek(50000)"_s};
        QTest::newRow("wheel toward the user") << u"playing"_s << 1000 << -120 << 0 << 1500
                                               << QStringList{u"Seek(1500)"_s, u"Play"_s};
        QTest::newRow("wheel 100 ms before the end") << u"playing"_s << 244900 << -120 << 0 << 245000
                                                     << QStringList{u"Seek(245000)"_s, u"Play"_s};
        QTest::newRow("wheel away near the start") << u"playing"_s << 300 << 120 << 0 << 0
                                                   << QStringList{u"Seek(0)"_s, u"Play"_s};
        QTest::newRow("wheel away at the start") << u"paused"_s << 0 << 120 << 0 << 0 << QStringList{u"Seek(0)"_s};
    }

    void slider()
    {
        QFETCH(QString, from);
        QFETCH(int, value);
        QFETCH(int, wheel);
        QFETCH(int, rangeStart);
        QFETCH(int, expected);
        QFETCH(QStringList, commands);

        PlayerRig rig;
        rig.Reach(from);
        if (rangeStart)
            rig.SetRange(rangeStart, 245000);
        const int state = rig.state.audioState;
        rig.device.calls.clear();
        rig.ui.musicPositionSlider->setValue(value);
        if (wheel) {
            rig.music->PositionSliderWheel(wheel);
        } else {
            rig.music->trackBarMovementStart();
            rig.music->trackBarMovement();
            rig.music->trackBarMovementEnd();
        }
        QCOMPARE(rig.ui.musicPositionSlider->value(), expected);
        QCOMPARE(rig.device.Commands(), commands);
        QCOMPARE(rig.state.audioState, state);   // a release never changes the state
        QCOMPARE(rig.state.PositionTimeMiriSecond, expected);
    }

    // A pause, a slider release and a resume start the device afresh; a
    // pause and resume alone resume it and re-aim the lines from its position.
    void resumeAfterSliderMove()
    {
        PlayerRig rig;
        rig.state.LrcText = u"[00:01.00]a"_s;
        rig.Reach(u"paused"_s);
        rig.ui.musicPositionSlider->setValue(40000);
        rig.music->trackBarMovementEnd();
        QCOMPARE(rig.state.pausedMove, PausedMove::Moved);
        rig.device.calls.clear();
        rig.lrc->calls.clear();
        rig.music->MusicPause();
        QCOMPARE(rig.device.Commands(), QStringList{u"Play"_s});
        QCOMPARE(rig.lrc->calls, QStringList{u"Ini"_s});
        QCOMPARE(rig.state.audioState, AudioState::WavePlaying);

        rig.music->MusicPause();
        rig.device.calls.clear();
        rig.lrc->calls.clear();
        rig.music->MusicPause();
        QCOMPARE(rig.device.Commands(), QStringList{u"Resume"_s});
        QCOMPARE(rig.lrc->calls.size(), 1);
        QVERIFY(rig.lrc->calls[0].startsWith(u"Restart(4"_s));
    }

    // Failures the device meets while playing end on the error path.
    void errorWhilePlaying_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("reported by the device") << u"report"_s;
        QTest::newRow("position unreadable") << u"poll"_s;
    }

    void errorWhilePlaying()
    {
        QFETCH(QString, how);
        PlayerRig rig;
        rig.state.LrcText = u"[00:01.00]a"_s;
        rig.Reach(u"playing"_s, true);
        if (how == u"report"_s) {
            rig.device.RaiseError(42);
        } else {
            rig.device.failures[u"Position"_s] = 42;
            rig.music->MusicPollTick();
        }
        QCOMPARE(rig.state.audioState, AudioState::Closed);
        QCOMPARE(rig.prompter.entries.size(), 1);
        QVERIFY2(IsPlayFailure(rig.prompter.entries[0].text, u"device error 42"_s), qPrintable(rig.prompter.entries[0].text));
        QVERIFY(!rig.ui.musicPollTimer->isActive());
        QVERIFY(!rig.music->rangeEndTimer()->isActive());
        QCOMPARE(rig.state.lyricWindowState, LyricWindowState::Hidden);
        QVERIFY(rig.lrc->calls.contains(u"Close"_s));
        // A second report after the close is not shown again.
        rig.device.RaiseError(42);
        QCOMPARE(rig.prompter.entries.size(), 1);
    }

    void focusColours()
    {
        PlayerRig rig;
        rig.music->PositionSliderFocus(true);
        QCOMPARE(SystemColors::BackColor(rig.ui.musicPositionSlider), SystemColors::ActiveCaption());
        rig.music->PositionSliderFocus(false);
        QCOMPARE(SystemColors::BackColor(rig.ui.musicPositionSlider), SystemColors::WindowFrame());
    }
};

QTEST_MAIN(TestMusicPlayer)
#include "tst_musicplayer.moc"
