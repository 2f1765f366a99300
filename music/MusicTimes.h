#pragma once

#include <QString>

#include <cstdint>

// The texts of the elapsed-time and range labels.
namespace MusicTimes {

// value with at least minIntDigits integer digits and two decimals, rounded
// half away from zero on the decimal digits the value prints with.
QString Fixed2(double value, int minIntDigits);

// "m:ss.ss / M:SS.SS sec": minutes are taken before the seconds are rounded,
// so 59 996 ms shows as 0:60.00. adjustment is subtracted from the position only.
QString Elapsed(double position, double length, std::int32_t adjustment);

// "Start：12.34 sec" and "End：12.34 sec".
QString StartLabel(double seconds);
QString EndLabel(double seconds);

} // namespace MusicTimes
