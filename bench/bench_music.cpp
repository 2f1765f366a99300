// The music device as the player drives it, on a 10 MB MP3: from the click
// (copy of the music without its tag, Open, Play) to the first audio buffer
// at the sink and to the first sound on the sink's monitor, beside the same
// file started by gst-play-1.0 in the same run; CPU while playing; the cost
// of one position poll and of the exact length scan. Run on the private
// sound session: eval "$(scripts/audio-session)".

#include "art/Mp3File.h"
#include "platform/GstAudioDevice.h"
#include "support/EventWait.h"
#include "support/MonitorRecorder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 15;
constexpr int kSeconds = 262; // at 320 kbit/s: about 10 MB

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Figures
{
    QList<double> values;
    void add(double v) { values << v; }
    double median() const
    {
        QList<double> v = values;
        std::sort(v.begin(), v.end());
        return v.isEmpty() ? NAN : v.at(v.size() / 2);
    }
    QString text() const
    {
        if (values.isEmpty())
            return u"no data"_s;
        QList<double> v = values;
        std::sort(v.begin(), v.end());
        return u"median %1 ms (min %2, max %3, n=%4)"_s.arg(v.at(v.size() / 2), 0, 'f', 1)
            .arg(v.first(), 0, 'f', 1).arg(v.last(), 0, 'f', 1).arg(v.size());
    }
};

