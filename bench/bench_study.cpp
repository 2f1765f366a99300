// Song practice at other speeds on the real audio output: how far from its
// time each lyric line appears at 0.5×, 0.75× and 1.25× (the device's
// position at the line change against the line's time, in track ms); how
// far past its end a practised line's range is when it restarts; and the
// CPU the program takes while playing at 0.75×. Run on the private sound
// session: eval "$(scripts/audio-session)"; QT_QPA_PLATFORM=offscreen bench_study

#include "app/MyForm.h"
#include "lrc/LrcController.h"
#include "lrc/LrcDisplay.h"
#include "music/MusicController.h"
#include "platform/GstAudioDevice.h"
#include "study/StudyController.h"
#include "support/AudioMedia.h"
#include "support/EventWait.h"
#include "support/FakeMixer.h"
#include "support/MonitorRecorder.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

class WatchedDevice : public GstAudioDevice
{
public:
    std::vector<std::int64_t> positionsAtSeek;
    int Seek(std::int64_t ms) override
    {
        std::int64_t now = 0;
        if (Position(now) == DeviceResult::Success)
            positionsAtSeek.push_back(now);
        return GstAudioDevice::Seek(ms);
    }
};

double Percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const std::size_t i = std::min(v.size() - 1, std::size_t(std::max(0.0, std::ceil(p * double(v.size())) - 1)));
    return v[i];
}

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Lets the event loop run, idle between events, for ms or until done.
void RunFor(int ms, const std::function<bool()>& done = {})
{
    if (done)
        WaitFor(done, ms, 20);
    else
        Wait(ms);
}

constexpr int kFirstLine = 400;
constexpr int kStep = 250;
constexpr int kLines = 32;

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        std::fprintf(stderr, "bench_study: run inside scripts/audio-session\n");
        return 2;
    }
    QTemporaryDir home;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(name, QFile::encodeName(home.path()));
    const QString wav = home.filePath(u"song.wav"_s);
    const int length = kFirstLine + kStep * kLines + 1000;
    if (!AudioMedia::WriteTone(wav, length, {44100, 2, 16}))
        return 2;
    QString lrc = u"[ti:bench]\r\n"_s;
    for (int i = 0; i < kLines; ++i) {
        const int t = kFirstLine + i * kStep;
        lrc += u"[%1:%2.%3]line %4\r\n"_s.arg(t / 60000, 2, 10, QLatin1Char('0'))
                   .arg(t / 1000 % 60, 2, 10, QLatin1Char('0'))
                   .arg(t % 1000 / 10, 2, 10, QLatin1Char('0'))
                   .arg(i);
    }
    QFile f(home.filePath(u"song.lrc"_s));
    if (!f.open(QIODevice::WriteOnly) || f.write(lrc.toUtf8()) <= 0)
        return 2;
    f.close();

    MonitorRecorder monitor;   // the null sink at a sound card's pace
    if (!monitor.start())
        std::fprintf(stderr, "bench_study: no monitor recording; the null sink runs in blocks\n");

    ScriptedPrompter prompter;
    MyForm form(prompter);
    WatchedDevice device;
    FakeMixer mixer;
    form.setMusic(std::make_unique<MusicController>(form.context(), device, mixer));
    form.lrc().setPositionSource([&device](std::int64_t& ms) { return device.IsOpen() && device.Position(ms) == DeviceResult::Success; });

    std::vector<double> all;
    for (const int speed : {50, 75, 125}) {
        form.state().StudySpeedPercent = speed;
        std::vector<double> errors;
        QString last;
        auto conn = QObject::connect(form.ui().lineTimer, &QTimer::timeout, &form, [&] {
            LrcDisplay* d = form.lrc().dlgLrcDisplay();
            if (!d || d->currentLineLabel->text() == last || d->currentLineLabel->text().isEmpty())
                return;
            last = d->currentLineLabel->text();
            std::int64_t p = 0;
            device.Position(p);
            const int i = last.mid(5).toInt();
            errors.push_back(double(p - (kFirstLine + i * kStep)));
        });
        form.lrc().LrcTextTempLabel(wav);
        form.music().MusicStart(wav, u"song"_s);
        RunFor(length * 100 / speed + 2000, [&] { return int(errors.size()) >= kLines; });
        QObject::disconnect(conn);
        form.music().MusicStop();
        RunFor(500);
        if (errors.empty()) {
            std::fprintf(stderr, "bench_study: no line shown at %d %%\n", speed);
            return 1;
        }
        std::vector<double> abs;
        for (double e : errors)
            abs.push_back(std::fabs(e));
        all.insert(all.end(), abs.begin(), abs.end());
        std::printf("%.2fx: %zu lines, |error| median %.1f ms, p99 %.1f ms, max %.1f ms (signed median %+.1f ms)\n",
                    speed / 100.0, errors.size(), Percentile(abs, 0.5), Percentile(abs, 0.99),
                    *std::max_element(abs.begin(), abs.end()), Percentile(errors, 0.5));
    }
    std::printf("all speeds: |error| median %.1f ms, p99 %.1f ms\n", Percentile(all, 0.5), Percentile(all, 0.99));

    // A practised line at 0.75×, repeated endlessly: the position past the
    // range end when the seek back comes.
    form.state().StudySpeedPercent = 75;
    form.state().LoopModeCount = 1000;
    form.state().StudyPausePercent = 0;
    form.lrc().LrcTextTempLabel(wav);
    form.music().MusicStart(wav, u"song"_s);
    form.study().menuLinePractice_Toggled(true);
    form.study().PracticeLine(9);   // 2.4 s to 2.65 s
    const int end = form.state().EndingTime;
    device.positionsAtSeek.clear();
    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    RunFor(10000, [&] { return device.positionsAtSeek.size() >= 30; });
    const double cpuLoop = (CpuSeconds() - cpu0) / (wall.nsecsElapsed() / 1e9) * 100;
    form.music().MusicStop();
    std::vector<double> over;
    for (std::int64_t p : device.positionsAtSeek)
        over.push_back(double(p - end));
    if (!over.empty())
        std::printf("0.75x practised line: %zu restarts, past the end by median %.1f ms, p99 %.1f ms of track time "
                    "(wall: divide by 0.75)\n",
                    over.size(), Percentile(over, 0.5), Percentile(over, 0.99));

    // CPU while a song plays through, at 1.0× and at 0.75×.
    form.study().menuLinePractice_Toggled(false);
    for (const int speed : {100, 75}) {
        form.state().StudySpeedPercent = speed;
        form.lrc().LrcTextTempLabel(wav);
        form.music().MusicStart(wav, u"song"_s);
        RunFor(500);
        const double c0 = CpuSeconds();
        wall.restart();
        RunFor(6000);
        const double cpu = (CpuSeconds() - c0) / (wall.nsecsElapsed() / 1e9) * 100;
        form.music().MusicStop();
        std::printf("CPU at %.2fx (this process, GStreamer's threads included): %.2f %% of one core\n",
                    speed / 100.0, cpu);
    }
    std::printf("CPU while a line repeats at 0.75x: %.2f %%\n", cpuLoop);
    return 0;
}
