#include "study/ExportVoice.h"

namespace ExportVoice {

int SampleRate(const BuiltInVoice::Entry& voice)
{
    return BuiltInVoice::SampleRateOf(voice);
}

void Render(const BuiltInVoice::Entry& voice, const QString& text, int rate,
            const std::shared_ptr<KanaReader>& kana, Sink sink)
{
    BuiltInVoice::Synthesize(voice, text, PcmVoice::SpeedOfRate(rate), kana, std::move(sink));
}

} // namespace ExportVoice
