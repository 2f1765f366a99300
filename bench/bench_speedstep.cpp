// What a speed step does to the sound, heard at the output: the player in
// the real window, on the real audio device, plays a sweep (a tone climbing
// 1 Hz every ms, so every moment of the file has a waveform of its own)
// while the null sink's monitor is recorded. Each 4 ms of the recording is
// matched against the file to tell which moment of it was heard.
//
// Before and after the step the heard moments follow a line of the speed's
// slope (the tempo filter works in strides of 30 ms, so single windows
// stray from it by some ms either way; the lines are fitted over 400 ms).
// At the step:
//   replayed  ms of the file heard twice: the after-line starting behind
//             where the before-line stopped, plus sound from elsewhere in
//             the file played in between (a stale buffer);
//   skipped   ms of the file never heard: the after-line starting ahead;
//   gap       wall ms of silence at the step; junk: wall ms no moment of
//             the file matched.
// Files: WAV, CBR MP3, VBR MP3; step pairs around and off normal speed.
// Run on the private sound session:
//   eval "$(scripts/audio-session)"; QT_QPA_PLATFORM=offscreen bench_speedstep

#include "bench/ListeningBench.h"
#include "support/AudioMedia.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRate = 44100;
constexpr int kFileMs = 3500;
constexpr double kFromHz = 500;
constexpr double kToHz = 4000;   // 1 Hz a ms
constexpr int kStepAtMs = 1500;  // track position of the step
constexpr int kRepeats = 3;
constexpr int kWindow = kRate * 4 / 1000;

double Ms(qsizetype samples) { return samples * 1000.0 / kRate; }


enum class Kind { Silence, Matched, Junk };

// One window of the recording and the moment of the file it holds.
struct Window
{
    qsizetype at = 0;   // first sample in the recording
    Kind kind = Kind::Junk;
    double trackMs = 0;
};

class Matcher
{
public:
    explicit Matcher(QByteArray file)
        : file_(std::move(file)), ref_(reinterpret_cast<const qint16*>(file_.constData())), n_(file_.size() / 2),
          energy_(std::size_t(n_) + 1, 0.0)
    {
        for (qsizetype i = 0; i < n_; ++i)
            energy_[std::size_t(i + 1)] = energy_[std::size_t(i)] + double(ref_[i]) * ref_[i];
    }

    Window match(const qint16* s, qsizetype at) const
    {
        Window w;
        w.at = at;
        const qint16* x = s + at;
        double ex = 0;
        for (int i = 0; i < kWindow; ++i)
            ex += double(x[i]) * x[i];
        if (std::sqrt(ex / kWindow) < 300) {
            w.kind = Kind::Silence;
            return w;
        }
        // Roughly where by the pitch (zero crossings over twice the window),
        // then exactly by the waveform within 60 ms of that.
        double first = -1, last = -1;
        int crossings = 0;
        for (int i = 1; i < 2 * kWindow; ++i) {
            if ((x[i - 1] < 0) != (x[i] < 0)) {
                const double t = double(i - 1) + double(x[i - 1]) / double(x[i - 1] - x[i]);
                if (first < 0)
                    first = t;
                last = t;
                ++crossings;
            }
        }
        if (crossings < 4)
            return w;
        const double hz = (crossings - 1) * double(kRate) / (2 * (last - first));
        const double roughMs = (hz - kFromHz) * kFileMs / (kToHz - kFromHz) - 4;
        const qsizetype centre = qsizetype(roughMs * kRate / 1000);
        const qsizetype reach = kRate * 60 / 1000;
        double best = -2;
        qsizetype bestAt = -1;
        for (qsizetype o = std::max<qsizetype>(0, centre - reach); o <= std::min(n_ - kWindow, centre + reach); ++o) {
            double xr = 0;
            const qint16* r = ref_ + o;
            for (int i = 0; i < kWindow; ++i)
                xr += double(x[i]) * r[i];
            const double er = energy_[std::size_t(o + kWindow)] - energy_[std::size_t(o)];
            const double c = er > 0 ? xr / std::sqrt(ex * er) : 0;
            if (c > best) {
                best = c;
                bestAt = o;
            }
        }
        if (best >= 0.9) {
            w.kind = Kind::Matched;
            w.trackMs = Ms(bestAt);
        }
        return w;
    }

private:
    QByteArray file_;
    const qint16* ref_;
    qsizetype n_;
    std::vector<double> energy_;
};

