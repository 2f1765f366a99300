#pragma once

#include "platform/TextCodec.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// The LRC format as the program reads it: finding and decoding the file,
// cutting lines, headers, time tags and the first timed line. Plain
// functions over strings, so tests drive them without a window.
namespace LrcRules {

// song.mp3 and song.WAV both have their synchronized text in song.lrc.
QString CompanionPath(const QString& musicPath);

// The file's text without its byte order mark; empty when the first byte
// begins a mark that does not follow. Half a surrogate pair becomes U+FFFD,
// so one bad character cannot spoil the whole text.
struct Decoded
{
    QString text;
    TextCodec::Encoding encoding = TextCodec::Encoding::ShiftJis;
    qsizetype markBytes = 0;   // the mark's length in the file
};
Decoded DecodeFile(const QByteArray& bytes, const TextCodec& codec);
QString Decode(const QByteArray& bytes, const TextCodec& codec);

// Whether a decoded text is largely characters its bytes could not form
// (U+FFFD, half a surrogate pair), unassigned or private ones, or control
// characters no text holds: the file is in none of the encodings read here
// (binary data, an encoding unknown to the program).
bool Unreadable(const QString& text);

// The text cut at CR LF, lone LF and lone CR; blank lines, blanks only
// included, do not count.
QStringList Lines(const QString& text);

// A line naming one of the known header tags anywhere in it, or whose
// first tag is a name rather than a time ([la:ja], [total:375275]).
bool IsHeader(const QString& line);

// A tag (without brackets) that reads as a time: a colon with digits and no
// letter before it.
bool IsTimeTag(QStringView tag);

// A tag naming something rather than a time: letters before its colon.
bool NamedTag(QStringView tag);

// The time tags at the start of a line, blanks allowed between them; `end`
// gets where the rest of the line begins.
QList<QStringView> LeadingTimeTags(QStringView line, qsizetype* end = nullptr);

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
// A bracket that is no time ([Chorus]) right after the tags is text.
QString Text(const QString& line);

// A timed line that only adds to the line of its time in the extended
// format: word timing ([tt]<0,0><200,1>…) or a named part ([tr:en]…). The
// table leaves it out, as it does headers.
bool IsExtension(const QString& line);

// The value of an offset header ([offset:+500] gives 500).
std::int32_t Offset(const QString& line);

// One place of the table: a line as it shows at a time.
struct Entry
{
    std::int32_t time = 0;
    std::int32_t line = 0;   // index in the line list
    bool tagged = false;     // a time tag of its own: a place in the song
};

// The lines of a text, the index of the first timed line (the first line
// whose time is 0 or later; none when no line qualifies) and the offset read
// before it. The table holds the lines before the first timed line as they
// are, then from it on one entry per time tag, in time order (equal times in
// file order): a line with several tags is sung at each of them. A line
// without a tag of its own follows the line before it; header lines there
// are left out. Indices (start, size, Time, TextAt) address this table.
struct Table
{
    QStringList lines;
    std::int32_t offset = 0;
    std::optional<std::int32_t> start;
    std::vector<Entry> entries;

    std::int32_t size() const { return std::int32_t(entries.size()); }
    std::int32_t Time(std::int32_t i) const { return entries.at(size_t(i)).time; }
    bool Tagged(std::int32_t i) const { return entries.at(size_t(i)).tagged; }
    std::int32_t Line(std::int32_t i) const { return entries.at(size_t(i)).line; }
    QString TextAt(std::int32_t i) const { return LrcRules::Text(lines.at(Line(i))); }
    // The first place of a line of the file in the table; none for a line
    // the table leaves out.
    std::optional<std::int32_t> EntryOfLine(std::int32_t line) const;
};
Table FirstTimedLine(const QString& text);

} // namespace LrcRules
