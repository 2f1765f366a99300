#pragma once

#include "core/Controller.h"
#include "speech/ReaderText.h"
#include "speech/ShadowGap.h"
#include "speech/SpeechEngines.h"
#include "speech/SpokenText.h"

#include <QList>
#include <QString>

#include <optional>

class SpeechSynthesizer;
class SpeechVoice;
class TextView;

// Reads the document on screen aloud: one line, a selected range or the
// whole text, with repetitions, skips, pause and stop. One state variable
// (speechState) follows the engine through speaking, pausing and
// stopping and decides what each button and each completion event does.
class SpeechReader : public Controller
{
public:
    SpeechReader(const Context& context, SpeechEngines& engines);

    void SpeechPlay();
    void SpeechPause();
    void SpeechStop();
    void SpeechSkipBackward();
    void SpeechSkipForward();
    void SpeechReproductionModeSetting();
    void SpeechLoopModeSetting();
    void SpeechVoiceEndEvent();
    void SpeechSynthesizerEndEvent();
    void SpeechLoopSub(int count);
    void SpeechSynthesizerLoopSub(int count);

    // Speak one text on the engine in use; the state follows only when the
    // engine took the text.
    void SpeakAsyncOut(const QString& text);
    void SpeakAsyncOutRange(const QString& text);

    // Brings the reading state back to what the engine says, before any
    // command acts on it: a reading whose end never came is over, and the
    // reader's own text still sounding is a reading again.
    void FollowEngine();

    // The mode button's face and the buttons that depend on the mode.
    void ShowReproductionMode();

    // The built-in voice is being heard, and is at a word of the text it
    // was given: the word is marked in the view when the user wants that.
    void AudioStarted();
    void WordStarted(int start, int length);
    // The word mark was switched off: the view loses it at once.
    void FollowWordChanged();
    // The silence after each line, for tests and measurements.
    ShadowGap& Gap() { return gap_; }

    // A line shown in the synchronized-text window, spoken on that window's
    // own engines; the reading state is neither read nor changed.
    static void DispSpeakAsyncOut(const QString& text, const State& state, SpeechVoice* voice,
                                  SpeechSynthesizer* synthesizer, bool synthesizerInUse);

private:
    SpeechVoice* voice() const;
    SpeechSynthesizer* synthesizer() const;
    bool SynthesizerInUse() const;

    TextView* VisibleView() const;
    bool ReadingTextView() const;
    int MarkFlag() const;
    bool NoEngine() const;
    void ShowPaused(bool paused);
    void EnableViews(bool enabled);
    bool SpeakOnEngine(const QString& text);
    // One line or a range is read again and again; the whole text once.
    bool Repeating() const;
    // Readings of a repeated text: the ladder's steps, else the count.
    int Repetitions() const;
    // The voice rate for the reading about to start.
    int PassRate() const;
    // The same as an exact factor of the voice's normal speed, for the
    // voices that take one; 0 when the rate's whole step holds.
    double PassSpeed() const;
    void SpeakLine(const ReaderText::TextLines& lines, int index);
    void SkipEmptyLines(const ReaderText::TextLines& lines);
    void Skip(bool forward);
    void EndOfSpeech(int speaking);
    void ContinueReading(int speaking);
    bool SomethingFollows() const;
    void LoopStep(int speaking, int count);
    void ReadFrom(TextView* view, SpokenText spoken);
    void ClearWord();
    // What the engine in use is doing: done, speaking or paused; nothing
    // when there is no engine to ask.
    enum class Sound { Done, Speaking, Paused };
    std::optional<Sound> EngineSound() const;

    SpeechEngines& engines_;
    ShadowGap gap_;
    TextView* spokenView_ = nullptr;   // where the text being spoken came from
    SpokenText spoken_;
};
