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
