#pragma once

#include <QString>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>

// The manual ships with the program and is served from its folder at the
// manual's address on the maker's site, so it reads without a network.
// Requests for that host are turned to a scheme of our own, whose handler
// hands out the files of the manual's folder and nothing else.
namespace ManualAddress {
QString Host();                 // the maker's host in the manual's address
QByteArray Scheme();            // our own scheme the requests are turned to
QString SitePath();             // "/SoftWare/Murmelin/": the manual's folder on the site
QUrl InternalUrl(const QUrl& url);
// The address the user sees: our own scheme shown as the maker's address.
QUrl PublicUrl(const QUrl& url);
// Registers our scheme with the engine; before the engine starts, once.
void RegisterScheme();
}

// The file of the manual's folder that a decoded site path names, or an
// empty string: paths outside the folder, folders and missing files give
// nothing.
QString ManualFile(const QString& folder, const QString& sitePath);

class ManualServer : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT
public:
    explicit ManualServer(QString folder, QObject* parent = nullptr);

    void setFolder(const QString& folder) { folder_ = folder; }
    QString folder() const { return folder_; }

    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    QString folder_;
};

// Sends the manual's host to our scheme and refuses every local file.
class ManualInterceptor : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};
