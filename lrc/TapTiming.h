#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// Timing made by tapping: a plain lyric text, one line per lyric line, gets
// a time tag on each line as the song reaches it. The rules of stamping and
// of writing the result; plain classes, so tests drive them without a song.
namespace TapTiming {

// Stamps stay this far apart, so that two quick taps never make two lines
// of one time (which would show as a lyric and its translation).
constexpr std::int32_t kMinGapMs = 10;
// Backspace plays again from this far before the stamp it takes back.
constexpr std::int32_t kReplayLeadMs = 2000;
constexpr std::int32_t kDefaultCompensationMs = 150;
constexpr std::int32_t kCompensationStepMs = 10;
constexpr std::int32_t kMaxCompensationMs = 1000;

// A line of the source with the break that ends it ("\r\n", "\n", "\r" or
// nothing for the last), so the result keeps the source's breaks.
struct SourceLine
{
    QString text;
    QString lineBreak;
    bool operator==(const SourceLine&) const = default;
};
std::vector<SourceLine> SplitKeepingBreaks(const QString& text);

// A line that gets a stamp: it shows something or is only a time tag (it
// ends the line before it). Blank lines and header lines ([ti:…],
// [offset:…], any tag that names something) stay as they are.
bool IsLyricLine(const QString& line);

// The line's text after its leading time tags.
QString WithoutTimeTags(const QString& line);

// "[mm:ss.xx]", rounded to the nearest hundredth.
QString FormatTag(std::int32_t ms);

enum class StampResult { Stamped, AllStamped, PastEnd };

// The stamps of one sitting, in track time.
class Session
{
public:
    Session(int lyricLines, std::int32_t songLengthMs);

    // The song leaves at least kMinGapMs for each line.
    bool Fits() const;
    // Stamps the next line at the played position minus the compensation:
    // not below 0, and kMinGapMs after the stamp before it. A position at or
    // past the song's end, or no line left, stamps nothing.
    StampResult Stamp(std::int64_t playedMs, std::int32_t compensationMs);
    // Takes the last stamp back; the position to play again from (a little
    // before it), or none when nothing is stamped.
    std::optional<std::int32_t> Undo();
    // Moves one stamp, kept between its neighbours (equal allowed) and
    // within the song; false when it cannot move at all.
    bool Nudge(int line, std::int32_t deltaMs);

    int lines() const { return lines_; }
    int next() const { return int(stamps_.size()); }
    bool done() const { return next() >= lines_; }
    const std::vector<std::int32_t>& stamps() const { return stamps_; }

private:
    int lines_;
    std::int32_t length_;
    std::vector<std::int32_t> stamps_;
};

// The source with the stamps in it: lyric line k (counting lyric lines
// only) gets stamps[k] as its one time tag, less the offset header's value
// so that it shows at the stamp; its word tags move with it. Lines past the
// stamps, blank lines and headers stay as they were, and so do the breaks.
QString Compose(const std::vector<SourceLine>& source, const std::vector<std::int32_t>& stamps);

// How many lines of the source get a stamp.
int LyricLineCount(const std::vector<SourceLine>& source);

} // namespace TapTiming
