#pragma once

#include "core/Controller.h"

#include <QString>

// Printing the text document: margins, page set-up, preview and print.
class PrintController : public Controller
{
public:
    using Controller::Controller;

    virtual void PrintMiriInch();
    virtual void PrintPageSetting();
    virtual void PrintPreview();
    virtual void PrintStart();
    virtual void PrintIni();
};
