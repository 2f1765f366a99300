#include "platform/QtSpeechSynthesizer.h"

#include "platform/QtSpeechWorker.h"

#include <QThread>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// speech-dispatcher turns its rate (-100..100) into the module's speed
// linearly on each side of normal; these are its espeak-ng module's
// defaults (EspeakMinRate, EspeakNormalRate, EspeakMaxRate, in words per
// minute). Other modules scale alike, so the factor holds roughly there too.
constexpr double kMinWpm = 80;
constexpr double kNormalWpm = 170;
constexpr double kMaxWpm = 449;

// How long closing waits for the service thread; past that (the service is
// still being spawned) the thread is left to finish on its own.
constexpr unsigned long kShutdownWaitMs = 10000;

// The installed voices, once any synthesiser of this process has listed
// them; a new synthesiser answers from it before its own start is done.
QStringList gInstalledVoices;

} // namespace

QtSpeechSynthesizer::QtSpeechSynthesizer(QObject* parent)
    : SpeechSynthesizer(parent)
    , thread_(new QThread)
    , worker_(new QtSpeechWorker)
{
    voices_ = gInstalledVoices;
    installed_ = QSet<QString>(voices_.cbegin(), voices_.cend());
    thread_->setObjectName(u"speech service"_s);
    worker_->moveToThread(thread_);
    connect(worker_, &QtSpeechWorker::Started, this, &QtSpeechSynthesizer::OnStarted);
    connect(worker_, &QtSpeechWorker::Completed, this, &QtSpeechSynthesizer::OnCompleted);
    connect(worker_, &QtSpeechWorker::Failed, this, &QtSpeechSynthesizer::OnFailed);
    thread_->start();
    QMetaObject::invokeMethod(worker_, &QtSpeechWorker::Start, Qt::QueuedConnection);
}

QtSpeechSynthesizer::~QtSpeechSynthesizer()
{
    disconnect(worker_, nullptr, this, nullptr);
    QMetaObject::invokeMethod(worker_, &QtSpeechWorker::Shutdown, Qt::QueuedConnection);
    if (thread_->wait(kShutdownWaitMs)) {
        delete worker_;
        delete thread_;
        return;
    }
    // Still starting: let the thread end by itself and clean up after it.
    QThread* thread = thread_;
    QtSpeechWorker* worker = worker_;
    QObject::connect(thread, &QThread::finished, thread, [thread, worker] {
        delete worker;
        thread->deleteLater();
    });
}

double QtSpeechSynthesizer::QtRate(int rate)
{
    const double factor = std::pow(3.0, rate / 10.0);
    const double spd = factor >= 1.0 ? 100.0 * (factor - 1.0) * kNormalWpm / (kMaxWpm - kNormalWpm)
                                     : 100.0 * (factor - 1.0) * kNormalWpm / (kNormalWpm - kMinWpm);
    return std::clamp(spd / 100.0, -1.0, 1.0);
}

void QtSpeechSynthesizer::OnStarted(bool ok, const QStringList& voices, const QString& voice)
{
    starting_ = false;
    available_ = ok;
    if (ok) {
        voices_ = voices;
        installed_ = QSet<QString>(voices_.cbegin(), voices_.cend());
        gInstalledVoices = voices_;
        if (voiceName_.isEmpty())
            voiceName_ = voice;
    } else {
        state_ = Ready;
        utterance_ = 0;
    }
    emit Started(ok);
}

bool QtSpeechSynthesizer::SpeakAsync(const QString& text)
{
    if (!Usable())
        return false;
    utterance_ = ++issued_;
    state_ = Speaking;
    if (text.isEmpty()) {
        // Nothing to say finishes at once (the engine would never report it).
        QMetaObject::invokeMethod(this, [this, u = utterance_] { OnCompleted(u); }, Qt::QueuedConnection);
        return true;
    }
    QMetaObject::invokeMethod(worker_, [w = worker_, u = utterance_, text] { w->Speak(u, text); },
                              Qt::QueuedConnection);
    return true;
}

bool QtSpeechSynthesizer::SpeakAsyncCancelAll()
{
    if (!Usable())
        return false;
    utterance_ = 0;
    state_ = Ready;
    QMetaObject::invokeMethod(worker_, &QtSpeechWorker::Cancel, Qt::QueuedConnection);
    return true;
}

bool QtSpeechSynthesizer::Pause()
{
    if (!Usable())
        return false;
    if (state_ == Speaking) {
        state_ = Paused;
        QMetaObject::invokeMethod(worker_, &QtSpeechWorker::Pause, Qt::QueuedConnection);
    }
    return true;
}

bool QtSpeechSynthesizer::Resume()
{
    if (!Usable())
        return false;
    if (state_ == Paused) {
        state_ = Speaking;
        QMetaObject::invokeMethod(worker_, &QtSpeechWorker::Resume, Qt::QueuedConnection);
    }
    return true;
}

bool QtSpeechSynthesizer::setRate(int rate)
{
    if (!Usable() || rate < -10 || rate > 10)
        return false;
    QMetaObject::invokeMethod(worker_, [w = worker_, r = QtRate(rate), f = std::pow(3.0, rate / 10.0)] { w->SetRate(r, f); },
                              Qt::QueuedConnection);
    return true;
}

bool QtSpeechSynthesizer::setVolume(int volume)
{
    if (!Usable() || volume < 0 || volume > 100)
        return false;
    QMetaObject::invokeMethod(worker_, [w = worker_, v = volume / 100.0] { w->SetVolume(v); },
                              Qt::QueuedConnection);
    return true;
}

bool QtSpeechSynthesizer::SelectVoice(const QString& name)
{
    if (!Usable() || !installed_.contains(name))
        return false;
    voiceName_ = name;
    QMetaObject::invokeMethod(worker_, [w = worker_, name] { w->SelectVoice(name); },
                              Qt::QueuedConnection);
    return true;
}

bool QtSpeechSynthesizer::SetOutputToDefaultAudioDevice()
{
    // speech-dispatcher always plays on the desktop's default output.
    return Usable();
}

void QtSpeechSynthesizer::OnCompleted(quint64 utterance)
{
    // A prompt cancelled or replaced since then has no completion.
    if (utterance != utterance_)
        return;
    utterance_ = 0;
    state_ = Ready;
    emit SpeakCompleted();
}

void QtSpeechSynthesizer::OnFailed(quint64 utterance)
{
    if (utterance != utterance_)
        return;
    utterance_ = 0;
    state_ = Ready;
}
