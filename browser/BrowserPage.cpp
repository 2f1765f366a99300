#include "browser/BrowserPage.h"

#include "core/Prompter.h"
#include "platform/FileErrors.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>

#include <algorithm>
#include <cerrno>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// errno for a folder that cannot take a new file, or 0. The engine would
// make a missing folder or drop the save without a word; asked first, the
// user learns which file and why.
int FolderRefuses(const QString& folder)
{
    const QByteArray native = QFile::encodeName(folder);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    return ::access(native.constData(), W_OK | X_OK) == 0 ? 0 : errno;
}

QString StartFolder()
{
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return QFileInfo(downloads).isDir() ? downloads : QDir::homePath();
}

// The formats of PageFilters, in order. Both are written from the page as
// shown; "HTML only" would fetch the page once more, which the manual's own
// addresses do not answer, and it ends "completed" with nothing written.
constexpr QWebEngineDownloadRequest::SavePageFormat kPageFormats[] = {
    QWebEngineDownloadRequest::CompleteHtmlSaveFormat,
    QWebEngineDownloadRequest::MimeHtmlSaveFormat,
};

} // namespace

BrowserPage::BrowserPage(QWebEngineProfile* profile, QObject* parent, Prompter* prompter)
    : QWebEnginePage(profile, parent), prompter_(prompter)
{
    // The engine carries no Japanese catalogue for its menu.
    static const std::pair<WebAction, const char16_t*> texts[] = {
        {Back, u"戻る"},
        {Forward, u"進む"},
        {Stop, u"中止"},
        {Reload, u"再読み込み"},
        {ReloadAndBypassCache, u"キャッシュを使わずに再読み込み"},
        {Cut, u"切り取り"},
        {Copy, u"コピー"},
        {Paste, u"貼り付け"},
        {Undo, u"元に戻す"},
        {Redo, u"やり直し"},
        {SelectAll, u"すべて選択"},
        {PasteAndMatchStyle, u"書式なしで貼り付け"},
        {OpenLinkInThisWindow, u"リンクをこのウィンドウで開く"},
        {OpenLinkInNewWindow, u"リンクを新しいウィンドウで開く"},
        {OpenLinkInNewTab, u"リンクを新しいタブで開く"},
        {OpenLinkInNewBackgroundTab, u"リンクを背後の新しいタブで開く"},
        {CopyLinkToClipboard, u"リンクのアドレスをコピー"},
        {DownloadLinkToDisk, u"リンク先を保存"},
        {CopyImageToClipboard, u"画像をコピー"},
        {CopyImageUrlToClipboard, u"画像のアドレスをコピー"},
        {DownloadImageToDisk, u"画像を保存"},
        {CopyMediaUrlToClipboard, u"メディアのアドレスをコピー"},
        {ToggleMediaControls, u"コントロールを表示"},
        {ToggleMediaLoop, u"ループ再生"},
        {ToggleMediaPlayPause, u"再生/一時停止"},
        {ToggleMediaMute, u"ミュート"},
        {DownloadMediaToDisk, u"メディアを保存"},
        {InspectElement, u"要素を調査"},
        {ExitFullScreen, u"全画面表示を終了"},
        {RequestClose, u"閉じる"},
        {Unselect, u"選択を解除"},
        {SavePage, u"ページを保存"},
        {ViewSource, u"ページのソースを表示"},
        {ToggleBold, u"太字"},
        {ToggleItalic, u"斜体"},
        {ToggleUnderline, u"下線"},
        {ToggleStrikethrough, u"取り消し線"},
        {AlignLeft, u"左揃え"},
        {AlignCenter, u"中央揃え"},
        {AlignRight, u"右揃え"},
        {AlignJustified, u"両端揃え"},
        {Indent, u"インデント"},
        {Outdent, u"インデント解除"},
        {InsertOrderedList, u"番号付きリスト"},
        {InsertUnorderedList, u"箇条書き"},
    };
    for (const auto& [action, text] : texts)
        this->action(action)->setText(QString::fromUtf16(text));

    // One window at a time: a link for a new window opens here.
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { load(request.requestedUrl()); });

    // The profile serves every page of the run; each takes its own saves.
    connect(profile, &QWebEngineProfile::downloadRequested, this, &BrowserPage::SaveRequested);
}

QStringList BrowserPage::PageFilters()
{
    return {u"Webページ、完全 (*.html *.htm)"_s, u"Webアーカイブ、単一ファイル (*.mhtml *.mht)"_s};
}

