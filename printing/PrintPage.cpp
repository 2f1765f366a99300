#include "printing/PrintPage.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <cmath>

namespace PrintPage {

PageBox BoxFor(QPrinter& printer, const QFont& font, const PrintMargins& margins)
{
    const QRectF paper = printer.pageLayout().fullRect(QPageLayout::Inch);
    const double width = paper.width() * 100.0;
    const double height = paper.height() * 100.0;
    const QFontMetricsF onPrinter(font, &printer);
    PageBox box;
    box.width = int(width - margins.left - margins.right);
    box.bottom = int(height - margins.bottom) - margins.top;
    box.lineHeight = int(onPrinter.lineSpacing() * 100.0 / printer.resolution());
    box.reserve = int(std::ceil(QFontMetricsF(font).lineSpacing()));
    return box;
}

PageLayout::Advance AdvanceFor(QPrinter& printer, const QFont& font)
{
    const QFontMetricsF metrics(font, &printer);
    const double scale = 100.0 / printer.resolution();
    return [metrics, scale](QStringView character) {
        return metrics.horizontalAdvance(character.toString()) * scale;
    };
}

void Draw(QPainter& painter, QPrinter& printer, const QFont& font, const PrintMargins& margins,
          const QString& text, const QList<PrintedLine>& lines)
{
    const double perHundredth = printer.resolution() / 100.0;
    painter.setFont(font);
    painter.setPen(Qt::black);
    const double ascent = QFontMetricsF(font, &printer).ascent();
    const double x = margins.left * perHundredth;
    const double top = margins.top * perHundredth;
    for (const PrintedLine& line : lines) {
        // A line of no width (empty, or only zero-width characters) shows
        // nothing, and shaping a long one of them costs much.
        if (line.width <= 0)
            continue;
        painter.drawText(QPointF(x, top + line.y * perHundredth + ascent), text.mid(line.start, line.length));
    }
}

} // namespace PrintPage
