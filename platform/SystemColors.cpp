#include "platform/SystemColors.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace SystemColors {

namespace {
QPalette appPalette() { return QApplication::palette(); }

QColor blend(const QColor& a, const QColor& b, double t)
{
    return QColor::fromRgbF(a.redF() * (1 - t) + b.redF() * t,
                            a.greenF() * (1 - t) + b.greenF() * t,
                            a.blueF() * (1 - t) + b.blueF() * t);
}
} // namespace

QColor Control() { return appPalette().color(QPalette::Button); }
QColor ControlLight() { return blend(appPalette().color(QPalette::Button), appPalette().color(QPalette::Light), 0.35); }
QColor ControlDark() { return appPalette().color(QPalette::Mid); }
// The selection colour softened towards the base, light enough for dark text.
QColor ActiveCaption() { return blend(appPalette().color(QPalette::Highlight), appPalette().color(QPalette::Base), 0.55); }
QColor GradientActiveCaption() { return blend(appPalette().color(QPalette::Highlight), appPalette().color(QPalette::Base), 0.7); }
QColor WindowFrame() { return appPalette().color(QPalette::Dark); }
QColor ButtonHighlight() { return appPalette().color(QPalette::Light); }

void SetBackColor(QWidget* widget, const QColor& color)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Button, color);
    pal.setColor(QPalette::Window, color);
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

QColor BackColor(const QWidget* widget) { return widget->palette().color(QPalette::Button); }

void SetButtonEnabled(QWidget* button, bool enabled)
{
    button->setEnabled(enabled);
    SetBackColor(button, enabled ? ControlLight() : ControlDark());
}

} // namespace SystemColors
