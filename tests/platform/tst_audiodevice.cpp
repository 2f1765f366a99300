// The audio device on the private PulseAudio session: real files played
// through GStreamer into the null sink, timed against the wall clock.

#include "support/AudioMedia.h"
#include "platform/AudioClockGuard.h"
#include "platform/GstAudioDevice.h"
#include "support/EventWait.h"
#include "support/MonitorRecorder.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int kToneMs = 3000;

std::int64_t PositionOf(GstAudioDevice& device)
{
    std::int64_t ms = -1;
    if (device.Position(ms) != DeviceResult::Success)
        return -1;
    return ms;
}

} // namespace

class TestAudioDevice : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir_;
    // A null sink nobody reads renders in blocks of up to two seconds, and
    // the sink's clock jumps with them; a reader makes it run smoothly as a
    // sound card does.
    MonitorRecorder monitor_;
    QString file(const QString& name) const { return dir_.filePath(name); }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
            QFAIL("needs the private sound session: run through scripts/test or after "
                  "eval \"$(scripts/audio-session)\"");
        QVERIFY(!AudioMedia::Pactl({u"info"_s}).isEmpty());
        QVERIFY(monitor_.start());
        QVERIFY(dir_.isValid());
        QVERIFY(AudioMedia::WriteTone(file(u"tone.wav"_s), kToneMs));
        QVERIFY2(AudioMedia::Encode(file(u"tone.wav"_s), file(u"cbr.mp3"_s), {u"-b"_s, u"128"_s}), "lame failed");
        QVERIFY(AudioMedia::Encode(file(u"tone.wav"_s), file(u"vbr.mp3"_s), {u"-V"_s, u"4"_s}));
        // No header frame: nothing in the file tells its length.
        QVERIFY(AudioMedia::Encode(file(u"tone.wav"_s), file(u"bare.mp3"_s), {u"-V"_s, u"4"_s, u"-t"_s}));
    }

    void length_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("mpeg");
        // An MP3 carries up to two frames of encoder delay and padding.
        QTest::addColumn<int>("tolerance");
        QTest::newRow("wav") << u"tone.wav"_s << false << 5;
        QTest::newRow("mp3 constant rate") << u"cbr.mp3"_s << true << 60;
        QTest::newRow("mp3 variable rate") << u"vbr.mp3"_s << true << 60;
        QTest::newRow("mp3 without header frame") << u"bare.mp3"_s << true << 80;
    }
    void length()
    {
        QFETCH(QString, name);
        QFETCH(bool, mpeg);
        QFETCH(int, tolerance);
        GstAudioDevice device;
        QCOMPARE(device.Open(file(name), mpeg ? AudioDevice::Kind::Mpeg : AudioDevice::Kind::Waveform), DeviceResult::Success);
        QVERIFY(device.IsOpen());
        std::int64_t ms = -1;
        QCOMPARE(device.Length(ms), DeviceResult::Success);
        QVERIFY2(std::abs(ms - kToneMs) <= tolerance, qPrintable(u"length %1"_s.arg(ms)));
        if (mpeg) {
            const std::int64_t scanned = Mp3Duration(file(name));
            QVERIFY2(std::abs(scanned - kToneMs) <= tolerance, qPrintable(u"scanned %1"_s.arg(scanned)));
        }
        QCOMPARE(PositionOf(device), 0);
    }

    void durationOfNonMp3IsZero()
    {
        QCOMPARE(Mp3Duration(file(u"missing.mp3"_s)), 0);
        QFile text(file(u"words.mp3"_s));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write(QByteArray("not an mp3 at all, only words\n").repeated(200));
        text.close();
        QCOMPARE(Mp3Duration(text.fileName()), 0);
    }

    void playPauseSeekStop_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("mpeg");
        QTest::newRow("wav") << u"tone.wav"_s << false;
        QTest::newRow("mp3") << u"cbr.mp3"_s << true;
    }
    void playPauseSeekStop()
    {
        QFETCH(QString, name);
        QFETCH(bool, mpeg);
        GstAudioDevice device;
        QCOMPARE(device.Open(file(name), mpeg ? AudioDevice::Kind::Mpeg : AudioDevice::Kind::Waveform), DeviceResult::Success);

        // Play runs on the clock.
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(device.Play(), DeviceResult::Success);
        QVERIFY2(clock.elapsed() < 100, "play must return at once");
        Wait(1000);
        std::int64_t at = PositionOf(device);
        QVERIFY2(std::abs(at - clock.elapsed()) <= 50, qPrintable(u"%1 ms after %2 ms"_s.arg(at).arg(clock.elapsed())));

        // Pause holds the place; resume goes on from it.
        QCOMPARE(device.Pause(), DeviceResult::Success);
        const std::int64_t paused = PositionOf(device);
        Wait(300);
        QVERIFY(std::abs(PositionOf(device) - paused) <= 10);
        QCOMPARE(device.Resume(), DeviceResult::Success);
        clock.restart();
        Wait(400);
        at = PositionOf(device);
        QVERIFY2(std::abs(at - (paused + clock.elapsed())) <= 50, qPrintable(u"resumed at %1"_s.arg(at)));

        // Stop halts without rewinding.
        QCOMPARE(device.Stop(), DeviceResult::Success);
        const std::int64_t stopped = PositionOf(device);
        QVERIFY(stopped > 1200);
        Wait(200);
        QVERIFY(std::abs(PositionOf(device) - stopped) <= 10);

        // A seek lands where asked, and the next play starts there.
        QCOMPARE(device.Seek(500), DeviceResult::Success);
        QCOMPARE(PositionOf(device), 500);
        clock.restart();
        QCOMPARE(device.Play(), DeviceResult::Success);
        Wait(500);
        at = PositionOf(device);
        QVERIFY2(std::abs(at - (500 + clock.elapsed())) <= 50, qPrintable(u"after seek at %1"_s.arg(at)));

        // A seek while playing goes on playing from the target.
        QCOMPARE(device.Seek(2000), DeviceResult::Success);
        clock.restart();
        Wait(300);
        at = PositionOf(device);
        QVERIFY2(std::abs(at - (2000 + clock.elapsed())) <= 50, qPrintable(u"seek while playing at %1"_s.arg(at)));

        QCOMPARE(device.Close(), DeviceResult::Success);
        QVERIFY(!device.IsOpen());
    }

    // A speed step goes on from what was heard: nothing is played again and
    // nothing left out. The file climbs a ladder of ten pitches, 100 ms a
    // rung, so the recording tells where in it the sound was.
    void speedStepGoesOnFromWhatWasHeard_data()
    {
        QTest::addColumn<bool>("mpeg");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("speed");
        QTest::newRow("wav normal to faster") << false << 100 << 105;
        QTest::newRow("wav faster still") << false << 105 << 110;
        QTest::newRow("wav slow to normal") << false << 95 << 100;
        QTest::newRow("vbr mp3 normal to slower") << true << 100 << 95;
        QTest::newRow("vbr mp3 slower still") << true << 95 << 90;
        // Steps between two speeds off normal: the tempo filter runs on both
        // sides and must not carry sound from before the step across it.
        QTest::newRow("wav three quarters to slower") << false << 75 << 70;
        QTest::newRow("wav slow to three quarters") << false << 70 << 75;
    }
    void speedStepGoesOnFromWhatWasHeard()
    {
        QFETCH(bool, mpeg);
        QFETCH(int, from);
        QFETCH(int, speed);
        constexpr double kLow = 300, kStep = 1.15;
        const QString ladder = file(u"ladder.wav"_s);
        QVERIFY(AudioMedia::WriteSteps(ladder, 22050, {{100, kLow}, {100, kLow * kStep}, {100, kLow * std::pow(kStep, 2)},
            {100, kLow * std::pow(kStep, 3)}, {100, kLow * std::pow(kStep, 4)}, {100, kLow * std::pow(kStep, 5)},
            {100, kLow * std::pow(kStep, 6)}, {100, kLow * std::pow(kStep, 7)}, {100, kLow * std::pow(kStep, 8)},
            {100, kLow * std::pow(kStep, 9)}, {1000, kLow}}));
        const QString played = mpeg ? file(u"ladder.mp3"_s) : ladder;
        if (mpeg)
            QVERIFY(AudioMedia::Encode(ladder, played, {u"-V"_s, u"4"_s}));
        GstAudioDevice device;
        QCOMPARE(device.Open(played, mpeg ? AudioDevice::Kind::Mpeg : AudioDevice::Kind::Waveform), DeviceResult::Success);
        QCOMPARE(device.SetSpeed(from), DeviceResult::Success);
        const qsizetype start = monitor_.samples();
        QCOMPARE(device.Play(), DeviceResult::Success);
        QVERIFY(WaitFor([&] { return PositionOf(device) >= 420; }, 3000, 2));
        QCOMPARE(device.SetSpeed(speed), DeviceResult::Success);
        QVERIFY(WaitFor([&] { return PositionOf(device) >= 950; }, 3000, 5));
        Wait(300);   // the monitor hears the rest
        device.Close();

        // The rungs heard, each with how long it sounded.
        QList<QPair<int, int>> rungs;
        for (double hz : monitor_.pitches(start, 10)) {
            const double r = hz > 0 ? std::log(hz / kLow) / std::log(kStep) : -1;
            const int rung = r > -0.3 && std::abs(r - std::round(r)) < 0.3 ? int(std::round(r)) : -1;
            if (rung < 0)
                continue;
            if (!rungs.isEmpty() && rungs.last().first == rung)
                rungs.last().second += 10;
            else
                rungs.append({rung, 10});
        }
        QString heard;
        for (const auto& [rung, ms] : rungs)
            heard += u"%1:%2 "_s.arg(rung).arg(ms);
        // Up the ladder one rung at a time; a window astride two rungs may
        // read as a third, and the output's restart after the step's flush
        // may read as up to two windows of another pitch, so only what lasts
        // 30 ms or more counts (a stale piece of the tempo filter lasts 30-50).
        int at = -1;
        for (const auto& [rung, ms] : rungs) {
            if (ms < 30)
                continue;
            QVERIFY2(at < 0 || rung == at || rung == (at + 1) % 10, qPrintable(heard));
            at = rung;
        }
        QVERIFY2(at == 9 || at == 0, qPrintable(heard));
    }

    void endOfStream_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("mpeg");
        QTest::newRow("wav") << u"tone.wav"_s << false;
        QTest::newRow("mp3") << u"vbr.mp3"_s << true;
    }
    void endOfStream()
    {
        QFETCH(QString, name);
        QFETCH(bool, mpeg);
        GstAudioDevice device;
        QCOMPARE(device.Open(file(name), mpeg ? AudioDevice::Kind::Mpeg : AudioDevice::Kind::Waveform), DeviceResult::Success);
        std::int64_t length = 0;
        QCOMPARE(device.Length(length), DeviceResult::Success);
        QCOMPARE(device.Seek(length - 300), DeviceResult::Success);
        QCOMPARE(device.Play(), DeviceResult::Success);
        QVERIFY(WaitFor([&] { return PositionOf(device) >= length; }, 3000, 5));
        // It stays there, and a seek back plays again.
        Wait(200);
        QVERIFY(PositionOf(device) >= length);
        QCOMPARE(device.Seek(1000), DeviceResult::Success);
        QCOMPARE(PositionOf(device), 1000);
        QCOMPARE(device.Play(), DeviceResult::Success);
        Wait(300);
        QVERIFY(PositionOf(device) > 1100 && PositionOf(device) < length);
    }

    // Paused when told the play end is near (as a practice gap does): the
    // pause returns at once, the range is still heard to its end at every
    // speed, and the device is paused there afterwards. A seek and a play
    // asked for meanwhile start the range again once its end is heard, and
    // no pause comes after them.
    void pauseAtThePlayEnd_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("speed");
        QTest::addColumn<bool>("playAgain");
        QTest::newRow("wav") << u"tone.wav"_s << 100 << false;
        QTest::newRow("wav three quarters") << u"tone.wav"_s << 75 << false;
        QTest::newRow("wav faster") << u"tone.wav"_s << 125 << false;
        QTest::newRow("vbr mp3 three quarters") << u"vbr.mp3"_s << 75 << false;
        QTest::newRow("wav played again meanwhile") << u"tone.wav"_s << 100 << true;
    }
    void pauseAtThePlayEnd()
    {
        QFETCH(QString, name);
        QFETCH(int, speed);
        QFETCH(bool, playAgain);
        constexpr int kFrom = 500, kEnd = 1100;
        GstAudioDevice device;
        QCOMPARE(device.Open(file(name), name.endsWith(u".mp3"_s) ? AudioDevice::Kind::Mpeg : AudioDevice::Kind::Waveform),
                 DeviceResult::Success);
        QCOMPARE(device.SetSpeed(speed), DeviceResult::Success);
        QVERIFY(device.SetPlayEnd(kEnd));
        QCOMPARE(device.Seek(kFrom), DeviceResult::Success);
        qint64 pauseNs = -1;
        int ends = 0;
        device.onPlayEnd = [&] {
            if (++ends > 1)
                return;
            QElapsedTimer took;
            took.start();
            device.Pause();
            if (playAgain) {
                device.Seek(kFrom);
                device.Play();
            }
            pauseNs = took.nsecsElapsed();
        };
        const qsizetype start = monitor_.samples();
        QCOMPARE(device.Play(), DeviceResult::Success);
        QVERIFY(WaitFor([&] { return ends > 0; }, 3000, 2));
        QVERIFY2(pauseNs >= 0 && pauseNs < 5'000'000, qPrintable(u"pause took %1 µs"_s.arg(pauseNs / 1000)));
        if (playAgain) {
            // Played again: the range runs to its end a second time.
            QVERIFY(WaitFor([&] { return ends > 1; }, 3000, 2));
            device.Close();
            return;
        }
        // Paused at the end (give or take the watch's grain).
        Wait(200);
        const std::int64_t at = PositionOf(device);
        QVERIFY2(at >= kEnd && at <= kEnd + 10, qPrintable(QString::number(at)));
        // The monitor's data comes in blocks, now and then late.
        const qsizetype sound = monitor_.soundFrom(start);
        QVERIFY(sound >= 0);
        QVERIFY(WaitFor([&] { return monitor_.silenceFrom(sound, 100) > sound; }, 3000, 20));
        const qsizetype quiet = monitor_.silenceFrom(sound, 100);
        const int heard = int((quiet - sound) * 1000 / MonitorRecorder::Rate);
        const int expected = (kEnd - kFrom) * 100 / speed;
        qInfo("heard %d ms of %d", heard, expected);
        QVERIFY2(std::abs(heard - expected) <= expected * 2 / 100 + 30, qPrintable(u"heard %1 ms of %2"_s.arg(heard).arg(expected)));
        device.Close();
    }

    // A play range looping at the play end: each jump back to its start
    // follows on from its end with no silence in between, whatever the file.
    // A stall of the output shows only now and then, so it loops many times.
    void loopSeamIsSeamless_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("speed");
        QTest::newRow("wav three quarters") << u"tone.wav"_s << 75;
        QTest::newRow("cbr mp3 three quarters") << u"cbr.mp3"_s << 75;
        QTest::newRow("vbr mp3 half") << u"vbr.mp3"_s << 50;
    }
    void loopSeamIsSeamless()
    {
        QFETCH(QString, name);
        QFETCH(int, speed);
        constexpr int kFrom = 600, kEnd = 900, kLoops = 8;
        GstAudioDevice device;
        QCOMPARE(device.Open(file(name), name.endsWith(u".mp3"_s) ? AudioDevice::Kind::Mpeg : AudioDevice::Kind::Waveform),
                 DeviceResult::Success);
        QCOMPARE(device.SetSpeed(speed), DeviceResult::Success);
        QVERIFY(device.SetPlayEnd(kEnd));
        QCOMPARE(device.Seek(kFrom), DeviceResult::Success);
        int ends = 0;
        device.onPlayEnd = [&] {
            if (++ends < kLoops)
                device.Seek(kFrom);
        };
        // The sound of the test before may still come in: start from quiet.
        const qsizetype quietSpan = MonitorRecorder::Rate / 10;
        QVERIFY(WaitFor([&] { return monitor_.peak(monitor_.samples() - quietSpan, monitor_.samples()) < 64; }, 3000, 20));
        const qsizetype start = monitor_.samples();
        QCOMPARE(device.Play(), DeviceResult::Success);
        QVERIFY(WaitFor([&] { return ends >= kLoops; }, kLoops * (kEnd - kFrom) * 100 / speed + 3000, 2));
        const qsizetype sound = monitor_.soundFrom(start);
        QVERIFY(sound >= 0);
        // The monitor's data comes in blocks, now and then late.
        QVERIFY(WaitFor([&] { return monitor_.silenceFrom(sound, 100) > sound; }, 3000, 20));
        const qsizetype quiet = monitor_.silenceFrom(sound, 100);
        device.Close();
        // The longest stretch without a sound from the first sound to the
        // last; the tone crosses zero in a few samples.
        const qint16* s = monitor_.data();
        qsizetype longest = 0;
        // The seams only: the last pass ends with whatever the tempo filter
        // gives up at a stop.
        const qsizetype seams = sound + qsizetype((kLoops - 0.5) * (kEnd - kFrom) * 100 / speed) * MonitorRecorder::Rate / 1000;
        for (qsizetype i = sound, since = sound; i < std::min(quiet, seams); ++i) {
            if (std::abs(int(s[i])) > 300)
                since = i + 1;
            longest = std::max(longest, i + 1 - since);
        }
        const double gapMs = double(longest) * 1000 / MonitorRecorder::Rate;
        const double heardMs = double(quiet - sound) * 1000 / MonitorRecorder::Rate;
        qInfo("heard %.0f ms, longest silence %.1f ms", heardMs, gapMs);
        QVERIFY2(gapMs <= 5, qPrintable(u"a silence of %1 ms at a seam"_s.arg(gapMs)));
        // Every pass was heard, none cut short or doubled.
        const double expected = double(kLoops) * (kEnd - kFrom) * 100 / speed;
        QVERIFY2(std::abs(heardMs - expected) <= expected * 2 / 100 + 30, qPrintable(u"heard %1 ms of %2"_s.arg(heardMs).arg(expected)));
    }

    void oddWavFormats_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("bits");
        QTest::newRow("8 bit mono 8 kHz") << 8000 << 1 << 8;
        QTest::newRow("24 bit stereo 96 kHz") << 96000 << 2 << 24;
        QTest::newRow("16 bit six channels 11025 Hz") << 11025 << 6 << 16;
    }
    void oddWavFormats()
    {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(int, bits);
        const QString path = file(u"odd-%1-%2-%3.wav"_s.arg(rate).arg(channels).arg(bits));
        QVERIFY(AudioMedia::WriteTone(path, 1000, {rate, channels, bits}));
        GstAudioDevice device;
        QCOMPARE(device.Open(path, AudioDevice::Kind::Waveform), DeviceResult::Success);
        std::int64_t length = 0;
        QCOMPARE(device.Length(length), DeviceResult::Success);
        QVERIFY(std::abs(length - 1000) <= 5);
        QCOMPARE(device.Play(), DeviceResult::Success);
        Wait(400);
        QVERIFY(PositionOf(device) >= 300);
    }

    void badInput_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
        QTest::addColumn<bool>("folder");
        QTest::newRow("missing file") << QByteArray() << false;
        QTest::newRow("folder") << QByteArray() << true;
        QTest::newRow("empty file") << QByteArray("") << false;
        QTest::newRow("text") << QByteArray("Just some words, not a sound.\n").repeated(300) << false;
        QTest::newRow("random bytes") << QByteArray(20000, '\x5a') << false;
        QTest::newRow("wav header only") << QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16) << false;
    }
    void badInput()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, folder);
        const QString path = file(u"bad-%1.mp3"_s.arg(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-')));
        if (folder)
            QVERIFY(QDir().mkpath(path));
        else if (!bytes.isNull()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        GstAudioDevice device;
        const QString fallback = device.ErrorText(GstAudioDevice::OpenFailed);
        QElapsedTimer clock;
        clock.start();
        const int code = device.Open(path, AudioDevice::Kind::Mpeg);
        QVERIFY(code != 0);
        QVERIFY(clock.elapsed() < GstAudioDevice::PrerollTimeoutMs + 1000);
        QVERIFY(!device.IsOpen());
        // The words are GStreamer's, not our own stand-in.
        QVERIFY(!device.ErrorText(code).isEmpty());
        if (code == GstAudioDevice::OpenFailed)
            QVERIFY2(device.ErrorText(code) != fallback, qPrintable(device.ErrorText(code)));
        // The device is still usable afterwards.
        QCOMPARE(device.Open(file(u"tone.wav"_s), AudioDevice::Kind::Waveform), DeviceResult::Success);
    }

    void truncatedMp3PlaysToItsEnd()
    {
        QFile whole(file(u"cbr.mp3"_s));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QByteArray bytes = whole.readAll();
        QFile cut(file(u"cut.mp3"_s));
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(bytes.left(bytes.size() / 3));
        cut.close();
        GstAudioDevice device;
        int errors = 0;
        device.onError = [&](int) { ++errors; };
        QCOMPARE(device.Open(cut.fileName(), AudioDevice::Kind::Mpeg), DeviceResult::Success);
        std::int64_t length = 0;
        QCOMPARE(device.Length(length), DeviceResult::Success);
        QCOMPARE(device.Seek(600), DeviceResult::Success);
        QCOMPARE(device.Play(), DeviceResult::Success);
        // Whatever length the header claimed, the end is reached and reported.
        QVERIFY(WaitFor([&] { return PositionOf(device) >= length; }, 4000, 5));
        QCOMPARE(errors, 0);
    }

    // The open file stays readable on Linux: playing goes on to its end.
    void fileDeletedWhilePlaying()
    {
        const QString path = file(u"doomed.wav"_s);
        QVERIFY(QFile::copy(file(u"tone.wav"_s), path));
        GstAudioDevice device;
        int errors = 0;
        device.onError = [&](int) { ++errors; };
        QCOMPARE(device.Open(path, AudioDevice::Kind::Waveform), DeviceResult::Success);
        QCOMPARE(device.Seek(kToneMs - 800), DeviceResult::Success);
        QCOMPARE(device.Play(), DeviceResult::Success);
        Wait(200);
        QVERIFY(QFile::remove(path));
        QVERIFY(WaitFor([&] { return PositionOf(device) >= kToneMs; }, 3000, 5));
        QCOMPARE(errors, 0);
    }

    // Flushing seeks while playing, again and again, as a looping play range
    // or a slider let go makes them, at changing speeds: now and then the
    // PulseAudio output stops taking data while everything says "playing".
    // After every seek the position must move on.
    void positionMovesAfterEverySeek()
    {
        GstAudioDevice device;
        QList<int> errors;
        device.onError = [&](int code) { errors << code; };
        QCOMPARE(device.Open(file(u"tone.wav"_s), AudioDevice::Kind::Waveform), DeviceResult::Success);
        QCOMPARE(device.Play(), DeviceResult::Success);
        constexpr int seeks = 60;
        constexpr int speeds[] = {100, 150, 75};
        QElapsedTimer clock;
        clock.start();
        int done = 0;
        for (; done < seeks && clock.elapsed() < 18000; ++done) {
            // Stalls come with time played between seeks more than with
            // the number of seeks.
            Wait(250);
            QCOMPARE(device.Stop(), DeviceResult::Success);
            QCOMPARE(device.SetSpeed(speeds[done / 15 % 3]), DeviceResult::Success);
            QCOMPARE(device.Seek(1000), DeviceResult::Success);
            QCOMPARE(device.Play(), DeviceResult::Success);
            QVERIFY2(WaitFor([&] { return PositionOf(device) >= 1050; }, 2 * GstAudioDevice::StallMs + 1500, 5),
                     qPrintable(u"stuck at %1 ms after seek %2"_s.arg(PositionOf(device)).arg(done)));
        }
        qInfo("%d seeks in %lld ms, %d stuck outputs started afresh", done, clock.elapsed(),
              device.StallRecoveries());
        QVERIFY(done >= seeks / 3);
        // And it goes on.
        const std::int64_t from = PositionOf(device);
        Wait(400);
        QVERIFY2(PositionOf(device) - from >= 200, qPrintable(u"%1 -> %2"_s.arg(from).arg(PositionOf(device))));
        QCOMPARE(errors, QList<int>());
    }

    // A position standing still on purpose is no stall: a pause longer than
    // the watchdog's patience, and the end of the track.
    void stillOnPurposeIsNoStall()
    {
        GstAudioDevice device;
        QList<int> errors;
        device.onError = [&](int code) { errors << code; };
        QCOMPARE(device.Open(file(u"tone.wav"_s), AudioDevice::Kind::Waveform), DeviceResult::Success);
        QCOMPARE(device.Seek(kToneMs - 600), DeviceResult::Success);
        QCOMPARE(device.Play(), DeviceResult::Success);
        Wait(200);
        QCOMPARE(device.Pause(), DeviceResult::Success);
        const std::int64_t paused = PositionOf(device);
        Wait(GstAudioDevice::StallMs + 500);
        QCOMPARE(PositionOf(device), paused);
        QCOMPARE(device.Resume(), DeviceResult::Success);
        QVERIFY(WaitFor([&] { return PositionOf(device) >= kToneMs; }, 3000, 5));
        Wait(GstAudioDevice::StallMs + 500);
        QVERIFY(PositionOf(device) >= kToneMs);
        QCOMPARE(device.StallRecoveries(), 0);
        QCOMPARE(errors, QList<int>());
    }

    // Readings of the output's clock: the output's time, the wall clock's
    // and whether the output runs, in ms; the time reported for each (-1:
    // none, the clock keeps its last). An output time of -1 is a leap far
    // ahead, -2 one below zero, as the PulseAudio stream now and then reports
    // just after a flush; taken, the clock would stand still while the sound
    // plays on.
    void clockLeapIsStoodIn_data()
    {
        QTest::addColumn<QList<QList<qint64>>>("readings");
        QTest::addColumn<int>("leaps");
        constexpr qint64 ahead = -1;
        constexpr qint64 belowZero = -2;
        QTest::newRow("steady") << QList<QList<qint64>>{{0, 1000, 1, 0}, {100, 1100, 1, 100}, {200, 1200, 1, 200}} << 0;
        QTest::newRow("far ahead: the wall clock stands in")
            << QList<QList<qint64>>{{1000, 5000, 1, 1000}, {ahead, 5010, 1, 1000}, {ahead, 5110, 1, 1100}, {ahead, 5300, 1, 1290}}
            << 1;
        QTest::newRow("below zero") << QList<QList<qint64>>{{1000, 5000, 1, 1000}, {belowZero, 5010, 1, 1000}, {belowZero, 5060, 1, 1050}}
                                    << 1;
        QTest::newRow("the stand-in waits while paused")
            << QList<QList<qint64>>{{1000, 5000, 1, 1000}, {ahead, 5010, 0, 1000}, {ahead, 5600, 0, 1000}, {ahead, 5700, 1, 1100}}
            << 1;
        QTest::newRow("real again, and a second leap")
            << QList<QList<qint64>>{{1000, 5000, 1, 1000}, {ahead, 5010, 1, 1000}, {1020, 5030, 1, 1020}, {ahead, 5040, 1, 1020}} << 2;
        QTest::newRow("two seconds handed out at once are real")
            << QList<QList<qint64>>{{0, 1000, 1, 0}, {0, 1010, 1, 0}, {2000, 1020, 1, 2000}} << 0;
        QTest::newRow("a new stream starts at zero") << QList<QList<qint64>>{{5000, 9000, 1, 5000}, {0, 9010, 1, 0}} << 0;
    }

    void clockLeapIsStoodIn()
    {
        QFETCH(QList<QList<qint64>>, readings);
        QFETCH(int, leaps);
        ClockLeapFilter filter;
        constexpr std::uint64_t ms = 1'000'000;
        for (const QList<qint64>& r : readings) {
            const std::uint64_t output = r[0] == -1 ? 400ull * 365 * 86400 * 1000 * ms
                                         : r[0] == -2 ? std::uint64_t(-5000 * std::int64_t(ms))
                                                      : std::uint64_t(r[0]) * ms;
            const std::uint64_t reported = filter.Filter(output, r[1] * std::int64_t(ms), r[2] != 0);
            const qint64 got = reported == ClockLeapFilter::NoTime ? -1 : qint64(reported / ms);
            QVERIFY2(got == r[3], qPrintable(u"at wall %1 ms: %2, not %3"_s.arg(r[1]).arg(got).arg(r[3])));
        }
        QCOMPARE(filter.Leaps(), leaps);
    }

    void commandsNeedAnOpenFile()
    {
        GstAudioDevice device;
        std::int64_t ms = 0;
        const QList<int> codes{device.Length(ms), device.Position(ms), device.Seek(0), device.Play(),
                               device.Pause(),    device.Resume(),     device.Stop()};
        for (int code : codes) {
            QCOMPARE(code, int(GstAudioDevice::NotOpen));
        }
        QVERIFY(!device.ErrorText(GstAudioDevice::NotOpen).isEmpty());
        QCOMPARE(device.Close(), DeviceResult::Success);
    }

    // The sound server going away while playing: reported once, on the UI
    // thread, with GStreamer's words. It is a second, throwaway server, so
    // the session's own stays up.
    void lostOutputIsReported()
    {
        QTemporaryDir gone(u"/tmp/murmelin-gone.XXXXXX"_s);
        QVERIFY(gone.isValid());
        QProcess session;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"MURMELIN_AUDIO_DIR"_s, gone.path());
        session.setProcessEnvironment(env);
        session.start(QStringLiteral(MURMELIN_AUDIO_SESSION), {});
        QVERIFY(session.waitForFinished(15000) && session.exitCode() == 0);
        static const QRegularExpression serverLine(u"export PULSE_SERVER=(\\S+)"_s);
        const QString server = serverLine.match(QString::fromUtf8(session.readAllStandardOutput())).captured(1);
        QVERIFY(!server.isEmpty());
        const auto stopServer = qScopeGuard([&] {
            QProcess::execute(QStringLiteral(MURMELIN_AUDIO_SESSION), {u"stop"_s, gone.path()});
        });

        const QByteArray ownServer = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", server.toUtf8());
        GstAudioDevice device;
        int reported = 0;
        int code = 0;
        bool onUiThread = false;
        device.onError = [&](int c) {
            ++reported;
            code = c;
            onUiThread = QThread::currentThread() == qApp->thread();
        };
        const int opened = device.Open(file(u"tone.wav"_s), AudioDevice::Kind::Waveform);
        qputenv("PULSE_SERVER", ownServer);
        QCOMPARE(opened, 0);
        QCOMPARE(device.Play(), DeviceResult::Success);
        Wait(300);
        QProcess::execute(QStringLiteral(MURMELIN_AUDIO_SESSION), {u"stop"_s, gone.path()});
        QVERIFY(WaitFor([&] { return reported > 0; }, 5000, 5));
        QCOMPARE(code, int(GstAudioDevice::StreamFailed));
        QVERIFY(onUiThread);
        QVERIFY2(device.ErrorText(code) != GstAudioDevice().ErrorText(code), qPrintable(device.ErrorText(code)));
        Wait(300);
        QCOMPARE(reported, 1);
        // Closing after the failure and opening again on the live server works.
        QCOMPARE(device.Close(), DeviceResult::Success);
        QCOMPARE(device.Open(file(u"tone.wav"_s), AudioDevice::Kind::Waveform), DeviceResult::Success);
        QCOMPARE(device.Play(), DeviceResult::Success);
        Wait(300);
        QVERIFY(PositionOf(device) >= 200);
    }
};

QTEST_MAIN(TestAudioDevice)
#include "tst_audiodevice.moc"
