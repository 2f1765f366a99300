#include "study/ExportVoice.h"

#include "platform/EspeakEngine.h"
#include "platform/EspeakVoice.h"
#include "platform/EspeakWords.h"
#include "platform/FliteEngine.h"

namespace ExportVoice {

namespace {

bool IsFlite(const BuiltInVoice::Entry& voice)
{
    return voice.kind == BuiltInVoice::Kind::EnglishMale || voice.kind == BuiltInVoice::Kind::EnglishFemale;
}

} // namespace

int SampleRate(const BuiltInVoice::Entry& voice)
{
    return IsFlite(voice) ? FliteEngine::Instance().sampleRate() : EspeakEngine::Instance().sampleRate();
}

void Render(const BuiltInVoice::Entry& voice, const QString& text, int rate,
            const std::shared_ptr<KanaReader>& kana, Sink sink)
{
    if (IsFlite(voice)) {
        FliteEngine::Request request;
        request.text = text;
        request.voice = voice.kind == BuiltInVoice::Kind::EnglishFemale ? FliteEngine::Voice::Female
                                                                        : FliteEngine::Voice::Male;
        request.rate = rate;
        request.chunk = std::move(sink.chunk);
        request.word = std::move(sink.word);
        request.done = std::move(sink.done);
        FliteEngine::Instance().Synthesize(std::move(request));
        return;
    }
    EspeakEngine::Request request;
    request.text = text;
    request.voice = voice.espeakVoice;
    request.wordsPerMinute = EspeakVoice::WordsPerMinute(rate);
    request.chunk = std::move(sink.chunk);
    request.done = std::move(sink.done);
    auto word = std::move(sink.word);
    if (voice.kind != BuiltInVoice::Kind::Japanese || !kana) {
        request.word = [word, text](int position, int length, std::int64_t sample) {
            const auto [start, units] = EspeakWords::TextRange(text, position, length);
            if (start >= 0)
                word(start, units, sample);
        };
        EspeakEngine::Instance().Synthesize(std::move(request));
        return;
    }
    // Kana from the readings, made on espeak-ng's worker (MeCab is not
    // thread-safe); the words said are mapped back onto the text.
    request.prepare = [kana, word, text](EspeakEngine::Request& r) {
        QString spoken;
        QList<int> origin;
        if (!kana->Read(text, &spoken, &origin) || origin.size() != spoken.size() + 1)
            spoken = text, origin.clear();
        r.text = spoken;
        r.word = [word, spoken, origin](int position, int length, std::int64_t sample) {
            const auto [start, units] = EspeakWords::TextRange(spoken, position, length);
            if (start < 0)
                return;
            if (origin.isEmpty()) {
                word(start, units, sample);
                return;
            }
            const int from = origin.at(start);
            const int to = origin.at(start + units);
            word(from, std::max(1, to - from), sample);
        };
    };
    EspeakEngine::Instance().Synthesize(std::move(request));
}

} // namespace ExportVoice
