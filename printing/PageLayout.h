#pragma once

#include "core/State.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

// The printable box of a page, in hundredths of an inch except the reserve.
struct PageBox
{
    int width = 0;       // W: width of the box
    int bottom = 0;      // B: bottom of the box minus the top margin
    int lineHeight = 0;  // h: the font's line spacing on the printer
    int reserve = 0;     // H: the font's screen height in whole pixels, kept free at the bottom
};

// A line to draw: characters start..start+length of the job's text, its top
// y below the top of the box.
struct PrintedLine
{
    int start = 0;
    int length = 0;
    int y = 0;
    double width = 0;   // hundredths of an inch; 0 when nothing of it shows
};

// Lays out the text being printed page by page, one page per request, on
// the job state the program shares (printText, StartPrintingPosition,
// PrintPageCount, the page range). It knows no printer: the width of a
// character comes from the advance function, asked once per distinct
// character, so a long line costs no more than a short one per character.
class PageLayout
{
public:
    using Advance = std::function<double(QStringView)>;

    PageLayout(State& state, Advance advance);

    // CR LF, then every lone CR, become LF.
    static QString NormaliseLineEnds(QString text);

    // The most UTF-16 units a line of `width` hundredths of an inch holds,
    // whatever their widths: with the page cap it bounds a job's work.
    static int MostUnitsPerLine(int width);

    // Starts a job over: the text from its first character, page 1, the range.
    void Reset(const QString& text, int startPage, int endPage);

    // Lays out the next page and appends the lines to draw on it (none for
    // pages before the range). True when another page follows; false when
    // the job is over, and then the job state is reset.
    bool LayOutPage(const PageBox& box, QList<PrintedLine>& lines);

private:
    double AdvanceAt(int position, int units);
    // The next line from StartPrintingPosition on, which moves past it.
    PrintedLine NextLine(int width);
    void Finish();

    State& state_;
    Advance advance_;
    QHash<char32_t, double> advances_;
};
