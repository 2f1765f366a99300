#pragma once

#include "platform/SpeechVoice.h"

#include <functional>
#include <memory>

class QTimer;

class EspeakEngine;
struct EspeakChannel;

// The built-in voice: espeak-ng renders the text in short chunks on its own
// thread, and GStreamer plays them (appsrc ! audioconvert ! audioresample !
// volume ! the desktop's audio sink). Pause and resume halt and continue the
// sound where it was; a purge drops what is queued or sounding at once. The
// end of a stream is the pipeline's EOS, raised as EndStream on this
// object's thread. espeak-ng's word events keep the sample they begin at,
// and are raised as WordStarted when the output's played position reaches
// that sample, so a word is shown when it is heard, not when it is rendered.
class EspeakVoice : public SpeechVoice
{
    Q_OBJECT

public:
    explicit EspeakVoice(QObject* parent = nullptr);
    ~EspeakVoice() override;

    // espeak-ng and an audio output are both there.
    bool ok() const;

    bool Speak(const QString& text, int flags) override;
    bool Pause() override;
    bool Resume() override;
    bool setRate(int rate) override;
    bool setVolume(int volume) override;
    int RunningState() const override;
    QStringList GetVoices() const override;
    bool setVoice(int index) override;

    // The voice in use, a position in GetVoices.
    int voiceIndex() const { return voiceIndex_; }
    // espeak-ng's speed for a rate of -5..5: normal speed times 3^(rate/10).
    static int WordsPerMinute(int rate);

    // For measurements: called on a streaming thread when the first audio
    // buffer of an utterance reaches the audio sink.
    void setFirstBufferObserver(std::function<void()> observer);

private:
    friend struct EspeakChannel;
    void EndOfStream(quint64 generation);
    void PipelineError();
    // Looks at the played position while a stream sounds.
    void FollowPosition();

    EspeakEngine* engine_;
    std::shared_ptr<EspeakChannel> channel_;
    quint64 generation_ = 0;
    int running_ = SRSEDone;
    int rate_ = 0;
    int volume_ = 100;
    int voiceIndex_ = -1;
    bool broken_ = false;   // the pipeline reported an error; rebuilt on the next Speak
    bool heard_ = false;    // the current stream's first sound has been played
    QTimer* follow_ = nullptr;
};
