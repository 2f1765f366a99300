#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// The built-in voice as the reader drives it: speak with purge, pause and
// resume, rate and volume for the next utterance, a list of voices, and an
// end-of-stream event on the user-interface thread.
//
// Every call returns at once. Failures are reported by the return value so
// the caller can tell the user the voice is not supported.
class SpeechVoice : public QObject
{
    Q_OBJECT

public:
    // Speak flags, as the reader passes them.
    static constexpr int SVSFlagsAsync = 1;
    static constexpr int SVSFPurgeBeforeSpeak = 2;

    // RunningState values; anything else means paused.
    static constexpr int SRSEDone = 1;
    static constexpr int SRSEIsSpeaking = 2;
    static constexpr int SRSEPaused = 0;

    using QObject::QObject;
    ~SpeechVoice() override = default;

    // With flags 3 whatever is queued or sounding is discarded first; the
    // empty text only discards. A discarded stream raises no EndStream, and
    // speaking always leaves the voice unpaused.
    virtual bool Speak(const QString& text, int flags) = 0;
    virtual bool Pause() = 0;
    virtual bool Resume() = 0;

    // -5..5 and 0..100; they apply to the next Speak.
    virtual bool setRate(int rate) = 0;
    virtual bool setVolume(int volume) = 0;
    // An exact speed (times the normal one) for the next Speak, after
    // setRate, for a voice that can take one; the others keep the rate's
    // whole step.
    virtual bool setSpeed(double factor)
    {
        (void)factor;
        return true;
    }

    // 2 speaking, 1 done (also before speaking and after a purge), 0 paused.
    virtual int RunningState() const = 0;

    // The voices' readable descriptions ("Japanese (ja)"), in a fixed order;
    // setVoice takes a position in that list for the following Speak calls.
    virtual QStringList GetVoices() const = 0;
    virtual bool setVoice(int index) = 0;

signals:
    // A stream played to its end. Raised on the user-interface thread, and
    // never for a stream that was purged.
    void EndStream();
    // The current stream's first sound is being heard.
    void AudioStarted();
    // The word at [start, start + length) of the text given to Speak (in
    // QString units) is being heard now. Engines without word timing never
    // raise it.
    void WordStarted(int start, int length);
};
