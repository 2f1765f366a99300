#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "platform/SynthesisWorker.h"

#include <cstdint>
#include <functional>

// espeak-ng for the whole process. The library is not thread-safe, so one
// worker thread owns it: it initialises it, lists its voices and runs every
// synthesis, one request after another. Callers queue requests and never
// wait on synthesis.
class EspeakEngine
{
public:
    struct Voice
    {
        QString description;     // "Japanese (ja)"
        QByteArray identifier;   // "jpx/ja", what espeak-ng selects by
        QStringList languages;   // "ja", most preferred first
    };

    struct Request
    {
        QString text;
        QByteArray voice;        // identifier
        int wordsPerMinute = 175;
        // Each chunk of 16-bit mono PCM as it is rendered; false stops the
        // synthesis (the text was purged).
        std::function<bool(const std::int16_t* samples, int count)> chunk;
        // The whole text was rendered (not called when chunk said stop).
        std::function<void()> done;
        // A word begins at this sample of the rendered audio; position (from
        // 1) and length count characters of the text. Comes before the
        // chunk holding that sample.
        std::function<void(int position, int length, std::int64_t sample)> word;
        // Runs on the worker just before synthesis and may rewrite the text
        // and the word callback (kanji turned into kana there, for one).
        std::function<void(Request&)> prepare;
    };

    // espeak-ng's normal speed.
    static constexpr int NormalWordsPerMinute = 175;

    // The one engine, made on first use. It lives as long as the process:
    // espeak-ng cannot be initialised again once terminated.
    static EspeakEngine& Instance();

    EspeakEngine(const EspeakEngine&) = delete;
    EspeakEngine& operator=(const EspeakEngine&) = delete;

    bool ok() const { return sampleRate_ > 0; }
    int sampleRate() const { return sampleRate_; }
    const QList<Voice>& voices() const { return voices_; }

    // The voice of the user's language, English when espeak-ng has none,
    // else the first voice; -1 without voices.
    int defaultVoice() const { return defaultVoice_; }
    static int VoiceForLanguage(const QList<Voice>& voices, const QString& localeName);

    void Synthesize(Request request);

    // Worker thread only: hands one rendered chunk to the running request;
    // false stops the synthesis.
    bool Deliver(const std::int16_t* samples, int count);
    void DeliverWord(int position, int length, std::int64_t sample);

private:
    EspeakEngine();
    void Initialise();
    void RunRequest(Request& request);

    // Written by the worker before the constructor returns, read-only after.
    int sampleRate_ = 0;
    QList<Voice> voices_;
    int defaultVoice_ = -1;

    // Worker only.
    Request* active_ = nullptr;
    bool stopped_ = false;
    QByteArray currentVoice_;
    int currentRate_ = -1;

    // Last, so the fields above are set before it initialises the library.
    SynthesisWorker worker_;
};
