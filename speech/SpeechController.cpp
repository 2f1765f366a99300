#include "speech/SpeechController.h"

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
}

void SpeechController::SpeechVolTrackBarDisp()
{
}

void SpeechController::SpeechRateSetting()
{
}

void SpeechController::SpeechVolSetting()
{
}

void SpeechController::CancelQueuedSpeech()
{
}

void SpeechController::ReleaseEngines()
{
}

