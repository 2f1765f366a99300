#pragma once

#include "core/Controller.h"

#include <QPointer>
#include <QString>

#include <memory>

class BrowserEngine;
class FavouritesFile;
class ManualWindow;

// The small browser window for the manual and the web.
class BrowserController : public Controller
{
public:
    explicit BrowserController(const Context& context);
    ~BrowserController() override;

    // The manual's first page on the maker's site; the program serves it
    // from its own copy of the manual.
    static QString ManualFirstPage();

    virtual void GetIE_version();
    virtual void ManualDialog(const QString& strUrlTitle);

    // The open browser window, if any.
    ManualWindow* window() const;
    // Where the manual's pages are read from; the data folder's "manual"
    // unless set.
    void setManualFolder(const QString& folder);
    QString ManualFolder() const;

private:
    std::unique_ptr<BrowserEngine> engine_;
    // Outlives the windows: a file that failed is reported once a run.
    std::unique_ptr<FavouritesFile> favourites_;
    QPointer<ManualWindow> window_;
    QString manualFolder_;
};
