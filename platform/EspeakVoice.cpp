#include "platform/EspeakVoice.h"

#include "platform/EspeakEngine.h"
#include "platform/EspeakWords.h"

#include <algorithm>
#include <cmath>

EspeakVoice::EspeakVoice(QObject* parent)
    : PcmVoice(parent)
    , engine_(&EspeakEngine::Instance())
{
    voiceIndex_ = engine_->defaultVoice();
    Open();
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

int EspeakVoice::WordsPerMinuteAt(double speed)
{
    const double wpm = EspeakEngine::NormalWordsPerMinute * speed;
    return std::clamp(int(std::lround(wpm)), 80, 450);
}

void EspeakRender(EspeakEngine& engine, const QString& text, const QByteArray& voice, double speed,
                  std::shared_ptr<PcmUtterance> utterance)
{
    EspeakEngine::Request request;
    request.text = text;
    request.voice = voice;
    request.wordsPerMinute = EspeakVoice::WordsPerMinuteAt(speed);
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
    const QByteArray voice = voiceIndex_ >= 0 ? engine_->voices().at(voiceIndex_).identifier : QByteArray();
    EspeakRender(*engine_, text, voice, speed(), std::move(utterance));
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
