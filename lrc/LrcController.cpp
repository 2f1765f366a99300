#include "lrc/LrcController.h"

void LrcController::LrcTextDisplay()
{
}

void LrcController::timer2_Tick()
{
}


void LrcController::LrcTextTempLabel(const QString& /*path*/)
{
}

void LrcController::TrackBarLrcTextTimerIni()
{
}

void LrcController::LrcTextDisplayRestart(std::int64_t /*position*/)
{
}

void LrcController::LrcTextClear()
{
}

void LrcController::LrcTimerOnStop()
{
}

void LrcController::LrcDisplayOpen()
{
}

void LrcController::LrcDisplayClose()
{
}
