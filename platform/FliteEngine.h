#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "platform/SynthesisWorker.h"

#include <cstdint>
#include <functional>
#include <vector>

struct cst_voice_struct;

// Flite for the whole process, with its two US English voices. One worker
// thread owns the library: it registers the voices and runs every
// synthesis, one request after another, sentence by sentence, streaming
// each sentence's audio as it is made so the first sound comes at once.
class FliteEngine
{
public:
    enum class Voice { Male, Female };   // cmu_us_rms, cmu_us_slt

    struct Request
    {
        QString text;
        Voice voice = Voice::Male;
        double speed = 1.0;   // times the normal speed
        // Each chunk of 16-bit mono PCM; false stops the synthesis (purged).
        std::function<bool(const std::int16_t* samples, int count)> chunk;
        // The whole text was rendered (not called when chunk said stop).
        std::function<void()> done;
        // The word at [start, start + length) of the text (QString units)
        // begins at this sample. Comes before the chunk holding that sample.
        std::function<void(int start, int length, std::int64_t sample)> word;
    };

    static FliteEngine& Instance();
    FliteEngine(const FliteEngine&) = delete;
    FliteEngine& operator=(const FliteEngine&) = delete;

    bool ok() const { return sampleRate_ > 0; }
    int sampleRate() const { return sampleRate_; }
    void Synthesize(Request request);

    // Flite's duration stretch for `speed` times the normal speed.
    static float DurationStretch(double speed);
    // The text as Flite can take it: one byte per QString unit, so a byte
    // offset is the position in the text; typographic quotes and dashes
    // become their plain forms, anything else outside ASCII a space.
    static QByteArray FliteText(const QString& text);
    // Where the text is cut into pieces synthesised one after another: after
    // sentence ends and line breaks, and long runs at a space, so no piece
    // is longer than `longest` units. Returns the pieces' start offsets.
    static QList<int> Pieces(const QString& text, int longest = 300);
    // Where the first piece [0, end) is cut so the first sound need not wait
    // for a whole sentence: after its first comma, colon or semicolon, or
    // before the first joining word (and, to, of ...) after a few words;
    // -1 to leave it whole (short, or no such place).
    static int FirstPhraseEnd(const QString& text, int end);

    // Worker thread only: the streaming callback's way back.
    bool Stream(const std::int16_t* samples, int start, int size, const void* utterance);

private:
    FliteEngine();
    void RegisterVoices();
    void RunRequest(Request& request);
    void SendWords();

    int sampleRate_ = 0;

    // Worker only.
    cst_voice_struct* voices_[2] = {nullptr, nullptr};
    Request* active_ = nullptr;
    bool stopped_ = false;
    int pieceStart_ = 0;             // the piece's offset in the text
    QByteArray pieceText_;           // the piece as given to Flite
    std::int64_t pieceSample_ = 0;   // the piece's first sample in the utterance
    const void* wordsOf_ = nullptr;  // the Flite utterance whose words were sent
    std::int64_t skip_ = 0;          // leading silence still to drop
    bool seamAfter_ = false;         // the piece ends inside a sentence: its closing pause goes
    bool seamBefore_ = false;        // the piece goes on a sentence: its opening pause goes
    std::int64_t keepUntil_ = -1;    // of the piece's wave, the samples kept (-1: all)
    // The utterance's sample of the piece's first wave sample (what was
    // dropped before it moves it back).
    std::int64_t waveOffset_ = 0;
    bool trimLead_ = false;          // nothing heard yet: quiet samples still go
    std::int64_t trimmed_ = 0;       // how many went so
    struct PendingWord
    {
        int start;
        int length;
        std::int64_t wave;           // its first sample in the piece's wave
    };
    std::vector<PendingWord> pending_;   // sent with the next audio, once the offset is known

    // Last, so the fields above are set before it registers the voices.
    SynthesisWorker worker_;
};
