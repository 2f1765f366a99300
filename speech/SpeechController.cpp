#include "speech/SpeechController.h"

#include <QLabel>
#include <QSlider>

void SpeechController::SpeechPlatformInstallationCheck()
{
}

void SpeechController::SpeechSettingSub()
{
}

void SpeechController::SpeechPlay()
{
}

void SpeechController::SpeechPause()
{
}

void SpeechController::SpeechStop()
{
}

void SpeechController::SpeechSkipBackward()
{
}

void SpeechController::SpeechSkipForward()
{
}

void SpeechController::SpeechReproductionModeSetting()
{
}

void SpeechController::SpeechLoopModeSetting()
{
}

void SpeechController::SpeechRateTrackBarDisp()
{
    // The slider and its number show and hide together.
    state.RateTrackBarVisible = state.RateTrackBarVisible ? 0 : 1;
    ui.trackBar2->setVisible(state.RateTrackBarVisible);
    ui.label5->setVisible(state.RateTrackBarVisible);
}

void SpeechController::SpeechVolTrackBarDisp()
{
    state.VolTrackBarVisible = state.VolTrackBarVisible ? 0 : 1;
    ui.trackBar1->setVisible(state.VolTrackBarVisible);
    ui.label8->setVisible(state.VolTrackBarVisible);
}

void SpeechController::SpeechRateSetting()
{
    state.SpeechRate = ui.trackBar2->sliderPosition();
    ui.label5->setText(QString::number(state.SpeechRate));
}

void SpeechController::SpeechVolSetting()
{
    state.SpeechVol = ui.trackBar1->sliderPosition();
    ui.label8->setText(QString::number(state.SpeechVol));
}

void SpeechController::CancelQueuedSpeech()
{
}

void SpeechController::ReleaseEngines()
{
}

