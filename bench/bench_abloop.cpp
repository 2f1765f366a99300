// How cleanly a play range (A-B) comes round, heard at the output: the
// player in the real window, on the real audio device, loops a range of a
// stepped-tone file while the null sink's monitor is recorded. Each stretch
// of the file has its own pitch, so the recording tells what was heard:
//
//   [0, A)           300 Hz   before the range
//   [A, A+80)        500 Hz   the range's first 80 ms
//   [A+80, B-80)     900 Hz   its middle
//   [B-80, B)       1600 Hz   its last 80 ms
//   [B, end)        2800 Hz   past the range end
//
// At every jump back it measures the 2800 Hz heard (past B), the silence
// before the 500 Hz (the gap), what came from before A, and how much of the
// last and first 80 ms went missing (an end cut short, a start landed late).
// Files: WAV, CBR MP3, VBR MP3; speeds 0.5 to 1.5. Run on the private sound
// session: eval "$(scripts/audio-session)"; QT_QPA_PLATFORM=offscreen bench_abloop

#include "bench/ListeningBench.h"
#include "support/AudioMedia.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSlider>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRate = 44100;
constexpr int kA = 2000;
constexpr int kB = 2700;
constexpr int kMarkMs = 80;
constexpr int kFileMs = 4500;
constexpr int kLoops = 6;

enum Label { Silence, Early, AMark, Middle, BMark, Past, Unknown };
constexpr double kFreq[] = {0, 300, 500, 900, 1600, 2800};


// Each sample's region, told by its pitch: the time between zero crossings
// (with hysteresis) gives the pitch of every half wave; a stretch quiet for
// a millisecond is silence; a pitch near none of the regions' (where two
// pieces overlap) is unknown.
std::vector<Label> Classify(const qint16* s, qsizetype n)
{
    constexpr int kQuiet = 300;
    constexpr int kHyst = 1200;
    std::vector<Label> out(std::size_t(n), Unknown);
    qsizetype last = -1;
    int sign = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const int v = s[i];
        const int now = v > kHyst ? 1 : v < -kHyst ? -1 : 0;
        if (now == 0 || now == sign)
            continue;
        if (sign != 0 && last >= 0) {
            const double half = double(i - last);
            const double f = kRate / (2 * half);
            Label best = Unknown;
            for (int l = Early; l <= Past; ++l)
                if (std::fabs(std::log(f / kFreq[l])) < 0.2)
                    best = Label(l);
            if (half < kRate / 200.0)
                std::fill(out.begin() + last, out.begin() + i, best);
        }
        sign = now;
        last = i;
    }
    // Splinters under 3 ms (a half wave cut by a seam) belong to the run before.
    const qsizetype splinter = 3 * kRate / 1000;
    for (qsizetype i = 0; i < n;) {
        qsizetype j = i;
        while (j < n && out[std::size_t(j)] == out[std::size_t(i)])
            ++j;
        if (i > 0 && j - i < splinter)
            std::fill(out.begin() + i, out.begin() + j, out[std::size_t(i - 1)]);
        i = j;
    }
    const qsizetype w = kRate / 1000;
    qsizetype quietSince = 0;
    for (qsizetype i = 0; i <= n; ++i) {
        if (i < n && std::abs(int(s[i])) < kQuiet)
            continue;
        if (i - quietSince >= w)
            std::fill(out.begin() + quietSince, out.begin() + i, Silence);
        quietSince = i + 1;
    }
    return out;
}

struct Jump
{
    double past = 0, silence = 0, early = 0, other = 0, endCut = 0, startLate = 0;
};

double Ms(qsizetype samples) { return samples * 1000.0 / kRate; }

// Every hand-over from the last 80 ms to the first 80 ms of the range.
std::vector<Jump> Jumps(const std::vector<Label>& l, int speed)
{
    const double markWall = kMarkMs * 100.0 / speed;
    std::vector<Jump> out;
    const auto n = qsizetype(l.size());
    qsizetype i = 0;
    while (i < n) {
        // A run of the range's end...
        while (i < n && l[i] != BMark)
            ++i;
        const qsizetype bStart = i;
        qsizetype bEnd = i;
        qsizetype counted = 0;
        Jump j;
        // ...its last sample (short breaks in it belong to it)...
        for (qsizetype k = i; k < n && l[k] != AMark && l[k] != Past && l[k] != Early; ++k) {
            if (l[k] == BMark) {
                bEnd = k + 1;
                ++counted;
            }
            if (Ms(k - bEnd) > 30)
                break;
        }
        if (bEnd >= n)
            break;
        // ...then whatever came until the range's start sounds.
        qsizetype k = bEnd;
        qsizetype past = 0, silence = 0, early = 0, other = 0;
        while (k < n && l[k] != AMark && Ms(k - bEnd) < 3000) {
            switch (l[k]) {
            case Past: ++past; break;
            case Silence: ++silence; break;
            case Early: ++early; break;
            default: ++other; break;
            }
            ++k;
        }
        if (k >= n || l[k] != AMark) {
            i = k;
            continue;
        }
        qsizetype aEnd = k;
        qsizetype aLast = k;
        while (aEnd < n && (l[aEnd] == AMark || l[aEnd] == Unknown || l[aEnd] == Silence)
               && Ms(aEnd - k) < 2 * markWall) {
            if (l[aEnd] == AMark)
                aLast = aEnd;
            ++aEnd;
        }
        // The stop at the end of the run may cut the last start short: a
        // start after which nothing more was heard does not count.
        if (std::all_of(l.begin() + aLast + 1, l.end(), [](Label x) { return x == Silence || x == Unknown; }))
            break;
        // Inside a mark the stretch filter blends its pieces: the blends
        // are heard, though no pitch can be told of them; silence is not.
        auto heard = [&](qsizetype from, qsizetype to, Label mark) {
            qsizetype count = 0;
            for (qsizetype x = from; x < to; ++x)
                count += l[x] == mark || l[x] == Unknown;
            return count;
        };
        counted = heard(bStart, bEnd, BMark);
        const qsizetype aCount = heard(k, aLast + 1, AMark);
        j.past = Ms(past);
        j.silence = Ms(silence);
        j.early = Ms(early);
        j.other = Ms(other);
        j.endCut = std::max(0.0, markWall - Ms(counted));
        j.startLate = std::max(0.0, markWall - Ms(aCount));
        out.push_back(j);
        i = aEnd;
    }
    return out;
}

