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
    QList<QString> lines;
    if (text.isEmpty())
        return lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    lines.append(text.mid(start));
    return lines;
}

int LineStart(const QList<QString>& lines, int index)
{
    int start = 0;
    for (int k = 0; k < index && k < lines.size(); ++k)
        start += int(lines.at(k).size()) + 2;
    return start;
}

int LineEnd(const QList<QString>& lines, int index)
{
    return LineStart(lines, index) + int(lines.at(index).size()) + 2;
}

int LineAt(const QList<QString>& lines, int position)
{
    int end = 0;
    for (int k = 0; k < lines.size(); ++k) {
        end += int(lines.at(k).size()) + 2;
        if (end > position)
            return k;
    }
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
