#pragma once

#include <QCollator>
#include <QCollatorSortKey>
#include <QObject>
#include <QTreeWidgetItem>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

struct State;
class QTreeWidget;
class ListSorter;

// The sorter a header click installs in a list. It is made with the clicked
// column, which it keeps in the field of the list shown at that moment, and
// it reads which list is shown each time it compares: a list refilled while
// another one is shown is ordered by that other list's field and direction.
class ListViewItemComparer
{
public:
    ListViewItemComparer(const State& state, int column);

    // The column to sort by, one per list (all, text, music).
    std::int32_t col1 = 0;
    std::int32_t col2 = 0;
    std::int32_t col3 = 0;

    // Negative when x goes before y. Texts compare by the user locale's
    // collation, letter case included.
    int Compare(const QTreeWidgetItem& x, const QTreeWidgetItem& y) const;

private:
    const State& state_;
};

// An entry of a file list. Its order comes from the sorter installed in its
// list, or ascending by file name while none is; collation keys are made once
// per entry and column, which keeps sorting a large folder quick.
class ListEntry : public QTreeWidgetItem
{
public:
    static constexpr int EntryType = QTreeWidgetItem::UserType + 1;

    ListEntry(const ListSorter* sorter, const QStringList& texts);

    bool operator<(const QTreeWidgetItem& other) const override;
    void setData(int column, int role, const QVariant& value) override;

    // The texts of one column of two items, by the user locale's collation.
    static int CompareColumn(const QTreeWidgetItem& x, const QTreeWidgetItem& y, int column);

private:
    const QCollatorSortKey& Key(int column) const;

    const ListSorter* sorter_;
    mutable std::array<std::optional<QCollatorSortKey>, 2> keys_;
};

// What a list keeps for ordering its entries: the collation of the user
// locale and the sorter installed by the last header click. It lives as a
// child of its list.
class ListSorter : public QObject
{
    Q_OBJECT

public:
    // The list's sorter, attached on first use.
    static ListSorter* Of(QTreeWidget* list);

    // Installs a sorter and orders the list by it at once; it stays for
    // later fills.
    void Install(std::unique_ptr<ListViewItemComparer> comparer);
    const ListViewItemComparer* Comparer() const { return comparer_.get(); }
    const QCollator& Collator() const { return collator_; }

    // Orders the list by the installed sorter (or by file name).
    void Sort();

private:
    explicit ListSorter(QTreeWidget* list);

    QTreeWidget* list_;
    QCollator collator_;
    std::unique_ptr<ListViewItemComparer> comparer_;
};
