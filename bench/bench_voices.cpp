// How well a recogniser understands each English voice: twenty sentences
// are rendered to PCM by Flite's two voices and by espeak-ng's English voice,
// written as 16 kHz mono WAV files, recognised by pocketsphinx with its
// en-us model, and scored by word error rate against the text. Also the
// time from the request to the first samples of each voice (synthesis
// only, no audio device), and the speed heard at a repetition's steps, the
// Japanese voice's as the program feeds it (MeCab readings). Needs
// pocketsphinx and pocketsphinx-en-us.
//
// MURMELIN_BENCH_SPEED_ONLY=1 stops after the speeds; with
// MURMELIN_BENCH_ESPEAK_PACE=1 it first prints the speed heard at each of
// espeak-ng's words per minute, the figures EspeakVoice's pace tables hold.

#include "platform/EspeakEngine.h"
#include "platform/BuiltInVoice.h"
#include "platform/EspeakVoice.h"
#include "platform/FliteEngine.h"
#include "speech/KanaReadings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

const QStringList kSentences{
    u"The weather was cold and windy all morning."_s,
    u"She opened the window and looked at the garden."_s,
    u"We took the early train to the city."_s,
    u"My brother likes to read books about history."_s,
    u"Please close the door when you leave the room."_s,
    u"The children played football in the park after school."_s,
    u"He forgot his keys on the kitchen table."_s,
    u"A cup of hot tea helps me wake up."_s,
    u"The teacher asked us to write a short story."_s,
    u"They moved to a small house near the river."_s,
    u"I need to buy some bread and milk today."_s,
    u"The music was so loud that nobody could talk."_s,
    u"Our flight was delayed because of the storm."_s,
    u"She speaks three languages and wants to learn more."_s,
    u"The old man walked slowly down the street."_s,
    u"Do you know where the nearest station is?"_s,
    u"We watched a movie and ate popcorn last night."_s,
    u"The doctor told him to rest for a few days."_s,
    u"Learning a new language takes time and practice."_s,
    u"The shop on the corner sells fresh fruit every day."_s,
};

// Everyday sentences with kanji, as a learner's text has them.
const QStringList kJapaneseSentences{
    u"今日は朝から寒くて風が強かった。"_s,
    u"彼女は窓を開けて庭を眺めた。"_s,
    u"私たちは早い電車で町へ行った。"_s,
    u"兄は歴史の本を読むのが好きです。"_s,
    u"部屋を出るときはドアを閉めてください。"_s,
    u"子供たちは放課後に公園でサッカーをした。"_s,
    u"彼は台所のテーブルに鍵を忘れた。"_s,
    u"温かいお茶を一杯飲むと目が覚めます。"_s,
    u"先生は短い物語を書くように言いました。"_s,
    u"彼らは川の近くの小さな家に引っ越した。"_s,
    u"今日はパンと牛乳を買わなければならない。"_s,
    u"音楽がうるさくて誰も話せなかった。"_s,
    u"嵐のせいで飛行機が遅れました。"_s,
    u"彼女は三つの言葉を話し、もっと学びたいと思っている。"_s,
    u"おじいさんはゆっくりと通りを歩いていった。"_s,
    u"一番近い駅がどこにあるか知っていますか。"_s,
    u"昨日の夜は映画を見ながらポップコーンを食べた。"_s,
    u"医者は彼に数日休むように言った。"_s,
    u"新しい言語を学ぶには時間と練習が必要です。"_s,
    u"角の店では毎日新鮮な果物を売っている。"_s,
};

struct Rendered
{
    std::vector<std::int16_t> samples;
    int rate = 0;
    double firstSamplesMs = -1;
};

// Waits for one request to finish on its engine's worker.
struct Waiter
{
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    void Finish()
    {
        std::lock_guard lock(mutex);
        finished = true;
        done.notify_all();
    }
    void Wait()
    {
        std::unique_lock lock(mutex);
        done.wait(lock, [this] { return finished; });
    }
};