QString BrowserPage::AnyFileFilter()
{
    return u"すべてのファイル (*)"_s;
}

QString BrowserPage::SaveFailureReason(QWebEngineDownloadRequest::DownloadInterruptReason reason)
{
    using R = QWebEngineDownloadRequest;
    switch (reason) {
    case R::FileAccessDenied: return FileErrors::Reason(EACCES);
    case R::FileNoSpace: return FileErrors::Reason(ENOSPC);
    case R::FileNameTooLong: return FileErrors::Reason(ENAMETOOLONG);
    case R::FileTooLarge: return FileErrors::Reason(EFBIG);
    case R::FileVirusInfected:
    case R::FileBlocked:
    case R::FileSecurityCheckFailed: return u"安全のため保存が止められました"_s;
    case R::FileTooShort:
    case R::FileHashMismatch: return u"受け取った内容が欠けています"_s;
    case R::NetworkFailed:
    case R::NetworkDisconnected: return u"ネットワークの接続が切れました"_s;
    case R::NetworkTimeout: return u"ネットワークの応答がありません"_s;
    case R::NetworkServerDown:
    case R::ServerUnreachable: return u"サーバーに接続できません"_s;
    case R::NetworkInvalidRequest:
    case R::ServerFailed:
    case R::ServerBadContent: return u"サーバーから受け取れませんでした"_s;
    case R::ServerUnauthorized:
    case R::ServerForbidden:
    case R::ServerCertProblem: return u"サーバーが許可しませんでした"_s;
    case R::UserCanceled: return u"保存が取り消されました"_s;
    case R::NoReason:
    case R::FileFailed:
    case R::FileTransientError:
        break;
    }
    return u"ファイルシステムが書き込みを受け付けませんでした"_s;
}

QString BrowserPage::SaveDroppedReason()
{
    return u"ブラウザーが保存を中止しました"_s;
}

void BrowserPage::SaveRequested(QWebEngineDownloadRequest* request)
{
    if (request->page() != this || request->state() != QWebEngineDownloadRequest::DownloadRequested)
        return;
    // Not accepted here, the engine drops the request.
    if (!prompter_)
        return;
    const bool wholePage = request->isSavePageDownload();
    const QStringList filters = wholePage ? PageFilters() : QStringList{AnyFileFilter()};
    const auto* chosen = std::find(std::begin(kPageFormats), std::end(kPageFormats), request->savePageFormat());
    const int format = wholePage && chosen != std::end(kPageFormats) ? int(chosen - std::begin(kPageFormats)) : 0;
    const std::optional<Prompter::SaveChoice> choice = prompter_->SaveFileName(
        saveFolder_.isEmpty() ? StartFolder() : saveFolder_, request->downloadFileName(), filters, format);
    if (!choice || choice->path.isEmpty()) {
        request->cancel();
        return;
    }
    const QFileInfo target(choice->path);
    const QString path = target.absoluteFilePath();
    saveFolder_ = target.absolutePath();
    if (const int error = FolderRefuses(target.absolutePath())) {
        request->cancel();
        prompter_->MessageInfoBox(FileErrors::Message(FileErrors::Doing::Write, path, error));
        return;
    }
    // The profile keeps nothing on disk of its own: every save names its
    // folder and file.
    request->setDownloadDirectory(target.absolutePath());
    request->setDownloadFileName(target.fileName());
    if (wholePage)
        request->setSavePageFormat(kPageFormats[choice->filterIndex == 1 ? 1 : 0]);
    connect(request, &QWebEngineDownloadRequest::stateChanged, this,
            [this, request, path] { SaveStateChanged(request, path); });
    request->accept();
}

void BrowserPage::SaveStateChanged(QWebEngineDownloadRequest* request, const QString& path)
{
    // One word per save: an interrupted save may still be cancelled after.
    if (request->isFinished())
        disconnect(request, nullptr, this, nullptr);
    switch (request->state()) {
    case QWebEngineDownloadRequest::DownloadCompleted:
        emit saveEnded(path, true);
        break;
    case QWebEngineDownloadRequest::DownloadInterrupted:
        prompter_->MessageInfoBox(FileErrors::Message(FileErrors::Doing::Write, path,
                                                      SaveFailureReason(request->interruptReason())));
        emit saveEnded(path, false);
        break;
    case QWebEngineDownloadRequest::DownloadCancelled:
        prompter_->MessageInfoBox(FileErrors::Message(FileErrors::Doing::Write, path, SaveDroppedReason()));
        emit saveEnded(path, false);
        break;
    default:
        break;
    }
}
