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
};
