#pragma once

#include <QList>
#include <QString>

// How the reader sees the text of a view: its lines, where each starts and
// ends, and which part of a line is a comment that is never read.
namespace ReaderText {

// The lines of a text, cut at CR LF, a lone CR and a lone LF. A text that
// ends with a break has an empty last line; an empty text has no lines.
QList<QString> Lines(const QString& text);

// Offsets count every break as two characters: line k starts at the sum of
// (length + 2) over the lines before it.
int LineStart(const QList<QString>& lines, int index);
int LineEnd(const QList<QString>& lines, int index);   // start + length + 2

// The first line whose end lies beyond `position`, or -1 when none does.
int LineAt(const QList<QString>& lines, int position);

// The part of a line before its first semicolon, full-width "；" or ";".
QString CommentsCut(const QString& line);

// Each non-empty piece of a selection (cut at CR LF) without its comment,
// followed by CR LF.
QString RangeCommentsCut(const QString& text);

// What a display-window speak button reads: the text up to its first
// semicolon followed by CR LF when it has one, else the text as it is.
QString DisplayLineText(const QString& text);

} // namespace ReaderText
