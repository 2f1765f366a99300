#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// The rules of writing a text read aloud to a sound file with its .lrc:
// which lines go in and how often, where the silences are, what the files
// are called and how the lyric lines and word tags are written. Plain
// functions, so tests drive them without a voice or a window.
namespace AudioExportRules {

enum class Format { Wav = 0, Mp3 = 1 };

// A short breath between two spoken pieces, so lines never run together.
constexpr std::int32_t kBreathMs = 300;
// A sample at least this loud (of 32767) is heard; below it is silence.
constexpr int kAudibleLevel = 600;
// The repetition button's "endless".
constexpr int kEndlessCount = 1000;

// The lines the voice says, in order: each line without its comment
// (ReaderText's rule), blanks trimmed, a leading byte order mark left out;
// lines with no letter or digit (blank, only marks or a comment) are not
// read.
QStringList SpokenLines(const QString& text);

// What the user wants in the file besides the lines once each.
struct Choice
{
    int loopCount = 1;        // the repetition button's count (kEndlessCount: endless)
    int pausePercent = 0;     // the shadowing pause: 0, 50, 100 or 150 % of a line
    bool withRepetitions = true;
    bool withPause = true;
};

// How often each line is said in the file: the repetition count when the
// user wants it, once otherwise; an endless count is once (the player
// repeats the file).
int PassesInFile(const Choice& choice);

// One spoken piece: a line said once, and the silence after it.
struct Step
{
    QString text;
    int line = 0;            // index in the spoken lines
    int pass = 0;            // 0 for the first time the line is said
    int pausePercent = 0;    // the learner's pause after it, % of its sound
    bool breathAfter = false;
    bool operator==(const Step&) const = default;
};

// Every line said as often as PassesInFile says, one pass after another;
// after each piece but the last the shadowing pause (when wanted) and a
// breath.
std::vector<Step> Plan(const QStringList& lines, const Choice& choice);

// The pause after a piece whose sound lasted soundMs.
std::int32_t PauseMs(std::int32_t soundMs, int pausePercent);

// --- the .lrc --------------------------------------------------------------------------

// A word the voice reported: [start, start + length) of the piece's text,
// heard at ms of the file.
struct TimedWord
{
    int start = 0;
    int length = 0;
    std::int32_t ms = 0;
};
// A piece as it lands in the file: heard from ms on.
struct TimedLine
{
    std::int32_t ms = 0;
    QString text;
    std::vector<TimedWord> words;
};

// "<mm:ss.xx>", rounded to the nearest hundredth like the line tags.
QString WordTag(std::int32_t ms);

// One lyric line: its time tag, then the text with a word tag before each
// word the voice reported (words outside the text, overlapping the one
// before or going back in time are left out; none comes before the line's
// own time). Brackets in the text become their full-width forms, so no
// word of it reads as a tag.
QString LrcLine(const TimedLine& line, bool wordTags);

// The whole .lrc: one line per piece in time order, CR LF after each, and a
// last bare tag at endMs where the sound ends, so the last line does not
// stay on after it.
QString LrcText(const std::vector<TimedLine>& lines, std::int32_t endMs, bool wordTags);

// --- file names --------------------------------------------------------------------------

// "mp3" or "wav".
QString Suffix(Format format);

// The path with the format's suffix: kept when it has it (any letter
// case), put in place of the other format's, added otherwise.
QString WithSuffix(const QString& path, Format format);

// Where the file goes when the user has not said: beside the text under its
// name ("study.txt" gives "study.mp3"), with "_音声" added when the .lrc of
// that name would be the text itself; in `folder` as "音声" for a text
// that has no file yet.
QString DefaultPath(const QString& textPath, const QString& folder, Format format);

// The .lrc written beside the sound file.
QString LrcPathFor(const QString& audioPath);

// The .lrc would overwrite the text being written out.
bool LrcIsSource(const QString& audioPath, const QString& textPath);

} // namespace AudioExportRules
