#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

// The editor turns every line break into a paragraph and counts it as one
// position, while the document's text keeps each break as it came from the
// file and counts CR LF as two characters. These are the break forms, in
// the way the editor recognises them.
namespace LineBreaks {

enum Kind : std::uint8_t {
    CrLf = 0,
    Lf,
    Cr,
    ParagraphSeparator,   // U+2029
    FrameStart,           // U+FDD0, which the editor also takes as a paragraph end
    FrameEnd,             // U+FDD1
};

QStringView Text(Kind kind);
inline int Length(Kind kind) { return kind == CrLf ? 2 : 1; }

// The breaks of a text in order, split exactly as the editor splits it.
QList<Kind> Kinds(QStringView text);

// The form most breaks of the list have (CR LF when there are none).
Kind MostCommon(const QList<Kind>& kinds);

} // namespace LineBreaks

// Converts between offsets in the exact text and positions in the editor,
// given the length of each paragraph and the break before each one after
// the first.
class OffsetMap
{
public:
    OffsetMap() = default;
    // breaks[i] is the break between paragraph i and paragraph i + 1.
    OffsetMap(const std::vector<int>& paragraphLengths, const std::vector<LineBreaks::Kind>& breaks);

    // Positions and offsets outside the text are clamped to it. An offset
    // inside a CR LF maps to the end of the paragraph before it.
    int ToTextOffset(int editorPosition) const;
    int ToEditorPosition(int textOffset) const;

    int TextLength() const;
    int Paragraphs() const { return int(lengths_.size()); }
    // The break before paragraph p (p >= 1).
    LineBreaks::Kind BreakBefore(int paragraph) const { return breaks_[size_t(paragraph - 1)]; }
    bool AllCrLf() const { return allCrLf_; }

private:
    std::vector<int> lengths_;
    std::vector<LineBreaks::Kind> breaks_;
    std::vector<int> editorStart_;
    std::vector<int> textStart_;
    bool allCrLf_ = true;
};
