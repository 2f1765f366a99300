#pragma once

#include "platform/BuiltInVoice.h"

#include <QString>

#include <memory>

class KanaReader;

// A built-in voice rendered for a file rather than the speaker: the same
// engines and the same text preparation as when it reads aloud, but every
// chunk goes to the caller as fast as the engine makes it.
namespace ExportVoice {

using Sink = BuiltInVoice::Sink;

// The rate a text is rendered at in `voice` (an entry as BuiltInVoice::VoiceFor
// gives it); 0 when its engine does not work.
int SampleRate(const BuiltInVoice::Entry& voice);

// Queues the text on the voice's engine at `rate` (-5..5); returns at once.
// The Japanese voice reads kana from `kana` when there is one.
void Render(const BuiltInVoice::Entry& voice, const QString& text, int rate,
            const std::shared_ptr<KanaReader>& kana, Sink sink);

} // namespace ExportVoice
