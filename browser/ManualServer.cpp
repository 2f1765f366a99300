#include "browser/ManualServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

using namespace Qt::StringLiterals;

namespace ManualAddress {

QString Host()
{
    return u"murmelin.kestrow.invalid"_s;
}

QByteArray Scheme()
{
    return QByteArrayLiteral("murmelin-manual");
}

QString SitePath()
{
    return u"/SoftWare/Murmelin/"_s;
}

QUrl InternalUrl(const QUrl& url)
{
    QUrl out(url);
    out.setScheme(QString::fromLatin1(Scheme()));
    out.setPort(-1);
    return out;
}

QUrl PublicUrl(const QUrl& url)
{
    if (url.scheme() != QLatin1String(Scheme()))
        return url;
    QUrl out(url);
    out.setScheme(u"http"_s);
    return out;
}

void RegisterScheme()
{
    if (QWebEngineUrlScheme::schemeByName(Scheme()).name() == Scheme())
        return;
    QWebEngineUrlScheme scheme(Scheme());
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // Secure, so the manual's links to https pages behave as from a web site;
    // not local, so the local-file rules of the profile hold for it too.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

} // namespace ManualAddress

QString ManualFile(const QString& folder, const QString& sitePath)
{
    if (folder.isEmpty() || !sitePath.startsWith(ManualAddress::SitePath()))
        return {};
    const QString relative = sitePath.mid(ManualAddress::SitePath().size());
    if (relative.isEmpty() || relative.contains(u'\\') || relative.contains(QChar(0)))
        return {};
    const QFileInfo root(folder);
    const QFileInfo file(folder + u'/' + relative);
    if (!file.isFile())
        return {};
    // Compared after links are followed, so neither ".." nor a symbolic link
    // leads out of the folder.
    const QString rootPath = root.canonicalFilePath();
    const QString filePath = file.canonicalFilePath();
    if (rootPath.isEmpty() || !filePath.startsWith(rootPath + u'/'))
        return {};
    return filePath;
}

ManualServer::ManualServer(QString folder, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), folder_(std::move(folder))
{
}

void ManualServer::requestStarted(QWebEngineUrlRequestJob* job)
{
    const QUrl url = job->requestUrl();
    if (url.host() != ManualAddress::Host()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    const QString path = ManualFile(folder_, url.path(QUrl::FullyDecoded));
    auto* file = new QFile(path, job);
    if (path.isEmpty() || !file->open(QIODevice::ReadOnly)) {
        delete file;
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    static const QMimeDatabase mimes;
    QByteArray mime = mimes.mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toLatin1();
    if (mime.startsWith("text/"))
        mime += ";charset=utf-8";
    job->reply(mime, file);
}

void ManualInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QUrl url = info.requestUrl();
    if (url.isLocalFile()) {
        info.block(true);
        return;
    }
    if ((url.scheme() == u"http"_s || url.scheme() == u"https"_s) && url.host() == ManualAddress::Host())
        info.redirect(ManualAddress::InternalUrl(url));
}
