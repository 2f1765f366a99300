// The word mark against the sound: for each word of a line read by a
// built-in voice (espeak-ng's en-us, Flite's two English voices), the time
// the view marks it minus the time its first sample is heard on the sink's
// monitor. The word's place in the sound comes from the same text rendered
// beforehand by the same engine (same voice, same speed), lined up with the
// monitor at the first sound. Beside it, the same words shown when the
// engine renders them, as a reader timed to synthesis would.
// Run on the private sound session: eval "$(scripts/audio-session)".

#include "documents/TextView.h"
#include "platform/BuiltInVoice.h"
#include "platform/EspeakEngine.h"
#include "platform/FliteEngine.h"
#include "platform/EspeakVoice.h"
#include "platform/EspeakWords.h"
#include "support/EventWait.h"
#include "support/MonitorRecorder.h"

#include <QApplication>
#include <QSignalSpy>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

const QStringList kLines{
    u"Please read this short line out loud and then say it again"_s,
    u"The quick brown fox jumps over the lazy dog near the river bank"_s,
};
constexpr int kRuns = 12;
constexpr int kThreshold = 256;

struct Figures
{
    QList<double> values;
    QString text() const
    {
        if (values.isEmpty())
            return u"no data"_s;
        QList<double> v = values;
        std::sort(v.begin(), v.end());
        return u"median %1 ms (min %2, p10 %3, p90 %4, max %5, n=%6)"_s.arg(v.at(v.size() / 2), 0, 'f', 1)
            .arg(v.first(), 0, 'f', 1).arg(v.at(v.size() / 10), 0, 'f', 1).arg(v.at(v.size() * 9 / 10), 0, 'f', 1)
            .arg(v.last(), 0, 'f', 1).arg(v.size());
    }
};

struct Rendered
{
    int rate = 0;
    QList<std::int16_t> pcm;
    std::map<int, qint64> wordSample;   // word start in the text -> its first sample
};

Rendered Render(const QString& text, const QByteArray& voice)
{
    Rendered out;
    out.rate = EspeakEngine::Instance().sampleRate();
    std::mutex m;
    std::atomic<bool> done{false};
    EspeakEngine::Request request;
    request.text = text;
    request.voice = voice;
    request.wordsPerMinute = EspeakVoice::WordsPerMinute(0);
    request.chunk = [&](const std::int16_t* samples, int count) {
        std::lock_guard lock(m);
        for (int i = 0; i < count; ++i)
            out.pcm.append(samples[i]);
        return true;
    };
    request.word = [&](int position, int length, std::int64_t sample) {
        const auto [start, units] = EspeakWords::TextRange(text, position, length);
        std::lock_guard lock(m);
        if (start >= 0 && !out.wordSample.count(start))
            out.wordSample[start] = sample;
    };
    request.done = [&] { done = true; };
    EspeakEngine::Instance().Synthesize(std::move(request));
    WaitFor([&] { return done.load(); }, 30000);
    return out;
}

Rendered RenderFlite(const QString& text, FliteEngine::Voice voice)
{
    Rendered out;
    out.rate = FliteEngine::Instance().sampleRate();
    std::mutex m;
    std::atomic<bool> done{false};
    FliteEngine::Request request;
    request.text = text;
    request.voice = voice;
    request.chunk = [&](const std::int16_t* samples, int count) {
        std::lock_guard lock(m);
        for (int i = 0; i < count; ++i)
            out.pcm.append(samples[i]);
        return true;
    };
    request.word = [&](int start, int, std::int64_t sample) {
        std::lock_guard lock(m);
        if (!out.wordSample.count(start))
            out.wordSample[start] = sample;
    };
    request.done = [&] { done = true; };
    FliteEngine::Instance().Synthesize(std::move(request));
    WaitFor([&] { return done.load(); }, 30000);
    return out;
}

qsizetype FirstSound(const QList<std::int16_t>& pcm)
{
    for (qsizetype i = 0; i < pcm.size(); ++i)
        if (std::abs(int(pcm[i])) > kThreshold)
            return i;
    return -1;
}