Rendered RenderFlite(const QString& text, FliteEngine::Voice voice, double speed = 1.0)
{
    Rendered out;
    out.rate = FliteEngine::Instance().sampleRate();
    Waiter waiter;
    const Clock::time_point start = Clock::now();
    FliteEngine::Request request;
    request.text = text;
    request.voice = voice;
    request.speed = speed;
    request.chunk = [&](const std::int16_t* samples, int count) {
        if (samples && count > 0) {
            if (out.firstSamplesMs < 0)
                out.firstSamplesMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            out.samples.insert(out.samples.end(), samples, samples + count);
        }
        return true;
    };
    request.done = [&] { waiter.Finish(); };
    FliteEngine::Instance().Synthesize(std::move(request));
    waiter.Wait();
    return out;
}

Rendered RenderEspeak(const QString& text, const QByteArray& voice, const QString& language, double speed = 1.0)
{
    Rendered out;
    out.rate = EspeakEngine::Instance().sampleRate();
    Waiter waiter;
    const Clock::time_point start = Clock::now();
    EspeakEngine::Request request;
    request.text = text;
    request.voice = voice;
    request.wordsPerMinute = EspeakVoice::WordsPerMinuteAt(speed, language);
    request.chunk = [&](const std::int16_t* samples, int count) {
        if (samples && count > 0) {
            if (out.firstSamplesMs < 0)
                out.firstSamplesMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            out.samples.insert(out.samples.end(), samples, samples + count);
        }
        return true;
    };
    request.done = [&] { waiter.Finish(); };
    EspeakEngine::Instance().Synthesize(std::move(request));
    waiter.Wait();
    return out;
}

// The built-in Japanese voice as the program runs it: kanji read by MeCab,
// the kana said by espeak-ng at the speed's words per minute.
Rendered RenderBuiltInJapanese(const QString& text, const QByteArray& voice,
                               const std::shared_ptr<KanaReader>& kana, double speed)
{
    Rendered out;
    out.rate = EspeakEngine::Instance().sampleRate();
    Waiter waiter;
    const Clock::time_point start = Clock::now();
    BuiltInVoice::Sink sink;
    sink.chunk = [&](const std::int16_t* samples, int count) {
        if (samples && count > 0) {
            if (out.firstSamplesMs < 0)
                out.firstSamplesMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            out.samples.insert(out.samples.end(), samples, samples + count);
        }
        return true;
    };
    sink.word = [](int, int, std::int64_t) {};
    sink.done = [&] { waiter.Finish(); };
    const BuiltInVoice::Entry japanese{BuiltInVoice::kJapaneseName, BuiltInVoice::Kind::Japanese, voice};
    BuiltInVoice::Synthesize(japanese, text, speed, kana, std::move(sink));
    waiter.Wait();
    return out;
}

// espeak-ng at exactly `wordsPerMinute`, the engine's own setting.
Rendered RenderEspeakAtRate(const QString& text, const QByteArray& voice, int wordsPerMinute,
                            const std::shared_ptr<KanaReader>& kana = {})
{
    Rendered out;
    out.rate = EspeakEngine::Instance().sampleRate();
    Waiter waiter;
    EspeakEngine::Request request;
    request.text = text;
    request.voice = voice;
    request.wordsPerMinute = wordsPerMinute;
    request.chunk = [&](const std::int16_t* samples, int count) {
        if (samples && count > 0)
            out.samples.insert(out.samples.end(), samples, samples + count);
        return true;
    };
    request.done = [&] { waiter.Finish(); };
    if (kana)
        request.prepare = [kana](EspeakEngine::Request& r) {
            QString spoken;
            QList<int> origin;
            if (kana->Read(r.text, &spoken, &origin))
                r.text = spoken;
        };
    EspeakEngine::Instance().Synthesize(std::move(request));
    waiter.Wait();
    return out;
}

// From the first sound to the last, in seconds: the pauses before and after
// a line do not scale with the speed the same way in every engine.
double SoundingSeconds(const Rendered& r)
{
    constexpr int kSilence = 300;
    size_t first = 0;
    size_t last = r.samples.size();
    while (first < last && std::abs(r.samples[first]) < kSilence)
        ++first;
    while (last > first && std::abs(r.samples[last - 1]) < kSilence)
        --last;
    return double(last - first) / std::max(1, r.rate);
}

