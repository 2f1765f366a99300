#pragma once

#include "core/Controller.h"

#include <QObject>
#include <QProcess>
#include <QString>

// The small browser window for the manual and the web. The window runs in a
// program of its own beside this one ("murmelin-browser"), so the web engine,
// and the OpenGL it brings, never load in a session that does not open it.
// This side starts it, knows whether its window is open, and ends it with
// the program; between openings the browser program waits, warm.
class BrowserController : public QObject, public Controller
{
    Q_OBJECT
public:
    explicit BrowserController(const Context& context);
    ~BrowserController() override;

    // The manual's first page on the maker's site; the program serves it
    // from its own copy of the manual.
    static QString ManualFirstPage();
    // The browser program's file name.
    static QString HelperName();

    virtual void PrepareBrowserEngine();
    virtual void ManualDialog(const QString& urlOrTitle);
    // Starts the browser program without a window when the user is about
    // to open it (the pointer on the help menu's title, or the menu opens):
    // it loads the manual's first page hidden, so the window shows sooner;
    // nothing when it runs already. Unused, it ends with the program.
    void StartAhead();

    // Where the manual's pages are read from; the data folder's "manual"
    // unless set.
    void setManualFolder(const QString& folder);
    QString ManualFolder() const;
    // The browser program; the one beside this program unless set.
    void setHelperProgram(const QString& path);
    QString HelperProgram() const;

    // The browser program's process id while it runs, else 0.
    qint64 helperPid() const;
    // Closes the browser window as the user would; its program waits for
    // the next opening.
    void CloseWindow();
    // Closes the browser window as the user would, so the favourites are
    // saved, and waits for its program to end; past the time it is killed.
    void CloseBrowser(int timeoutMs = 5000);

signals:
    // The browser window has handled a page: its address (for tests and
    // timing).
    void pageHandled(const QString& address);
    // The browser window has closed; its program waits for the next opening.
    void windowClosed();
    // The browser program has ended, however it ended.
    void browserEnded();

private:
    void StartHelper(const QStringList& arguments, bool windowAsked);
    void HelperOutput();
    void HelperFailedToStart();
    void HelperFinished(int exitCode, QProcess::ExitStatus status);
    void Report(const QString& reason);

    QProcess* helper_ = nullptr;
    QString manualFolder_;
    QString helperProgram_;
    QByteArray output_;
    bool closing_ = false;
    // A window was asked of the running browser program (not only started
    // ahead): its failures are told.
    bool windowAsked_ = false;
};
