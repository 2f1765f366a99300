#pragma once

#include "platform/BuiltInVoice.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class KanaReader;

// A built-in voice rendered for a file rather than the speaker: the same
// engines and the same text preparation as when it reads aloud, but every
// chunk goes to the caller as fast as the engine makes it.
namespace ExportVoice {

struct Sink
{
    // 16-bit mono samples; false stops the synthesis (done is then not called).
    std::function<bool(const std::int16_t* samples, int count)> chunk;
    // [start, start + length) of the text given begins at this sample.
    std::function<void(int start, int length, std::int64_t sample)> word;
    std::function<void()> done;
};

// The rate a text is rendered at in `voice` (an entry as BuiltInVoice::VoiceFor
// gives it); 0 when its engine does not work.
int SampleRate(const BuiltInVoice::Entry& voice);

// Queues the text on the voice's engine at `rate` (-5..5); returns at once.
// The Japanese voice reads kana from `kana` when there is one.
void Render(const BuiltInVoice::Entry& voice, const QString& text, int rate,
            const std::shared_ptr<KanaReader>& kana, Sink sink);

} // namespace ExportVoice
