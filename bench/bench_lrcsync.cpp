// How exactly the lyric lines follow the audio: the real window and player
// play a 60 s tone with 120 lines every 0.5 s; at each line change the
// device's position is read, and the figure is that position minus the
// line's time. Three phases: from the start, after a seek to 20.25 s, and
// after a pause of 1 s at about 40.2 s. Run on the private sound session:
// eval "$(scripts/audio-session)"; QT_QPA_PLATFORM=offscreen bench_lrcsync [mp3] [unread]
// ("unread": no recording of the sink's monitor, so the null sink runs on
// its own timer in coarse blocks instead of at a sound card's pace)

#include "app/MyForm.h"
#include "lrc/LrcController.h"
#include "lrc/LrcDisplay.h"
#include "music/MusicController.h"
#include "platform/GstAudioDevice.h"
#include "support/AudioMedia.h"
#include "support/EventWait.h"
#include "support/FakeMixer.h"
#include "support/MonitorRecorder.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kLines = 120, kStepMs = 500, kTrackMs = 60000;
constexpr int kSeekTo = 20250, kPauseAt = 40200, kPauseMs = 1000;

struct Change
{
    int phase;
    int line;           // index in the file, from 0
    std::int64_t error; // audio position minus the line's time
};

double Percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const std::size_t i = std::min(v.size() - 1, std::size_t(std::max(0.0, std::ceil(p * double(v.size())) - 1)));
    return v[i];
}

void Report(const char* name, const std::vector<Change>& changes, int phase)
{
    std::vector<double> e;
    QStringList first;
    for (const Change& c : changes) {
        if (phase >= 0 && c.phase != phase)
            continue;
        if (first.size() < 3)
            first << u"%1%2"_s.arg(c.error >= 0 ? u"+"_s : QString()).arg(c.error);
        e.push_back(double(c.error));
    }
    if (e.empty()) {
        std::printf("%-22s no line changes\n", name);
        return;
    }
    std::vector<double> magnitude;
    for (double v : e)
        magnitude.push_back(std::abs(v));
    std::printf("%-22s %3zu lines: median %+.0f ms, p99 |%.0f| ms, max |%.0f| ms (min %+.0f, max %+.0f); first three %s\n",
                name, e.size(), Percentile(e, 0.5), Percentile(magnitude, 0.99),
                *std::max_element(magnitude.begin(), magnitude.end()), *std::min_element(e.begin(), e.end()),
                *std::max_element(e.begin(), e.end()), qPrintable(first.join(u", "_s)));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        std::fprintf(stderr, "bench_lrcsync: run inside scripts/audio-session\n");
        return 2;
    }
    const QStringList args = app.arguments();
    const bool mp3 = args.contains(u"mp3"_s);
    QTemporaryDir home;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(name, QFile::encodeName(home.path()));
    const QString wav = home.filePath(u"song.wav"_s);
    const QString music = mp3 ? home.filePath(u"song.mp3"_s) : wav;
    if (!AudioMedia::WriteTone(wav, kTrackMs, {44100, 2, 16}) || (mp3 && !AudioMedia::Encode(wav, music, {u"-b"_s, u"192"_s}))) {
        std::fprintf(stderr, "bench_lrcsync: could not make the track\n");
        return 2;
    }
    QString lrc = u"[ti:時報]\r\n"_s;
    for (int i = 1; i <= kLines; ++i) {
        const int ms = i * kStepMs;
        lrc += u"[%1:%2.%3]行 %4\r\n"_s.arg(ms / 60000, 2, 10, QChar(u'0')).arg(ms / 1000 % 60, 2, 10, QChar(u'0'))
                   .arg(ms % 1000 / 10, 2, 10, QChar(u'0')).arg(i);
    }
    QFile file(home.filePath(u"song.lrc"_s));
    if (!file.open(QIODevice::WriteOnly) || file.write(lrc.toUtf8().prepend("\xEF\xBB\xBF")) < 0)
        return 2;
    file.close();

    MonitorRecorder monitor;   // the null sink at a sound card's pace
    if (!args.contains(u"unread"_s) && !monitor.start())
        std::fprintf(stderr, "bench_lrcsync: no monitor recording; the null sink runs in blocks\n");

    ScriptedPrompter prompter;
    MyForm form(prompter);
    GstAudioDevice device;
    FakeMixer mixer;
    form.setMusic(std::make_unique<MusicController>(form.context(), device, mixer));
    form.lrc().setPositionSource([&device](std::int64_t& ms) { return device.IsOpen() && device.Position(ms) == DeviceResult::Success; });
    State& state = form.state();

    // After the window's own handler: a tick that moved the lines is a
    // change, one that only waited for the audio is not.
    int phase = 0;
    int shown = -1;
    std::vector<Change> changes;
    QObject::connect(form.ui().lineTimer, &QTimer::timeout, &form, [&] {
        std::int64_t p = -1;
        if (device.Position(p) != DeviceResult::Success)
            return;
        const int line = state.LrcDspArrayCunt - 1;   // the one just made current
        LrcDisplay* d = form.lrc().dlgLrcDisplay();
        if (!d || line == shown || d->currentLineLabel->text() != u"行 %1"_s.arg(line))
            return;
        shown = line;
        const std::int64_t due = std::int64_t(line) * kStepMs
                                 + (state.lrcAdjustment == Switch::On ? state.LrcMp3TimeAdjustment : 0);
        changes.push_back({phase, line, p - due});
    });
    auto position = [&device] {
        std::int64_t p = 0;
        device.Position(p);
        return p;
    };

    form.lrc().LrcTextTempLabel(music);
    form.music().MusicStart(music, u"song"_s);
    if (state.audioState != AudioState::WavePlaying && state.audioState != AudioState::Mp3Playing) {
        std::fprintf(stderr, "bench_lrcsync: the device did not play\n");
        return 1;
    }
    WaitFor([&] { return position() >= kSeekTo - 1000; }, 30000, 20);

    phase = 1;
    form.music().trackBarMovementStart();
    form.ui().musicPositionSlider->setValue(kSeekTo);
    form.music().trackBarMovementEnd();
    // The line the seek lands in is shown by the seek, not by a tick: a
    // tick that finds the output not yet started there is no change.
    shown = state.LrcDspArrayCunt - 1;
    WaitFor([&] { return position() >= kPauseAt - 300; }, 30000, 20);
    WaitFor([&] { return position() >= kPauseAt; }, 1000, 2);

    form.music().MusicPause();
    const std::int64_t pausedAt = position();
    Wait(kPauseMs);
    phase = 2;
    form.music().MusicPlay();   // resumes
    WaitFor([&] { return position() >= kTrackMs - 200; }, 30000, 20);
    Wait(400);
    form.music().MusicStop();

    std::printf("%s track, %d lines every %d ms; error = audio position at the change minus the line's time\n",
                mp3 ? "MP3" : "WAV", kLines, kStepMs);
    Report("from the start", changes, 0);
    Report("after a seek to 20.25 s", changes, 1);
    std::printf("(paused at %.3f s for %d ms)\n", pausedAt / 1000.0, kPauseMs);
    Report("after pause and resume", changes, 2);
    Report("all", changes, -1);
    std::printf("bounds: median within 5 ms, p99 within 16 ms (one frame)\n");
    return 0;
}
