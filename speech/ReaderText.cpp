#include "speech/ReaderText.h"

using namespace Qt::StringLiterals;

namespace ReaderText {

namespace {
qsizetype FirstSemicolon(const QString& line)
{
    for (qsizetype i = 0; i < line.size(); ++i)
        if (line.at(i) == u';' || line.at(i) == QChar(0xFF1B))
            return i;
    return -1;
}
} // namespace

QList<QString> Lines(const QString& text)
{
    return TextLines(text).lines();
}

TextLines::TextLines(const QString& text)
{
    if (text.isEmpty())
        return;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines_.append(text.mid(start, i - start));
            starts_.append(int(start));
            const bool crLf = c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n';
            breaks_.append(crLf ? 2 : 1);
            if (crLf)
                ++i;
            start = i + 1;
        }
    }
    lines_.append(text.mid(start));
    starts_.append(int(start));
    breaks_.append(2);
}

int TextLines::At(int position) const
{
    for (int k = 0; k < size(); ++k)
        if (End(k) > position)
            return k;
    return -1;
}

QString CommentsCut(const QString& line)
{
    const qsizetype at = FirstSemicolon(line);
    return at < 0 ? line : line.left(at);
}

QString RangeCommentsCut(const QString& text)
{
    QString out;
    for (const QString& piece : text.split(u"\r\n"_s, Qt::SkipEmptyParts))
        out += CommentsCut(piece) + u"\r\n"_s;
    return out;
}

QString DisplayLineText(const QString& text)
{
    const qsizetype at = FirstSemicolon(text);
    return at < 0 ? text : text.left(at) + u"\r\n"_s;
}

} // namespace ReaderText
