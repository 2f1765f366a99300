#include "settings/SettingsController.h"

void SettingsController::SystemVersionProbe()
{
}

bool SettingsController::ProgramFolderSetting()
{
    return true;
}

void SettingsController::iniRead()
{
}

void SettingsController::iniWrite()
{
}

