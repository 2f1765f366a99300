#include "platform/EspeakEngine.h"

#include <QLocale>

#include <espeak-ng/speak_lib.h>

using namespace Qt::StringLiterals;

namespace {

// Audio comes back in chunks of this many milliseconds, so the first sound
// does not wait for the whole text and a purge stops synthesis quickly.
constexpr int kChunkMs = 20;

EspeakEngine* gRunning = nullptr;   // the engine whose worker is synthesising

// The languages a voice speaks, most preferred first: espeak-ng packs them
// as a priority byte followed by a zero-terminated name, repeated.
QStringList Languages(const char* packed)
{
    QStringList out;
    if (!packed)
        return out;
    const char* p = packed;
    while (*p) {
        ++p;   // priority
        const QString name = QString::fromLatin1(p);
        if (!name.isEmpty())
            out << name;
        p += qstrlen(p) + 1;
    }
    return out;
}

} // namespace

// espeak-ng calls back on the worker thread, with wav null at the end.
static int EspeakSynthCallback(short* wav, int count, espeak_EVENT*);

EspeakEngine& EspeakEngine::Instance()
{
    static EspeakEngine* engine = new EspeakEngine();
    return *engine;
}

// The voices are needed at once by whoever creates a voice; listing them is
// quick (no service, only the data files), so the worker's set-up is waited for.
EspeakEngine::EspeakEngine()
    : worker_([this] { Initialise(); })
{
}

int EspeakEngine::VoiceForLanguage(const QList<Voice>& voices, const QString& localeName)
{
    const QString full = localeName.toLower().replace(u'_', u'-');
    const QString language = full.section(u'-', 0, 0);
    auto find = [&](auto&& match) {
        for (int i = 0; i < voices.size(); ++i)
            for (const QString& l : voices[i].languages)
                if (match(l))
                    return i;
        return -1;
    };
    int index = find([&](const QString& l) { return l == full; });
    if (index < 0 && !language.isEmpty() && language != u"c"_s) {
        index = find([&](const QString& l) { return l == language; });
        if (index < 0)
            index = find([&](const QString& l) { return l.startsWith(language + u'-'); });
    }
    if (index < 0)
        index = find([](const QString& l) { return l == u"en"_s; });
    if (index < 0)
        index = find([](const QString& l) { return l.startsWith(u"en-"_s); });
    if (index < 0 && !voices.isEmpty())
        index = 0;
    return index;
}

void EspeakEngine::Initialise()
{
    const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, kChunkMs, nullptr, 0);
    if (rate <= 0)
        return;
    espeak_SetSynthCallback(EspeakSynthCallback);
    const espeak_VOICE** list = espeak_ListVoices(nullptr);
    for (int i = 0; list && list[i]; ++i) {
        Voice v;
        v.identifier = QByteArray(list[i]->identifier);
        v.languages = Languages(list[i]->languages);
        const QString name = QString::fromUtf8(list[i]->name);
        v.description = v.languages.isEmpty() ? name
                                              : name + u" ("_s + v.languages.first() + u')';
        voices_.append(v);
    }
    defaultVoice_ = VoiceForLanguage(voices_, QLocale::system().name());
    sampleRate_ = rate;
}

void EspeakEngine::Synthesize(Request request)
{
    worker_.Queue([this, request = std::move(request)]() mutable {
        if (ok())
            RunRequest(request);
    });
}

void EspeakEngine::RunRequest(Request& request)
{
    // A request purged while it waited in the queue stops at its first
    // chunk; ask before doing any work.
    if (request.chunk && !request.chunk(nullptr, 0))
        return;
    if (request.prepare)
        request.prepare(request);
    if (!request.voice.isEmpty() && request.voice != currentVoice_) {
        if (espeak_SetVoiceByName(request.voice.constData()) == EE_OK)
            currentVoice_ = request.voice;
    }
    if (request.wordsPerMinute != currentRate_) {
        espeak_SetParameter(espeakRATE, request.wordsPerMinute, 0);
        currentRate_ = request.wordsPerMinute;
    }
    const QByteArray utf8 = request.text.toUtf8();
    active_ = &request;
    stopped_ = false;
    gRunning = this;
    espeak_Synth(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                 espeakCHARS_UTF8, nullptr, nullptr);
    gRunning = nullptr;
    active_ = nullptr;
    if (!stopped_ && request.done)
        request.done();
}

bool EspeakEngine::Deliver(const std::int16_t* samples, int count)
{
    if (!active_ || stopped_)
        return false;
    if (active_->chunk && !active_->chunk(samples, count))
        stopped_ = true;
    return !stopped_;
}

void EspeakEngine::DeliverWord(int position, int length, std::int64_t sample)
{
    if (active_ && !stopped_ && active_->word)
        active_->word(position, length, sample);
}

static int EspeakSynthCallback(short* wav, int count, espeak_EVENT* events)
{
    EspeakEngine* engine = gRunning;
    if (!engine)
        return 0;
    // The events of a call belong to the audio handed over with it or later.
    for (espeak_EVENT* e = events; e && e->type != espeakEVENT_LIST_TERMINATED; ++e)
        if (e->type == espeakEVENT_WORD)
            engine->DeliverWord(e->text_position, e->length, e->sample);
    if (!wav || count <= 0)
        return 0;
    return engine->Deliver(wav, count) ? 0 : 1;
}
