#include "platform/PcmVoice.h"

#include <cmath>

#include <QTimer>

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace {
// The worker renders far faster than real time; it waits once this much
// audio is queued so a long text does not pile up in memory.
constexpr double kQueuedSecondsMax = 1.0;
constexpr quint64 kDeadGeneration = ~quint64(0);
// How often the played position is looked at while a stream sounds: a word
// is shown at most this late.
constexpr int kFollowMs = 5;
constexpr int kDefaultSampleRate = 22050;

struct Word
{
    quint64 utterance;
    qint64 sample;
    int start;
    int length;
};

GstCaps* MonoCaps(int sampleRate)
{
    return gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE",
                               "layout", G_TYPE_STRING, "interleaved",
                               "rate", G_TYPE_INT, sampleRate,
                               "channels", G_TYPE_INT, 1, nullptr);
}
} // namespace

// What the user-interface thread and the synthesis workers share: the
// pipeline and which utterance may still feed it.
struct PcmChannel
{
    GstElement* pipeline = nullptr;
    GstElement* appsrc = nullptr;
    GstElement* volume = nullptr;
    GstElement* sink = nullptr;
    std::atomic<int> sampleRate{kDefaultSampleRate};   // the current utterance's
    PcmVoice* owner = nullptr;

    // A restart and a push never interleave, so nothing of a purged
    // utterance slips in behind the restart.
    std::mutex push;
    quint64 generation = 0;            // the utterance allowed to push
    std::atomic<quint64> ended{0};     // the utterance whose end went in last
    std::atomic<bool> firstSeen{true};
    std::mutex observerMutex;
    std::function<void()> observer;
    std::deque<Word> words;            // under push, in the order rendered

    bool Build(const char* sinkFactory);
    void Destroy();
    void Restart(quint64 next, int rate);
    bool Push(quint64 utterance, const std::int16_t* samples, int count, quint64& offset);
    bool Alive(quint64 utterance);
    void End(quint64 utterance);
    void AddWord(quint64 utterance, qint64 sample, int start, int length);
    // The words of the utterance whose first sample has been played.
    QList<std::pair<int, int>> TakeWords(quint64 utterance, qint64 played);

    static GstBusSyncReply OnBusMessage(GstBus*, GstMessage* message, gpointer data);
    static GstPadProbeReturn OnSinkBuffer(GstPad*, GstPadProbeInfo*, gpointer data);
};

bool PcmChannel::Build(const char* sinkFactory)
{
    pipeline = gst_pipeline_new("builtin-voice");
    appsrc = gst_element_factory_make("appsrc", nullptr);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    volume = gst_element_factory_make("volume", nullptr);
    sink = gst_element_factory_make(sinkFactory, nullptr);
    if (!pipeline || !appsrc || !convert || !resample || !volume || !sink) {
        for (GstElement* e : {appsrc, convert, resample, volume, sink})
            if (e)
                gst_object_unref(e);
        if (pipeline)
            gst_object_unref(pipeline);
        pipeline = appsrc = volume = sink = nullptr;
        return false;
    }
    gst_bin_add_many(GST_BIN(pipeline), appsrc, convert, resample, volume, sink, nullptr);
    gst_element_link_many(appsrc, convert, resample, volume, sink, nullptr);

    GstCaps* caps = MonoCaps(sampleRate);
    g_object_set(appsrc, "caps", caps, "format", GST_FORMAT_TIME, "is-live", FALSE,
                 "max-bytes", guint64(0), "block", FALSE, nullptr);
    gst_caps_unref(caps);

    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, &PcmChannel::OnBusMessage, this, nullptr);
    gst_object_unref(bus);

    if (GstPad* pad = gst_element_get_static_pad(sink, "sink")) {
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &PcmChannel::OnSinkBuffer, this, nullptr);
        gst_object_unref(pad);
    }

    // Opening the sink reaches the sound server; without one, try the next.
    if (gst_element_set_state(pipeline, GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
        Destroy();
        return false;
    }
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    return true;
}

void PcmChannel::Destroy()
{
    GstElement* old = nullptr;
    {
        std::lock_guard lock(push);
        generation = kDeadGeneration;
        old = pipeline;
        pipeline = appsrc = volume = sink = nullptr;
    }
    if (!old)
        return;
    gst_element_set_state(old, GST_STATE_NULL);
    GstBus* bus = gst_element_get_bus(old);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(old);
}

