#pragma once

#include "lrc/LrcRules.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// Word timing inside a lyric line (<mm:ss.xx> before each word) and lines
// that share one time (a lyric and its translation). Plain functions, so
// tests drive them without a window.
namespace LrcWordTags {

// One timed word: from its tag to the next, as a span of what the line
// shows (LrcRules::Text). A tag with nothing after it ends the word before
// it: a span of length 0.
struct Word
{
    std::int32_t time = 0;
    qsizetype start = 0;
    qsizetype length = 0;
    bool operator==(const Word&) const = default;
};

// The words of a line in the order written, with `offset` added to each
// tag; text before the first word tag is a word at `lineTime`. Empty for a
// line without word tags.
std::vector<Word> Words(const QString& line, std::int32_t lineTime, std::int32_t offset);

// The word sounding at `position`: the last one whose time is not after it;
// -1 before the first.
int WordAt(const std::vector<Word>& words, std::int32_t position);

// The line with every word tag moved by deltaMs, each in its own form (a
// tag moved below 0 lands on 0); the leading tags and every other character
// stay as they are.
QString ShiftWordTags(const QString& line, std::int32_t deltaMs);

// The time of the line's first word tag, without any offset.
std::optional<std::int32_t> FirstWordTime(const QString& line);

// Lines of one time: the entries from `entry` on with a tag of their own and
// the same time as it. The group begins at `entry` when the entry before it
// has another time or no tag.
std::int32_t GroupEnd(const LrcRules::Table& table, std::int32_t entry);
std::int32_t GroupStart(const LrcRules::Table& table, std::int32_t entry);

// What the lyric window shows for a group: its first line, and the texts of
// the others (those that show something), joined by " / ".
struct GroupText
{
    QString main;
    QString second;
};
GroupText TextOfGroup(const LrcRules::Table& table, std::int32_t entry);

} // namespace LrcWordTags
