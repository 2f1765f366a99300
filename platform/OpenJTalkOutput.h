#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <vector>

// What open_jtalk leaves behind for a line: the sound as a WAV file, and a
// trace of its text analysis (one line per word: surface, ..., accent/morae,
// ...) and of its labels (one per phoneme, start and end in 100 ns).
namespace OpenJTalkOutput {

struct Sound
{
    int sampleRate = 0;
    std::vector<std::int16_t> samples;   // mono
};

// A 16-bit PCM WAV, mono or more channels (mixed down); false with a
// Japanese reason otherwise.
bool ReadWav(const QByteArray& bytes, Sound* sound, QString* reason);

// The same sound at another rate (linear; only when the voice's file and the
// sound disagree).
std::vector<std::int16_t> Resampled(const std::vector<std::int16_t>& samples, int from, int to);

struct WordTime
{
    int start;          // in the line given to open_jtalk, QString units
    int length;
    qint64 time100ns;   // when it begins to sound
};

// The words of `text` with the time each begins: the trace's words are laid
// on its phonemes by their morae, and found in the text in order (compared
// in NFKC, as open_jtalk widens ASCII). Words not found in the text get no
// mark. Empty when the trace cannot be read soundly (the morae of the words
// and of the phonemes disagree): the caller then marks the whole line.
QList<WordTime> Words(const QString& trace, const QString& text);

// When the first phoneme that is not silence begins, in 100 ns; 0 without one.
qint64 FirstSound(const QString& trace);

} // namespace OpenJTalkOutput
