#pragma once

#include "core/Controller.h"

#include <QString>

class QPushButton;

// Music playback: the player and its position slider, play modes and range, and the master volume.
class MusicController : public Controller
{
public:
    using Controller::Controller;

    virtual void MusicPlay();
    virtual void MusicPause();
    virtual void MusicStop();
    virtual void timer1_Tick();
    virtual void trackBarMovementStart();
    virtual void trackBarMovement();
    virtual void trackBarMovementEnd();
    virtual void trackBar3_MouseWheel(int delta);
    virtual void trackBar3_Focus(bool entered);
    virtual void NextMusicPlay();
    virtual void BackMusicPlay();
    virtual void button26_Click();
    virtual void button27_Click();
    virtual void button28_Click();
    virtual void button29_Click();
    virtual void button14_Click();
    virtual void button15_Click();
    virtual void button16_Click();
    virtual void button17_Click();
    virtual void button30_Click();
    virtual void MixerVolTrackBarDisp();
    virtual void MixerVolSetting();
    virtual void MusicStart(const QString& path, const QString& name);
    virtual void mixerSetControl();

    // The play-mode buttons: all plain, or one of them showing the active mode.
    virtual void MusicPlayModeButtonColor();
    virtual void MusicPlayModeButton26ActiveColor();
    virtual void MusicPlayModeButton27ActiveColor();
    virtual void MusicPlayModeButton28ActiveColor();
    virtual void MusicPlayModeButton29ActiveColor();
    // Paints the buttons for the current MusicPlayMode (all plain for 0).
    void ShowPlayMode();

private:
    void HighlightModeButton(QPushButton* active);
};
