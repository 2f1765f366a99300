#include "browser/BrowserHistory.h"

#include "browser/UrlRules.h"

#include <algorithm>

using namespace Qt::StringLiterals;

QString BrowserHistory::SearchPrefix()
{
    return u"https://www.google.co.jp/search?q="_s;
}

QString BrowserHistory::SearchPage()
{
    return u"https://www.google.co.jp/"_s;
}

QString BrowserHistory::HomePage()
{
    return u"https://www.yahoo.co.jp/"_s;
}

QString BrowserHistory::DisplayName(const QString& title, const QString& source, const QString& address)
{
    if (!title.isEmpty())
        return title;
    const qsizetype at = source.indexOf(u"title"_s);
    if (at >= 0) {
        // A piece of blanks only (a line break between tags) names nothing.
        const QString rest = source.mid(at + 5);
        qsizetype start = 0;
        for (qsizetype i = 0; i <= rest.size(); ++i) {
            if (i < rest.size() && rest[i] != u'<' && rest[i] != u'>')
                continue;
            // Blanks inside count as one space: a name with a line break
            // would split its favourites entry in two.
            const QString piece = rest.mid(start, i - start).simplified();
            if (!piece.isEmpty()) {
                // An empty <title></title> leaves its own closing tag first.
                return piece.startsWith(u'/') ? address : piece;
            }
            start = i + 1;
        }
    }
    return address;
}

BrowserHistory::BoxResult BrowserHistory::UrlInRUN(const QString& boxText)
{
    BoxResult result{u"No"_s, false, {}};
    if (!boxText.contains(u'\n') && !boxText.contains(u'\r'))
        return result;
    // The break is taken out wherever the cursor was when Enter was pressed,
    // and the text put back without it, so the box never keeps one that
    // would turn the next key typed into a navigation.
    QString text = boxText;
    text.remove(u'\r');
    text.remove(u'\n');
    result.replaceText = true;
    result.boxText = text;
    if (text.trimmed().isEmpty())
        return result;
    if (text.contains(u"https:"_s) || text.contains(u"http:"_s) || text.contains(u"www."_s))
        result.address = text.trimmed();
    else
        result.address = SearchPrefix() + EscapeEveryByte(text);
    UrlBackNextFlag = 0;
    return result;
}

QString BrowserHistory::SelControl(int index, QString* message)
{
    URL_Point = index;
    addressIndex_ = index;
    const QString address = index >= 0 && index < addresses_.size() ? addresses_[index] : QString();
    if (address.isEmpty()) {
        *message = u"コンボ・ボックス関数の不具合です。"_s;
        return u"No"_s;
    }
    UrlBackNextFlag = 3;
    return URL_UTF8Conversion(address);
}

void BrowserHistory::LogControl()
{
    if (addresses_.isEmpty() || URL_Point == 0 || addressIndex_ == 0)
        return;
    const int cut = std::min<int>(URL_Point, int(addresses_.size()));
    titles_.remove(0, cut);
    addresses_.remove(0, cut);
    addressIndex_ = std::max(-1, addressIndex_ - cut);
    URL_Point = 0;
}

bool BrowserHistory::DocumentCompleted(const QString& address, const QString& title, const QString& source)
{
    if (address == currentAddress_ && !currentIsRequest_) {
        // A jump to the page already shown ends here too: left at 3, the
        // flag would keep the next new page out of the history.
        UrlBackNextFlag = 0;
        return false;
    }
    const QString name = DisplayName(title, source, address);
    if (UrlBackNextFlag == 0) {
        LogControl();
        titles_.prepend(name);
        addresses_.prepend(address);
        // The selection stays on its entry, as a drop-down's does.
        if (addressIndex_ >= 0)
            ++addressIndex_;
    } else {
        UrlBackNextFlag = 0;
    }
    currentAddress_ = address;
    currentIsRequest_ = false;
    return true;
}

void BrowserHistory::Start(const QString& request)
{
    URL_Point = 0;
    UrlBackNextFlag = 0;
    titles_.clear();
    addresses_.clear();
    addressIndex_ = -1;
    currentAddress_ = request;
    currentIsRequest_ = true;
}
