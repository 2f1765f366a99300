#include "library/ListViewItemComparer.h"

#include "core/State.h"

#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

QCollator UserCollator()
{
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseSensitive);
    return collator;
}

} // namespace

// --- ListViewItemComparer ---------------------------------------------------

ListViewItemComparer::ListViewItemComparer(const State& state, int column)
    : state_(state)
{
    switch (state.shownList) {
    case 0:
        col1 = column;
        break;
    case 1:
        col2 = column;
        break;
    default:
        col3 = column;
        break;
    }
}

int ListViewItemComparer::Compare(const QTreeWidgetItem& x, const QTreeWidgetItem& y) const
{
    int column = 0;
    std::int32_t direction = 0;
    switch (state_.shownList) {
    case 0:
        column = col1;
        direction = state_.allFileListSorting;
        break;
    case 1:
        column = col2;
        direction = state_.textFileListSorting;
        break;
    default:
        column = col3;
        direction = state_.musicListSorting;
        break;
    }
    if (direction == 1)
        return ListEntry::CompareColumn(y, x, column);
    return ListEntry::CompareColumn(x, y, column);
}

// --- ListEntry --------------------------------------------------------------

ListEntry::ListEntry(const ListSorter* sorter, const QStringList& texts)
    : QTreeWidgetItem(texts, EntryType), sorter_(sorter)
{
}

bool ListEntry::operator<(const QTreeWidgetItem& other) const
{
    if (const ListViewItemComparer* comparer = sorter_->Comparer())
        return comparer->Compare(*this, other) < 0;
    return CompareColumn(*this, other, 0) < 0;
}

void ListEntry::setData(int column, int role, const QVariant& value)
{
    if ((role == Qt::DisplayRole || role == Qt::EditRole) && column >= 0 && column < int(keys_.size()))
        keys_[column].reset();
    QTreeWidgetItem::setData(column, role, value);
}

const QCollatorSortKey& ListEntry::Key(int column) const
{
    std::optional<QCollatorSortKey>& key = keys_[column];
    if (!key)
        key.emplace(sorter_->Collator().sortKey(text(column)));
    return *key;
}

int ListEntry::CompareColumn(const QTreeWidgetItem& x, const QTreeWidgetItem& y, int column)
{
    const auto* ex = x.type() == EntryType ? static_cast<const ListEntry*>(&x) : nullptr;
    const auto* ey = y.type() == EntryType ? static_cast<const ListEntry*>(&y) : nullptr;
    if (ex && ey && ex->sorter_ == ey->sorter_ && column >= 0 && column < int(ex->keys_.size()))
        return ex->Key(column).compare(ey->Key(column));
    if (ex)
        return ex->sorter_->Collator().compare(x.text(column), y.text(column));
    return UserCollator().compare(x.text(column), y.text(column));
}

// --- ListSorter -------------------------------------------------------------

ListSorter::ListSorter(QTreeWidget* list)
    : QObject(list), list_(list), collator_(UserCollator())
{
    setObjectName(u"listSorter"_s);
}

ListSorter* ListSorter::Of(QTreeWidget* list)
{
    if (auto* sorter = list->findChild<ListSorter*>(QString(), Qt::FindDirectChildrenOnly))
        return sorter;
    return new ListSorter(list);
}

void ListSorter::Install(std::unique_ptr<ListViewItemComparer> comparer)
{
    comparer_ = std::move(comparer);
    Sort();
}

void ListSorter::Sort()
{
    // The entries order themselves (operator<); the column and direction
    // given here only have to be valid.
    if (list_->topLevelItemCount() > 1)
        list_->sortItems(0, Qt::AscendingOrder);
}
