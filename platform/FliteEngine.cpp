#include "platform/FliteEngine.h"

#include <QLibrary>

#include <algorithm>
#include <cmath>
#include <string_view>

extern "C" {
#include <flite/flite.h>
}

using namespace Qt::StringLiterals;

namespace {

// Flite is opened when a text is first said in English, not linked: its two
// voices alone hold some 3.5 MB of relocated tables that a session reading
// only Japanese, or not reading at all, never needs.
struct FliteLibrary
{
    decltype(&::flite_init) init = nullptr;
    decltype(&::new_audio_streaming_info) newStreamingInfo = nullptr;
    decltype(&::audio_streaming_info_val) streamingInfoValue = nullptr;
    decltype(&::feat_set) setFeature = nullptr;
    decltype(&::flite_feat_set_float) setFloatFeature = nullptr;
    decltype(&::flite_get_param_int) intParameter = nullptr;
    decltype(&::flite_synth_text) synthesize = nullptr;
    decltype(&::delete_utterance) deleteUtterance = nullptr;
    decltype(&::utt_relation) relation = nullptr;
    decltype(&::relation_head) relationHead = nullptr;
    decltype(&::item_next) next = nullptr;
    decltype(&::item_daughter) daughter = nullptr;
    decltype(&::item_feat_string) stringFeature = nullptr;
    decltype(&::ffeature_float) floatFeature = nullptr;
    using RegisterVoice = cst_voice* (*)(const char* voxdir);
    RegisterVoice registerMale = nullptr;     // cmu_us_rms
    RegisterVoice registerFemale = nullptr;   // cmu_us_slt

    // Everything found, or false (the voices then fall back to espeak-ng).
    bool Open()
    {
        // The voices' libraries bring the language, lexicon and library in.
        QLibrary male(u"flite_cmu_us_rms"_s, 1);
        QLibrary female(u"flite_cmu_us_slt"_s, 1);
        QLibrary core(u"flite"_s, 1);
        bool found = true;
        auto resolve = [&found](QLibrary& library, auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
            found = found && function;
        };
        resolve(male, registerMale, "register_cmu_us_rms");
        resolve(female, registerFemale, "register_cmu_us_slt");
        resolve(core, init, "flite_init");
        resolve(core, newStreamingInfo, "new_audio_streaming_info");
        resolve(core, streamingInfoValue, "audio_streaming_info_val");
        resolve(core, setFeature, "feat_set");
        resolve(core, setFloatFeature, "flite_feat_set_float");
        resolve(core, intParameter, "flite_get_param_int");
        resolve(core, synthesize, "flite_synth_text");
        resolve(core, deleteUtterance, "delete_utterance");
        resolve(core, relation, "utt_relation");
        resolve(core, relationHead, "relation_head");
        resolve(core, next, "item_next");
        resolve(core, daughter, "item_daughter");
        resolve(core, stringFeature, "item_feat_string");
        resolve(core, floatFeature, "ffeature_float");
        if (!found)
            qWarning("built-in English voice: %s", qPrintable(male.errorString()));
        return found;
    }

    const cst_item* FirstOf(const cst_utterance* utterance, const char* relationName) const
    {
        cst_relation* r = relation(utterance, relationName);
        return r ? relationHead(r) : nullptr;
    }
};

FliteLibrary flite;

// Audio comes back in chunks of about this many samples (20 ms at 16 kHz),
// so the first sound does not wait for the whole sentence.
constexpr int kStreamSamples = 320;
// Of the pause Flite puts before an utterance, this much (seconds) is kept.
constexpr float kLeadingPauseKept = 0.02f;
// Before the first sound of a line, samples quieter than this (-38 dBFS)
// go too, up to a fifth of a second, keeping a few ms before the sound: an
// opening plosive is a faint hiss until its burst, which is what is heard.
constexpr int kOnsetLevel = 400;
constexpr int kOnsetMarginSamples = 48;

int StreamChunk(const cst_wave* wave, int start, int size, int /*last*/, cst_audio_streaming_info* info)
{
    auto* engine = static_cast<FliteEngine*>(info->userdata);
    if (size <= 0)
        return CST_AUDIO_STREAM_CONT;
    return engine->Stream(wave->samples + start, start, size, info->utt) ? CST_AUDIO_STREAM_CONT
                                                                          : CST_AUDIO_STREAM_STOP;
}

bool HasLetterOrDigit(const QByteArray& text)
{
    for (char c : text)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            return true;
    return false;
}

} // namespace

FliteEngine& FliteEngine::Instance()
{
    static FliteEngine* engine = new FliteEngine();
    return *engine;
}

// Registering the voices is quick (their data is in the libraries); the
// worker's set-up is waited for so the sample rate is known.
FliteEngine::FliteEngine()
    : worker_([this] { RegisterVoices(); })
{
}

