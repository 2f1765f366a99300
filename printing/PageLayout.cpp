#include "printing/PageLayout.h"

#include <utility>

using namespace Qt::StringLiterals;

PageLayout::PageLayout(State& state, Advance advance)
    : state_(state), advance_(std::move(advance))
{
}

QString PageLayout::NormaliseLineEnds(QString text)
{
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    return text;
}

void PageLayout::Reset(const QString& text, int startPage, int endPage)
{
    state_.printText = text;
    state_.StartPrintingPosition = 0;
    state_.PrintPageCount = 1;
    state_.PrintStartPage = startPage;
    state_.PrintEndPage = endPage;
}

void PageLayout::Finish()
{
    state_.StartPrintingPosition = 0;
    state_.printText.clear();
    state_.PrintPageCount = 1;
}

double PageLayout::AdvanceAt(int position, int units)
{
    const QString& text = state_.printText;
    const char32_t key = units == 2 ? QChar::surrogateToUcs4(text[position], text[position + 1])
                                    : char32_t(text[position].unicode());
    auto it = advances_.constFind(key);
    if (it != advances_.constEnd())
        return *it;
    const double advance = advance_(QStringView(text).mid(position, units));
    advances_.insert(key, advance);
    return advance;
}

int PageLayout::MostUnitsPerLine(int width)
{
    // Two per hundredth of an inch is more than any legible glyph allows, so
    // only characters of (almost) no width meet it; without it a run of them
    // would be one line however long, and the page cap would bound nothing.
    return qMax(2, 2 * width);
}

PrintedLine PageLayout::NextLine(int width)
{
    const QString& text = state_.printText;
    const int n = int(text.size());
    int& p = state_.StartPrintingPosition;
    PrintedLine line{p, 0, 0};
    double used = 0;
    const int most = MostUnitsPerLine(width);
    while (p < n) {
        if (text[p] == u'\n') {
            ++p;
            break;
        }
        // A surrogate pair is one character: never split it.
        const int units = text[p].isHighSurrogate() && p + 1 < n && text[p + 1].isLowSurrogate() ? 2 : 1;
        const double advance = AdvanceAt(p, units);
        if ((used + advance > width || line.length + units > most) && line.length > 0)
            break;   // this character starts the next line
        // A character wider than the whole box goes alone on its line,
        // else it would never fit and the job would never move on.
        used += advance;
        line.length += units;
        p += units;
    }
    line.width = used;
    return line;
}

bool PageLayout::LayOutPage(const PageBox& box, QList<PrintedLine>& lines)
{
    const int W = box.width;
    const int B = box.bottom;
    const int h = box.lineHeight;
    const int H = box.reserve;
    state_.PrintMarginBoundsWidth = W;
    state_.PrintMarginBoundsBottom = B;

    // A box that holds no line would ask for pages without end: the job
    // ends with this empty page instead.
    if (B <= H || W <= 0 || h <= 0) {
        Finish();
        return false;
    }

    const int n = int(state_.printText.size());
    int& c = state_.PrintPageCount;
    const int s = state_.PrintStartPage;
    const int e = state_.PrintEndPage;
    int y = 0;
    int v = h;
    bool ended = false;
    do {
        if (state_.StartPrintingPosition >= n) {
            Finish();
            return false;
        }
        PrintedLine line = NextLine(W);
        if (s <= c && c <= e) {
            line.y = y;
            lines.append(line);
            y += h;
            if (B <= H + y) {
                ++c;
                if (c > e)
                    ended = true;
            }
        } else if (B > H + v) {
            v += h;
        } else {
            ++c;
            v = h;
        }
    } while (B > H + y && !ended);

    if (!ended && state_.StartPrintingPosition < n)
        return true;
    Finish();
    return false;
}
