#include "dialogs/DialogParts.h"

#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QRegion>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>

using namespace Qt::StringLiterals;

// The resources live in a static library: nothing else refers to them, so
// the linker would drop them unless they are pulled in by hand.
static void initDialogResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(dialogs);
        return true;
    }();
    Q_UNUSED(done);
}

namespace DialogParts {

namespace {
constexpr int PictureGap = 3; // between the picture and the frame / the text

class ReturnAsSpace : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        QKeyEvent space(key->type(), Qt::Key_Space, Qt::NoModifier, u" "_s, key->isAutoRepeat());
        QCoreApplication::sendEvent(watched, &space);
        return true;
    }
};
} // namespace

QPixmap Picture(const QString& name, int side, qreal devicePixelRatio)
{
    initDialogResources();
    const QIcon icon(u":/dialogs/"_s + name);
    const int physical = qRound(side * devicePixelRatio);
    QPixmap pixmap = icon.pixmap(QSize(physical, physical));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

void CentreOnScreen(QWidget* window)
{
    QScreen* screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // move() places the frame, so centre the frame, not just the client area.
    const QSize outer = window->frameGeometry().size();
    window->move(area.x() + (area.width() - outer.width()) / 2,
                 area.y() + (area.height() - outer.height()) / 2);
}

void SetMessageLabelLook(QLabel* label)
{
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
    label->setAlignment(Qt::AlignCenter);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, QColor(Bisque));
    // Fixed dark text: a dark desktop theme would be unreadable on bisque.
    pal.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(pal);
    label->setAutoFillBackground(true);
}

void SetFlatButtonLook(QPushButton* button, const QColor& hover, const QColor& pressed)
{
    button->setFlat(true);
    button->setStyleSheet(
        u"QPushButton { background-color: palette(button); color: palette(button-text);"
        u" border: 1px solid palette(shadow); padding: 0px; }"
        u" QPushButton:hover { background-color: %1; }"
        u" QPushButton:pressed { background-color: %2; }"
        u" QPushButton:focus { border: 1px solid palette(highlight); }"_s
            .arg(hover.name(QColor::HexRgb), pressed.name(QColor::HexRgb)));
}

void ShapeToControls(QWidget* window)
{
    QRegion shape;
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isHidden() && !child->isWindow())
            shape += child->geometry();
    window->setMask(shape);
}

void ReturnActsLikeSpace(QPushButton* button)
{
    button->installEventFilter(new ReturnAsSpace(button));
}

} // namespace DialogParts

PictureLabel::PictureLabel(QWidget* parent)
    : QLabel(parent)
{
}

void PictureLabel::setPicture(const QString& name, int side)
{
    m_pictureName = name;
    m_side = side;
    m_picture = DialogParts::Picture(name, side, devicePixelRatioF());
    applyMargins();
    update();
}

QRect PictureLabel::pictureRect() const
{
    if (m_side <= 0)
        return {};
    const int left = frameWidth() + DialogParts::PictureGap;
    return QRect(left, (height() - m_side) / 2, m_side, m_side);
}

void PictureLabel::applyMargins()
{
    setContentsMargins(m_side > 0 ? m_side + 2 * DialogParts::PictureGap : 0, 0, 0, 0);
}

void PictureLabel::paintEvent(QPaintEvent*)
{
    // QFrame would draw its frame around the contents margins, i.e. right of
    // the picture; the frame belongs around the whole label, so paint it here.
    QPainter painter(this);
    QStyleOptionFrame frame;
    initStyleOption(&frame);
    frame.rect = rect();
    style()->drawControl(QStyle::CE_ShapedFrame, &frame, &painter, this);

    style()->drawItemText(&painter, contentsRect(), QStyle::visualAlignment(layoutDirection(), alignment()),
                          palette(), isEnabled(), text(), foregroundRole());

    if (m_side <= 0)
        return;
    // Re-render when the label has moved to a screen with another scale.
    if (m_picture.isNull() || !qFuzzyCompare(m_picture.devicePixelRatio(), devicePixelRatioF()))
        m_picture = DialogParts::Picture(m_pictureName, m_side, devicePixelRatioF());
    painter.drawPixmap(pictureRect(), m_picture);
}