struct Step
{
    bool ok = false;
    double replayed = 0, skipped = 0, gap = 0, junk = 0;
};

// The moment of the file heard at recording sample `at` on a line of slope
// `speed` through the windows' moments, fitted by its offset alone.
struct Line
{
    double offset = 0, speed = 1;
    int count = 0;
    double at(qsizetype sample) const { return offset + speed * Ms(sample); }
};

Line Fit(const std::vector<Window>& ws, qsizetype from, qsizetype to, double speed)
{
    Line line{0, speed, 0};
    for (const Window& w : ws) {
        if (w.kind != Kind::Matched || w.at < from || w.at + kWindow > to)
            continue;
        line.offset += w.trackMs - speed * Ms(w.at);
        ++line.count;
    }
    if (line.count)
        line.offset /= line.count;
    return line;
}

// `command`: the recording's length when the step was made; the step is
// heard at or after it.
Step Measure(const MonitorRecorder& monitor, const Matcher& matcher, qsizetype command, double before, double after)
{
    std::vector<Window> ws;
    const qsizetype from = command - kRate * 700 / 1000;
    for (qsizetype at = std::max<qsizetype>(from, 0); at + 2 * kWindow <= monitor.samples(); at += kWindow)
        ws.push_back(matcher.match(monitor.data(), at));
    Step step;
    const Line was = Fit(ws, command - kRate * 500 / 1000, command - kRate * 60 / 1000, before);
    if (was.count < 50)
        return step;
    // Stride by stride the filter strays from the line by up to the stride's
    // drift and its search span.
    auto near = [](const Window& w, const Line& line) {
        return w.kind == Kind::Matched && std::fabs(w.trackMs - line.at(w.at)) < 16 + std::fabs(1 - line.speed) * 30;
    };
    std::size_t i = 0;
    while (i < ws.size() && ws[i].at < command - kRate * 60 / 1000)
        ++i;
    while (i < ws.size() && near(ws[i], was))
        ++i;
    if (i == 0 || i >= ws.size())
        return step;
    // The last heard before the step ends here: the window's end, or where
    // the sound stops within the next one.
    const qint16* x = monitor.data();
    auto quietAt = [&](qsizetype at) {
        for (qsizetype k = at; k < at + kRate / 1000; ++k)
            if (std::abs(int(x[k])) > 150)
                return false;
        return true;
    };
    qsizetype stepAt = ws[i - 1].at + kWindow;
    if (ws[i].kind != Kind::Matched)
        while (stepAt < ws[i].at + kWindow && !quietAt(stepAt))
            ++stepAt;
    if (qEnvironmentVariableIsSet("BENCH_SPEEDSTEP_DUMP")) {
        const Line dumpIs = Fit(ws, stepAt + kRate * 100 / 1000, stepAt + kRate * 600 / 1000, after);
        for (const Window& w : ws)
            std::printf("%8.1f %d %8.1f %7.1f %7.1f%s\n", Ms(w.at - command), int(w.kind), w.trackMs, w.trackMs - was.at(w.at),
                        w.trackMs - dumpIs.at(w.at), w.at == stepAt ? " <- step" : "");
    }
    const Line is = Fit(ws, stepAt + kRate * 100 / 1000, stepAt + kRate * 600 / 1000, after);
    if (is.count < 50)
        return step;
    std::size_t j = i;
    double stale = 0;
    for (; j < ws.size() && !near(ws[j], is); ++j) {
        switch (ws[j].kind) {
        case Kind::Silence: step.gap += Ms(kWindow); break;
        case Kind::Junk: step.junk += Ms(kWindow); break;
        case Kind::Matched: stale += Ms(kWindow) * after; break;
        }
    }
    if (j >= ws.size())
        return step;
    // The new sound fades in over the filter's first overlap (6 ms): it
    // starts where the quiet before it ends, not where a window first
    // matches.
    qsizetype resumeAt = ws[j].at;
    if (ws[j - 1].kind != Kind::Matched)
        while (resumeAt > std::max(stepAt, ws[j].at - 2 * kWindow) && !quietAt(resumeAt - kRate / 1000))
            --resumeAt;
    const double jump = is.at(resumeAt) - was.at(stepAt);
    step.replayed = std::max(0.0, -jump) + stale;
    step.skipped = std::max(0.0, jump);
    step.ok = true;
    return step;
}

