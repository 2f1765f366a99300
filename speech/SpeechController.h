#pragma once

#include "app/Controller.h"

#include <QString>

// Reading aloud: engine set-up, voice choice, the reader and its sliders.
class SpeechController : public Controller
{
public:
    using Controller::Controller;

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
};
