#pragma once

#include "app/Controller.h"

#include <QString>

// The settings store: effective system version, program and working folders, and the stored settings read at start-up and written at exit.
class SettingsController : public Controller
{
public:
    using Controller::Controller;

    virtual void SystemVersionProbe();
    virtual bool ProgramFolderSetting();
    virtual void iniRead();
    virtual void iniWrite();
};
