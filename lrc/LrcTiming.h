#pragma once

#include "lrc/LrcRules.h"

#include <QString>

#include <cstdint>
#include <optional>

// Timing rules of the study tools: the play range a lyric line makes, and
// moving the time tags of a whole text. Plain functions over strings.
namespace LrcTiming {

struct Range
{
    std::int32_t start = 0;
    std::int32_t end = 0;
    bool operator==(const Range&) const = default;
};

// The range of line `line` of the table in track time (its offset included):
// from its time to the first later time of a line after it, or to the end of
// the track when none follows. Lines with equal times share one range. None
// for a line before the first timed line, past the table, without a time
// above 0, or starting at or after the track's end.
std::optional<Range> RangeFromLine(const LrcRules::Table& table, std::int32_t line, std::int32_t length);

// The line sounding at `position`: the last line from the first timed line
// on with a time above 0 and not after it; none before the first timed line.
std::optional<std::int32_t> LineAt(const LrcRules::Table& table, std::int32_t position);

// The line practice goes to from `line`: with step > 0 the first line after
// it with a later time (lines of equal time are one place in the song);
// with step < 0 the nearest line before it with an earlier time above 0;
// with 0 the line itself when it has a time. None when there is no such line.
std::optional<std::int32_t> StepLine(const LrcRules::Table& table, std::int32_t line, int step);

// The text with every time tag moved by shiftMs: the leading tags of each
// line ([mm:ss.xx], [mm:ss:xx], [mm:ss], several in a row) and the word
// tags inside it (<mm:ss.xx>). Headers, texts and line breaks stay as they
// are; each tag keeps its form and its minute width. A tag at 0 stays as
// written; one moved below 0 lands on 0. A tag without hundredths gets them (.xx) only when the moved
// time needs them.
QString ShiftTimeTags(const QString& text, std::int32_t shiftMs);

// The earliest time above 0 that a tag of the text gives (without the
// offset); none when the text has no such tag.
std::optional<std::int32_t> EarliestTag(const QString& text);

// "+0.3秒", "−1.2秒" (an ASCII minus), "0.0秒".
QString ShiftText(std::int32_t shiftMs);

} // namespace LrcTiming