// A tone sweeping slowly, loud from its first sample, as a 16-bit stereo
// WAV, then lame at 320 kbit/s.
bool MakeMp3(const QString& mp3)
{
    if (QFileInfo(mp3).size() > 9'000'000)
        return true;
    const QString wav = mp3 + u".wav"_s;
    const int rate = 44100;
    const qint64 frames = qint64(rate) * kSeconds;
    QByteArray out("RIFF");
    auto put = [&](quint32 v, int n) {
        for (int i = 0; i < n; ++i)
            out.append(char((v >> (8 * i)) & 0xFF));
    };
    put(quint32(36 + frames * 4), 4);
    out += "WAVEfmt ";
    put(16, 4), put(1, 2), put(2, 2), put(rate, 4), put(rate * 4, 4), put(4, 2), put(16, 2);
    out += "data";
    put(quint32(frames * 4), 4);
    out.reserve(out.size() + frames * 4);
    double phase = 0;
    for (qint64 i = 0; i < frames; ++i) {
        phase += 2 * M_PI * (300.0 + 200.0 * std::sin(double(i) / rate / 7)) / rate;
        const auto s = quint32(quint16(qint16(std::lround(12000 * std::sin(phase)))));
        put(s, 2), put(s, 2);
    }
    QFile w(wav);
    if (!w.open(QIODevice::WriteOnly) || w.write(out) != out.size())
        return false;
    w.close();
    QProcess lame;
    lame.start(u"lame"_s, {u"--quiet"_s, u"-b"_s, u"320"_s, u"-q"_s, u"7"_s, wav, mp3});
    const bool ok = lame.waitForFinished(600000) && lame.exitCode() == 0;
    QFile::remove(wav);
    return ok;
}

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        std::fprintf(stderr, "bench_music: run it on the private sound session: "
                             "eval \"$(scripts/audio-session)\"\n");
        return 1;
    }
    const QString folder = QDir::temp().filePath(u"murmelin-bench-music"_s);
    QDir().mkpath(folder);
    const QString mp3 = folder + u"/ten.mp3"_s;
    const QString copy = folder + u"/playing.mp3"_s;
    if (!MakeMp3(mp3)) {
        std::fprintf(stderr, "bench_music: lame could not make the test file\n");
        return 1;
    }
    MonitorRecorder monitor;
    if (!monitor.start()) {
        std::fprintf(stderr, "bench_music: parec could not record the sink's monitor\n");
        return 1;
    }

    Figures copyMs, openMs, toBuffer, toSound, gstPlaySound;
    std::atomic<Clock::time_point::rep> bufferAt{0};
    for (int run = 0; run < kRuns; ++run) {
        // The player: tag-less copy, open, play.
        {
            GstAudioDevice device;
            device.onFirstBuffer = [&] { bufferAt = Clock::now().time_since_epoch().count(); };
            bufferAt = 0;
            const qsizetype heardFrom = monitor.samples();
            const auto t0 = Clock::now();
            Mp3File file(mp3);
            QString error;
            Id3::Layout layout;
            if (!file.Open(error) || !file.ReadTag(layout, error) || !file.CopyFrom(layout.tagEnd, copy, error)) {
                std::fprintf(stderr, "bench_music: copy failed: %s\n", qPrintable(error));
                return 1;
            }
            const auto copied = Clock::now();
            if (const int code = device.Open(copy, AudioDevice::Kind::Mpeg); code != DeviceResult::Success) {
                std::fprintf(stderr, "bench_music: open failed: %s\n", qPrintable(device.ErrorText(code)));
                return 1;
            }
            const auto opened = Clock::now();
            device.Play();
            WaitFor([&] { return monitor.soundFrom(heardFrom) >= 0; }, 5000);
            const qsizetype sound = monitor.soundFrom(heardFrom);
            copyMs.add(Ms(copied - t0));
            openMs.add(Ms(opened - copied));
            if (bufferAt)
                toBuffer.add(Ms(Clock::time_point(Clock::duration(bufferAt.load())) - t0));
            if (sound >= 0)
                toSound.add((sound - heardFrom) * 1000.0 / MonitorRecorder::Rate);
            device.Close();
        }
        Wait(400);
        // The same file through gst-play-1.0, from process start to sound.
        {
            QProcess player;
            const qsizetype heardFrom = monitor.samples();
            player.start(u"gst-play-1.0"_s, {u"--no-interactive"_s, u"-q"_s, mp3});
            if (!player.waitForStarted(5000)) {
                std::fprintf(stderr, "bench_music: gst-play-1.0 does not start (scripts/setup installs it)\n");
                return 1;
            }
            WaitFor([&] { return monitor.soundFrom(heardFrom) >= 0; }, 5000);
            if (const qsizetype sound = monitor.soundFrom(heardFrom); sound >= 0)
                gstPlaySound.add((sound - heardFrom) * 1000.0 / MonitorRecorder::Rate);
            player.kill();
            player.waitForFinished(3000);
        }
        Wait(400);
    }

    // While playing: CPU of this process (GStreamer's threads included) and
    // one position poll.
    GstAudioDevice device;
    device.Open(mp3, AudioDevice::Kind::Mpeg);
    device.Play();
    Wait(500);
    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    Wait(5000);
    const double cpuShare = (CpuSeconds() - cpu0) / (wall.nsecsElapsed() / 1e9) * 100;
    constexpr int kPolls = 20000;
    std::int64_t ms = 0;
    const auto p0 = Clock::now();
    for (int i = 0; i < kPolls; ++i)
        device.Position(ms);
    const double pollMs = Ms(Clock::now() - p0) / kPolls;
    device.Close();

    // How long the preroll keeps the UI waiting on a file that is no audio.
    Figures badOpen;
    const QString text = folder + u"/words.mp3"_s;
    {
        QFile f(text);
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray("Words only, no sound at all.\n").repeated(4000));
    }
    for (int i = 0; i < 5; ++i) {
        GstAudioDevice bad;
        const auto b0 = Clock::now();
        bad.Open(text, AudioDevice::Kind::Mpeg);
        badOpen.add(Ms(Clock::now() - b0));
    }
    QFile::remove(text);

    Figures scan;
    for (int i = 0; i < 5; ++i) {
        const auto s0 = Clock::now();
        Mp3Duration(mp3);
        scan.add(Ms(Clock::now() - s0));
    }
    QFile::remove(copy);

    std::printf("bench_music on %s (%.1f MB)\n", qPrintable(mp3), QFileInfo(mp3).size() / 1048576.0);
    std::printf("  tag-less copy: %s\n", qPrintable(copyMs.text()));
    std::printf("  Open (preroll, length known): %s\n", qPrintable(openMs.text()));
    std::printf("  copy+Open+Play to first buffer at the audio sink: %s\n", qPrintable(toBuffer.text()));
    std::printf("  copy+Open+Play to first sound on the sink's monitor: %s\n", qPrintable(toSound.text()));
    std::printf("  gst-play-1.0 process start to first sound on the monitor: %s\n", qPrintable(gstPlaySound.text()));
    std::printf("  ratio device/gst-play-1.0 (to sound, medians): %.2f\n", toSound.median() / gstPlaySound.median());
    std::printf("  CPU while playing: %.2f %% of one core\n", cpuShare);
    std::printf("  one position poll: %.4f ms (mean of %d)\n", pollMs, kPolls);
    std::printf("  Open of a text file to its error: %s\n", qPrintable(badOpen.text()));
    std::printf("  exact length scan (mpg123) of the file: %s\n", qPrintable(scan.text()));
    return 0;
}
