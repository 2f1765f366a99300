#pragma once

#include "platform/SpeechVoice.h"

#include <cstdint>
#include <functional>
#include <memory>

class QTimer;

struct PcmChannel;

// One utterance's way into the player, handed to a synthesis worker: 16-bit
// mono samples at the utterance's rate, the words with the sample they
// begin at, and the end. Every call is refused (false) once the utterance
// was purged, so a worker stops as soon as it asks.
class PcmUtterance
{
public:
    PcmUtterance(std::shared_ptr<PcmChannel> channel, quint64 id);
    // Waits while the player is far ahead (or paused); false when purged.
    bool Push(const std::int16_t* samples, int count);
    bool Alive() const;
    // [start, start + length) of the text given to Speak begins at `sample`.
    void Word(int start, int length, std::int64_t sample);
    void End();

private:
    std::shared_ptr<PcmChannel> channel_;
    quint64 id_;
    quint64 offset_ = 0;
};

// A built-in voice's player: a synthesis engine renders the text in short
// chunks on its own thread, and GStreamer plays them (appsrc ! audioconvert
// ! audioresample ! volume ! the desktop's audio sink). Pause and resume
// halt and continue the sound where it was; a purge drops what is queued or
// sounding at once. The end of a stream is the pipeline's EOS, raised as
// EndStream on this object's thread. Word events keep the sample they begin
// at and are raised as WordStarted when the output's played position
// reaches that sample, so a word is shown when it is heard, not when it is
// rendered. Each utterance has its own sample rate, so engines of different
// rates share one player.
class PcmVoice : public SpeechVoice
{
    Q_OBJECT

public:
    explicit PcmVoice(QObject* parent = nullptr);
    ~PcmVoice() override;

    // The engine behind the voice works. The audio output is opened with
    // the first text, so a program that never speaks never loads it; Speak
    // says whether it is there.
    bool ok() const;

    bool Speak(const QString& text, int flags) override;
    bool Pause() override;
    bool Resume() override;
    bool setRate(int rate) override;
    // The next texts at exactly `factor` times the normal speed (a
    // repetition's 0.75×), where a rate has only whole steps; setRate goes
    // back to its step.
    bool setSpeed(double factor) override;
    bool setVolume(int volume) override;
    // The speed of a rate of -5..5: the normal speed times 3^(rate/10).
    static double SpeedOfRate(int rate);
    int RunningState() const override;

    // For measurements: called on a streaming thread when the first audio
    // buffer of an utterance reaches the audio sink.
    void setFirstBufferObserver(std::function<void()> observer);

protected:
    // The engine works (checked by ok()).
    virtual bool EngineReady() const = 0;
    // The sample rate the text will be rendered at.
    virtual int SampleRateFor(const QString& text) const = 0;
    // Starts rendering a non-empty text into `utterance` on the engine's
    // worker; returns at once.
    virtual void Render(const QString& text, std::shared_ptr<PcmUtterance> utterance) = 0;
    int rate() const { return rate_; }
    // What the next text is said at, as a factor of the normal speed.
    double speed() const { return speed_; }

private:
    // Builds the pipeline when the engine is there; a no-op once built.
    void Open();
    friend struct PcmChannel;
    void EndOfStream(quint64 generation);
    void PipelineError();
    // Looks at the played position while a stream sounds.
    void FollowPosition();

    std::shared_ptr<PcmChannel> channel_;
    quint64 generation_ = 0;
    int running_ = SRSEDone;
    int rate_ = 0;
    double speed_ = 1.0;
    int volume_ = 100;
    bool broken_ = false;   // the pipeline reported an error; rebuilt on the next Speak
    bool heard_ = false;    // the current stream's first sound has been played
    QTimer* follow_ = nullptr;
};
