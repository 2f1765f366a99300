// The browser program: the small browser window, started by the main
// program from its menus. It has a process of its own so the web engine
// and its OpenGL stay out of the main program.

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
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QStyleFactory>

#include <csignal>
#include <cstdio>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Commands from the main program, one a line on standard input; its end
// (the program closed or gone) closes the window.
class Commands : public QObject
{
public:
    explicit Commands(ManualWindow* window)
        : QObject(window), window_(window), notifier_(STDIN_FILENO, QSocketNotifier::Read, this)
    {
        connect(&notifier_, &QSocketNotifier::activated, this, &Commands::Read);
    }

private:
    void Read()
    {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            notifier_.setEnabled(false);
            window_->close();
            return;
        }
        pending_.append(buffer, n);
        qsizetype end = 0;
        while ((end = pending_.indexOf('\n')) >= 0) {
            const QByteArray line = pending_.left(end);
            pending_.remove(0, end + 1);
            if (line == BrowserLink::Raise) {
                window_->showNormal();
                window_->raise();
                window_->activateWindow();
            } else if (line == BrowserLink::Close) {
                window_->close();
            }
        }
    }

    ManualWindow* window_;
    QSocketNotifier notifier_;
    QByteArray pending_;
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
    // The web engine takes its settings before the application starts.
    PrepareWebEngine();
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
    state.cMurmelinCreateFolder = request->workFolder.isEmpty()
        ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + u"/Murmelin"_s
        : request->workFolder;
    DialogPrompter prompter;
    Controls ui;
    Peers peers;
    BrowserSession browser(Context{state, prompter, ui, peers});
    if (!request->manualFolder.isEmpty())
        browser.setManualFolder(request->manualFolder);

    browser.ManualDialog(request->startRequest);
    StartupTrace::Mark("window shown");
    ManualWindow* window = browser.window();
    QObject::connect(window, &ManualWindow::closed, &app, &QApplication::quit, Qt::QueuedConnection);
    QObject::connect(window, &ManualWindow::pageHandled, window, [window] {
        StartupTrace::Mark("page handled");
        std::printf("%s %s\n", BrowserLink::PageHandled.constData(), window->CurrentAddress().toUtf8().constData());
        std::fflush(stdout);
    });
    if (request->attached)
        new Commands(window);
    return app.exec();
}
