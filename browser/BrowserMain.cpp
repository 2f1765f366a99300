// The browser program: the small browser window, started by the main
// program from its menus. It has a process of its own so the web engine
// and its OpenGL stay out of the main program.

#include "browser/BrowserController.h"
#include "browser/BrowserEngine.h"
#include "browser/BrowserLink.h"
#include "browser/BrowserSession.h"
#include "browser/ManualWindow.h"
#include "core/Context.h"
#include "core/StartupTrace.h"
#include "dialogs/DialogPrompter.h"
#include "dialogs/QtTranslations.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QTimer>
#include <QWindow>

#include <csignal>
#include <cstdio>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Says on standard output what the window did, for the main program.
void Tell(const QByteArray& line)
{
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
}

// The browser window as the main program drives it: opened again on
// request, and kept warm in between until the main program ends. A page
// handled is told once its window is on the screen, so a window built
// ahead, hidden, tells nothing before it is shown.
class Attached : public QObject
{
public:
    explicit Attached(BrowserSession& browser)
        : browser_(browser), notifier_(STDIN_FILENO, QSocketNotifier::Read, this)
    {
        connect(&notifier_, &QSocketNotifier::activated, this, &Attached::Read);
    }

    // Follows a newly built window; nothing for the one followed already.
    void Follow(ManualWindow* window)
    {
        if (!window || window == followed_)
            return;
        followed_ = window;
        pageHeld_ = false;
        connect(window, &ManualWindow::pageHandled, this, [this, window] {
            if (window != followed_)
                return;
            StartupTrace::Mark("page handled");
            pageHeld_ = true;
            TellHeldPage();
        });
        connect(window, &ManualWindow::closed, this, [this] {
            if (ending_)
                QCoreApplication::quit();
            else
                Tell(BrowserLink::WindowClosed);
        });
    }

    // The followed window has been asked to show: its held page is told
    // once the window is exposed.
    void Shown()
    {
        if (!followed_)
            return;
        if (QWindow* handle = followed_->windowHandle(); handle && handle != watched_) {
            handle->installEventFilter(this);
            watched_ = handle;
        }
        TellHeldPage();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Exposed is known once the expose event has been handled.
        if (event->type() == QEvent::Expose && watched == watched_)
            QTimer::singleShot(0, this, [this] { TellHeldPage(); });
        return QObject::eventFilter(watched, event);
    }

private:
    void TellHeldPage()
    {
        if (!pageHeld_ || !followed_ || browser_.prepared() || !followed_->isVisible())
            return;
        const QWindow* handle = followed_->windowHandle();
        if (!handle || !handle->isExposed())
            return;
        pageHeld_ = false;
        StartupTrace::Mark("page shown");
        Tell(BrowserLink::PageHandled + ' ' + followed_->CurrentAddress().toUtf8());
    }

    void Read()
    {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            notifier_.setEnabled(false);
            End();
            return;
        }
        pending_.append(buffer, n);
        qsizetype end = 0;
        while ((end = pending_.indexOf('\n')) >= 0) {
            const QByteArray line = pending_.left(end);
            pending_.remove(0, end + 1);
            ManualWindow* window = browser_.window();
            const bool shown = window && !browser_.prepared();
            if (line == BrowserLink::Raise && shown) {
                window->showNormal();
                window->raise();
                window->activateWindow();
            } else if (line == BrowserLink::CloseWindow && shown) {
                window->close();
            } else if (line == BrowserLink::Close) {
                End();
            } else if (line.startsWith(BrowserLink::Open + ' ') && (!shown || !window->isVisible())) {
                StartupTrace::Mark("open");
                browser_.ManualDialog(QString::fromUtf8(line.mid(BrowserLink::Open.size() + 1)));
                StartupTrace::Mark("window shown");
                Follow(browser_.window());
                Shown();
            }
        }
    }

    // Closes the window as the user would (the favourites are saved), then
    // ends the program.
    void End()
    {
        if (ending_)
            return;
        ending_ = true;
        if (ManualWindow* window = browser_.window())
            window->close();
        else
            QCoreApplication::quit();
    }

    BrowserSession& browser_;
    QSocketNotifier notifier_;
    QByteArray pending_;
    QPointer<ManualWindow> followed_;
    QPointer<QWindow> watched_;
    // The followed window has handled a page not told yet.
    bool pageHeld_ = false;
    bool ending_ = false;
};

// Started by hand, without the program's folders: the data beside the
// executable (build tree) or in the share folder beside its bin folder.
QString DataFolder()
{
    const QString beside = QCoreApplication::applicationDirPath();
    if (QFileInfo::exists(beside + u"/お気に入り.txt"_s))
        return beside;
    return QDir::cleanPath(beside + u'/' + QStringLiteral(MURMELIN_DATA_RELATIVE_DIR));
}

} // namespace

int main(int argc, char* argv[])
{
    // A program that has gone leaves a closed pipe: writing to it must not
    // end the window before it has saved the favourites.
    StartupTrace::Mark("main");
    std::signal(SIGPIPE, SIG_IGN);
    // The web engine takes its settings before the application starts. The
    // manual is drawn by processor: the window then shows its page sooner,
    // and the program holds less memory, than through OpenGL.
    PrepareWebEngine(EngineDrawing::Software);
    QApplication app(argc, argv);
    StartupTrace::Mark("application");
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrow Software"));
    QCoreApplication::setApplicationName(QStringLiteral("Murmelin"));
    if (!InstallQtTranslations(&app))
        qWarning("Qt's Japanese translations (qtbase_ja.qm) are missing: its dialogs stay English");
    // One program to the desktop, whichever process shows the window.
    QGuiApplication::setDesktopFileName(u"murmelin"_s);
    QString error;
    const std::optional<BrowserLink::Request> request = BrowserLink::Parse(QCoreApplication::arguments(), &error);
    if (!request) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setQuitOnLastWindowClosed(false);

    State state;
    state.dir = request->programFolder.isEmpty() ? DataFolder() : request->programFolder;
    state.murmelinFolder = request->workFolder.isEmpty()
        ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + u"/Murmelin"_s
        : request->workFolder;
    DialogPrompter prompter;
    Controls ui;
    Peers peers;
    BrowserSession browser(Context{state, prompter, ui, peers});
    if (!request->manualFolder.isEmpty())
        browser.setManualFolder(request->manualFolder);

    if (request->standby) {
        // Started ahead of the user's request: the engine starts and the
        // window is built hidden on the manual, the page loading, so the
        // first "open" only shows it.
        browser.Prepare(BrowserController::ManualFirstPage());
    } else {
        browser.ManualDialog(request->startRequest);
        StartupTrace::Mark("window shown");
    }
    if (request->attached) {
        auto* attached = new Attached(browser);
        if (ManualWindow* window = browser.window())
            attached->Follow(window);
        const int status = app.exec();
        delete attached;
        return status;
    }
    ManualWindow* window = browser.window();
    QObject::connect(window, &ManualWindow::closed, &app, &QApplication::quit, Qt::QueuedConnection);
    return app.exec();
}