struct Figure
{
    double median = 0, worst = 0;
};

Figure Of(const std::vector<Jump>& jumps, double Jump::*field)
{
    std::vector<double> v;
    for (const Jump& j : jumps)
        v.push_back(j.*field);
    if (v.empty())
        return {};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.back()};
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (!ListeningBench::InSoundSession("bench_abloop"))
        return 2;
    QTemporaryDir home;
    ListeningBench::UseHome(home);
    const QString wav = home.filePath(u"steps.wav"_s);
    const bool made = AudioMedia::WriteSteps(wav, kRate, {{kA, kFreq[Early]}, {kMarkMs, kFreq[AMark]},
                                                          {kB - kA - 2 * kMarkMs, kFreq[Middle]},
                                                          {kMarkMs, kFreq[BMark]}, {kFileMs - kB, kFreq[Past]}});
    if (!made || !AudioMedia::Encode(wav, home.filePath(u"cbr.mp3"_s), {u"-b"_s, u"128"_s})
        || !AudioMedia::Encode(wav, home.filePath(u"vbr.mp3"_s), {u"-V"_s, u"4"_s})) {
        std::fprintf(stderr, "bench_abloop: could not make the test files (lame?)\n");
        return 2;
    }

    MonitorRecorder monitor(kRate);
    if (!ListeningBench::StartMonitor(monitor, "bench_abloop"))
        return 2;

    ListeningBench::Player player;
    MyForm& form = player.form;
    const ScriptedPrompter& prompter = player.prompter;
    Controls& c = form.ui();
    MusicController& music = form.music();

    std::printf("range %d-%d ms, %d loops each; ms of wall time heard at the monitor: median / worst\n", kA, kB, kLoops);
    std::printf("%-8s %5s %6s | %13s %13s | %13s %13s %13s %13s\n", "file", "speed", "jumps", "past B", "silence",
                "before A", "other", "end cut", "start late");
    for (const QString& name : {u"steps.wav"_s, u"cbr.mp3"_s, u"vbr.mp3"_s}) {
        for (int speed : {50, 75, 100, 125, 150}) {
            form.state().StudySpeedPercent = speed;
            music.MusicStart(home.filePath(name), name);
            if (form.state().audioState == AudioState::Closed) {
                std::fprintf(stderr, "bench_abloop: %s did not play\n", qPrintable(name));
                return 1;
            }
            music.MusicSpeedApply();
            c.musicPositionSlider->setValue(kB);
            music.RangeEndSet();
            c.musicPositionSlider->setValue(kA);
            music.RangeStartSet();
            const qsizetype from = monitor.samples();
            music.MusicPlay();   // restart at the range start
            QElapsedTimer clock;
            clock.start();
            const qint64 wall = qint64(kB - kA) * 100 / speed * kLoops + 600;
            while (clock.elapsed() < wall)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
            music.MusicStop();
            // Let the monitor catch up with what was played.
            clock.restart();
            while (clock.elapsed() < 150)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);

            if (const QByteArray dump = qgetenv("BENCH_ABLOOP_DUMP"); !dump.isEmpty()) {
                // The recording of each run, raw 16-bit mono, for a closer look.
                QFile raw(QString::fromLocal8Bit(dump) + u"-%1-%2.raw"_s.arg(name).arg(speed));
                if (raw.open(QIODevice::WriteOnly))
                    raw.write(reinterpret_cast<const char*>(monitor.data() + from), (monitor.samples() - from) * 2);
            }
            const std::vector<Label> labels = Classify(monitor.data() + from, monitor.samples() - from);
            const std::vector<Jump> jumps = Jumps(labels, speed);
            auto cell = [&](double Jump::*field) {
                const Figure f = Of(jumps, field);
                return QString::asprintf("%5.1f / %5.1f", f.median, f.worst);
            };
            std::printf("%-8s %4.2fx %6zu | %13s %13s | %13s %13s %13s %13s\n", qPrintable(name), speed / 100.0,
                        jumps.size(), qPrintable(cell(&Jump::past)), qPrintable(cell(&Jump::silence)),
                        qPrintable(cell(&Jump::early)), qPrintable(cell(&Jump::other)),
                        qPrintable(cell(&Jump::endCut)), qPrintable(cell(&Jump::startLate)));
            std::fflush(stdout);
        }
    }
    std::printf("past B: the 2800 Hz after B; silence: quiet between the range's end and its start;\n"
                "before A: audio from before the range start; other: pieces no pitch could be told of\n"
                "(overlapping stretches); end cut / start late: how much of the last / first %d ms\n"
                "went missing (the filter's blends inside a mark are heard, silence in it is not).\n"
                "MP3s carry the encoder's delay (about 25 ms later than the WAV).\n",
                kMarkMs);
    return prompter.texts().isEmpty() ? 0 : 1;
}
