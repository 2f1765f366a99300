#pragma once

#include "printing/PageLayout.h"

#include <QFont>
#include <QList>
#include <QString>

#include <cmath>

class QPainter;
class QPrinter;

// The document's margins, hundredths of an inch.
struct PrintMargins
{
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

// The settings keep margins in tenths of a millimetre; the page works in
// hundredths of an inch. The two ways are fixed and not exact inverses.
namespace MarginUnits {
// Single precision, truncated toward zero: 200 gives 78, 250 gives 98.
inline int SettingToHundredths(int setting)
{
    return int(float(setting) / 2.54f);
}
// Millimetres rounded half to even, then tenths: 79 gives 200, 98 gives 250.
inline int HundredthsToSetting(int hundredths)
{
    return int(std::nearbyint(double(hundredths) * 0.254)) * 10;
}
} // namespace MarginUnits

// What a page of the printer gives the layout, and the drawing of its lines.
// The printer draws from the paper's corner (full page), so the margins are
// ours alone and hold even where the printer would refuse them.
namespace PrintPage {
PageBox BoxFor(QPrinter& printer, const QFont& font, const PrintMargins& margins);
PageLayout::Advance AdvanceFor(QPrinter& printer, const QFont& font);
void Draw(QPainter& painter, QPrinter& printer, const QFont& font, const PrintMargins& margins,
          const QString& text, const QList<PrintedLine>& lines);
} // namespace PrintPage
