#pragma once

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>
#include <QString>

#include <memory>
#include <utility>

class QWebEngineProfile;
class ManualServer;
class ManualInterceptor;

// How the engine's pages reach the screen.
enum class EngineDrawing {
    OpenGL,     // the engine composites through OpenGL, as a plain view does
    Software,   // painted by the processor: no OpenGL is loaded at all
};

// Engine settings the process needs before its QApplication exists: our
// manual's scheme, the Japanese engine texts, the sandbox switched off
// only where it cannot run (as root), and the way pages are drawn.
void PrepareWebEngine(EngineDrawing drawing = EngineDrawing::OpenGL);

// The environment variables PrepareWebEngine sets, from those the process
// inherited; what the user set himself is kept.
QList<std::pair<QByteArray, QByteArray>> EngineEnvironment(const QProcessEnvironment& inherited, bool asRoot,
                                                          EngineDrawing drawing);

// The one engine profile of the browser window, kept for the whole run so
// a second opening starts at once: nothing is written to disk, the
// manual's host is served from its folder, and no page reads local files.
class BrowserEngine
{
public:
    explicit BrowserEngine(const QString& manualFolder);
    ~BrowserEngine();

    BrowserEngine(const BrowserEngine&) = delete;
    BrowserEngine& operator=(const BrowserEngine&) = delete;

    QWebEngineProfile* profile() const { return profile_.get(); }
    void setManualFolder(const QString& folder);
    QString manualFolder() const;

private:
    std::unique_ptr<ManualServer> server_;
    std::unique_ptr<ManualInterceptor> interceptor_;
    std::unique_ptr<QWebEngineProfile> profile_;
};
