#include "library/ListViewSetup.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Grid lines: each cell gets a line below and to its right.
class GridLineDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Midlight));
        const QRect r = option.rect;
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->restore();
    }
};

// A click on an entry's check box only ticks or unticks it. Left to the
// view, the press would first select the entry, and selecting a ticked music
// entry with the left button starts playing it. A plain left click on the
// row that was already selected is reported at its release, since the view
// has no selection change to tell of.
class RowClicks : public QObject
{
public:
    RowClicks(QTreeWidget* list, bool checkBoxes) : QObject(list), list_(list), checkBoxes_(checkBoxes)
    {
        setObjectName(u"rowClicks"_s);
        list->viewport()->installEventFilter(this);
    }

    std::function<void()> clickedAgain;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint pos = mouse->position().toPoint();
            QTreeWidgetItem* item = mouse->button() == Qt::LeftButton ? list_->itemAt(pos) : nullptr;
            // The second press of a double click is part of the first click.
            again_ = event->type() == QEvent::MouseButtonPress && item && item->isSelected()
                ? QPersistentModelIndex(list_->indexAt(pos).siblingAtColumn(0)) : QPersistentModelIndex();
            if (!checkBoxes_ || !item || !CheckBoxRect(item).contains(pos))
                return false;
            again_ = QPersistentModelIndex();
            item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
            swallowRelease_ = true;
            return true;
        }
        case QEvent::MouseButtonRelease: {
            if (swallowRelease_) {
                swallowRelease_ = false;
                return true;
            }
            const QPersistentModelIndex pressed = std::exchange(again_, QPersistentModelIndex());
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (pressed.isValid() && mouse->button() == Qt::LeftButton
                && list_->indexAt(mouse->position().toPoint()).siblingAtColumn(0) == pressed
                && list_->selectionModel()->isSelected(pressed) && clickedAgain)
                clickedAgain();
            return false;
        }
        default:
            return false;
        }
    }

private:
    // Where the style draws the check box in the item's first column,
    // wherever that column was dragged to.
    QRect CheckBoxRect(QTreeWidgetItem* item) const
    {
        QStyleOptionViewItem option;
        option.initFrom(list_);
        const QRect row = list_->visualItemRect(item);
        option.rect = QRect(list_->header()->sectionViewportPosition(0), row.top(),
                            list_->header()->sectionSize(0), row.height());
        option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        if (!item->icon(0).isNull())
            option.features |= QStyleOptionViewItem::HasDecoration;
        option.decorationSize = list_->iconSize();
        option.text = item->text(0);
        option.icon = item->icon(0);
        option.checkState = item->checkState(0);
        return list_->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list_);
    }

    QTreeWidget* list_;
    bool checkBoxes_;
    bool swallowRelease_ = false;
    QPersistentModelIndex again_;
};

} // namespace

namespace ListViewSetup {

void Apply(QTreeWidget* list, bool checkBoxes, std::function<void()> clickedAgain)
{
    list->setColumnCount(2);
    list->setHeaderLabels({u"ファイル名"_s, u"種類"_s});
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(true);
    list->setColumnWidth(0, 282);
    list->setColumnWidth(1, 36);

    // Ordering is the installed sorter's job, never the view's own.
    list->setSortingEnabled(false);
    header->setSectionsClickable(true);   // after the line above, which turns it off
    header->setSortIndicatorShown(false);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setAllColumnsShowFocus(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setIconSize(QSize(16, 16));

    // The selection stays visible while another control has the focus.
    QPalette palette = list->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    list->setPalette(palette);

    if (!list->itemDelegate() || !dynamic_cast<GridLineDelegate*>(list->itemDelegate()))
        list->setItemDelegate(new GridLineDelegate(list));
    auto* clicks = list->findChild<RowClicks*>(u"rowClicks"_s, Qt::FindDirectChildrenOnly);
    if (!clicks)
        clicks = new RowClicks(list, checkBoxes);
    clicks->clickedAgain = std::move(clickedAgain);
}

} // namespace ListViewSetup
