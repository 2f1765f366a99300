#include "music/MusicController.h"

void MusicController::MusicPlay()
{
}

void MusicController::MusicPause()
{
}

void MusicController::MusicStop()
{
}

void MusicController::timer1_Tick()
{
}

void MusicController::trackBarMovementStart()
{
}

void MusicController::trackBarMovement()
{
}

void MusicController::trackBarMovementEnd()
{
}

void MusicController::trackBar3_MouseWheel(int /*delta*/)
{
}

void MusicController::trackBar3_Focus(bool /*entered*/)
{
}

void MusicController::NextMusicPlay()
{
}

void MusicController::BackMusicPlay()
{
}

void MusicController::button26_Click()
{
}

void MusicController::button27_Click()
{
}

void MusicController::button28_Click()
{
}

void MusicController::button29_Click()
{
}

void MusicController::button14_Click()
{
}

void MusicController::button15_Click()
{
}

void MusicController::button16_Click()
{
}

void MusicController::button17_Click()
{
}

void MusicController::button30_Click()
{
}

void MusicController::MixerVolTrackBarDisp()
{
}

void MusicController::MixerVolSetting()
{
}

