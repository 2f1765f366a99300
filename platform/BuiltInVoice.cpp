#include "platform/BuiltInVoice.h"

#include "platform/EspeakEngine.h"
#include "platform/EspeakVoice.h"
#include "platform/EspeakWords.h"
#include "platform/FliteEngine.h"
#include "platform/OpenJTalkRun.h"
#include "platform/VoiceChoice.h"

#include <QSet>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

const QString BuiltInVoice::kBuiltInMark = u"（内蔵）"_s;
const QString BuiltInVoice::kAutomaticName = u"自動（英語・日本語）"_s;
const QString BuiltInVoice::kEnglishMaleName = u"英語・男性（内蔵）"_s;
const QString BuiltInVoice::kEnglishFemaleName = u"英語・女性（内蔵）"_s;
const QString BuiltInVoice::kJapaneseName = u"日本語（内蔵）"_s;

namespace {
const QString kNaturalJapanesePrefix = u"日本語・自然な声（Open JTalk："_s;
} // namespace

QString BuiltInVoice::NaturalJapaneseName(const QString& htsVoice)
{
    return kNaturalJapanesePrefix + htsVoice + u'）';
}

namespace {

QList<std::pair<QByteArray, QStringList>> EspeakList(const EspeakEngine& engine)
{
    QList<std::pair<QByteArray, QStringList>> out;
    for (const EspeakEngine::Voice& v : engine.voices())
        out.append({v.identifier, v.languages});
    return out;
}

// A voice's name in Japanese: the first of its languages that has a name of
// its own ("fr" for a voice of "fr-fr" and "fr"), else its first language.
QString JapaneseNameOf(const QStringList& languages)
{
    for (const QString& language : languages) {
        const QString name = VoiceChoice::JapaneseName(language);
        if (name != language && !name.contains(u' '))
            return name;
    }
    return VoiceChoice::JapaneseName(languages.first());
}

bool IsFlite(const BuiltInVoice::Entry& voice)
{
    return voice.kind == BuiltInVoice::Kind::EnglishMale || voice.kind == BuiltInVoice::Kind::EnglishFemale;
}

// The language an espeak-ng voice says, for its pace.
QString EspeakLanguageOf(const QByteArray& identifier)
{
    for (const EspeakEngine::Voice& v : EspeakEngine::Instance().voices())
        if (v.identifier == identifier)
            return v.languages.value(0);
    return QString();
}

bool EnglishOrJapanese(const QString& language)
{
    return language == u"ja"_s || language == u"en"_s || language.startsWith(u"en-"_s);
}

} // namespace

QList<BuiltInVoice::Entry> BuiltInVoice::Entries(const QList<std::pair<QByteArray, QStringList>>& espeakVoices,
                                                 const QList<OpenJTalkVoices::HtsVoice>& htsVoices)
{
    QByteArray japanese;
    for (const auto& [identifier, languages] : espeakVoices)
        if (languages.contains(u"ja"_s) && japanese.isEmpty())
            japanese = identifier;
    QList<Entry> out{{kAutomaticName, Kind::Automatic, {}},
                     {kEnglishMaleName, Kind::EnglishMale, {}},
                     {kEnglishFemaleName, Kind::EnglishFemale, {}},
                     {kJapaneseName, Kind::Japanese, japanese}};
    for (const OpenJTalkVoices::HtsVoice& hts : htsVoices)
        out.append({NaturalJapaneseName(hts.name), Kind::NaturalJapanese, japanese, hts});
    // espeak-ng's other languages; two voices of one name are told apart by
    // their codes.
    QHash<QString, int> uses;
    for (const auto& [identifier, languages] : espeakVoices)
        if (!languages.isEmpty() && !EnglishOrJapanese(languages.first()))
            ++uses[JapaneseNameOf(languages)];
    QSet<QString> taken;
    for (const auto& [identifier, languages] : espeakVoices) {
        if (languages.isEmpty() || EnglishOrJapanese(languages.first()))
            continue;
        QString name = JapaneseNameOf(languages);
        if (uses.value(name) > 1)
            name += u' ' + QString::fromLatin1(identifier.mid(identifier.lastIndexOf('/') + 1));
        name += kBuiltInMark;
        if (taken.contains(name))
            continue;
        taken.insert(name);
        out.append({name, Kind::Espeak, identifier});
    }
    return out;
}

