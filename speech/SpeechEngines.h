#pragma once

class SpeechSynthesizer;
class SpeechVoice;

// The engine the reader speaks through: the built-in voice or the desktop
// speech service, whichever the set-up chose for this run.
class SpeechEngines
{
public:
    virtual ~SpeechEngines() = default;
    virtual SpeechVoice* voice() const = 0;
    virtual SpeechSynthesizer* synthesizer() const = 0;
    virtual bool SynthesizerInUse() const = 0;

    // Who started what the engines say now: the reader, or a speak button of
    // the synchronized-text window. Each speak discards what was sounding, so
    // only the latest utterance can complete, and its completion goes back
    // to whoever started it.
    enum class Speaker { Reader, Display };
    Speaker speaker = Speaker::Reader;
};
