#include "printing/PrintController.h"

void PrintController::PrintMiriInch()
{
}

void PrintController::PrintPageSetting()
{
}

void PrintController::PrintPreview()
{
}

void PrintController::PrintStart()
{
}


void PrintController::PrintIni()
{
}
