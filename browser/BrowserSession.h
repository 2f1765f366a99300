#pragma once

#include "core/Controller.h"

#include <QPointer>
#include <QString>

#include <memory>

class BrowserEngine;
class FavouritesFile;
class ManualWindow;

// The browser window inside the browser program (and in tests): opens it on
// its start request, one at a time, with the engine and the favourites file
// kept across openings.
class BrowserSession : public Controller
{
public:
    explicit BrowserSession(const Context& context);
    ~BrowserSession() override;

    void ManualDialog(const QString& urlOrTitle);
    // Starts the engine without a window, so the first opening finds it
    // running.
    void WarmUp();

    // The open browser window, if any.
    ManualWindow* window() const;
    // Where the manual's pages are read from; the data folder's "manual"
    // unless set.
    void setManualFolder(const QString& folder);
    QString ManualFolder() const;

private:
    BrowserEngine& Engine();

    std::unique_ptr<BrowserEngine> engine_;
    // Outlives the windows: a file that failed is reported once a run.
    std::unique_ptr<FavouritesFile> favourites_;
    QPointer<ManualWindow> window_;
    QString manualFolder_;
};
