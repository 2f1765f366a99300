#pragma once

#include <QColor>
#include <QLabel>
#include <QPixmap>
#include <QString>

class QPushButton;
class QWidget;

// Pieces shared by the program's own dialogs.
namespace DialogParts {

// Bisque message background of MessageInfoBox and YesNo.
inline constexpr QRgb Bisque = 0xFFE4C4;

// A picture from the dialogs' resources ("question.svg", "murmelin.svg"),
// rendered at side x side logical pixels for the given device pixel ratio.
QPixmap Picture(const QString& name, int side, qreal devicePixelRatio = 1.0);

// Puts a window in the middle of the available area of its screen.
void CentreOnScreen(QWidget* window);

// The look of the message and question labels: bisque, a thin black line
// around, dark text centred.
void SetMessageLabelLook(QLabel* label);

// A flat button with a face of its own (the dialogs' backgrounds are
// transparent) that changes colour under the mouse and while pressed.
void SetFlatButtonLook(QPushButton* button, const QColor& hover, const QColor& pressed);

// Cuts a window down to its controls. A see-through background alone needs a
// compositor; without one (plain X, many virtual machines, remote desktops)
// it shows black, while a shaped window is see-through everywhere. Call again
// when a control changes its size.
void ShapeToControls(QWidget* window);

// Return and Enter on the focused button act as the space bar does: the
// button goes down on the press and answers on the release. A held key then
// does not repeat into the next question, and a key that was pressed before
// the dialog opened does not answer it.
void ReturnActsLikeSpace(QPushButton* button);

} // namespace DialogParts

// A plain-text, single-line label with a small picture at its left; the
// text keeps clear of it.
class PictureLabel : public QLabel
{
    Q_OBJECT
public:
    explicit PictureLabel(QWidget* parent = nullptr);

    // Pictures come from the dialogs' resources; side is in logical pixels.
    void setPicture(const QString& name, int side);
    QPixmap picture() const { return m_picture; }
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyMargins();

    QString m_pictureName;
    QPixmap m_picture;
    int m_side = 0;
};
