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

// The range of entry `line` of the table in track time (its offset
// included): from its time to the next later time in the table, or to the
// end of the track when none follows. Entries with equal times share one
// range. None for an entry before the first timed line, past the table,
// without a tag of its own or below 0, or starting at or after the track's
// end.
std::optional<Range> RangeFromLine(const LrcRules::Table& table, std::int32_t line, std::int32_t length);

// The entry sounding at `position`: the last tagged entry at 0 or later and
// not after it; none before the first timed line.
std::optional<std::int32_t> LineAt(const LrcRules::Table& table, std::int32_t position);

// The entry practice goes to from `line`, in the table's time order: with
// step > 0 the first tagged entry after it with a later time (equal times
// are one place in the song); with step < 0 the nearest tagged entry before
// it with an earlier time, 0 or later; with 0 the entry itself when it has
// a time. None when there is no such entry.
std::optional<std::int32_t> StepLine(const LrcRules::Table& table, std::int32_t line, int step);

// The text with every time tag moved by shiftMs: the leading tags of each
// line ([mm:ss.xx], [mm:ss:xx], [mm:ss], several in a row) and the word
// tags inside it (<mm:ss.xx>). Headers, texts and line breaks stay as they
// are; each tag keeps its form and its minute width. A tag moved below 0
// lands on 0. A tag without hundredths gets them (.xx) only when the moved
// time needs them.
QString ShiftTimeTags(const QString& text, std::int32_t shiftMs);

// The same on a file's bytes in its encoding, after a mark of markBytes:
// only the tags' own bytes change (tags are ASCII, in UTF-16 one unit per
// character), every other byte stays as it is, whether it forms a
// character or not.
QByteArray ShiftTimeTagBytes(const QByteArray& bytes, qsizetype markBytes, TextCodec::Encoding encoding,
                             std::int32_t shiftMs);

// The earliest time that a tag of the text gives, word tags included
// (without the offset); none when the text has no tag.
std::optional<std::int32_t> EarliestTag(const QString& text);

// "+0.3秒", "−1.2秒" (an ASCII minus), "0.0秒".
QString ShiftText(std::int32_t shiftMs);

} // namespace LrcTiming
