#include "settings/SettingsController.h"

void SettingsController::SystemVersionProbe()
{
}

void SettingsController::ProgramFolderSetting()
{
}

void SettingsController::iniRead()
{
}

void SettingsController::iniWrite()
{
}