QString BuiltInVoice::StandInFor(const QString& storedName)
{
    // The language of a service voice is in its name ("Japanese",
    // "English (America)+Max"), in a code ("Japanese (ja)", "ja-JP") or in
    // Japanese ("日本語").
    const QString base = storedName.section(u'+', 0, 0).trimmed().toLower();
    const QString code = base.contains(u'(') ? base.section(u'(', -1).section(u')', 0, 0).trimmed() : base;
    const auto isCode = [&code](QStringView language) {
        return code == language || code.startsWith(language.toString() + u'-') || code.startsWith(language.toString() + u'_');
    };
    struct Rule
    {
        bool matches;
        const QString& voice;
    };
    const Rule rules[] = {
        {base.startsWith(u"japanese"_s), kJapaneseName},
        {isCode(u"ja"), kJapaneseName},
        {base.contains(u"日本語"_s), kJapaneseName},
        {base.startsWith(u"english"_s), kEnglishMaleName},
        {isCode(u"en"), kEnglishMaleName},
        {base.contains(u"英語"_s), kEnglishMaleName},
    };
    for (const Rule& rule : rules)
        if (rule.matches)
            return rule.voice;
    return QString();
}

bool BuiltInVoice::IsBuiltInName(const QString& name)
{
    return name == u"なし"_s || name == kAutomaticName || name.endsWith(kBuiltInMark)
        || name.startsWith(kNaturalJapanesePrefix);
}

BuiltInVoice::BuiltInVoice(QObject* parent)
    : BuiltInVoice(OpenJTalkVoices::DefaultFolders(), parent)
{
}

BuiltInVoice::BuiltInVoice(const QStringList& htsFolders, QObject* parent)
    : PcmVoice(parent)
    , espeak_(&EspeakEngine::Instance())
    , openJTalkProgram_(OpenJTalkVoices::Program())
    , openJTalkDictionary_(OpenJTalkVoices::kDictionary)
{
    // Open JTalk is offered only with the program and a voice; the folders
    // are not even looked at without the program.
    const QList<OpenJTalkVoices::HtsVoice> hts =
        openJTalkProgram_.isEmpty() ? QList<OpenJTalkVoices::HtsVoice>() : OpenJTalkVoices::Find(htsFolders);
    entries_ = Entries(espeak_->ok() ? EspeakList(*espeak_) : QList<std::pair<QByteArray, QStringList>>(), hts);
}

bool BuiltInVoice::Speak(const QString& text, int flags)
{
    // A purged line's open_jtalk is of no use any more.
    if (openJTalkRun_)
        openJTalkRun_->Cancel();
    return PcmVoice::Speak(text, flags);
}

bool BuiltInVoice::EngineReady() const
{
    return espeak_->ok() || FliteEngine::Instance().ok();
}

QStringList BuiltInVoice::GetVoices() const
{
    QStringList out;
    for (const Entry& e : entries_)
        out << e.name;
    return out;
}

bool BuiltInVoice::setVoice(int index)
{
    if (index < 0 || index >= entries_.size())
        return false;
    voiceIndex_ = index;
    openJTalkFailed_ = false;
    return true;
}

QByteArray BuiltInVoice::EspeakVoiceFor(const QString& language) const
{
    const int index = EspeakEngine::VoiceForLanguage(espeak_->voices(), language);
    return index >= 0 ? espeak_->voices().at(index).identifier : QByteArray();
}

BuiltInVoice::Entry BuiltInVoice::VoiceFor(int index, const QString& text) const
{
    Entry chosen = index >= 0 && index < entries_.size() ? entries_.at(index) : entries_.first();
    const auto natural = std::find_if(entries_.cbegin(), entries_.cend(),
                                      [](const Entry& e) { return e.kind == Kind::NaturalJapanese; });
    const QString language = VoiceChoice::LanguageOf(text);
    // Open JTalk says Japanese only: other lines go to the automatic choice.
    if (chosen.kind == Kind::NaturalJapanese && language != u"ja"_s)
        chosen = entries_.first();
    if (chosen.kind == Kind::Automatic) {
        // Japanese in the natural voice when there is one: it is far easier
        // to follow than espeak-ng's.
        if (language == u"ja"_s)
            chosen = natural != entries_.cend() ? *natural : entries_.at(3);
        else if (language == u"en"_s)
            chosen = entries_.at(1);
        else
            chosen = {chosen.name, Kind::Espeak, EspeakVoiceFor(language)};
    }
    // Without Flite, English is espeak-ng's; without espeak-ng, Flite says
    // what it can.
    if (chosen.kind == Kind::NaturalJapanese && openJTalkFailed_)
        chosen = entries_.at(3);
    const bool english = chosen.kind == Kind::EnglishMale || chosen.kind == Kind::EnglishFemale;
    if (english && !FliteEngine::Instance().ok())
        chosen = {chosen.name, Kind::Espeak, EspeakVoiceFor(u"en-us"_s)};
    else if (!english && !espeak_->ok())
        chosen = {chosen.name, Kind::EnglishMale, {}};
    return chosen;
}

