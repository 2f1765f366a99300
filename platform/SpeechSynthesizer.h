#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// The desktop speech service as the reader drives it. Every call returns at
// once; failures are reported by the return value.
//
// Starting the service can take seconds (it may have to be spawned), so a
// synthesiser starts in the background: until Started is emitted it knows
// no voices, and the commands it is given wait for the service.
class SpeechSynthesizer : public QObject
{
    Q_OBJECT

public:
    // State values.
    static constexpr int Ready = 0;
    static constexpr int Speaking = 1;
    static constexpr int Paused = 2;

    using QObject::QObject;
    ~SpeechSynthesizer() override = default;

    // True until Started has been emitted.
    virtual bool Starting() const = 0;
    // Started and connected to the service.
    virtual bool Available() const = 0;

    virtual bool SpeakAsync(const QString& text) = 0;
    // Cancels every queued or sounding prompt; they raise no SpeakCompleted.
    virtual bool SpeakAsyncCancelAll() = 0;
    virtual bool Pause() = 0;
    virtual bool Resume() = 0;

    // -5..5 and 0..100; they apply to the next SpeakAsync.
    virtual bool setRate(int rate) = 0;
    virtual bool setVolume(int volume) = 0;

    // 0 ready, 1 speaking, 2 paused.
    virtual int State() const = 0;

    // The installed voices' names in a fixed order.
    virtual QStringList GetInstalledVoices() const = 0;
    // False for a name that is not installed.
    virtual bool SelectVoice(const QString& name) = 0;
    // The voice currently selected.
    virtual QString VoiceName() const = 0;
    virtual bool SetOutputToDefaultAudioDevice() = 0;

signals:
    // The service has come up (ok) or could not be reached; emitted once,
    // on the user-interface thread.
    void Started(bool ok);
    // A prompt played to its end. Never for a cancelled prompt.
    void SpeakCompleted();
};
