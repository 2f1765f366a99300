#include "browser/FavouritesBar.h"

#include "browser/UrlRules.h"
#include "core/Prompter.h"
#include "documents/DocumentFile.h"
#include "platform/DesignFonts.h"

#include <QAction>
#include <QDir>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <QStyledItemDelegate>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

constexpr int kQuickTop = 34;
constexpr int kQuickWidth = 140;
constexpr int kButtonHeight = 23;
constexpr int kListLeft = 627;
constexpr int kListTop = 65;
constexpr int kListWidth = 400;
// quickButton5 shows its title clipped, not ended in an ellipsis.
constexpr int kUnelidedButton = 5;

const char* const kDimmed = "dimmed";

// The undo item is never disabled, only drawn in the dimmed colour while
// there is nothing to undo.
class FavouritesMenu : public QMenu
{
public:
    using QMenu::QMenu;

protected:
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override
    {
        QMenu::initStyleOption(option, action);
        if (!action || !action->property(kDimmed).toBool())
            return;
        const QColor dim = palette().color(QPalette::Active, QPalette::Dark);
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
                option->palette.setColor(group, role, dim);
    }
};

// Rows as high as the height rule counts them, so the table fits its list.
class RowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), Favourites::RowHeight()};
    }
};

QPushButton* makeButton(QWidget* window, const QString& name, const QString& text, const QRect& place)
{
    auto* button = new QPushButton(text, window);
    button->setObjectName(name);
    button->setGeometry(place);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

} // namespace

FavouritesBar::FavouritesBar(QWidget* window, Prompter& prompter, FavouritesFile& file, NewestPage newestPage)
    : QObject(window)
    , m_window(window)
    , m_prompter(prompter)
    , m_file(file)
    , m_newestPage(std::move(newestPage))
{
    build();
}

FavouritesBar::FavouritesBar(QWidget* window, Prompter& prompter, QString filePath, NewestPage newestPage)
    : QObject(window)
    , m_window(window)
    , m_prompter(prompter)
    , m_ownFile(std::make_unique<FavouritesFile>(std::move(filePath)))
    , m_file(*m_ownFile)
    , m_newestPage(std::move(newestPage))
{
    build();
}

FavouritesBar::~FavouritesBar() = default;

QString FavouritesBar::EmptyHistoryMessage()
{
    return u"お気に入りに登録するページがありません。"_s;
}

QString FavouritesBar::NotWebAddressMessage()
{
    return u"http: か https: で始まるアドレスだけを開けます。"_s;
}

QString FavouritesBar::NoUrlInFileMessage()
{
    return u"お気に入りファイルにURLがありません。"_s;
}

