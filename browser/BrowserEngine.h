#pragma once

#include <QString>

#include <memory>

class QWebEngineProfile;
class ManualServer;
class ManualInterceptor;

// Engine settings the process needs before its QApplication exists: our
// manual's scheme, the Japanese engine texts, and the sandbox switched off
// only where it cannot run (as root).
void PrepareWebEngine();

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