void FliteEngine::RegisterVoices()
{
    if (flite.Open()) {
        flite.init();
        voices_[0] = flite.registerMale(nullptr);
        voices_[1] = flite.registerFemale(nullptr);
    }
    int rate = 0;
    for (cst_voice* voice : voices_) {
        if (!voice)
            continue;
        cst_audio_streaming_info* info = flite.newStreamingInfo();
        info->min_buffsize = kStreamSamples;
        info->asc = StreamChunk;
        info->userdata = this;
        flite.setFeature(voice->features, "streaming_info", flite.streamingInfoValue(info));
        rate = flite.intParameter(voice->features, "sample_rate", 16000);
    }
    // Both voices must be there and speak at the same rate.
    if (voices_[0] && voices_[1]
        && flite.intParameter(voices_[0]->features, "sample_rate", 16000) == rate)
        sampleRate_ = rate;
}

float FliteEngine::DurationStretch(double speed)
{
    // Longer durations are slower speech: the stretch is the inverse speed.
    return float(1.0 / speed);
}

QByteArray FliteEngine::FliteText(const QString& text)
{
    QByteArray out(text.size(), ' ');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        char plain = ' ';
        if (c >= 0x20 && c < 0x7F)
            plain = char(c);
        else if (c == u'\t' || c == u'\n' || c == u'\r')
            plain = char(c);
        else if (c == u'\u2018' || c == u'\u2019' || c == u'\uFF07')
            plain = '\'';
        else if (c == u'\u201C' || c == u'\u201D' || c == u'\uFF02')
            plain = '"';
        else if (c == u'\u2013' || c == u'\u2014' || c == u'\u2212')
            plain = '-';
        else if (c >= 0xFF01 && c <= 0xFF5E)   // full-width forms of ASCII
            plain = char(c - 0xFF01 + 0x21);
        out[i] = plain;
    }
    return out;
}

QList<int> FliteEngine::Pieces(const QString& text, int longest)
{
    QList<int> starts;
    const int n = int(text.size());
    int start = 0;
    while (start < n) {
        starts << start;
        int end = start;
        int lastSpace = -1;
        for (; end < n && end - start < longest; ++end) {
            const QChar c = text.at(end);
            if (c == u'\n' || c == u'\r') {
                ++end;
                break;
            }
            if (c.isSpace())
                lastSpace = end;
            if ((c == u'.' || c == u'!' || c == u'?' || c == u';') && end + 1 < n && text.at(end + 1).isSpace()) {
                end += 2;
                break;
            }
        }
        if (end - start >= longest && end < n && lastSpace > start)
            end = lastSpace + 1;
        start = end;
    }
    return starts;
}

int FliteEngine::FirstPhraseEnd(const QString& text, int end)
{
    // A phrase of a few words is made in a fraction of a sentence's time.
    constexpr int kFewestWords = 3;     // before a joining word (two before a comma)
    constexpr int kFewestAfter = 2;     // after it
    static const QStringList joiningWords{
        u"and"_s, u"but"_s, u"or"_s, u"so"_s, u"to"_s, u"of"_s, u"in"_s, u"on"_s, u"at"_s, u"for"_s,
        u"with"_s, u"from"_s, u"about"_s, u"after"_s, u"before"_s, u"because"_s, u"when"_s,
        u"where"_s, u"that"_s, u"which"_s, u"who"_s, u"if"_s, u"near"_s, u"down"_s, u"into"_s,
    };
    struct Word
    {
        int start;
        int end;
    };
    QList<Word> words;
    for (int i = 0; i < end;) {
        while (i < end && text.at(i).isSpace())
            ++i;
        const int start = i;
        while (i < end && !text.at(i).isSpace())
            ++i;
        if (i > start)
            words.append({start, i});
    }
    for (int w = 1; w + kFewestAfter < words.size(); ++w) {
        const QChar last = text.at(words[w].end - 1);
        if (last == u',' || last == u';' || last == u':')
            return words[w + 1].start;
    }
    for (int w = kFewestWords; w + kFewestAfter <= words.size(); ++w) {
        const QString word = text.mid(words[w].start, words[w].end - words[w].start).toLower();
        if (joiningWords.contains(word))
            return words[w].start;
    }
    return -1;
}

void FliteEngine::Synthesize(Request request)
{
    worker_.Queue([this, request = std::move(request)]() mutable {
        if (ok())
            RunRequest(request);
    });
}

