#include "platform/DesignFonts.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {
QStringList fallbacks(const QString& family)
{
    // Fixed-pitch Gothic faces keep the columns of synchronized text aligned.
    if (family.contains(u"ゴシック"_s) || family.contains(u"Gothic"_s, Qt::CaseInsensitive)) {
        if (family.contains(u"UI"_s) || family.contains(u"Ｐ"_s))
            return {u"IPAPGothic"_s, u"Noto Sans CJK JP"_s, u"IPAGothic"_s};
        return {u"IPAGothic"_s, u"Noto Sans Mono CJK JP"_s, u"IPAPGothic"_s};
    }
    if (family.contains(u"明朝"_s) || family.contains(u"Mincho"_s, Qt::CaseInsensitive))
        return {u"IPAMincho"_s, u"IPAPMincho"_s, u"Noto Serif CJK JP"_s};
    if (family.contains(u"Sans Serif"_s))
        return {u"DejaVu Sans"_s, u"Liberation Sans"_s, u"IPAPGothic"_s};
    return {u"Noto Sans CJK JP"_s, u"IPAPGothic"_s, u"DejaVu Sans"_s};
}
} // namespace

QFont DesignFont(const QString& family, double points, bool bold)
{
    QFont font;
    QStringList families{family};
    families << fallbacks(family) << u"sans-serif"_s;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
