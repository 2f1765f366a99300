#include "speech/SpokenText.h"

#include "speech/ReaderText.h"

using namespace Qt::StringLiterals;

SpokenText SpokenText::Line(int start, int length)
{
    SpokenText out;
    out.offsets_.reserve(length);
    for (int i = 0; i < length; ++i)
        out.offsets_.append(start + i);
    return out;
}

SpokenText SpokenText::Range(const QString& selected, int selectionStart)
{
    // The same pieces as the comment cutting of a range: split at CR LF,
    // empty pieces dropped, each piece up to its comment.
    SpokenText out;
    qsizetype from = 0;
    while (from <= selected.size()) {
        qsizetype end = selected.indexOf(u"\r\n"_s, from);
        if (end < 0)
            end = selected.size();
        if (end > from) {
            const qsizetype kept = ReaderText::CommentsCut(selected.mid(from, end - from)).size();
            for (qsizetype i = 0; i < kept; ++i)
                out.offsets_.append(selectionStart + int(from + i));
            out.offsets_.append(-1);
            out.offsets_.append(-1);
        }
        from = end + 2;
    }
    return out;
}

std::pair<int, int> SpokenText::ViewRange(int start, int length) const
{
    int first = -1;
    int last = -1;
    for (int i = qMax(0, start); i < start + length && i < size(); ++i) {
        if (offsets_.at(i) < 0)
            continue;
        if (first < 0)
            first = offsets_.at(i);
        last = offsets_.at(i);
    }
    if (first < 0)
        return {-1, 0};
    return {first, last - first + 1};
}
