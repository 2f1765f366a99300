#pragma once

#include "core/Controller.h"

#include <QString>

#include <cstdint>

// The synchronized-text window and its line timer.
class LrcController : public Controller
{
public:
    using Controller::Controller;

    virtual void LrcTextDisplay();
    virtual void timer2_Tick();
    virtual void LrcTextTempLabel(const QString& path);

    // What the player calls.
    virtual void TrackBarLrcTextTimerIni();
    // Aims the line timer from the device position the player has just read.
    virtual void LrcTextDisplayRestart(std::int64_t position);
    virtual void LrcTextClear();
    virtual void LrcTimerOnStop();
    // Creates and shows the window (modeless, owned by the main window).
    virtual void LrcDisplayOpen();
    virtual void LrcDisplayClose();
};
