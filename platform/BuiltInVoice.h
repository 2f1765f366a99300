#pragma once

#include "platform/PcmVoice.h"

#include "platform/OpenJTalkVoices.h"

#include <QByteArray>
#include <QList>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>

class EspeakEngine;
class FliteEngine;
class OpenJTalkRun;

// Turns Japanese text into kana that espeak-ng's Japanese voice can say.
// Read runs on espeak-ng's worker thread only; the object is made and
// deleted on the user-interface thread.
class KanaReader : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // `spoken` with origin[i] the position in `text` of spoken[i] (one more
    // entry than `spoken` has units, for its end); false when there are no
    // readings, the text is then said as it is.
    virtual bool Read(const QString& text, QString* spoken, QList<int>* origin) = 0;

signals:
    // The readings cannot be had; the message says what to install.
    void Problem(const QString& message);
};

// The program's built-in voices in one list, each played through the same
// player: "自動（英語・日本語）" (a voice for each text by its script),
// Flite's two English voices, espeak-ng's Japanese voice reading kana from
// the readings, Open JTalk's natural Japanese voices when open_jtalk and an
// HTS voice are installed, then espeak-ng's other languages by their
// Japanese names.
class BuiltInVoice : public PcmVoice
{
    Q_OBJECT

public:
    enum class Kind { Automatic, EnglishMale, EnglishFemale, Japanese, Espeak, NaturalJapanese };
    struct Entry
    {
        QString name;
        Kind kind;
        QByteArray espeakVoice;   // Kind::Espeak (and Japanese): espeak-ng's identifier
        OpenJTalkVoices::HtsVoice htsVoice = {};   // Kind::NaturalJapanese
    };
    static const QString kAutomaticName;
    static const QString kEnglishMaleName;
    static const QString kEnglishFemaleName;
    static const QString kJapaneseName;
    // "日本語・自然な声（Open JTalk：mei_normal）" for a voice "mei_normal".
    static QString NaturalJapaneseName(const QString& htsVoice);
    // Names of the built-in voices end with this.
    static const QString kBuiltInMark;

    explicit BuiltInVoice(QObject* parent = nullptr);
    // With the HTS voices of `htsFolders` (the default folders otherwise).
    BuiltInVoice(const QStringList& htsFolders, QObject* parent);

    bool Speak(const QString& text, int flags) override;

    // Whether a stored voice name (OralName) means a built-in voice: their
    // names, and "なし", the automatic choice of a first run. Any other name
    // is the desktop service's.
    static bool IsBuiltInName(const QString& name);

    // The built-in voice that stands in for a stored name of the desktop
    // service's that is not to be had ("Japanese (ja)" of earlier versions):
    // the Japanese voice for a Japanese one, the English voice for an English
    // one; empty for any other.
    static QString StandInFor(const QString& storedName);

    // Every voice starts with the automatic choice.
    QStringList GetVoices() const override;
    // Choosing a voice again also tries Open JTalk again after a failure.
    bool setVoice(int index) override;
    int voiceIndex() const { return voiceIndex_; }
    const QList<Entry>& entries() const { return entries_; }

    void setKanaReader(std::shared_ptr<KanaReader> reader) { kanaReader_ = std::move(reader); }

    // The voice a text is said with under the entry at `index`: the entry
    // itself, or for the automatic choice the one for the text's script.
    Entry VoiceFor(int index, const QString& text) const;

    // Where a text rendered by Synthesize goes, from the engine's worker.
    struct Sink
    {
        // 16-bit mono samples; false stops the synthesis (done is then not called).
        std::function<bool(const std::int16_t* samples, int count)> chunk;
        // [start, start + length) of the text given begins at this sample.
        std::function<void(int start, int length, std::int64_t sample)> word;
        std::function<void()> done;
    };
    // Queues `text` on the engine of `voice` (an entry as VoiceFor gives it)
    // at `speed` times the normal speed; returns at once. The Japanese voice
    // says kana from `kana` when there is one, its words mapped back onto
    // the text.
    static void Synthesize(const Entry& voice, const QString& text, double speed,
                           const std::shared_ptr<KanaReader>& kana, Sink sink);
    // The rate `voice` is rendered at by Synthesize (espeak-ng's for a
    // natural Japanese voice); 0 when its engine does not work.
    static int SampleRateOf(const Entry& voice);

    // The list for given espeak-ng voices ("identifier", languages, most
    // preferred first), without the engines; for tests of the naming.
    // Open JTalk's voices follow the Japanese voice, given `htsVoices` and the
    // program.
    static QList<Entry> Entries(const QList<std::pair<QByteArray, QStringList>>& espeakVoices,
                                const QList<OpenJTalkVoices::HtsVoice>& htsVoices = {});

    // The Open JTalk dictionary (Debian's by default).
    void setOpenJTalkDictionary(const QString& folder) { openJTalkDictionary_ = folder; }

signals:
    // Open JTalk failed; the message says what to install. Until a voice is
    // chosen again, espeak-ng's Japanese voice reads the Japanese lines.
    void Problem(const QString& message);

protected:
    bool EngineReady() const override;
    int SampleRateFor(const QString& text) const override;
    void Render(const QString& text, std::shared_ptr<PcmUtterance> utterance) override;

private:
    QByteArray EspeakVoiceFor(const QString& language) const;
    void RenderNaturalJapanese(const Entry& voice, const QString& text, std::shared_ptr<PcmUtterance> utterance);

    // Flite is started by the first English text (FliteEngine::Instance()).
    EspeakEngine* espeak_;
    QList<Entry> entries_;
    int voiceIndex_ = 0;
    std::shared_ptr<KanaReader> kanaReader_;
    QString openJTalkProgram_;
    QString openJTalkDictionary_;
    bool openJTalkFailed_ = false;
    QPointer<OpenJTalkRun> openJTalkRun_;   // the line open_jtalk is making
};
