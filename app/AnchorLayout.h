#pragma once

#include <QLayout>
#include <QList>
#include <QRect>
#include <QSize>

// Places each widget at its design rectangle and keeps its distance to the
// window edges it is anchored to when the window is resized. A control
// anchored to both opposite edges stretches; anchored to neither, it keeps
// its relative position (it moves by half the change).
class AnchorLayout : public QLayout
{
public:
    enum Anchor {
        Top = 0x1,
        Bottom = 0x2,
        Left = 0x4,
        Right = 0x8,
        All = Top | Bottom | Left | Right,
    };
    Q_DECLARE_FLAGS(Anchors, Anchor)

    AnchorLayout(QWidget* parent, QSize designSize);
    ~AnchorLayout() override;

    void addWidget(QWidget* widget, const QRect& designRect, Anchors anchors);
    Anchors anchors(const QWidget* widget) const;
    QRect designRect(const QWidget* widget) const;

    // The rectangle a control with these anchors takes in a client area.
    static QRect Place(const QRect& designRect, Anchors anchors,
                       QSize designSize, QSize clientSize);

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    struct Entry
    {
        QLayoutItem* item;
        QRect design;
        Anchors anchors;
    };
    const Entry* find(const QWidget* widget) const;

    QSize design_;
    QList<Entry> entries_;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(AnchorLayout::Anchors)