// Where a word is first heard in a rendered line: after the quietest 2 ms
// of its first 50 ms (before the next word) when that stretch is silent, as
// the closure of an opening plosive is; else where the engine puts it.
qint64 HeardOnset(const Rendered& r, qint64 sample, qint64 next)
{
    const qint64 frame = r.rate / 500;
    const qint64 end = std::min<qint64>({next, sample + r.rate / 20, r.pcm.size()});
    qint64 quietest = -1;
    int quietestPeak = 1 << 16;
    for (qint64 f = sample; f + frame <= end; f += frame) {
        int peak = 0;
        for (qint64 i = f; i < f + frame; ++i)
            peak = std::max(peak, std::abs(int(r.pcm[i])));
        if (peak < quietestPeak)
            quietestPeak = peak, quietest = f;
    }
    if (quietest < 0 || quietestPeak > kThreshold)
        return sample;
    for (qint64 i = quietest; i < std::min<qint64>(next, r.pcm.size()); ++i)
        if (std::abs(int(r.pcm[i])) > kThreshold)
            return i;
    return sample;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        std::fprintf(stderr, "needs the private sound session: eval \"$(scripts/audio-session)\"\n");
        return 1;
    }
    const auto& voices = EspeakEngine::Instance().voices();
    const int english = EspeakEngine::VoiceForLanguage(voices, u"en-us"_s);
    if (english < 0) {
        std::fprintf(stderr, "espeak-ng's en-us voice is missing\n");
        return 1;
    }
    MonitorRecorder monitor;
    if (!monitor.start()) {
        std::fprintf(stderr, "parec could not record the monitor\n");
        return 1;
    }

    TextView view;
    view.resize(700, 200);
    view.show();

    auto measure = [&](PcmVoice& voice, const char* name, const std::function<Rendered(const QString&)>& render) {
        Figures heard, onset, rendered;
        Figures firstSound;
        for (int run = 0; run < kRuns; ++run) {
            const QString line = kLines.at(run % kLines.size());
            view.SetText(line);
            const Rendered reference = render(line);
            const qsizetype referenceStart = FirstSound(reference.pcm);
            // The engine's samples on the monitor's clock.
            const double scale = double(MonitorRecorder::Rate) / reference.rate;

            // When each word was marked, on the monitor's clock.
            std::map<int, double> marked;
            auto connection = QObject::connect(&voice, &SpeechVoice::WordStarted, &voice, [&](int start, int length) {
                view.SetWordHighlight(start, length);
                view.viewport()->repaint();
                if (!marked.count(start))
                    marked[start] = monitor.NowMs();
            });
            QSignalSpy ended(&voice, &SpeechVoice::EndStream);
            const qsizetype from = monitor.samples();
            const double spoken = monitor.NowMs();
            voice.setRate(0);
            voice.Speak(line, 3);
            ended.wait(30000);
            QObject::disconnect(connection);
            Wait(700);   // the monitor's tail

            const qsizetype start = monitor.soundFrom(from, kThreshold);
            if (start < 0 || referenceStart < 0) {
                std::fprintf(stderr, "run %d: no sound found\n", run);
                continue;
            }
            firstSound.values << monitor.SampleMs(start) - spoken;
            for (auto w = reference.wordSample.begin(); w != reference.wordSample.end(); ++w) {
                const auto& [word, sample] = *w;
                const auto following = std::next(w);
                const qint64 next = following == reference.wordSample.end() ? reference.pcm.size() : following->second;
                const qint64 heardAt = HeardOnset(reference, sample, next);
                const double audio = monitor.SampleMs(start + qsizetype(double(sample - referenceStart) * scale));
                const double audioOnset = monitor.SampleMs(start + qsizetype(double(heardAt - referenceStart) * scale));
                if (marked.count(word)) {
                    heard.values << marked[word] - audio;
                    onset.values << marked[word] - audioOnset;
                }
                // A reader timed to synthesis shows every word about when it is
                // rendered: all of a short line within the first few ms.
                rendered.values << spoken - audio;
            }
            Wait(200);
        }
        std::printf("%s, %d readings of %lld-word lines, monitor at %d Hz\n", name, kRuns,
                    qlonglong(kLines.first().split(u' ').size()), MonitorRecorder::Rate);
        std::printf("  word marked minus the engine's word start: %s\n", qPrintable(heard.text()));
        std::printf("  word marked minus its onset heard:         %s  [target within 30 ms]\n", qPrintable(onset.text()));
        std::printf("  word timed to synthesis minus word heard:  %s (lower bound: shown at the speak call)\n",
                    qPrintable(rendered.text()));
        std::printf("  speak call to first sound:                 %s\n", qPrintable(firstSound.text()));
    };

    {
        EspeakVoice voice;
        if (!voice.ok() || !voice.setVoice(english)) {
            std::fprintf(stderr, "the built-in voice has no audio output\n");
            return 1;
        }
        measure(voice, "espeak-ng en-us", [&](const QString& line) { return Render(line, voices[english].identifier); });
    }
    BuiltInVoice builtIn;
    builtIn.setVoice(int(builtIn.GetVoices().indexOf(BuiltInVoice::kEnglishMaleName)));
    measure(builtIn, "Flite cmu_us_rms (英語・男性)",
            [](const QString& line) { return RenderFlite(line, FliteEngine::Voice::Male); });
    builtIn.setVoice(int(builtIn.GetVoices().indexOf(BuiltInVoice::kEnglishFemaleName)));
    measure(builtIn, "Flite cmu_us_slt (英語・女性)",
            [](const QString& line) { return RenderFlite(line, FliteEngine::Voice::Female); });
    return 0;
}
