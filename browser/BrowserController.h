#pragma once

#include "core/Controller.h"

#include <QString>

// The small browser window for the manual and the web.
class BrowserController : public Controller
{
public:
    using Controller::Controller;

    // The manual's first page on the maker's site; the program serves it
    // from its own copy of the manual.
    static QString ManualFirstPage();

    virtual void GetIE_version();
    virtual void ManualDialog(const QString& strUrlTitle);
};
