#pragma once

#include "browser/Favourites.h"
#include "core/State.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <utility>

class QAction;
class QEvent;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class Prompter;

// The browser window's favourites: the "IEのお気に入り", "☆" and "▽"
// buttons, the seven quick buttons and the drop-down table, made as
// children of the browser window at their places in its layout. The list
// is read by load() when the window opens and written by save() after it
// has closed, through the run's favourites file.
class FavouritesBar : public QObject
{
    Q_OBJECT
public:
    // The newest history entry (display name, address); empty strings
    // while the history is empty.
    using NewestPage = std::function<std::pair<QString, QString>()>;

    FavouritesBar(QWidget* window, Prompter& prompter, FavouritesFile& file,
                  NewestPage newestPage);
    // With a file of its own, for a bar that lives alone.
    FavouritesBar(QWidget* window, Prompter& prompter, QString filePath,
                  NewestPage newestPage);
    ~FavouritesBar() override;

    void load();
    void save();

    // The last main mouse button pressed over the window's controls:
    // 0 none, 1 right, 2 left.
    void setMouseButtonFlag(int flag);

    // F1 to F7 in the page view press the quick buttons; true when the key
    // was one of them.
    bool pressFunctionKey(int key);

    // The list as it stands (for the window and tests).
    const FavouriteEntries& entries() const { return m_list.entries(); }

    // The messages this bar shows.
    static QString EmptyHistoryMessage();
    static QString NotWebAddressMessage();
    static QString NoUrlInFileMessage();

signals:
    // An address to navigate to, already converted with URL_UTF8Conversion.
    void navigate(const QString& address);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void fillTable();
    void MyFavoriteListSize();
    void MyFavoriteButtonName();
    void MyFavoriteAdd();
    void MyFavoriteButton(int k);
    void MyFavoriteSelRUN();
    void MyFavoriteDelete();
    void MyFavoriteReturn();
    void MyFavoriteClose();
    void ImportUrlFavourite();
    void ShowOrHideList();
    void hideList();
    void openRow(QTreeWidgetItem* item);
    void go(const QString& address);

    QWidget* m_window;
    Prompter& m_prompter;
    std::unique_ptr<FavouritesFile> m_ownFile;
    FavouritesFile& m_file;
    NewestPage m_newestPage;
    FavouriteList m_list;

    int UrlDsp = 0;
    int lastClickButton = ClickButton::None;
    bool m_choosing = false;

    QPushButton* importFavouriteButton = nullptr;
    QPushButton* addFavouriteButton = nullptr;
    QPushButton* favouritesListButton = nullptr;
    // quickButton0 ... quickButton5, quickButton6: entries 0 to 6.
    std::array<QPushButton*, Favourites::QuickButtonCount> m_quick{};
    QTreeWidget* favouritesList = nullptr;
    QMenu* favouritesMenu = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_close = nullptr;
};
