#include "platform/EspeakVoice.h"

#include "platform/EspeakEngine.h"
#include "platform/EspeakWords.h"

#include <algorithm>
#include <cmath>
#include <iterator>

EspeakVoice::EspeakVoice(QObject* parent)
    : PcmVoice(parent)
    , engine_(&EspeakEngine::Instance())
{
    voiceIndex_ = engine_->defaultVoice();
}

bool EspeakVoice::EngineReady() const
{
    return engine_->ok();
}

int EspeakVoice::SampleRateFor(const QString&) const
{
    return engine_->sampleRate();
}

int EspeakVoice::WordsPerMinute(int rate)
{
    return WordsPerMinuteAt(SpeedOfRate(rate));
}

namespace {

// espeak-ng takes no setting outside these.
constexpr int kSlowestWordsPerMinute = 80;
constexpr int kFastestWordsPerMinute = 450;

// The speed heard at one of espeak-ng's settings: the length of a text at
// the normal setting over its length at this one.
struct HeardSpeed
{
    int wordsPerMinute;
    double speed;
};

// Measured with bench_voices (MURMELIN_BENCH_ESPEAK_PACE=1) on twenty
// everyday sentences each. The Japanese voice, saying MeCab's kana, runs
// ahead of words per minute above the normal speed and behind them below
// it (its pauses and long vowels do not scale with them); English falls
// behind above about 1.3x. Below 85 espeak-ng does not slow down any more.
constexpr HeardSpeed kJapaneseSpeeds[] = {
    {80, 0.4537}, {85, 0.4581}, {90, 0.4865}, {100, 0.5421}, {110, 0.6002}, {120, 0.6580},
    {130, 0.7219}, {140, 0.7821}, {150, 0.8387}, {160, 0.9039}, {175, 1.0000}, {190, 1.0967},
    {200, 1.1651}, {220, 1.2975}, {240, 1.4229}, {260, 1.5581}, {280, 1.7118}, {300, 1.8496},
    {325, 2.0012}, {350, 2.1147}, {375, 2.2265}, {400, 2.3434}, {425, 2.4663}, {450, 2.5249},
};
constexpr HeardSpeed kEnglishSpeeds[] = {
    {80, 0.4849}, {85, 0.4880}, {90, 0.5166}, {100, 0.5727}, {110, 0.6308}, {120, 0.6857},
    {130, 0.7450}, {140, 0.8018}, {150, 0.8542}, {160, 0.9142}, {175, 1.0000}, {190, 1.0851},
    {200, 1.1374}, {220, 1.2496}, {240, 1.3575}, {260, 1.4592}, {280, 1.5757}, {300, 1.6715},
    {325, 1.8089}, {350, 1.9418}, {375, 2.0548}, {400, 2.2133}, {425, 2.3347}, {450, 2.4513},
};

int Clamped(double wordsPerMinute)
{
    return std::clamp(int(std::lround(wordsPerMinute)), kSlowestWordsPerMinute, kFastestWordsPerMinute);
}

// The setting heard at `speed`, between the measured neighbours, or along
// the nearest end's slope beyond them.
int FromHeardSpeeds(const HeardSpeed* first, const HeardSpeed* last, double speed)
{
    const HeardSpeed* upper = std::find_if(first + 1, last - 1, [speed](const HeardSpeed& h) { return h.speed >= speed; });
    const HeardSpeed& lower = *(upper - 1);
    const double along = (speed - lower.speed) / (upper->speed - lower.speed);
    return Clamped(lower.wordsPerMinute + along * (upper->wordsPerMinute - lower.wordsPerMinute));
}

bool IsLanguage(QStringView language, QStringView code)
{
    return language.startsWith(code) && (language.size() == code.size() || language.at(code.size()) == u'-');
}

} // namespace

int EspeakVoice::WordsPerMinuteAt(double speed, QStringView language)
{
    if (IsLanguage(language, u"ja"))
        return FromHeardSpeeds(std::begin(kJapaneseSpeeds), std::end(kJapaneseSpeeds), speed);
    if (IsLanguage(language, u"en"))
        return FromHeardSpeeds(std::begin(kEnglishSpeeds), std::end(kEnglishSpeeds), speed);
    return Clamped(EspeakEngine::NormalWordsPerMinute * speed);
}

void EspeakRender(EspeakEngine& engine, const QString& text, const QByteArray& voice, QStringView language,
                  double speed, std::shared_ptr<PcmUtterance> utterance)
{
    EspeakEngine::Request request;
    request.text = text;
    request.voice = voice;
    request.wordsPerMinute = EspeakVoice::WordsPerMinuteAt(speed, language);
    request.chunk = [utterance](const std::int16_t* samples, int count) {
        return utterance->Push(samples, count);
    };
    request.done = [utterance] { utterance->End(); };
    request.word = [utterance, text](int position, int length, std::int64_t sample) {
        const auto [start, units] = EspeakWords::TextRange(text, position, length);
        utterance->Word(start, units, sample);
    };
    engine.Synthesize(std::move(request));
}

void EspeakVoice::Render(const QString& text, std::shared_ptr<PcmUtterance> utterance)
{
    if (voiceIndex_ < 0) {
        EspeakRender(*engine_, text, QByteArray(), {}, speed(), std::move(utterance));
        return;
    }
    const EspeakEngine::Voice& voice = engine_->voices().at(voiceIndex_);
    const QString language = voice.languages.value(0);
    EspeakRender(*engine_, text, voice.identifier, language, speed(), std::move(utterance));
}

QStringList EspeakVoice::GetVoices() const
{
    QStringList out;
    for (const EspeakEngine::Voice& v : engine_->voices())
        out << v.description;
    return out;
}

bool EspeakVoice::setVoice(int index)
{
    if (index < 0 || index >= engine_->voices().size())
        return false;
    voiceIndex_ = index;
    return true;
}
