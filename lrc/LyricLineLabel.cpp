#include "lrc/LyricLineLabel.h"

#include <QPainter>

using namespace Qt::StringLiterals;

LyricLineLabel::LyricLineLabel(QWidget* parent) : QLabel(parent)
{
}

QColor LyricLineLabel::WordColour()
{
    return QColor(0xFF, 0xD2, 0x4A);
}

void LyricLineLabel::setSecondLine(const QString& text)
{
    if (text == second_)
        return;
    second_ = text;
    setAccessibleDescription(text);
    update();
}

void LyricLineLabel::setWordHighlight(qsizetype start, qsizetype length)
{
    if (start == wordStart_ && length == wordLength_)
        return;
    wordStart_ = start;
    wordLength_ = length;
    update();
}

void LyricLineLabel::paintEvent(QPaintEvent* event)
{
    const QString main = text();
    const bool highlight = wordLength_ > 0 && wordStart_ >= 0 && wordStart_ + wordLength_ <= main.size();
    if (second_.isEmpty() && !highlight) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    const QRect area = contentsRect();
    QFont mainFont = font();
    QRect mainRect = area;
    if (!second_.isEmpty()) {
        // Both lines in the label's height: the lyric a little smaller than
        // alone, its translation smaller still, under it.
        QFont secondFont = font();
        secondFont.setPointSizeF(font().pointSizeF() * 0.55);
        mainFont.setPointSizeF(font().pointSizeF() * 0.8);
        const int secondHeight = QFontMetrics(secondFont).height();
        mainRect = area.adjusted(0, 0, 0, -secondHeight);
        p.setFont(secondFont);
        p.setPen(palette().color(QPalette::WindowText).darker(115));
        p.drawText(area.adjusted(0, area.height() - secondHeight, 0, 0), Qt::AlignCenter, second_);
    }
    p.setFont(mainFont);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(mainRect, Qt::AlignCenter, main);
    if (highlight) {
        // The word drawn again over itself, where the whole line put it.
        const QFontMetrics fm(mainFont);
        const int left = mainRect.left() + (mainRect.width() - fm.horizontalAdvance(main)) / 2;
        const int x = left + fm.horizontalAdvance(main.left(wordStart_));
        const QString word = main.mid(wordStart_, wordLength_);
        QRect wordRect(x, mainRect.top(), fm.horizontalAdvance(word), mainRect.height());
        p.setPen(WordColour());
        p.drawText(wordRect, Qt::AlignVCenter | Qt::AlignLeft, word);
    }
}
