#include "browser/BrowserSession.h"

#include "browser/BrowserEngine.h"
#include "browser/Favourites.h"
#include "browser/ManualWindow.h"
#include "core/StartupTrace.h"

using namespace Qt::StringLiterals;

BrowserSession::BrowserSession(const Context& context)
    : Controller(context)
{
}

BrowserSession::~BrowserSession()
{
    // Ended with the window open: it closes as the user would close it, so
    // the favourites are saved.
    if (window_) {
        window_->close();
        delete window_.data();
    }
}

ManualWindow* BrowserSession::window() const
{
    return window_;
}

void BrowserSession::setManualFolder(const QString& folder)
{
    manualFolder_ = folder;
    if (engine_)
        engine_->setManualFolder(ManualFolder());
}

QString BrowserSession::ManualFolder() const
{
    return manualFolder_.isEmpty() ? state.dir + u"/manual"_s : manualFolder_;
}

BrowserEngine& BrowserSession::Engine()
{
    // The engine outlives the window, so a second opening starts warm.
    if (!engine_) {
        engine_ = std::make_unique<BrowserEngine>(ManualFolder());
        StartupTrace::Mark("engine");
    } else {
        engine_->setManualFolder(ManualFolder());
    }
    return *engine_;
}

bool BrowserSession::prepared() const
{
    return window_ && prepared_;
}

ManualWindow* BrowserSession::BuildWindow(const QString& urlOrTitle)
{
    BrowserEngine& engine = Engine();
    const QString favouritesPath = state.murmelinFolder + u"/お気に入り.txt"_s;
    if (!favourites_ || favourites_->path() != favouritesPath)
        favourites_ = std::make_unique<FavouritesFile>(favouritesPath);
    auto* window = new ManualWindow(prompter, engine.profile(), *favourites_, urlOrTitle);
    StartupTrace::Mark("window built");
    window->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(window, &ManualWindow::closed, window,
                     [this] { state.manualWindowState = ManualWindowState::Closed; });
    window_ = window;
    return window;
}

void BrowserSession::Prepare(const QString& urlOrTitle)
{
    if (window_)
        return;
    ManualWindow* window = BuildWindow(urlOrTitle);
    prepared_ = true;
    // Once its page is in, the window is laid out and the page drawn where
    // nothing shows, so the click only maps the window. Not before: that
    // work would hold up the page's loading.
    QObject::connect(window, &ManualWindow::pageHandled, window, [this, window] {
        if (prepared() && window_ == window && !window->isVisible()) {
            window->setAttribute(Qt::WA_DontShowOnScreen);
            window->show();
        }
    }, Qt::SingleShotConnection);
}

void BrowserSession::ManualDialog(const QString& urlOrTitle)
{
    if (state.manualWindowState != ManualWindowState::Closed) {
        prompter.MessageInfoBox(u"簡易ブラウザーの複数起動はできません。"_s);
        return;
    }
    ManualWindow* window = nullptr;
    if (prepared()) {
        prepared_ = false;
        // Built for another page, it goes: a fresh window starts its own
        // history. Never shown, it has no favourites to save.
        if (window_->startRequest() == urlOrTitle) {
            window = window_;
            window->hide();
            window->setAttribute(Qt::WA_DontShowOnScreen, false);
        } else
            delete window_.data();
    }
    if (!window)
        window = BuildWindow(urlOrTitle);
    state.manualWindowState = ManualWindowState::Open;
    window->show();
}