// Linear interpolation is enough for speech going to a recogniser.
std::vector<std::int16_t> To16k(const std::vector<std::int16_t>& in, int rate)
{
    if (rate == 16000)
        return in;
    const double step = double(rate) / 16000.0;
    std::vector<std::int16_t> out(size_t(double(in.size()) / step));
    for (size_t i = 0; i < out.size(); ++i) {
        const double at = double(i) * step;
        const size_t k = size_t(at);
        const double f = at - double(k);
        const double a = in[k];
        const double b = k + 1 < in.size() ? in[k + 1] : a;
        out[i] = std::int16_t(std::lround(a + (b - a) * f));
    }
    return out;
}

bool WriteWav(const QString& path, const std::vector<std::int16_t>& samples)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    auto u32 = [&](quint32 v) { f.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](quint16 v) { f.write(reinterpret_cast<const char*>(&v), 2); };
    const quint32 bytes = quint32(samples.size() * 2);
    f.write("RIFF");
    u32(36 + bytes);
    f.write("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(16000);
    u32(32000);
    u16(2);
    u16(16);
    f.write("data");
    u32(bytes);
    f.write(reinterpret_cast<const char*>(samples.data()), qint64(bytes));
    return true;
}

QStringList Words(const QString& text)
{
    QString t = text.toLower();
    t.replace(QRegularExpression(u"[^a-z' ]"_s), u" "_s);
    return t.split(u' ', Qt::SkipEmptyParts);
}

