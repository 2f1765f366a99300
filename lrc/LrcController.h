#pragma once

#include "core/Controller.h"

#include <QString>

// The synchronized-text window and its line timer.
class LrcController : public Controller
{
public:
    using Controller::Controller;

    virtual void LrcTextDisplay();
    virtual void timer2_Tick();
    virtual void LrcTextTempLabel(const QString& path);
};
