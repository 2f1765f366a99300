#pragma once

#include "platform/SpeechSynthesizer.h"

#include <QSet>

class QThread;
class QtSpeechWorker;

// The desktop speech service through Qt TextToSpeech's "speechd" engine.
//
// Connecting to speech-dispatcher may spawn it and take seconds, and the Qt
// engine does that synchronously, so the engine lives on a thread of its
// own. This object stays on the caller's thread: it forwards each command
// as a queued call (they run in order, after the start-up), and answers
// State, the voices and the voice name from what it keeps itself, so no call
// here ever waits on the service.
class QtSpeechSynthesizer : public SpeechSynthesizer
{
    Q_OBJECT

public:
    explicit QtSpeechSynthesizer(QObject* parent = nullptr);
    ~QtSpeechSynthesizer() override;

    bool Starting() const override { return starting_; }
    bool Available() const override { return available_; }

    // A new prompt replaces one in progress, which then raises nothing.
    // Pause halts at once; Resume says the rest again from the start of the
    // clause that was reached (the service cannot pause plain text).
    bool SpeakAsync(const QString& text) override;
    bool SpeakAsyncCancelAll() override;
    bool Pause() override;
    bool Resume() override;
    bool setRate(int rate) override;
    bool setVolume(int volume) override;
    int State() const override { return state_; }
    QStringList GetInstalledVoices() const override { return voices_; }
    bool SelectVoice(const QString& name) override;
    QString VoiceName() const override { return voiceName_; }
    bool SetOutputToDefaultAudioDevice() override;

    // Qt's rate (-1..1, speech-dispatcher's -100..100 divided by 100) that
    // gives normal speed times 3^(rate/10), for a rate of -5..5.
    static double QtRate(int rate);

private:
    void OnStarted(bool ok, const QStringList& voices, const QString& voice);
    void OnCompleted(quint64 utterance);
    void OnFailed(quint64 utterance);
    bool Usable() const { return starting_ || available_; }

    QThread* thread_ = nullptr;
    QtSpeechWorker* worker_ = nullptr;
    bool starting_ = true;
    bool available_ = false;
    QStringList voices_;
    QSet<QString> installed_;
    QString voiceName_;
    int state_ = Ready;
    quint64 utterance_ = 0;   // the prompt whose completion counts; 0 none
    quint64 issued_ = 0;
};
