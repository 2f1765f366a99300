#pragma once

#include "core/Controller.h"
#include "platform/SpeechSynthesizer.h"
#include "platform/SpeechVoice.h"
#include "speech/BilingualLine.h"
#include "speech/SpeechEngines.h"
#include "speech/VoiceList.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// Reading aloud: engine set-up, voice choice, the reader and its sliders.
class SpeechReader;

class SpeechController : public Controller, public SpeechEngines
{
public:
    explicit SpeechController(const Context& context);
    ~SpeechController() override;

    // How the engines are made; tests give fakes before the set-up runs. A
    // maker returns nothing when its engine cannot be created.
    using VoiceFactory = std::function<std::unique_ptr<SpeechVoice>()>;
    using SynthesizerFactory = std::function<std::unique_ptr<SpeechSynthesizer>()>;
    void setEngineFactories(VoiceFactory voice, SynthesizerFactory synthesizer);
    // Whether the desktop speech service can be asked for its voices (the
    // dialog lists them beside the built-in ones); tests give their answer.
    void setDesktopServiceCheck(std::function<bool()> usable) { serviceUsable_ = std::move(usable); }

    // The engines; only the one in use is ever created.
    SpeechVoice* voice() const override { return voice_.get(); }
    SpeechSynthesizer* synthesizer() const override { return synthesizer_.get(); }
    // The desktop speech service for versions 6.2 and 6.3, the built-in voice
    // otherwise; the error flags play no part.
    bool SynthesizerInUse() const override;
    // The set-up is waiting for the speech service to come up; both error
    // flags stay set until it has.
    bool EngineStarting() const { return waitingForService_; }
    // While the service is still starting, remembers a press of the play
    // button and reads once the service is up; false when not starting.
    bool PlayWhenReady();

    virtual void SpeechPlatformInstallationCheck();
    virtual void SpeechSettingSub();
    virtual void SpeechPlay();
    virtual void SpeechPause();
    virtual void SpeechStop();
    virtual void SpeechSkipBackward();
    virtual void SpeechSkipForward();
    virtual void SpeechReproductionModeSetting();
    virtual void SpeechLoopModeSetting();
    virtual void SpeechRateTrackBarDisp();
    virtual void SpeechVolTrackBarDisp();
    virtual void SpeechRateSetting();
    virtual void SpeechVolSetting();
    virtual void CancelQueuedSpeech();
    virtual void ReleaseEngines();

    // The engines' completion events: a stream or prompt played to its end.
    virtual void SpeechVoiceEndEvent();
    virtual void SpeechSynthesizerEndEvent();

    // A speak button of the synchronized-text window: the line is said on
    // the engine in use, and its completion never reaches the reader.
    virtual void DispSpeakAsyncOut(const QString& text);
    // A line of that window with the lines that share its time (a lyric and
    // its translations): the parts the voice in use reads, one after another.
    virtual void DispSpeakParts(const QStringList& parts);
    // What the window's speak buttons know of the voice in use.
    BilingualLine::Voice VoiceInUse() const;
    // The window closed: what it was saying is cancelled.
    virtual void DisplayClosed();

    // The reading-mode button's face and the buttons that follow the mode.
    virtual void ShowReproductionMode();
    // The reader behind the reading buttons.
    SpeechReader& Reader();

protected:
    // Shows the voice-language dialog with `entries`, `preselected` chosen;
    // the position picked, or nothing on cancel.
    virtual std::optional<int> ChooseVoice(const QList<VoiceList::Entry>& entries, int preselected);

private:
    // Makes the engine once and ties its events to the reader.
    bool MakeVoice();
    bool MakeSynthesizer();
    // The desktop service's voices for the dialog, waiting a little for a
    // service that is starting; empty when it cannot be had.
    QStringList DesktopVoices();
    // Switches to the other engine with the voice `name`.
    void SwitchEngine(bool toSynthesizer, const QString& name);
    void SynthesizerSetUp(bool started);
    void SynthesizerSetUpFailed();
    void VoiceSetUp();
    void VoiceSetUpFailed();
    void ShowRate(std::int32_t rate);
    void NotSupported();
    bool DisplayEngineAvailable() const;
    void SpeakNextDisplayPart();

    VoiceFactory voiceFactory_;
    SynthesizerFactory synthesizerFactory_;
    std::unique_ptr<SpeechVoice> voice_;
    std::unique_ptr<SpeechSynthesizer> synthesizer_;
    bool waitingForService_ = false;
    bool settingAsked_ = false;   // the voice command came while waiting
    bool playAsked_ = false;      // the play button came while waiting
    std::unique_ptr<SpeechReader> reader_;
    std::function<bool()> serviceUsable_;
    bool readingProblemShown_ = false;   // said once per run
    QStringList displayParts_;           // the window's parts still to say
};
