#pragma once

#include "platform/TextCodec.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// The LRC format as the program reads it: finding and decoding the file,
// cutting lines, headers, time tags and the first timed line. Plain
// functions over strings, so tests drive them without a window.
namespace LrcRules {

// song.mp3 and song.WAV both have their synchronized text in song.lrc.
QString CompanionPath(const QString& musicPath);

// The file's text without its byte order mark; empty when the first byte
// begins a mark that does not follow.
QString Decode(const QByteArray& bytes, const TextCodec& codec);

// The text cut at CR LF, lone LF and lone CR; blank lines do not count.
QStringList Lines(const QString& text);

// A line naming one of the known header tags anywhere in it.
bool IsHeader(const QString& line);

// `atoi` of the C library: blanks, a sign, digits; no digits give 0.
std::int32_t Atoi(QStringView text);

// A time tag (the text between the brackets) in ms with `offset` added; the
// forms mm:ss.xx, mm:ss:xx and mm:ss, the digits after the point counted as
// hundredths. A tag with a point but no colon is 0, without the offset.
std::int32_t LrcTextTimerSet(const QString& tag, std::int32_t offset);

// The time tag of a line: its first piece between brackets.
QString Tag(const QString& line);

// What a line shows: the text after its leading time tags, up to the next
// bracket, word-timing tags (<mm:ss.xx>) left out and tabs as eight spaces.
QString Text(const QString& line);

// The value of an offset header ([offset:+500] gives 500).
std::int32_t Offset(const QString& line);

// The lines of a text with the index of the first line whose time is after
// 0 (none when no line qualifies) and the offset read before it.
struct Table
{
    QStringList lines;
    std::int32_t offset = 0;
    std::optional<std::int32_t> start;

    std::int32_t size() const { return std::int32_t(lines.size()); }
    std::int32_t Time(std::int32_t i) const { return LrcTextTimerSet(Tag(lines.at(i)), offset); }
    QString TextAt(std::int32_t i) const { return LrcRules::Text(lines.at(i)); }
};
Table FirstTimedLine(const QString& text);

} // namespace LrcRules
