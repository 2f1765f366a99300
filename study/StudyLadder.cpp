#include "study/StudyLadder.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace StudyLadder {

std::vector<int> Speeds(std::int32_t preset)
{
    switch (Preset(preset)) {
    case Preset::SlowToFast:
        return {75, 100, 125};
    case Preset::SlowToNormal:
        return {50, 75, 100};
    case Preset::NormalToFast:
        return {100, 125, 150};
    case Preset::None:
        break;
    }
    return {};
}

QString Name(std::int32_t preset)
{
    QStringList steps;
    for (int s : Speeds(preset)) {
        // 0.75, 1.0, 1.25: at least one digit after the point.
        QString text = QString::number(s / 100.0, 'f', 2);
        if (text.endsWith(u'0'))
            text.chop(1);
        steps << text;
    }
    return steps.join(u"→"_s) + u"倍"_s;
}

int SpeedOfPass(const std::vector<int>& speeds, int pass, int fixed)
{
    if (speeds.empty())
        return fixed;
    return speeds[size_t(std::max(0, pass)) % speeds.size()];
}

std::int64_t PassWallMs(std::int64_t trackMs, int speedPercent)
{
    return trackMs * 100 / std::max(1, speedPercent);
}

int RateOfPass(const std::vector<int>& speeds, int pass, int rate)
{
    rate = std::clamp(rate, MinRate, MaxRate);
    if (speeds.empty())
        return rate;
    // speed = 3^(steps / 10)
    const double speed = std::max(1, SpeedOfPass(speeds, pass, 100)) / 100.0;
    const int steps = int(std::lround(10.0 * std::log(speed) / std::log(3.0)));
    return std::clamp(rate + steps, MinRate, MaxRate);
}

} // namespace StudyLadder
