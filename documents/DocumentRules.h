#pragma once

#include "core/State.h"

#include <QString>
#include <QStringList>

#include <cstdint>

// The rules of the two documents that need no window: their state machine,
// the over-write decision, the save dialog's preselection, names and folders,
// and the font style bits.
namespace DocumentRules {

// The document states (Untouched, New, NewEdited, Stored, StoredEdited).
using namespace DocumentState;

// A content change of an editor. The one change a load causes is swallowed
// (the ignore-next-change flag goes back to 0); any other one is an edit.
void ContentChanged(std::int16_t& state, std::int32_t& loadChange);

enum class OverWriteAction { Nothing, Ask, SaveUnderName };
OverWriteAction ForOverWrite(bool fileExists, std::int16_t state);

// The encoding the save dialog proposes (position 1 to 4 in its list) and
// whether the text is taken to carry its encoding's mark already.
struct Preselection
{
    int position = 1;
    bool textCarriesMark = false;
};
// A document from a file keeps its own encoding; any other proposes "ANSI"
// when the text converts to Shift_JIS, else "Unicode".
Preselection Preselect(std::int16_t state, std::int16_t code, bool shiftJisConvertible);

// The file name without its last four characters (its extension).
QString BaseName(const QString& fileName);
// The path without its last component and the separator before it.
QString FolderOf(const QString& path);
// The last component of a path.
QString FileNameOf(const QString& path);
// The name chosen in the save dialog, with the document's extension added
// unless it already ends with it, so the file always belongs to the
// document being saved.
QString WithExtension(const QString& path, const QString& extension);

// The save dialog's encoding list for a document's extension (".txt" or ".lrc").
QStringList SaveFilters(const QString& extension);
// The message of a failed save through the dialog, by the chosen position.
QString SaveFailureMessage(int position);

// Font style bits: 0 regular, 1 bold, 2 italic, 3 bold and italic, 4
// underline, 8 strikeout; the style as a whole, so any other combination is
// regular.
struct FontStyle
{
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
};
int StyleBits(const FontStyle& style);
FontStyle StyleFromBits(int bits);

// The font dialog offers sizes 9 to 24 points.
double ClampFontSize(double points);

} // namespace DocumentRules
