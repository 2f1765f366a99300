#pragma once

#include <QWebEnginePage>

// A page that keeps quiet: script errors, alerts and questions from a page
// show nothing; a page that wants a new window opens it in this one. Its
// context menu speaks Japanese.
class BrowserPage : public QWebEnginePage
{
    Q_OBJECT
public:
    BrowserPage(QWebEngineProfile* profile, QObject* parent);

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) override {}
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }
};
