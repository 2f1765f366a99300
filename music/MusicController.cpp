#include "music/MusicController.h"

#include "platform/SystemColors.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>

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
    // Pressing the active mode again turns the modes off.
    if (state.MusicPlayMode == 1) {
        state.MusicPlayMode = 0;
        MusicPlayModeButtonColor();
    } else {
        state.MusicPlayMode = 1;
        MusicPlayModeButton26ActiveColor();
    }
}

void MusicController::button27_Click()
{
    if (state.MusicPlayMode == 2) {
        state.MusicPlayMode = 0;
        MusicPlayModeButtonColor();
    } else {
        state.MusicPlayMode = 2;
        MusicPlayModeButton27ActiveColor();
    }
}

void MusicController::button28_Click()
{
    if (state.MusicPlayMode == 3) {
        state.MusicPlayMode = 0;
        MusicPlayModeButtonColor();
    } else {
        state.MusicPlayMode = 3;
        MusicPlayModeButton28ActiveColor();
    }
}

void MusicController::button29_Click()
{
    if (state.MusicPlayMode == 4) {
        state.MusicPlayMode = 0;
        MusicPlayModeButtonColor();
    } else {
        state.MusicPlayMode = 4;
        MusicPlayModeButton29ActiveColor();
    }
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
    state.MixerTrackBarVisible = state.MixerTrackBarVisible ? 0 : 1;
    ui.trackBar4->setVisible(state.MixerTrackBarVisible);
    ui.label6->setVisible(state.MixerTrackBarVisible);
}

void MusicController::MixerVolSetting()
{
}


void MusicController::MusicStart(const QString& /*path*/, const QString& /*name*/)
{
}

void MusicController::mixerSetControl()
{
}

void MusicController::HighlightModeButton(QPushButton* active)
{
    for (QPushButton* b : {ui.button26, ui.button27, ui.button28, ui.button29})
        SystemColors::SetBackColor(b, b == active ? SystemColors::ActiveCaption() : SystemColors::ControlLight());
}

void MusicController::MusicPlayModeButtonColor() { HighlightModeButton(nullptr); }
void MusicController::MusicPlayModeButton26ActiveColor() { HighlightModeButton(ui.button26); }
void MusicController::MusicPlayModeButton27ActiveColor() { HighlightModeButton(ui.button27); }
void MusicController::MusicPlayModeButton28ActiveColor() { HighlightModeButton(ui.button28); }
void MusicController::MusicPlayModeButton29ActiveColor() { HighlightModeButton(ui.button29); }

void MusicController::ShowPlayMode()
{
    switch (state.MusicPlayMode) {
    case 1: MusicPlayModeButton26ActiveColor(); break;
    case 2: MusicPlayModeButton27ActiveColor(); break;
    case 3: MusicPlayModeButton28ActiveColor(); break;
    case 4: MusicPlayModeButton29ActiveColor(); break;
    default: MusicPlayModeButtonColor(); break;
    }
}
