#include "app/AnchorLayout.h"

#include <QWidget>
#include <QWidgetItem>

AnchorLayout::AnchorLayout(QWidget* parent, QSize designSize)
    : QLayout(parent), design_(designSize)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
    // The window's minimum size is its own business; the layout only places.
    setSizeConstraint(QLayout::SetNoConstraint);
}

AnchorLayout::~AnchorLayout()
{
    for (const Entry& e : entries_)
        delete e.item;
}

void AnchorLayout::addWidget(QWidget* widget, const QRect& designRect, Anchors anchors)
{
    addChildWidget(widget);
    entries_.append({new QWidgetItem(widget), designRect, anchors});
    widget->setGeometry(designRect);
    invalidate();
}

const AnchorLayout::Entry* AnchorLayout::find(const QWidget* widget) const
{
    for (const Entry& e : entries_)
        if (e.item->widget() == widget)
            return &e;
    return nullptr;
}

AnchorLayout::Anchors AnchorLayout::anchors(const QWidget* widget) const
{
    const Entry* e = find(widget);
    return e ? e->anchors : Anchors();
}

QRect AnchorLayout::designRect(const QWidget* widget) const
{
    const Entry* e = find(widget);
    return e ? e->design : QRect();
}

namespace {
// One axis: position and length for a change of the client's length by delta.
void placeAxis(int& pos, int& len, int delta, bool nearEdge, bool farEdge)
{
    if (nearEdge && farEdge)
        len += delta;
    else if (farEdge)
        pos += delta;
    else if (!nearEdge)
        pos += delta / 2;
}
} // namespace

QRect AnchorLayout::Place(const QRect& designRect, Anchors anchors, QSize designSize, QSize clientSize)
{
    int x = designRect.x(), w = designRect.width();
    int y = designRect.y(), h = designRect.height();
    placeAxis(x, w, clientSize.width() - designSize.width(), anchors & Left, anchors & Right);
    placeAxis(y, h, clientSize.height() - designSize.height(), anchors & Top, anchors & Bottom);
    return QRect(x, y, qMax(0, w), qMax(0, h));
}

void AnchorLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    for (const Entry& e : entries_) {
        const QRect r = Place(e.design, e.anchors, design_, rect.size()).translated(rect.topLeft());
        // Straight to the widget: a layout item would skip hidden controls and
        // bend the rectangle to size policies, and both must keep their place.
        if (QWidget* w = e.item->widget())
            w->setGeometry(r);
        else
            e.item->setGeometry(r);
    }
}

void AnchorLayout::addItem(QLayoutItem* item)
{
    entries_.append({item, item->geometry(), Top | Left});
}

QLayoutItem* AnchorLayout::itemAt(int index) const
{
    return index >= 0 && index < entries_.size() ? entries_.at(index).item : nullptr;
}

QLayoutItem* AnchorLayout::takeAt(int index)
{
    if (index < 0 || index >= entries_.size())
        return nullptr;
    return entries_.takeAt(index).item;
}

int AnchorLayout::count() const { return int(entries_.size()); }
QSize AnchorLayout::sizeHint() const { return design_; }
QSize AnchorLayout::minimumSize() const { return QSize(0, 0); }
