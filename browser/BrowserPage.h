#pragma once

#include <QStringList>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>

class Prompter;

// A page that keeps quiet: script errors, alerts and questions from a page
// show nothing; a page that wants a new window opens it in this one. Its
// context menu speaks Japanese. Saving the page or a link asks for the file
// through the prompter and tells it when the file could not be written;
// without a prompter nothing is saved.
class BrowserPage : public QWebEnginePage
{
    Q_OBJECT
public:
    BrowserPage(QWebEngineProfile* profile, QObject* parent, Prompter* prompter = nullptr);

    // The save dialog's choices for a whole page: the page with its
    // pictures and style beside it, or one web archive file.
    static QStringList PageFilters();
    static QString AnyFileFilter();
    // Why the engine stopped writing a file, in the user's words.
    static QString SaveFailureReason(QWebEngineDownloadRequest::DownloadInterruptReason reason);
    // The reason given when the engine dropped a save it had accepted.
    static QString SaveDroppedReason();

signals:
    // A page or link saved to path has been written whole (ok) or not.
    void saveEnded(const QString& path, bool ok);

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) override {}
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }

private:
    void SaveRequested(QWebEngineDownloadRequest* request);
    void SaveStateChanged(QWebEngineDownloadRequest* request, const QString& path);

    Prompter* prompter_ = nullptr;
    // Where the last file was saved: the next save dialog starts there.
    QString saveFolder_;
};
