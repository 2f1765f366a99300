#include "documents/LineEndings.h"

using namespace Qt::StringLiterals;

namespace LineEndings {

Finding Examine(QStringView text)
{
    if (text.isEmpty())
        return Finding::Nothing;
    // The text cut at CR LF, empty pieces dropped: a piece holding an LF has
    // a lone one.
    bool anyPiece = false;
    for (QStringView piece : text.tokenize(u"\r\n", Qt::SkipEmptyParts)) {
        anyPiece = true;
        if (piece.contains(u'\n'))
            return Finding::LoneLf;
    }
    return anyPiece ? Finding::Sound : Finding::Nothing;
}

QString Repair(const QString& text)
{
    QString out = text;
    out.replace(u"\r\n"_s, u"\n"_s);
    out.replace(u"\n"_s, u"\r\n"_s);
    return out;
}

} // namespace LineEndings