int BuiltInVoice::SampleRateFor(const QString& text) const
{
    const Entry voice = VoiceFor(voiceIndex_, text);
    return voice.kind == Kind::NaturalJapanese ? voice.htsVoice.sampleRate : SampleRateOf(voice);
}

int BuiltInVoice::SampleRateOf(const Entry& voice)
{
    return IsFlite(voice) ? FliteEngine::Instance().sampleRate() : EspeakEngine::Instance().sampleRate();
}

void BuiltInVoice::Render(const QString& text, std::shared_ptr<PcmUtterance> utterance)
{
    const Entry voice = VoiceFor(voiceIndex_, text);
    if (voice.kind == Kind::NaturalJapanese) {
        RenderNaturalJapanese(voice, text, std::move(utterance));
        return;
    }
    Sink sink;
    sink.chunk = [utterance](const std::int16_t* samples, int count) { return utterance->Push(samples, count); };
    sink.word = [utterance](int start, int length, std::int64_t sample) { utterance->Word(start, length, sample); };
    sink.done = [utterance] { utterance->End(); };
    Synthesize(voice, text, speed(), kanaReader_, std::move(sink));
}

void BuiltInVoice::Synthesize(const Entry& voice, const QString& text, double speed,
                              const std::shared_ptr<KanaReader>& kana, Sink sink)
{
    if (IsFlite(voice)) {
        FliteEngine::Request request;
        request.text = text;
        request.voice = voice.kind == Kind::EnglishFemale ? FliteEngine::Voice::Female : FliteEngine::Voice::Male;
        request.speed = speed;
        request.chunk = std::move(sink.chunk);
        request.word = std::move(sink.word);
        request.done = std::move(sink.done);
        FliteEngine::Instance().Synthesize(std::move(request));
        return;
    }
    // Open JTalk runs as a program of its own, not on a worker: a natural
    // voice's text (the audio export's) is said by espeak-ng's Japanese.
    const bool japanese = voice.kind == Kind::Japanese || voice.kind == Kind::NaturalJapanese;
    EspeakEngine::Request request;
    request.text = text;
    request.voice = voice.espeakVoice;
    request.wordsPerMinute = EspeakVoice::WordsPerMinuteAt(speed, japanese ? u"ja"_s : EspeakLanguageOf(voice.espeakVoice));
    request.chunk = std::move(sink.chunk);
    request.done = std::move(sink.done);
    auto word = std::move(sink.word);
    if (!japanese || !kana) {
        request.word = [word, text](int position, int length, std::int64_t sample) {
            const auto [start, units] = EspeakWords::TextRange(text, position, length);
            if (start >= 0)
                word(start, units, sample);
        };
        EspeakEngine::Instance().Synthesize(std::move(request));
        return;
    }
    // Japanese: the readings are made on espeak-ng's worker (MeCab is not
    // thread-safe), and the words it says are mapped back to the original
    // text, so the mark lands on the kanji.
    request.prepare = [kana, word, text](EspeakEngine::Request& r) {
        QString spoken;
        QList<int> origin;
        if (!kana->Read(text, &spoken, &origin) || origin.size() != spoken.size() + 1)
            spoken = text, origin.clear();
        r.text = spoken;
        r.word = [word, spoken, origin](int position, int length, std::int64_t sample) {
            const auto [start, units] = EspeakWords::TextRange(spoken, position, length);
            if (start < 0)
                return;
            if (origin.isEmpty()) {
                word(start, units, sample);
                return;
            }
            const int from = origin.at(start);
            const int to = origin.at(start + units);
            word(from, std::max(1, to - from), sample);
        };
    };
    EspeakEngine::Instance().Synthesize(std::move(request));
}

void BuiltInVoice::RenderNaturalJapanese(const Entry& voice, const QString& text,
                                         std::shared_ptr<PcmUtterance> utterance)
{
    OpenJTalkRun::Request request;
    request.program = openJTalkProgram_;
    request.dictionary = openJTalkDictionary_;
    request.voicePath = voice.htsVoice.path;
    request.text = text;
    request.speed = speed();
    request.sampleRate = voice.htsVoice.sampleRate;
    if (openJTalkRun_)
        openJTalkRun_->Cancel();
    openJTalkRun_ = OpenJTalkRun::Start(std::move(request), std::move(utterance), this);
    connect(openJTalkRun_, &OpenJTalkRun::Failed, this, [this](const QString& message) {
        // Said once; the Japanese lines go to espeak-ng's voice meanwhile.
        if (!std::exchange(openJTalkFailed_, true))
            emit Problem(message);
    });
}
