#pragma once

#include <QString>
#include <QStringList>

// The browser window's navigation logic without the window: the address
// box's Enter rule, the two history lists (display names and addresses,
// newest first), the history jump and the cut that follows it, and the
// completion step that enters a finished page.
class BrowserHistory
{
public:
    // The web search; the search words follow, every byte escaped.
    static QString SearchPrefix();
    // The engine's search and home pages.
    static QString SearchPage();
    static QString HomePage();

    // What a page is listed under: its title; else the first piece after
    // "title" in its source, split at '<' and '>'; else its address.
    static QString DisplayName(const QString& title, const QString& source, const QString& address);

    struct BoxResult
    {
        QString address;   // "No" when nothing is to be navigated to
        bool replaceText = false;
        QString boxText;   // the box's new text when replaceText
    };
    // The address box's text after a change: a line break in it (Enter, or
    // pasted text) turns the rest into an address or a web search.
    BoxResult UrlInRUN(const QString& boxText);

    // A choice in the history drop-down; the address to navigate to, or "No"
    // after message has been set.
    QString SelControl(int index, QString* message);

    // Drops the entries newer than the one jumped to.
    void LogControl();

    // A page has finished loading. Returns true when the address box is to
    // show title (always, unless the page is the one last handled).
    bool DocumentCompleted(const QString& address, const QString& title, const QString& source);

    // At opening: the start request, "ホーム" or the manual's first page.
    void Start(const QString& request);

    const QStringList& titles() const { return titles_; }
    const QStringList& addresses() const { return addresses_; }
    int addressIndex() const { return addressIndex_; }
    const QString& currentAddress() const { return currentAddress_; }

    int URL_Point = 0;
    int UrlBackNextFlag = 0;

private:
    QStringList titles_;     // the visible drop-down, historyBox
    QStringList addresses_;  // the hidden address list, addressList
    int addressIndex_ = -1;  // the address list's selected entry
    QString currentAddress_;
    // currentAddress_ holds the start request until the first page is handled: that
    // page is always entered, even when its address reads the same.
    bool currentIsRequest_ = false;
};
