#include "browser/BrowserEngine.h"

#include "browser/ManualServer.h"

#include <QCoreApplication>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include <unistd.h>

using namespace Qt::StringLiterals;

void PrepareWebEngine()
{
    ManualAddress::RegisterScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    // The engine's own pages (errors, pickers) speak the program's language.
    if (!flags.contains("--lang="))
        flags += " --lang=ja";
    // Chromium's sandbox refuses to run as root; everyone else keeps it.
    if (geteuid() == 0 && !flags.contains("--no-sandbox"))
        flags += " --no-sandbox";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
}

BrowserEngine::BrowserEngine(const QString& manualFolder)
    : server_(std::make_unique<ManualServer>(manualFolder)),
      interceptor_(std::make_unique<ManualInterceptor>())
{
    // Too late once the engine runs; harmless when main has done it.
    ManualAddress::RegisterScheme();
    // No storage name: off the record, nothing of the browsing stays on disk.
    profile_ = std::make_unique<QWebEngineProfile>();
    profile_->setHttpAcceptLanguage(u"ja,en;q=0.5"_s);
    profile_->setUrlRequestInterceptor(interceptor_.get());
    profile_->installUrlSchemeHandler(ManualAddress::Scheme(), server_.get());

    QWebEngineSettings* settings = profile_->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, true);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, true);
    settings->setDefaultTextEncoding(u"utf-8"_s);
}

BrowserEngine::~BrowserEngine()
{
    profile_->removeAllUrlSchemeHandlers();
    profile_->setUrlRequestInterceptor(nullptr);
    profile_.reset();
}

void BrowserEngine::setManualFolder(const QString& folder)
{
    server_->setFolder(folder);
}

QString BrowserEngine::manualFolder() const
{
    return server_->folder();
}