void FavouritesBar::build()
{
    importFavouriteButton = makeButton(m_window, u"importFavouriteButton"_s, u"IEのお気に入り"_s, {952, 5, 91, kButtonHeight});
    importFavouriteButton->setToolTip(u"Internet Explorerのお気に入り情報"_s);
    {
        // The caption fits its 91 pixels whole, as in the designer's font.
        QFont font = importFavouriteButton->font();
        while (font.pointSizeF() > 6.0 && QFontMetrics(font).horizontalAdvance(importFavouriteButton->text()) > importFavouriteButton->width() - 10)
            font.setPointSizeF(font.pointSizeF() - 0.5);
        importFavouriteButton->setFont(font);
    }
    connect(importFavouriteButton, &QPushButton::clicked, this, &FavouritesBar::ImportUrlFavourite);

    const char* const quickNames[] = {"quickButton0", "quickButton1", "quickButton2", "quickButton3", "quickButton4", "quickButton5", "quickButton6"};
    for (int k = 0; k < Favourites::QuickButtonCount; ++k) {
        m_quick[k] = makeButton(m_window, QString::fromLatin1(quickNames[k]), {},
                                {k * kQuickWidth, kQuickTop, kQuickWidth, kButtonHeight});
        connect(m_quick[k], &QPushButton::clicked, this, [this, k] { MyFavoriteButton(k); });
    }

    // "▽" and "☆" are symbols: their names say what they do.
    favouritesListButton = makeButton(m_window, u"favouritesListButton"_s, u"▽"_s, {980, kQuickTop, 43, kButtonHeight});
    favouritesListButton->setToolTip(u"お気に入り登録情報"_s);
    favouritesListButton->setAccessibleName(u"お気に入り一覧の表示"_s);
    // Checked while the table is shown, so a screen reader can tell.
    favouritesListButton->setCheckable(true);
    connect(favouritesListButton, &QPushButton::clicked, this, &FavouritesBar::ShowOrHideList);

    addFavouriteButton = makeButton(m_window, u"addFavouriteButton"_s, u"☆"_s, {1023, kQuickTop, 24, kButtonHeight});
    addFavouriteButton->setToolTip(u"このページをお気に入りへ登録"_s);
    addFavouriteButton->setAccessibleName(u"お気に入りに登録"_s);
    connect(addFavouriteButton, &QPushButton::clicked, this, &FavouritesBar::MyFavoriteAdd);

    favouritesList = new QTreeWidget(m_window);
    favouritesList->setObjectName(u"favouritesList"_s);
    favouritesList->setAccessibleName(u"お気に入り一覧"_s);
    favouritesList->setColumnCount(2);
    favouritesList->setHeaderLabels({u"タイトル"_s, u"URL"_s});
    favouritesList->header()->setStretchLastSection(false);
    favouritesList->setColumnWidth(0, 400);
    favouritesList->setColumnWidth(1, 300);
    favouritesList->setRootIsDecorated(false);
    favouritesList->setItemsExpandable(false);
    favouritesList->setUniformRowHeights(true);
    favouritesList->setAllColumnsShowFocus(true);
    favouritesList->setSelectionMode(QAbstractItemView::SingleSelection);
    favouritesList->setSelectionBehavior(QAbstractItemView::SelectRows);
    favouritesList->setCursor(Qt::PointingHandCursor);
    favouritesList->setFont(DesignFont(u"メイリオ"_s, 9.75));
    favouritesList->setItemDelegate(new RowDelegate(favouritesList));
    favouritesList->header()->setFixedHeight(Favourites::RowHeight());
    // The selection stays as visible when the table loses the focus.
    QPalette palette = favouritesList->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    favouritesList->setPalette(palette);
    favouritesList->setGeometry(kListLeft, kListTop, kListWidth, Favourites::MinListHeight);
    favouritesList->setVisible(false);
    favouritesList->setEnabled(false);
    favouritesList->viewport()->installEventFilter(this);
    favouritesList->installEventFilter(this);
    connect(favouritesList, &QTreeWidget::itemSelectionChanged, this, &FavouritesBar::MyFavoriteSelRUN);
    // Return opens the selected row as a left click does.
    connect(favouritesList, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (item && item->isSelected())
            openRow(item);
    });

    favouritesMenu = new FavouritesMenu(favouritesList);
    favouritesMenu->setObjectName(u"favouritesMenu"_s);
    m_undo = favouritesMenu->addAction(u"元に戻す(&U)"_s, this, &FavouritesBar::MyFavoriteReturn);
    m_undo->setObjectName(u"favouritesUndo"_s);
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_undo->setProperty(kDimmed, true);
    m_delete = favouritesMenu->addAction(u"削除(&D)"_s, this, &FavouritesBar::MyFavoriteDelete);
    m_delete->setObjectName(u"favouritesDelete"_s);
    m_delete->setShortcut(QKeySequence(Qt::Key_Delete));
    favouritesMenu->addSeparator();
    m_close = favouritesMenu->addAction(u"終了(&X)"_s, this, &FavouritesBar::MyFavoriteClose);
    m_close->setObjectName(u"favouritesClose"_s);
    // The shortcuts also work in the table while the menu is closed.
    for (QAction* action : {m_undo, m_delete}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        favouritesList->addAction(action);
    }
    favouritesList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(favouritesList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        favouritesMenu->popup(favouritesList->viewport()->mapToGlobal(pos));
    });
}

bool FavouritesBar::eventFilter(QObject* watched, QEvent* event)
{
    // Presses on the table set the button flag before the table selects the
    // row, as they do over the window's other controls.
    if (watched == favouritesList->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            lastClickButton = ClickButton::Left;
            // A row the keys (or the right button) already selected changes
            // no selection when clicked, so it is opened here.
            QTreeWidgetItem* item = favouritesList->itemAt(mouse->position().toPoint());
            if (item && item->isSelected() && mouse->modifiers() == Qt::NoModifier) {
                openRow(item);
                return true;
            }
        } else if (mouse->button() == Qt::RightButton) {
            lastClickButton = ClickButton::Right;
        }
    } else if (watched == favouritesList && event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            MyFavoriteClose();
            return true;
        }
        // The window reports every left press, the one on "▽" too: a key
        // that moves the selection after it must not count as a click.
        lastClickButton = ClickButton::None;
    }
    return QObject::eventFilter(watched, event);
}

void FavouritesBar::load()
{
    FavouritesFile::Loaded loaded = m_file.Load();
    if (!loaded.message.isEmpty())
        m_prompter.MessageInfoBox(loaded.message);
    m_list.setEntries(std::move(loaded.entries));
    fillTable();
    MyFavoriteButtonName();
    MyFavoriteListSize();
    hideList();
}

void FavouritesBar::save()
{
    // The list lives in m_list, so saving works after the window's
    // controls are gone.
    const QString message = m_file.Save(m_list.entries());
    if (!message.isEmpty())
        m_prompter.MessageInfoBox(message);
}

void FavouritesBar::setMouseButtonFlag(int flag)
{
    lastClickButton = flag;
}

bool FavouritesBar::pressFunctionKey(int key)
{
    if (key < Qt::Key_F1 || key > Qt::Key_F7)
        return false;
    MyFavoriteButton(key - Qt::Key_F1);
    return true;
}

void FavouritesBar::fillTable()
{
    // One insertion for the whole list keeps a long list quick to show.
    QList<QTreeWidgetItem*> items;
    items.reserve(m_list.size());
    for (const FavouriteEntry& e : m_list.entries())
        items << new QTreeWidgetItem(QStringList{e.title, e.address});
    favouritesList->clear();
    favouritesList->addTopLevelItems(items);
}