void PcmChannel::Restart(quint64 next, int rate)
{
    // Back to ready drops everything queued or sounding and clears the end
    // of the last stream (appsrc keeps that through a flush); playing again
    // starts the clock afresh for the new utterance, at its own rate.
    std::lock_guard lock(push);
    generation = next;
    words.clear();
    if (!pipeline)
        return;
    gst_element_set_state(pipeline, GST_STATE_READY);
    if (rate > 0 && rate != sampleRate) {
        sampleRate = rate;
        GstCaps* caps = MonoCaps(rate);
        g_object_set(appsrc, "caps", caps, nullptr);
        gst_caps_unref(caps);
    }
    firstSeen = false;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
}

bool PcmChannel::Alive(quint64 utterance)
{
    std::lock_guard lock(push);
    return generation == utterance && appsrc;
}

bool PcmChannel::Push(quint64 utterance, const std::int16_t* samples, int count, quint64& offset)
{
    for (;;) {
        {
            std::lock_guard lock(push);
            if (generation != utterance || !appsrc)
                return false;
            if (!samples || count <= 0)
                return true;
            const int rate = sampleRate;
            const guint64 limit = guint64(kQueuedSecondsMax * rate * 2);
            if (gst_app_src_get_current_level_bytes(GST_APP_SRC(appsrc)) <= limit) {
                GstBuffer* buffer = gst_buffer_new_memdup(samples, gsize(count) * 2);
                GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(offset, GST_SECOND, rate);
                GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(count, GST_SECOND, rate);
                offset += quint64(count);
                gst_app_src_push_buffer(GST_APP_SRC(appsrc), buffer);
                return true;
            }
        }
        // Paused or far ahead: wait for the sink, but give way to a purge.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void PcmChannel::AddWord(quint64 utterance, qint64 sample, int start, int length)
{
    std::lock_guard lock(push);
    if (generation == utterance)
        words.push_back({utterance, sample, start, length});
}

QList<std::pair<int, int>> PcmChannel::TakeWords(quint64 utterance, qint64 played)
{
    QList<std::pair<int, int>> due;
    std::lock_guard lock(push);
    while (!words.empty() && (words.front().utterance != utterance || words.front().sample < played)) {
        if (words.front().utterance == utterance)
            due.append({words.front().start, words.front().length});
        words.pop_front();
    }
    return due;
}

void PcmChannel::End(quint64 utterance)
{
    std::lock_guard lock(push);
    if (generation != utterance || !appsrc)
        return;
    ended = utterance;
    gst_app_src_end_of_stream(GST_APP_SRC(appsrc));
}

GstBusSyncReply PcmChannel::OnBusMessage(GstBus*, GstMessage* message, gpointer data)
{
    auto* channel = static_cast<PcmChannel*>(data);
    PcmVoice* owner = channel->owner;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS: {
        const quint64 utterance = channel->ended.load();
        QMetaObject::invokeMethod(owner, [owner, utterance] { owner->EndOfStream(utterance); },
                                  Qt::QueuedConnection);
        break;
    }
    case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        qWarning("built-in voice: %s", error ? error->message : "pipeline error");
        g_clear_error(&error);
        QMetaObject::invokeMethod(owner, [owner] { owner->PipelineError(); }, Qt::QueuedConnection);
        break;
    }
    default:
        break;
    }
    // Nobody reads the bus: everything is handled here, and a dropped
    // message is ours to release.
    gst_message_unref(message);
    return GST_BUS_DROP;
}

GstPadProbeReturn PcmChannel::OnSinkBuffer(GstPad*, GstPadProbeInfo*, gpointer data)
{
    auto* channel = static_cast<PcmChannel*>(data);
    if (!channel->firstSeen.exchange(true)) {
        std::lock_guard lock(channel->observerMutex);
        if (channel->observer)
            channel->observer();
    }
    return GST_PAD_PROBE_OK;
}

PcmUtterance::PcmUtterance(std::shared_ptr<PcmChannel> channel, quint64 id)
    : channel_(std::move(channel))
    , id_(id)
{
}

bool PcmUtterance::Push(const std::int16_t* samples, int count)
{
    return channel_->Push(id_, samples, count, offset_);
}

bool PcmUtterance::Alive() const
{
    return channel_->Alive(id_);
}

void PcmUtterance::Word(int start, int length, std::int64_t sample)
{
    if (start >= 0 && length > 0)
        channel_->AddWord(id_, sample, start, length);
}

