#pragma once

#include <QList>
#include <QString>

#include <utility>

// Where each character of a text handed to the engine stands in the view,
// so that a word the engine reports can be shown where it was read from.
class SpokenText
{
public:
    SpokenText() = default;

    // A line read from the view's offset `start`, `length` characters long.
    static SpokenText Line(int start, int length);
    // What the range mode reads from the selection `selected` starting at
    // view offset `selectionStart`: the comment-cut pieces, each followed by
    // a CR LF of its own.
    static SpokenText Range(const QString& selected, int selectionStart);

    int size() const { return int(offsets_.size()); }
    // The view range of [start, start + length) of the spoken text, without
    // the breaks the range mode adds; {-1, 0} when nothing of it is in the view.
    std::pair<int, int> ViewRange(int start, int length) const;

private:
    QList<int> offsets_;   // view offset of each spoken character, -1 for an added break
};
