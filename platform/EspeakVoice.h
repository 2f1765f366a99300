#pragma once

#include "platform/PcmVoice.h"

class EspeakEngine;

// espeak-ng's own voices played through the built-in voice's player: the
// voice list is espeak-ng's, by its descriptions ("Japanese (ja)").
class EspeakVoice : public PcmVoice
{
    Q_OBJECT

public:
    explicit EspeakVoice(QObject* parent = nullptr);

    QStringList GetVoices() const override;
    bool setVoice(int index) override;

    // The voice in use, a position in GetVoices.
    int voiceIndex() const { return voiceIndex_; }
    // espeak-ng's speed for a rate of -5..5: normal speed times 3^(rate/10).
    static int WordsPerMinute(int rate);
    // espeak-ng's setting for `speed` times the normal speed in a voice of
    // `language` ("ja", "en-us"). Words per minute scale the speed heard in a
    // straight line, except in languages whose timing was measured not to:
    // those go by their measured speeds.
    static int WordsPerMinuteAt(double speed, QStringView language = {});

protected:
    bool EngineReady() const override;
    int SampleRateFor(const QString& text) const override;
    void Render(const QString& text, std::shared_ptr<PcmUtterance> utterance) override;

private:
    EspeakEngine* engine_;
    int voiceIndex_ = -1;
};

// Queues `text` on espeak-ng in `voice` (of `language`) at `speed` times
// the normal speed into `utterance`; the words are reported as ranges of
// `text`.
void EspeakRender(EspeakEngine& engine, const QString& text, const QByteArray& voice, QStringView language,
                  double speed, std::shared_ptr<PcmUtterance> utterance);
