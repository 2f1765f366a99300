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

    // Opens the window on its request; a window built ahead for the same
    // request is only shown.
    void ManualDialog(const QString& urlOrTitle);
    // Starts the engine and builds the window for urlOrTitle hidden, its
    // page loading, so the first opening only shows it. Nothing when a
    // window exists.
    void Prepare(const QString& urlOrTitle);

    // The browser window, open or built ahead, if any.
    ManualWindow* window() const;
    // The window was built ahead and has not been shown yet.
    bool prepared() const;
    // Where the manual's pages are read from; the data folder's "manual"
    // unless set.
    void setManualFolder(const QString& folder);
    QString ManualFolder() const;

private:
    BrowserEngine& Engine();
    ManualWindow* BuildWindow(const QString& urlOrTitle);

    std::unique_ptr<BrowserEngine> engine_;
    // Outlives the windows: a file that failed is reported once a run.
    std::unique_ptr<FavouritesFile> favourites_;
    QPointer<ManualWindow> window_;
    bool prepared_ = false;
    QString manualFolder_;
};