void FavouritesBar::MyFavoriteListSize()
{
    favouritesList->resize(kListWidth, Favourites::ListHeight(m_list.size()));
}

void FavouritesBar::MyFavoriteButtonName()
{
    const QStringList names = Favourites::ButtonNames(m_list.entries());
    for (int k = 0; k < Favourites::QuickButtonCount; ++k) {
        QPushButton* button = m_quick[k];
        QString shown = names[k];
        if (k != kUnelidedButton) {
            const int room = button->width() - 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
            shown = button->fontMetrics().elidedText(names[k], Qt::ElideRight, room);
        }
        // A "&" in a title is a character, not a mnemonic.
        button->setText(QString(shown).replace(u'&', u"&&"_s));
        // A cut title is still readable in full in the tooltip.
        button->setToolTip(shown == names[k] ? QString() : names[k]);
    }
}

void FavouritesBar::MyFavoriteAdd()
{
    const auto [title, address] = m_newestPage ? m_newestPage() : std::pair<QString, QString>();
    if (address.isEmpty()) {
        m_prompter.MessageInfoBox(EmptyHistoryMessage());
        return;
    }
    // One line each in the file, whatever the page called itself.
    m_list.append({QString(title).replace(u'\r', u' ').replace(u'\n', u' '), address});
    favouritesList->addTopLevelItem(new QTreeWidgetItem(QStringList{title, address}));
    MyFavoriteListSize();
    MyFavoriteButtonName();
}

void FavouritesBar::MyFavoriteButton(int k)
{
    if (k < 0 || k >= Favourites::QuickButtonCount || m_quick[k]->text().isEmpty() || k >= m_list.size())
        return;
    const QString address = m_list.entries()[k].address;
    hideList();
    go(address);
}

void FavouritesBar::MyFavoriteSelRUN()
{
    if (m_choosing)
        return;
    const int flag = lastClickButton;
    lastClickButton = ClickButton::None;
    const QList<QTreeWidgetItem*> selected = favouritesList->selectedItems();
    if (flag != 2 || selected.isEmpty())
        return;
    openRow(selected.first());
}

void FavouritesBar::openRow(QTreeWidgetItem* item)
{
    const QString address = m_list.entries().value(favouritesList->indexOfTopLevelItem(item)).address;
    hideList();
    go(address);
}

void FavouritesBar::MyFavoriteDelete()
{
    const QList<QTreeWidgetItem*> selected = favouritesList->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = favouritesList->indexOfTopLevelItem(selected.first());
    if (!m_list.remove(row))
        return;
    m_choosing = true;
    delete favouritesList->takeTopLevelItem(row);
    m_choosing = false;
    MyFavoriteListSize();
    MyFavoriteButtonName();
    m_undo->setProperty(kDimmed, false);
}

void FavouritesBar::MyFavoriteReturn()
{
    const std::optional<qsizetype> row = m_list.undo();
    if (!row)
        return;
    const FavouriteEntry& e = m_list.entries()[*row];
    favouritesList->insertTopLevelItem(static_cast<int>(*row), new QTreeWidgetItem(QStringList{e.title, e.address}));
    MyFavoriteListSize();
    MyFavoriteButtonName();
    m_undo->setProperty(kDimmed, true);
}

void FavouritesBar::MyFavoriteClose()
{
    hideList();
    favouritesMenu->close();
}

void FavouritesBar::ImportUrlFavourite()
{
    // Favourites brought over from another system are most likely somewhere
    // in the user's home folder.
    const std::optional<QString> chosen = m_prompter.OpenFileName(QDir::homePath(), {u"お気に入り(*.url)"_s});
    if (!chosen)
        return;
    const DocumentFile::ReadResult read = DocumentFile::ReadWhole(*chosen);
    if (!read.ok) {
        m_prompter.MessageInfoBox(read.error);
        return;
    }
    const std::optional<QString> address = Favourites::UrlFileAddress(read.bytes);
    if (!address) {
        m_prompter.MessageInfoBox(NoUrlInFileMessage());
        return;
    }
    go(*address);
}

void FavouritesBar::ShowOrHideList()
{
    MyFavoriteListSize();
    if (UrlDsp == 0) {
        favouritesList->setVisible(true);
        favouritesList->setEnabled(true);
        // Over the page, which the window may have made after the table.
        favouritesList->raise();
        UrlDsp = 1;
        favouritesListButton->setChecked(true);
    } else {
        hideList();
    }
}

void FavouritesBar::hideList()
{
    m_choosing = true;
    favouritesList->clearSelection();
    m_choosing = false;
    favouritesList->setVisible(false);
    favouritesList->setEnabled(false);
    UrlDsp = 0;
    favouritesListButton->setChecked(false);
}

void FavouritesBar::go(const QString& address)
{
    const QString converted = URL_UTF8Conversion(address);
    if (!Favourites::IsWebAddress(converted)) {
        m_prompter.MessageInfoBox(NotWebAddressMessage());
        return;
    }
    emit navigate(converted);
}
