#pragma once

#include <QList>
#include <QString>

// How the reader sees the text of a view: its lines, where each starts and
// ends, and which part of a line is a comment that is never read.
namespace ReaderText {

// The lines of a text, cut at CR LF, a lone CR and a lone LF. A text that
// ends with a break has an empty last line; an empty text has no lines.
QList<QString> Lines(const QString& text);

// The lines of a text with where each stands in it. A break counts by its
// characters, CR LF as two and a lone CR or LF as one, so the offsets are
// the view's whatever breaks the text has (a text from Linux has LF, one
// repaired has CR LF, a pasted one may mix them). The last line has no
// break and counts two, so a caret just past the text still belongs to it.
class TextLines
{
public:
    explicit TextLines(const QString& text);

    int size() const { return int(lines_.size()); }
    const QString& at(int index) const { return lines_.at(index); }
    const QList<QString>& lines() const { return lines_; }

    int Start(int index) const { return starts_.at(index); }
    // The characters of the break after the line.
    int BreakLength(int index) const { return breaks_.at(index); }
    // Where the next line starts: start + length + break.
    int End(int index) const { return Start(index) + int(at(index).size()) + BreakLength(index); }
    // The first line whose end lies beyond `position`, or -1 when none does.
    int At(int position) const;

private:
    QList<QString> lines_;
    QList<int> starts_;
    QList<int> breaks_;
};

// The part of a line before its first semicolon, full-width "；" or ";".
QString CommentsCut(const QString& line);

// Each non-empty piece of a selection (cut at CR LF) without its comment,
// followed by CR LF.
QString RangeCommentsCut(const QString& text);

// What a display-window speak button reads: the text up to its first
// semicolon followed by CR LF when it has one, else the text as it is.
QString DisplayLineText(const QString& text);

} // namespace ReaderText