int EditDistance(const QStringList& a, const QStringList& b)
{
    std::vector<int> row(size_t(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int up = row[size_t(j)];
            row[size_t(j)] = std::min({up + 1, row[size_t(j) - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row.back();
}

QString Recognise(const QString& wav)
{
    QProcess p;
    p.start(u"pocketsphinx_continuous"_s, {u"-infile"_s, wav, u"-logfn"_s, u"/dev/null"_s});
    if (!p.waitForFinished(120000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (QStandardPaths::findExecutable(u"pocketsphinx_continuous"_s).isEmpty()) {
        std::fprintf(stderr, "bench_voices: pocketsphinx_continuous is missing (pocketsphinx, pocketsphinx-en-us)\n");
        return 1;
    }
    QTemporaryDir dir;
    const auto& espeakVoices = EspeakEngine::Instance().voices();
    const int english = EspeakEngine::VoiceForLanguage(espeakVoices, u"en-us"_s);
    const QByteArray espeakEnglish = english >= 0 ? espeakVoices.at(english).identifier : QByteArray();

    struct Voice
    {
        const char* name;
        std::function<Rendered(const QString&, double)> render;
    };
    const QList<Voice> voices{
        {"Flite cmu_us_rms (英語・男性)", [](const QString& t, double s) { return RenderFlite(t, FliteEngine::Voice::Male, s); }},
        {"Flite cmu_us_slt (英語・女性)", [](const QString& t, double s) { return RenderFlite(t, FliteEngine::Voice::Female, s); }},
        {"espeak-ng en-us", [&](const QString& t, double s) { return RenderEspeak(t, espeakEnglish, u"en-us"_s, s); }},
    };

    const int japanese = EspeakEngine::VoiceForLanguage(espeakVoices, u"ja"_s);
    const QByteArray espeakJapanese = japanese >= 0 ? espeakVoices.at(japanese).identifier : QByteArray();
    const std::shared_ptr<KanaReader> kana = MakeKanaReader();

    // The speed heard at each of espeak-ng's settings: the sentences' length
    // at its normal speed over their length at the setting.
    if (qEnvironmentVariableIsSet("MURMELIN_BENCH_ESPEAK_PACE")) {
        struct Paced
        {
            const char* name;
            QByteArray voice;
            const QStringList* sentences;
            std::shared_ptr<KanaReader> kana;
        };
        const QList<Paced> paced{{"ja", espeakJapanese, &kJapaneseSentences, kana},
                                 {"en-us", espeakEnglish, &kSentences, {}}};
        for (const Paced& p : paced) {
            const auto length = [&](int wpm) {
                double seconds = 0;
                for (const QString& t : *p.sentences)
                    seconds += SoundingSeconds(RenderEspeakAtRate(t, p.voice, wpm, p.kana));
                return seconds;
            };
            const double normal = length(EspeakEngine::NormalWordsPerMinute);
            std::printf("espeak-ng %s: words per minute -> speed heard (x normal) [wpm / 175]\n", p.name);
            for (int wpm : {60, 70, 80, 85, 90, 100, 110, 120, 130, 140, 150, 160, 175, 190, 200, 220, 240, 260,
                            280, 300, 325, 350, 375, 400, 425, 450, 475, 500})
                std::printf("  %3d -> %.4f  [%.4f]\n", wpm, normal / length(wpm),
                            double(wpm) / EspeakEngine::NormalWordsPerMinute);
            std::fflush(stdout);
        }
    }

    // A repetition's speeds: the length of the sentences (first sound to
    // last) at 1.0× over their length at each step is the speed heard.
    struct Stepped
    {
        const char* name;
        std::function<Rendered(const QString&, double)> render;
        const QStringList* sentences;
    };
    QList<Stepped> stepped;
    for (const Voice& voice : voices)
        stepped.append({voice.name, voice.render, &kSentences});
    stepped.append({"espeak-ng ja (MeCab readings)",
                    [&](const QString& t, double s) { return RenderBuiltInJapanese(t, espeakJapanese, kana, s); },
                    &kJapaneseSentences});
    std::printf("speed heard (length at 1.0x / length at the step), %lld sentences\n", qlonglong(kSentences.size()));
    for (const Stepped& voice : stepped) {
        QString line = u"  %1"_s.arg(QString::fromUtf8(voice.name), -30);
        double normal = 0;
        QList<double> firsts;
        for (const QString& t : *voice.sentences) {
            const Rendered r = voice.render(t, 1.0);
            normal += SoundingSeconds(r);
            firsts << r.firstSamplesMs;
        }
        std::sort(firsts.begin(), firsts.end());
        line += u"  first samples %1 ms"_s.arg(firsts.at(firsts.size() / 2), 0, 'f', 1);
        for (double step : {0.5, 0.75, 1.25, 1.5}) {
            double atStep = 0;
            for (const QString& t : *voice.sentences)
                atStep += SoundingSeconds(voice.render(t, step));
            line += u"  %1x -> %2x"_s.arg(step, 0, 'f', 2).arg(normal / atStep, 0, 'f', 3);
        }
        std::printf("%s  [target within 2 %%]\n", qPrintable(line));
        std::fflush(stdout);
    }
    if (qEnvironmentVariableIsSet("MURMELIN_BENCH_SPEED_ONLY"))
        return 0;

    // One sentence per recognition: pocketsphinx's language model does best
    // on utterances of a sentence, and the errors stay countable.
    std::printf("word error rate of pocketsphinx en-us over %lld sentences (%lld words)\n",
                qlonglong(kSentences.size()), qlonglong(Words(kSentences.join(u' ')).size()));
    for (const Voice& voice : voices) {
        int errors = 0;
        int words = 0;
        QList<double> firsts;
        for (int i = 0; i < kSentences.size(); ++i) {
            const Rendered r = voice.render(kSentences[i], 1.0);
            firsts << r.firstSamplesMs;
            std::vector<std::int16_t> padded(8000, 0);   // half a second of silence either side
            const std::vector<std::int16_t> speech = To16k(r.samples, r.rate);
            padded.insert(padded.end(), speech.begin(), speech.end());
            padded.insert(padded.end(), 8000, 0);
            const QString wav = dir.filePath(u"s%1.wav"_s.arg(i));
            WriteWav(wav, padded);
            const QStringList reference = Words(kSentences[i]);
            const QStringList heard = Words(Recognise(wav));
            errors += EditDistance(reference, heard);
            words += int(reference.size());
        }
        std::sort(firsts.begin(), firsts.end());
        std::printf("  %-30s WER %5.1f %%  (%d errors / %d words)  request to first samples: median %.1f ms, max %.1f ms%s\n",
                    voice.name, 100.0 * errors / words, errors, words, firsts.at(firsts.size() / 2), firsts.last(),
                    QByteArray(voice.name).startsWith("Flite cmu_us_rms") ? "  [target WER <= 20 %]" : "");
    }
    return 0;
}
