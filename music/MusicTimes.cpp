#include "music/MusicTimes.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace MusicTimes {

QString Fixed2(double value, int minIntDigits)
{
    if (!std::isfinite(value))
        return u"0.00"_s;
    // Round on the value as it prints (15 significant digits), so 0.125
    // stored a hair below still rounds away from zero.
    const bool negative = value < 0;
    const QString exact = QString::number(std::fabs(value), 'g', 15);
    bool ok = false;
    const double printed = exact.toDouble(&ok);
    const QString digits = QString::number(ok ? printed : std::fabs(value), 'f', 12);
    const qsizetype dot = digits.indexOf(u'.');
    QString whole = digits.left(dot);
    QString frac = digits.mid(dot + 1, 2);
    const bool up = digits.at(dot + 3) >= u'5';
    if (up) {
        // Carry through the decimals and the integer part.
        QString all = whole + frac;
        int i = int(all.size()) - 1;
        while (i >= 0) {
            if (all[i] == u'9') {
                all[i] = u'0';
                --i;
            } else {
                all[i] = QChar(all[i].unicode() + 1);
                break;
            }
        }
        if (i < 0)
            all.prepend(u'1');
        whole = all.left(all.size() - 2);
        frac = all.right(2);
    }
    while (whole.size() > 1 && whole.startsWith(u'0'))
        whole.remove(0, 1);
    while (whole.size() < minIntDigits)
        whole.prepend(u'0');
    const bool zero = (whole + frac).count(u'0') == whole.size() + frac.size();
    return (negative && !zero ? u"-"_s : QString()) + whole + u'.' + frac;
}

QString Elapsed(double position, double length, std::int32_t adjustment)
{
    auto part = [](std::int64_t ms, std::int64_t& minutes) {
        minutes = ms / 1000 / 60;
        return ms / 1000.0 - 60.0 * double(minutes);
    };
    std::int64_t m = 0;
    std::int64_t lm = 0;
    const double s = part(std::int64_t(position) - adjustment, m);
    const double ls = part(std::int64_t(length), lm);
    return u"%1:%2 / %3:%4 sec"_s.arg(m).arg(Fixed2(s, 2)).arg(lm).arg(Fixed2(ls, 2));
}

QString StartLabel(double seconds)
{
    return u"Start：%1 sec"_s.arg(Fixed2(seconds, 1));
}

QString EndLabel(double seconds)
{
    return u"End：%1 sec"_s.arg(Fixed2(seconds, 1));
}

} // namespace MusicTimes