QString Cell(std::vector<double> v)
{
    if (v.empty())
        return u"-"_s;
    std::sort(v.begin(), v.end());
    return QString::asprintf("%5.1f / %5.1f", v[v.size() / 2], v.back());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (!ListeningBench::InSoundSession("bench_speedstep"))
        return 2;
    QTemporaryDir home;
    ListeningBench::UseHome(home);
    const QString wav = home.filePath(u"sweep.wav"_s);
    if (!AudioMedia::WriteSweep(wav, kRate, kFileMs, kFromHz, kToHz)
        || !AudioMedia::Encode(wav, home.filePath(u"cbr.mp3"_s), {u"-b"_s, u"128"_s})
        || !AudioMedia::Encode(wav, home.filePath(u"vbr.mp3"_s), {u"-V"_s, u"4"_s})) {
        std::fprintf(stderr, "bench_speedstep: could not make the test files (lame?)\n");
        return 2;
    }
    const Matcher matcher(AudioMedia::SweepSamples(kRate, kFileMs, kFromHz, kToHz));

    MonitorRecorder monitor(kRate);
    if (!ListeningBench::StartMonitor(monitor, "bench_speedstep"))
        return 2;

    ListeningBench::Player player;
    MyForm& form = player.form;
    GstAudioDevice& device = player.device;
    const ScriptedPrompter& prompter = player.prompter;
    MusicController& music = form.music();
    auto wait = [](const std::function<bool()>& done, int ms) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    };
    auto position = [&] {
        std::int64_t ms = -1;
        device.Position(ms);
        return ms;
    };

    std::printf("step at %d ms of the file, %d runs each; median / worst\n", kStepAtMs, kRepeats);
    std::printf("%-8s %11s | %13s %13s | %13s %13s\n", "file", "step", "replayed ms", "skipped ms", "gap ms",
                "junk ms");
    const struct { int from, to; } pairs[] = {{100, 110}, {75, 70}, {70, 75}, {125, 130}, {150, 140}};
    int failures = 0;
    for (const QString& name : {u"sweep.wav"_s, u"cbr.mp3"_s, u"vbr.mp3"_s}) {
        // BENCH_SPEEDSTEP_ONLY=file:from:to picks one run (with _DUMP: each window).
        const QStringList only = qEnvironmentVariable("BENCH_SPEEDSTEP_ONLY").split(u':');
        if (only.size() == 3 && only[0] != name)
            continue;
        for (const auto& [from, to] : pairs) {
            if (only.size() == 3 && (only[1].toInt() != from || only[2].toInt() != to))
                continue;
            std::vector<double> replayed, skipped, gap, junk;
            for (int run = 0; run < kRepeats; ++run) {
                form.state().StudySpeedPercent = from;
                music.MusicStart(home.filePath(name), name);
                if (form.state().audioState == AudioState::Closed) {
                    std::fprintf(stderr, "bench_speedstep: %s did not play\n", qPrintable(name));
                    return 1;
                }
                music.MusicSpeedApply();
                wait([&] { return position() >= kStepAtMs; }, 5000);
                const qsizetype command = monitor.samples();
                form.state().StudySpeedPercent = to;
                music.MusicSpeedApply();   // what a speed key does in the music window
                wait([] { return false; }, 900);
                music.MusicStop();
                const Step step = Measure(monitor, matcher, command, from / 100.0, to / 100.0);
                if (!step.ok) {
                    ++failures;
                    continue;
                }
                replayed.push_back(step.replayed);
                skipped.push_back(step.skipped);
                gap.push_back(step.gap);
                junk.push_back(step.junk);
            }
            std::printf("%-8s %4.2f->%4.2f | %13s %13s | %13s %13s\n", qPrintable(name), from / 100.0, to / 100.0,
                        qPrintable(Cell(replayed)), qPrintable(Cell(skipped)), qPrintable(Cell(gap)),
                        qPrintable(Cell(junk)));
            std::fflush(stdout);
        }
    }
    if (failures)
        std::printf("%d runs could not be measured (no steady sound on one side of the step)\n", failures);
    return prompter.texts().isEmpty() && failures == 0 ? 0 : 1;
}
