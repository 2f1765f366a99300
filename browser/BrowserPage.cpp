#include "browser/BrowserPage.h"

#include <QAction>
#include <QWebEngineNewWindowRequest>

#include <utility>

using namespace Qt::StringLiterals;

BrowserPage::BrowserPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent)
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
}
