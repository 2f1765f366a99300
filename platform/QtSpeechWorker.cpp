#include "platform/QtSpeechWorker.h"

#include <QLocale>
#include <QThread>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Characters per second at normal speed: speech-dispatcher's espeak-ng
// speaks Latin-script text at about 17 and kana and kanji at about 7; a
// little under, so a resume rather repeats than skips.
constexpr double kLatinPerSecond = 15.0;
constexpr double kCjkPerSecond = 6.0;

bool IsCjk(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x3000 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF00 && u <= 0xFFEF);
}

bool IsClauseEnd(QChar c)
{
    static const QString ends = u".,;:!?\n\r\u3001\u3002\uFF0C\uFF0E\uFF01\uFF1F\uFF1B\uFF1A"_s;
    return ends.contains(c);
}

} // namespace

qsizetype QtSpeechWorker::ResumePosition(const QString& text, qsizetype from, qint64 spokenMs, double factor)
{
    qsizetype cjk = 0;
    for (qsizetype i = from; i < text.size(); ++i)
        cjk += IsCjk(text[i]) ? 1 : 0;
    const qsizetype rest = text.size() - from;
    const double perSecond = (2 * cjk > rest ? kCjkPerSecond : kLatinPerSecond) * factor;
    qsizetype reached = from + qsizetype(spokenMs / 1000.0 * perSecond);
    reached = std::clamp(reached, from, text.size());
    if (reached >= text.size() && reached > from)
        reached = text.size() - 1;   // the end was near: say the last clause again

    // Back to the start of the clause, or of the word when the clause is long.
    qsizetype clause = reached;
    while (clause > from && !IsClauseEnd(text[clause - 1]))
        --clause;
    if (reached - clause > 40) {
        qsizetype word = reached;
        while (word > clause && !text[word - 1].isSpace())
            --word;
        if (word > clause)
            clause = word;
    }
    while (clause < text.size() && text[clause].isSpace())
        ++clause;
    return clause;
}

void QtSpeechWorker::Start()
{
    // This is what may take seconds: the client library spawns the service
    // when it is not running, and the engine lists every voice.
    tts_ = new QTextToSpeech(u"speechd"_s, this);
    if (tts_->state() == QTextToSpeech::Error) {
        emit Started(false, {}, {});
        return;
    }
    connect(tts_, &QTextToSpeech::stateChanged, this, &QtSpeechWorker::OnState);
    connect(tts_, &QTextToSpeech::errorOccurred, this, [this] {
        if (utterance_)
            emit Failed(std::exchange(utterance_, 0));
    });

    // Qt lists voices per locale.
    QHash<QString, QLocale> localeOf;
    const QList<QLocale> locales = tts_->availableLocales();
    for (const QLocale& locale : locales) {
        tts_->setLocale(locale);
        for (const QVoice& voice : tts_->availableVoices()) {
            if (!voices_.contains(voice.name())) {
                voices_.insert(voice.name(), voice);
                localeOf.insert(voice.name(), locale);
            }
        }
    }
    QStringList names = voices_.keys();
    std::sort(names.begin(), names.end());

    // The user's language, else English, else the first voice.
    QString chosen;
    for (QLocale::Language language : {QLocale::system().language(), QLocale::English}) {
        // Voices of languages Qt does not know come as the C locale.
        if (language == QLocale::C || language == QLocale::AnyLanguage)
            continue;
        const auto it = std::find_if(names.cbegin(), names.cend(), [&](const QString& name) {
            return localeOf.value(name).language() == language;
        });
        if (it != names.cend()) {
            chosen = *it;
            break;
        }
    }
    if (chosen.isEmpty() && !names.isEmpty())
        chosen = names.first();
    SelectVoice(chosen);
    emit Started(true, names, chosen);
}

void QtSpeechWorker::StopService()
{
    tts_->stop();
    const QTextToSpeech::State now = tts_->state();
    const bool busy = now == QTextToSpeech::Speaking || now == QTextToSpeech::Paused;
    settled_ = false;
    const quint64 marker = ++marker_;
    QMetaObject::invokeMethod(this, [this, marker, busy] {
        if (marker != marker_)
            return;
        settled_ = true;
        skipToReady_ = busy;
    }, Qt::QueuedConnection);
}

void QtSpeechWorker::SayFrom(qsizetype offset)
{
    offset_ = offset;
    begun_ = false;
    tts_->say(text_.mid(offset));
}

void QtSpeechWorker::Speak(quint64 utterance, const QString& text)
{
    if (!tts_)
        return;
    StopService();
    utterance_ = utterance;
    text_ = text;
    paused_ = false;
    SayFrom(0);
}

void QtSpeechWorker::Cancel()
{
    utterance_ = 0;
    paused_ = false;
    if (tts_)
        StopService();
}

void QtSpeechWorker::Pause()
{
    if (!tts_ || !utterance_ || paused_)
        return;
    paused_ = true;
    resumeAt_ = begun_ ? ResumePosition(text_, offset_, speaking_.elapsed(), factor_) : offset_;
    StopService();
}

void QtSpeechWorker::Resume()
{
    if (!tts_ || !utterance_ || !paused_)
        return;
    paused_ = false;
    SayFrom(resumeAt_);
}

void QtSpeechWorker::SetRate(double rate, double factor)
{
    factor_ = factor;
    if (tts_)
        tts_->setRate(rate);
}

void QtSpeechWorker::SetVolume(double volume)
{
    if (tts_)
        tts_->setVolume(volume);
}

void QtSpeechWorker::SelectVoice(const QString& name)
{
    if (tts_ && voices_.contains(name))
        tts_->setVoice(voices_.value(name));
}

void QtSpeechWorker::Shutdown()
{
    delete tts_;
    tts_ = nullptr;
    thread()->quit();
}

void QtSpeechWorker::OnState(QTextToSpeech::State state)
{
    if (!settled_)
        return;   // a change from before the last cancel
    if (skipToReady_) {
        if (state == QTextToSpeech::Ready)
            skipToReady_ = false;
        return;
    }
    if (!utterance_ || paused_)
        return;
    if (state == QTextToSpeech::Speaking && !begun_) {
        begun_ = true;
        speaking_.start();
    } else if (state == QTextToSpeech::Ready && begun_) {
        emit Completed(std::exchange(utterance_, 0));
    }
}