void PcmUtterance::End()
{
    channel_->End(id_);
}

PcmVoice::PcmVoice(QObject* parent)
    : SpeechVoice(parent)
    , channel_(std::make_shared<PcmChannel>())
{
    follow_ = new QTimer(this);
    follow_->setTimerType(Qt::PreciseTimer);
    follow_->setInterval(kFollowMs);
    connect(follow_, &QTimer::timeout, this, &PcmVoice::FollowPosition);
}

PcmVoice::~PcmVoice()
{
    channel_->Destroy();
}

void PcmVoice::Open()
{
    if (channel_->pipeline || !EngineReady())
        return;
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
    channel_->owner = this;
    if (!channel_->Build("pulsesink") && !channel_->Build("autoaudiosink"))
        qWarning("built-in voice: no audio output");
}

bool PcmVoice::ok() const
{
    return EngineReady();
}

bool PcmVoice::Speak(const QString& text, int /*flags*/)
{
    // Every Speak is asynchronous and purges first, whatever the flags.
    if (broken_) {
        // After an error the pipeline starts again from scratch.
        channel_->Destroy();
        broken_ = false;
    }
    Open();
    if (!ok() || !channel_->pipeline)
        return false;

    const quint64 utterance = ++generation_;
    channel_->Restart(utterance, text.isEmpty() ? 0 : SampleRateFor(text));
    g_object_set(channel_->volume, "volume", volume_ / 100.0, nullptr);
    heard_ = false;
    if (text.isEmpty()) {
        running_ = SRSEDone;
        follow_->stop();
        return true;
    }
    running_ = SRSEIsSpeaking;
    follow_->start();
    Render(text, std::make_shared<PcmUtterance>(channel_, utterance));
    return true;
}

bool PcmVoice::Pause()
{
    if (!ok())
        return false;
    if (!channel_->pipeline)
        return true;   // nothing has been said yet
    if (running_ == SRSEIsSpeaking) {
        gst_element_set_state(channel_->pipeline, GST_STATE_PAUSED);
        running_ = SRSEPaused;
    }
    return true;
}

bool PcmVoice::Resume()
{
    if (!ok())
        return false;
    if (!channel_->pipeline)
        return true;
    if (running_ == SRSEPaused) {
        gst_element_set_state(channel_->pipeline, GST_STATE_PLAYING);
        running_ = SRSEIsSpeaking;
    }
    return true;
}

bool PcmVoice::setRate(int rate)
{
    if (rate < -10 || rate > 10)
        return false;
    rate_ = rate;
    speed_ = SpeedOfRate(rate);
    return ok();
}

bool PcmVoice::setSpeed(double factor)
{
    // Both engines stay clear between a quarter and four times the speed.
    // Only the range is checked: Speak says whether the voice works.
    if (!(factor >= 0.25 && factor <= 4.0))
        return false;
    speed_ = factor;
    return true;
}

double PcmVoice::SpeedOfRate(int rate)
{
    return std::pow(3.0, rate / 10.0);
}

bool PcmVoice::setVolume(int volume)
{
    if (volume < 0 || volume > 100)
        return false;
    volume_ = volume;
    return ok();
}

int PcmVoice::RunningState() const
{
    return running_;
}

void PcmVoice::setFirstBufferObserver(std::function<void()> observer)
{
    std::lock_guard lock(channel_->observerMutex);
    channel_->observer = std::move(observer);
}

void PcmVoice::FollowPosition()
{
    if (running_ == SRSEDone || !channel_->pipeline) {
        follow_->stop();
        return;
    }
    gint64 position = 0;
    if (!gst_element_query_position(channel_->pipeline, GST_FORMAT_TIME, &position) || position <= 0)
        return;
    if (!std::exchange(heard_, true))
        emit AudioStarted();
    const qint64 played = qint64(gst_util_uint64_scale(guint64(position), guint64(channel_->sampleRate.load()), GST_SECOND));
    for (const auto& [start, length] : channel_->TakeWords(generation_, played))
        emit WordStarted(start, length);
}

void PcmVoice::EndOfStream(quint64 generation)
{
    // Only the utterance still current counts; a purged one ends silently.
    if (generation != generation_ || running_ == SRSEDone)
        return;
    follow_->stop();
    running_ = SRSEDone;
    emit EndStream();
}

void PcmVoice::PipelineError()
{
    follow_->stop();
    running_ = SRSEDone;
    broken_ = true;
}
