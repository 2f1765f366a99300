// How exactly a play range comes round on the real audio output: the player
// in the real window loops a 500 ms range; at each hand-over (the seek back
// to the range start) the device's position is read, and the figure is how
// far past the range end it was. Run on the private sound session:
// eval "$(scripts/audio-session)"; QT_QPA_PLATFORM=offscreen bench_rangeend

#include "app/MyForm.h"
#include "music/MusicController.h"
#include "platform/AlsaMixer.h"
#include "platform/GstAudioDevice.h"
#include "support/AudioMedia.h"
#include "support/MonitorRecorder.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSlider>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The real device, with the position it had at every seek written down.
class WatchedDevice : public GstAudioDevice
{
public:
    std::vector<std::int64_t> positionsAtSeek;
    std::vector<double> seekCosts;
    int Seek(std::int64_t ms) override
    {
        std::int64_t now = 0;
        if (Position(now) == DeviceResult::Success)
            positionsAtSeek.push_back(now);
        QElapsedTimer t;
        t.start();
        const int code = GstAudioDevice::Seek(ms);
        seekCosts.push_back(t.nsecsElapsed() / 1e6);
        return code;
    }
};

double Percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const std::size_t i = std::min(v.size() - 1, std::size_t(std::ceil(p * double(v.size())) - 1));
    return v[i];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        std::fprintf(stderr, "bench_rangeend: run inside scripts/audio-session\n");
        return 2;
    }
    QTemporaryDir home;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(name, QFile::encodeName(home.path()));
    const QString wav = home.filePath(u"tone.wav"_s);
    if (!AudioMedia::WriteTone(wav, 10000, {44100, 1, 16}))
        return 2;

    MonitorRecorder monitor;   // the null sink at a sound card's pace
    if (!monitor.start())
        std::fprintf(stderr, "bench_rangeend: no monitor recording; the null sink runs in blocks\n");

    ScriptedPrompter prompter;
    MyForm form(prompter);
    WatchedDevice device;
    AlsaMixer mixer;
    form.setMusic(std::make_unique<MusicController>(form.context(), device, mixer));
    Controls& c = form.ui();
    form.music().MusicStart(wav, u"tone.wav"_s);

    constexpr int start = 2000, end = 2500, loops = 40;
    c.musicPositionSlider->setValue(end);
    form.music().RangeEndSet();
    c.musicPositionSlider->setValue(start);
    form.music().RangeStartSet();
    device.positionsAtSeek.clear();
    form.music().MusicPlay();   // restart at the range start
    device.positionsAtSeek.clear();
    device.seekCosts.clear();

    QElapsedTimer clock;
    clock.start();
    while (device.positionsAtSeek.size() < std::size_t(loops) && clock.elapsed() < loops * 1000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    form.music().MusicStop();

    std::vector<double> over;
    for (std::int64_t p : device.positionsAtSeek)
        over.push_back(double(p - end));
    if (over.empty()) {
        std::fprintf(stderr, "bench_rangeend: the range never came round\n");
        return 1;
    }
    std::printf("range %d-%d ms, %zu hand-overs\n", start, end, over.size());
    std::printf("position past the range end at hand-over: median %.1f ms, p99 %.1f ms, min %.1f, max %.1f\n",
                Percentile(over, 0.5), Percentile(over, 0.99), *std::min_element(over.begin(), over.end()),
                *std::max_element(over.begin(), over.end()));
    std::printf("one seek back (flushing, waits for the new preroll): median %.1f ms, max %.1f ms\n",
                Percentile(device.seekCosts, 0.5), *std::max_element(device.seekCosts.begin(), device.seekCosts.end()));
    std::printf("%zu hand-overs in %.1f s\n", over.size(), clock.elapsed() / 1000.0);
    std::printf("(the 200 ms poll alone would hand over up to 200 ms late)\n");
    return 0;
}
