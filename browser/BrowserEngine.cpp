#include "browser/BrowserEngine.h"

#include "browser/ManualServer.h"

#include <QCoreApplication>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include <unistd.h>

using namespace Qt::StringLiterals;

QList<std::pair<QByteArray, QByteArray>> EngineEnvironment(const QProcessEnvironment& inherited, bool asRoot,
                                                          EngineDrawing drawing)
{
    QList<std::pair<QByteArray, QByteArray>> out;
    QByteArray flags = inherited.value(u"QTWEBENGINE_CHROMIUM_FLAGS"_s).toLocal8Bit();
    // The engine's own pages (errors, pickers) speak the program's language.
    if (!flags.contains("--lang="))
        flags += " --lang=ja";
    // Chromium's sandbox refuses to run as root; everyone else keeps it.
    if (asRoot && !flags.contains("--no-sandbox"))
        flags += " --no-sandbox";
    // A user who picked a Qt Quick backend himself draws his way.
    const bool software = drawing == EngineDrawing::Software && !inherited.contains(u"QT_QUICK_BACKEND"_s);
    if (software) {
        // The manual's pages are still text: painting them by processor
        // spares the OpenGL driver's start (a shader compiler with a
        // software driver) and about 50 MB of it in every process.
        if (!flags.contains("--disable-gpu"))
            flags += " --disable-gpu";
    }
    out.append(std::pair<QByteArray, QByteArray>("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed()));
    if (software) {
        // The view's own scene is painted by processor too ...
        out.append(std::pair<QByteArray, QByteArray>("QT_QUICK_BACKEND", "software"));
        // ... so the window system needs no OpenGL: without it, Qt's
        // start-up loads no driver.
        if (!inherited.contains(u"QT_XCB_GL_INTEGRATION"_s))
            out.append(std::pair<QByteArray, QByteArray>("QT_XCB_GL_INTEGRATION", "none"));
    }
    return out;
}

void PrepareWebEngine(EngineDrawing drawing)
{
    ManualAddress::RegisterScheme();
    const auto environment = EngineEnvironment(QProcessEnvironment::systemEnvironment(), geteuid() == 0, drawing);
    for (const auto& [name, value] : environment)
        qputenv(name.constData(), value);
    // Shared contexts are how the engine composites through OpenGL; drawn
    // by processor there is no OpenGL to share.
    if (qgetenv("QT_XCB_GL_INTEGRATION") != "none")
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
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