void FliteEngine::RunRequest(Request& request)
{
    cst_voice* voice = voices_[request.voice == Voice::Female ? 1 : 0];
    flite.setFloatFeature(voice->features, "duration_stretch", DurationStretch(request.speed));
    const QByteArray text = FliteText(request.text);
    QList<int> starts = Pieces(request.text);
    starts << int(text.size());
    // The first sentence is made in two, its first phrase alone, so the voice
    // starts sooner; the pauses Flite puts at the cut are dropped, so the two
    // are heard as one.
    const int firstCut = FirstPhraseEnd(request.text, starts[1]);
    if (firstCut > 0)
        starts.insert(1, firstCut);
    active_ = &request;
    stopped_ = false;
    pieceSample_ = 0;
    skip_ = 0;
    trimmed_ = 0;
    pending_.clear();
    for (qsizetype p = 0; p + 1 < starts.size() && !stopped_; ++p) {
        // Asked before each piece, so a purge stops between sentences too.
        if (request.chunk && !request.chunk(nullptr, 0)) {
            stopped_ = true;
            break;
        }
        pieceStart_ = starts[p];
        pieceText_ = text.mid(starts[p], starts[p + 1] - starts[p]);
        if (!HasLetterOrDigit(pieceText_))
            continue;
        wordsOf_ = nullptr;
        seamBefore_ = firstCut > 0 && p == 1;
        seamAfter_ = firstCut > 0 && p == 0;
        keepUntil_ = -1;
        cst_utterance* utterance = flite.synthesize(pieceText_.constData(), voice);
        if (!stopped_)
            SendWords();   // of a piece whose audio was all cut
        flite.deleteUtterance(utterance);
    }
    active_ = nullptr;
    if (!stopped_ && request.done)
        request.done();
}

void FliteEngine::SendWords()
{
    if (active_ && active_->word)
        for (const PendingWord& w : pending_)
            active_->word(w.start, w.length, std::max<std::int64_t>(0, waveOffset_ + w.wave));
    pending_.clear();
}

bool FliteEngine::Stream(const std::int16_t* samples, int start, int size, const void* utterance)
{
    if (!active_ || stopped_)
        return false;
    const auto* utt = static_cast<const cst_utterance*>(utterance);
    if (utt && utterance != wordsOf_) {
        // The segment timings are known before any audio is made: send the
        // piece's words, each at the start of its token's first word.
        wordsOf_ = utterance;
        // Flite opens every utterance with a pause: the first piece drops
        // most of it, so the voice is heard as soon as the line starts.
        const cst_item* first = flite.FirstOf(utt, "Segment");
        if (pieceSample_ == 0 || seamBefore_) {
            const float pause = first && std::string_view(flite.stringFeature(first, "name")) == "pau"
                                    ? flite.floatFeature(first, "end") : 0.0f;
            skip_ = std::max<std::int64_t>(0, std::lround((pause - kLeadingPauseKept) * sampleRate_));
        }
        trimLead_ = pieceSample_ == 0;
        waveOffset_ = pieceSample_ - skip_;
        pending_.clear();
        if (seamAfter_) {
            // Up to the closing pause, whose start is the last sound's end.
            const cst_item* previous = nullptr;
            const cst_item* last = nullptr;
            for (const cst_item* segment = first; segment; segment = flite.next(segment)) {
                previous = last;
                last = segment;
            }
            if (previous && std::string_view(flite.stringFeature(last, "name")) == "pau")
                keepUntil_ = std::lround(flite.floatFeature(previous, "end") * sampleRate_);
        }
        int cursor = 0;
        for (const cst_item* token = flite.FirstOf(utt, "Token"); token; token = flite.next(token)) {
            const QByteArray name(flite.stringFeature(token, "name"));
            if (name.isEmpty())
                continue;
            const int at = int(pieceText_.indexOf(name, cursor));
            if (at < 0)
                continue;
            cursor = at + int(name.size());
            if (!flite.daughter(token) || !active_->word)
                continue;
            const float begins = flite.floatFeature(token, "daughter1.R:SylStructure.daughter1.daughter1.R:Segment.p.end");
            pending_.push_back({pieceStart_ + at, int(name.size()), std::lround(begins * sampleRate_)});
        }
    }
    if (keepUntil_ >= 0 && start + size > keepUntil_) {
        size = int(std::max<std::int64_t>(0, keepUntil_ - start));
        if (size == 0)
            return true;
    }
    if (skip_ > 0) {
        const int dropped = int(std::min<std::int64_t>(skip_, size));
        skip_ -= dropped;
        samples += dropped;
        size -= dropped;
        if (size == 0)
            return true;
    }
    if (trimLead_) {
        int quiet = 0;
        while (quiet < size && std::abs(samples[quiet]) < kOnsetLevel)
            ++quiet;
        const std::int64_t budget = sampleRate_ / 5 - trimmed_;
        const int quietDropped = quiet == size ? size : quiet - kOnsetMarginSamples;
        const int dropped = int(std::clamp<std::int64_t>(quietDropped, 0, budget));
        trimLead_ = quiet == size && dropped < budget;
        trimmed_ += dropped;
        waveOffset_ -= dropped;
        samples += dropped;
        size -= dropped;
        if (size == 0)
            return true;
    }
    SendWords();
    if (active_->chunk && !active_->chunk(samples, size)) {
        stopped_ = true;
        return false;
    }
    pieceSample_ += size;
    return true;
}
