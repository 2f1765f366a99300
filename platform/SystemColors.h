#pragma once

#include <QColor>

class QWidget;

// The desktop's system colours by their roles, taken from the application
// palette so the window follows the user's theme.
namespace SystemColors {

QColor Control();           // button face
QColor ControlLight();      // the light control colour
QColor ControlDark();       // the dark control colour (disabled buttons)
QColor ActiveCaption();     // highlighted list/view/mode buttons
QColor GradientActiveCaption();
QColor WindowFrame();       // sliders and their number labels
QColor ButtonHighlight();   // name boxes

// Paints a widget's background (and a button's face) in one colour.
void SetBackColor(QWidget* widget, const QColor& color);
QColor BackColor(const QWidget* widget);

// Enables or disables a button and draws it the way the window does: the
// light control colour when enabled, the dark one when not.
void SetButtonEnabled(QWidget* button, bool enabled);

} // namespace SystemColors
