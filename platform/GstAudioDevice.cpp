#include "platform/GstAudioDevice.h"

#include <QFile>
#include <QFileInfo>

#include <gst/gst.h>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// playbin's "flags": audio only, with software volume left out so the
// desktop's own volume stays in charge.
constexpr int kPlayAudio = 0x2;

std::int64_t ToMs(gint64 ns)
{
    return ns / GST_MSECOND;
}

QString MessageText(GstMessage* message)
{
    GError* error = nullptr;
    gchar* debug = nullptr;
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR)
        gst_message_parse_error(message, &error, &debug);
    else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_WARNING)
        gst_message_parse_warning(message, &error, &debug);
    QString text;
    if (error) {
        text = QString::fromUtf8(error->message);
        g_error_free(error);
    }
    g_free(debug);
    return text;
}

} // namespace

GstAudioDevice::GstAudioDevice(const char* sinkFactory)
    : sinkFactory_(sinkFactory ? sinkFactory : "")
{
}

GstAudioDevice::~GstAudioDevice()
{
    Close();
}

int GstAudioDevice::Fail(int code, GstMessage* message)
{
    if (message) {
        const QString text = MessageText(message);
        if (!text.isEmpty())
            texts_[code] = text;
    }
    return code;
}

// Keeps the words of the first error on the bus; a streaming thread may post
// it just after the state change has failed, so wait for it a little.
void GstAudioDevice::TakeBusErrors(int code)
{
    GstBus* bus = gst_element_get_bus(pipeline_);
    if (GstMessage* m = gst_bus_timed_pop_filtered(bus, 500 * GST_MSECOND, GST_MESSAGE_ERROR)) {
        Fail(code, m);
        gst_message_unref(m);
    }
    gst_object_unref(bus);
}

int GstAudioDevice::Open(const QString& path, Kind kind)
{
    // GStreamer starts with the first song, not with the window.
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
    Close();
    texts_.remove(OpenFailed);
    texts_.remove(OpenTimedOut);

    GError* uriError = nullptr;
    gchar* uri = gst_filename_to_uri(QFile::encodeName(QFileInfo(path).absoluteFilePath()).constData(), &uriError);
    if (!uri) {
        texts_[OpenFailed] = uriError ? QString::fromUtf8(uriError->message) : QString();
        if (uriError)
            g_error_free(uriError);
        return OpenFailed;
    }

    pipeline_ = gst_element_factory_make("playbin", nullptr);
    if (!pipeline_) {
        g_free(uri);
        texts_[OpenFailed] = u"playbin"_s;
        return OpenFailed;
    }
    g_object_set(pipeline_, "uri", uri, "flags", kPlayAudio, "delay", guint64(StartLeadMs) * GST_MSECOND, nullptr);
    g_free(uri);

    GstElement* sink = nullptr;
    clockGuard_ = std::make_shared<ClockGuardState>();
    if (!sinkFactory_.isEmpty())
        sink = gst_element_factory_make(sinkFactory_.constData(), nullptr);
    if (!sink)
        sink = gst_element_factory_make("pulsesink", nullptr);
    if (!sink)
        sink = gst_element_factory_make("autoaudiosink", nullptr);
    if (sink) {
        // At a play range's seam the tempo filter hands over the last of the
        // range stamped up to 100 ms (at half speed) off the sound before it.
        // Played on as one stream it is seamless; taken by its stamps it
        // would leave a silence in between.
        if (g_object_class_find_property(G_OBJECT_GET_CLASS(sink), "alignment-threshold"))
            g_object_set(sink, "alignment-threshold", guint64(250 * GST_MSECOND), nullptr);
        // The output's clock is the pipeline's: a leap of it is stood in for.
        GuardAudioSinkClock(sink, clockGuard_);
        if (GstPad* pad = gst_element_get_static_pad(sink, "sink")) {
            gst_pad_add_probe(pad, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM
                                                   | GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                              reinterpret_cast<GstPadProbeCallback>(&GstAudioDevice::OnSinkBuffer), this, nullptr);
            gst_object_unref(pad);
        }
        g_object_set(pipeline_, "audio-sink", sink, nullptr);
    }
    // Slower or faster playback keeps its pitch through scaletempo; without
    // it a rate still plays, only higher or lower.
    if (GstElement* tempo = MakeTempoBin())
        g_object_set(pipeline_, "audio-filter", tempo, nullptr);

    path_ = path;
    kind_ = kind;
    length_ = -1;
    lastPosition_ = 0;
    ended_ = false;
    failed_ = false;
    playing_ = false;
    playEnd_ = segmentStop_ = -1;
    segmentDone_ = endReached_ = false;
    restarts_ = 0;
    stallRecoveries_ = 0;
    firstBufferPending_ = true;
    freshTempoWanted_ = false;
    segmentsBeforeSeek_ = sinkSegments_;
    queuedEndMs_ = -1;
    streamSpeed_ = 100;
    speedSeekPending_ = false;

    // Preroll: the file is opened, typed and decoded up to the sink, so the
    // length is known when Open returns. Errors wait on the bus meanwhile.
    GstStateChangeReturn r = gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    if (r != GST_STATE_CHANGE_FAILURE)
        r = gst_element_get_state(pipeline_, nullptr, nullptr, PrerollTimeoutMs * GST_MSECOND);
    if (r == GST_STATE_CHANGE_FAILURE || r == GST_STATE_CHANGE_ASYNC) {
        const int code = r == GST_STATE_CHANGE_ASYNC ? OpenTimedOut : OpenFailed;
        TakeBusErrors(code);
        if (!texts_.contains(code) && code == OpenTimedOut)
            texts_[code] = u"%1: %2 ms"_s.arg(QFileInfo(path).fileName()).arg(PrerollTimeoutMs);
        Close();
        return code;
    }

    QueryLength();
    GstBus* bus = gst_element_get_bus(pipeline_);
    watch_ = gst_bus_add_watch(bus, reinterpret_cast<GstBusFunc>(&GstAudioDevice::OnBusMessage), this);
    gst_object_unref(bus);
    return DeviceResult::Success;
}

GstElement* GstAudioDevice::MakeTempoBin()
{
    GstElement* tempo = gst_element_factory_make("scaletempo", nullptr);
    if (!tempo)
        return nullptr;
    GstElement* bin = gst_bin_new("tempo");
    gst_bin_add(GST_BIN(bin), tempo);
    GstPad* in = gst_element_get_static_pad(tempo, "sink");
    GstPad* out = gst_element_get_static_pad(tempo, "src");
    GstPad* binIn = gst_ghost_pad_new("sink", in);
    gst_element_add_pad(bin, binIn);
    gst_element_add_pad(bin, gst_ghost_pad_new("src", out));
    gst_object_unref(in);
    gst_object_unref(out);
    gst_pad_add_probe(binIn, GST_PAD_PROBE_TYPE_EVENT_FLUSH,
                      reinterpret_cast<GstPadProbeCallback>(&GstAudioDevice::OnTempoFlush), this, nullptr);
    tempoBin_ = bin;
    tempo_ = tempo;
    return bin;
}

// scaletempo keeps the input it has queued (some 50 ms) across a flush and
// plays it first after the seek: sound from before the seek, heard at its
// target. A new filter starts empty. Called at the end of a flush, when no
// data moves: the filter is idle, and the flush's end passes on through the
// new one to release the output.
int GstAudioDevice::OnTempoFlush(GstPad*, GstPadProbeInfo* info, void* data)
{
    auto* self = static_cast<GstAudioDevice*>(data);
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_FLUSH_STOP && self->freshTempoWanted_.exchange(false))
        self->ReplaceTempo();
    return GST_PAD_PROBE_OK;
}

void GstAudioDevice::ReplaceTempo()
{
    GstElement* fresh = gst_element_factory_make("scaletempo", nullptr);
    if (!fresh || !tempoBin_ || !tempo_) {
        if (fresh)
            gst_object_unref(fresh);
        return;
    }
    GstState state = GST_STATE_NULL;
    gst_element_get_state(tempo_, &state, nullptr, 0);
    gst_element_set_state(tempo_, GST_STATE_NULL);
    gst_bin_remove(GST_BIN(tempoBin_), tempo_);
    // Strides of 10 ms, searched over as much, bring a short stream's end
    // within 1 % or so of its time at any speed; the default 30 ms strides
    // sound smoother on a long one.
    if (fineTempoWanted_)
        g_object_set(fresh, "stride", 10u, "search", 10u, "overlap", 0.4, nullptr);
    gst_bin_add(GST_BIN(tempoBin_), fresh);
    tempo_ = fresh;
    for (const char* name : {"sink", "src"}) {
        GstPad* outer = gst_element_get_static_pad(tempoBin_, name);
        GstPad* inner = gst_element_get_static_pad(fresh, name);
        gst_ghost_pad_set_target(GST_GHOST_PAD(outer), inner);
        gst_object_unref(inner);
        gst_object_unref(outer);
    }
    gst_element_set_state(fresh, state);
}

void GstAudioDevice::QueryLength()
{
    gint64 ns = -1;
    if (gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &ns) && ns >= 0) {
        length_ = ToMs(ns);
        return;
    }
    // An MP3 without a length header: count its frames.
    if (kind_ == Kind::Mpeg && length_ < 0) {
        if (const std::int64_t ms = Mp3Duration(path_); ms > 0)
            length_ = ms;
    }
}

int GstAudioDevice::Length(std::int64_t& ms)
{
    if (!pipeline_)
        return NotOpen;
    if (length_ < 0)
        QueryLength();
    if (length_ < 0)
        return QueryFailed;
    ms = length_;
    return DeviceResult::Success;
}

int GstAudioDevice::Position(std::int64_t& ms)
{
    if (!pipeline_)
        return NotOpen;
    // A seek waiting for the end to be heard is where the device stands.
    if (hearOut_ && seekAfterHearOut_ >= 0) {
        ms = seekAfterHearOut_;
        return DeviceResult::Success;
    }
    gint64 ns = -1;
    if (gst_element_query_position(pipeline_, GST_FORMAT_TIME, &ns) && ns >= 0)
        lastPosition_ = ToMs(ns);
    ms = lastPosition_;
    if (ended_)
        ms = std::max(ms, length_);
    if (endReached_)
        ms = std::max(ms, segmentStop_);
    return DeviceResult::Success;
}

int GstAudioDevice::Seek(std::int64_t ms)
{
    if (!pipeline_)
        return NotOpen;
    restarts_ = 0;
    // Right at the play end the sound goes on from the target without a gap.
    return SeekAt(ms, !(inPlayEnd_ && playing_));
}

int GstAudioDevice::SeekAt(std::int64_t ms, bool flush)
{
    texts_.remove(SeekFailed);
    ms = std::max<std::int64_t>(ms, 0);
    // The flush would cut off the end still being heard: made after it.
    if (flush && hearOut_) {
        seekAfterHearOut_ = length_ >= 0 ? std::min(ms, length_) : ms;
        return DeviceResult::Success;
    }
    // The stream itself stops at the play end (a segment seek), so nothing
    // past it reaches the output whatever the speed; its end is told on the
    // bus instead of the end of the stream.
    const bool stopThere = playEnd_ >= 0 && playEnd_ > ms;
    int flags = GST_SEEK_FLAG_ACCURATE;
    if (flush)
        flags |= GST_SEEK_FLAG_FLUSH;
    if (stopThere)
        flags |= GST_SEEK_FLAG_SEGMENT;
    // The rate goes with every seek: a seek at another rate would undo it.
    const double rate = speedPercent_ / 100.0;
    StopEndWatch();
    segmentDone_ = endReached_ = false;
    // Off normal speed the tempo filter works on what it has queued; a
    // flush throws that away, so it starts afresh.
    if (flush) {
        fineTempoWanted_ = stopThere && playEnd_ - ms < FineTempoBelowMs;
        freshTempoWanted_ = speedPercent_ != 100;
    }
    // Counted before the seek: its stream may reach the output before the
    // call returns.
    const unsigned segmentsBefore = std::exchange(segmentsBeforeSeek_, sinkSegments_.load());
    if (!gst_element_seek(pipeline_, rate, GST_FORMAT_TIME, GstSeekFlags(flags), GST_SEEK_TYPE_SET, ms * GST_MSECOND,
                          stopThere ? GST_SEEK_TYPE_SET : GST_SEEK_TYPE_NONE,
                          stopThere ? playEnd_ * GST_MSECOND : GST_CLOCK_TIME_NONE)) {
        segmentsBeforeSeek_ = segmentsBefore;
        return SeekFailed;
    }
    segmentStop_ = stopThere ? playEnd_ : -1;
    streamSpeed_ = speedPercent_;
    speedSeekPending_ = false;
    // A flushing seek prerolls again; wait for it (a local file takes a few
    // ms) so that the position reads the target at once. A following seek
    // only queues more sound.
    if (flush
        && gst_element_get_state(pipeline_, nullptr, nullptr, PrerollTimeoutMs * GST_MSECOND) == GST_STATE_CHANGE_FAILURE) {
        TakeBusErrors(SeekFailed);
        return SeekFailed;
    }
    ended_ = false;
    lastPosition_ = std::max<std::int64_t>(ms, 0);
    if (length_ >= 0)
        lastPosition_ = std::min(lastPosition_, length_);
    // The position stands still while the seek settles: watch from here.
    if (playing_)
        WatchFromHere();
    return DeviceResult::Success;
}

int GstAudioDevice::SetSpeed(int percent)
{
    percent = std::clamp(percent, 10, 400);
    if (percent == speedPercent_)
        return DeviceResult::Success;
    speedPercent_ = percent;
    // At the end of the stream the next start seeks anyway. At the play end
    // the stream has been read to its stop: its end plays out at the speed
    // it was read at, and the next seek takes the new one (a seek now would
    // cut that end off).
    if (!pipeline_ || ended_ || (inPlayEnd_ && endReached_))
        return DeviceResult::Success;
    // Paused, the next play takes it, unless a seek comes first: a flush
    // now would only be one more for the output to come back from.
    if (!playing_ && !hearOut_) {
        speedSeekPending_ = true;
        return DeviceResult::Success;
    }
    std::int64_t at = 0;
    Position(at);
    return SeekAt(at);
}

bool GstAudioDevice::SetPlayEnd(std::int64_t ms)
{
    playEnd_ = ms = std::max<std::int64_t>(ms, -1);
    // Not playing, the next seek takes it; at the play end, the seek made there.
    if (!pipeline_ || !playing_ || inPlayEnd_ || ended_ || ms == segmentStop_)
        return true;
    // Later than the stream's stop: the sound goes on from there without a
    // gap when the stop comes (OnEndWatch).
    if (ms < 0 || (segmentStop_ >= 0 && ms > segmentStop_))
        return true;
    // Earlier: the stream is cut anew from where it is heard, unless the end
    // is too close for that; the caller then ends it on its own time.
    std::int64_t at = 0;
    Position(at);
    if (ms <= at + 2 * PlayEndLeadMs)
        return false;
    return SeekAt(at) == 0;
}

int GstAudioDevice::SetState(int state)
{
    if (!pipeline_)
        return NotOpen;
    texts_.remove(StateFailed);
    if (gst_element_set_state(pipeline_, GstState(state)) == GST_STATE_CHANGE_FAILURE) {
        TakeBusErrors(StateFailed);
        return StateFailed;
    }
    return DeviceResult::Success;
}

int GstAudioDevice::Play()
{
    // At the end of the stream there is nothing left to play.
    if (pipeline_ && ended_)
        return DeviceResult::Success;
    if (hearOut_) {
        // The end of the range is still being heard. With a seek to make,
        // the play starts from there once it has been; without one nothing
        // is left to wait for.
        if (seekAfterHearOut_ >= 0) {
            playAfterHearOut_ = true;
            playing_ = true;
            return DeviceResult::Success;
        }
        CancelHearOut();
    }
    if (speedSeekPending_) {
        std::int64_t at = 0;
        Position(at);
        if (const int code = SeekAt(at); code != DeviceResult::Success)
            return code;
    }
    const int code = SetState(GST_STATE_PLAYING);
    if (code == DeviceResult::Success) {
        playing_ = true;
        restarts_ = 0;
        WatchFromHere();
        if (segmentDone_ && !endWatch_)
            endWatch_ = g_timeout_add(5, reinterpret_cast<GSourceFunc>(&GstAudioDevice::OnEndWatch), this);
    }
    return code;
}

bool GstAudioDevice::StartHearOut()
{
    gint64 ns = -1;
    if (!gst_element_query_position(pipeline_, GST_FORMAT_TIME, &ns) || ns < 0 || ToMs(ns) >= segmentStop_)
        return false;
    // Bounded: an output that stops taking sound must not hold the pause off.
    const std::int64_t leftWallMs = (segmentStop_ - ToMs(ns)) * 100 / std::max(1, streamSpeed_);
    hearOutGiveUpUs_ = g_get_monotonic_time() + (leftWallMs + 2 * PlayEndLeadMs) * 1000;
    seekAfterHearOut_ = -1;
    playAfterHearOut_ = false;
    hearOut_ = g_timeout_add(2, reinterpret_cast<GSourceFunc>(&GstAudioDevice::OnHeardOut), this);
    return true;
}

int GstAudioDevice::OnHeardOut(void* data)
{
    auto* self = static_cast<GstAudioDevice*>(data);
    gint64 ns = -1;
    const std::int64_t dry = self->DryAt();
    if (g_get_monotonic_time() < self->hearOutGiveUpUs_ && gst_element_query_position(self->pipeline_, GST_FORMAT_TIME, &ns)
        && ns >= 0 && ToMs(ns) < dry)
        return G_SOURCE_CONTINUE;
    self->hearOut_ = 0;
    self->FinishHearOut();
    return G_SOURCE_REMOVE;
}

void GstAudioDevice::FinishHearOut()
{
    const std::int64_t seekTo = std::exchange(seekAfterHearOut_, -1);
    const bool play = std::exchange(playAfterHearOut_, false);
    int code = DeviceResult::Success;
    if (!play)
        code = SetState(GST_STATE_PAUSED);
    if (code == DeviceResult::Success && seekTo >= 0)
        code = SeekAt(seekTo);
    if (code == DeviceResult::Success && play) {
        code = SetState(GST_STATE_PLAYING);
        if (code == DeviceResult::Success) {
            playing_ = true;
            restarts_ = 0;
            WatchFromHere();
        }
    }
    // Nobody waits for this answer: a refusal is reported like any failure
    // met while playing. The handler may close or delete the device.
    if (code != DeviceResult::Success && !failed_) {
        failed_ = true;
        playing_ = false;
        if (onError)
            onError(code);
    }
}

void GstAudioDevice::CancelHearOut()
{
    if (hearOut_) {
        g_source_remove(hearOut_);
        hearOut_ = 0;
    }
    seekAfterHearOut_ = -1;
    playAfterHearOut_ = false;
}

int GstAudioDevice::TempoHoldMs() const
{
    // Its search window, a stride and the stride's overlap, in the track's
    // time whatever the speed.
    guint strideMs = 30;
    guint searchMs = 14;
    double overlap = 0.2;
    if (tempo_)
        g_object_get(tempo_, "stride", &strideMs, "search", &searchMs, "overlap", &overlap, nullptr);
    return int(std::ceil(searchMs + strideMs * (1.0 + overlap)));
}

std::int64_t GstAudioDevice::DryAt() const
{
    const std::int64_t queued = queuedEndMs_;
    // Short of the stop by more than the filter can hold back, the rest is
    // still on its way to the output. What it holds comes out as strides
    // of output time, so faster it holds more of the track.
    constexpr int kSlackMs = 5;
    const int held = (streamSpeed_ == 100 ? 0 : int(2 * TempoHoldMs() * std::max(1.0, streamSpeed_ / 100.0))) + kSlackMs;
    if (queued < 0 || queued < segmentStop_ - held)
        return segmentStop_;
    return std::min(queued, segmentStop_);
}

void GstAudioDevice::DrainTempo()
{
    if (!pipeline_ || !tempoBin_ || !tempo_ || streamSpeed_ == 100)
        return;
    // Only while playing: a paused output would hold the silence back, and
    // this thread with it.
    GstState state = GST_STATE_NULL;
    GstState pending = GST_STATE_VOID_PENDING;
    if (gst_element_get_state(pipeline_, &state, &pending, 0) != GST_STATE_CHANGE_SUCCESS || state != GST_STATE_PLAYING
        || pending != GST_STATE_VOID_PENDING)
        return;
    GstPad* in = gst_element_get_static_pad(tempoBin_, "sink");
    GstEvent* segmentEvent = gst_pad_get_sticky_event(in, GST_EVENT_SEGMENT, 0);
    GstCaps* caps = gst_pad_get_current_caps(in);
    const GstSegment* segment = nullptr;
    if (segmentEvent)
        gst_event_parse_segment(segmentEvent, &segment);
    int rate = 0;
    int channels = 0;
    int sampleBytes = 0;
    if (caps && gst_caps_get_size(caps) > 0) {
        const GstStructure* s = gst_caps_get_structure(caps, 0);
        gst_structure_get_int(s, "rate", &rate);
        gst_structure_get_int(s, "channels", &channels);
        // The filter's formats; silence is zero in each of them.
        const QByteArray format = gst_structure_get_string(s, "format");
        sampleBytes = format.startsWith("S16") ? 2 : format.startsWith("F32") ? 4 : format.startsWith("F64") ? 8 : 0;
    }
    if (segment && segment->format == GST_FORMAT_TIME && GST_CLOCK_TIME_IS_VALID(segment->stop) && rate > 0
        && channels > 0 && sampleBytes > 0) {
        // Twice what the filter holds brings all of it out.
        const std::int64_t drainMs = 2 * std::int64_t(TempoHoldMs());
        // The stream's stop moves on past the silence, or the filter would
        // clip it away.
        GstSegment longer;
        gst_segment_copy_into(segment, &longer);
        const guint64 stop = longer.stop;
        longer.stop = stop + guint64(drainMs) * GST_MSECOND;
        GstEvent* moved = gst_event_new_segment(&longer);
        gst_event_set_seqnum(moved, gst_event_get_seqnum(segmentEvent));
        gst_pad_send_event(in, moved);
        const gsize frames = gsize(std::int64_t(rate) * drainMs / 1000);
        GstBuffer* silence = gst_buffer_new_allocate(nullptr, frames * gsize(channels * sampleBytes), nullptr);
        gst_buffer_memset(silence, 0, 0, frames * gsize(channels * sampleBytes));
        GST_BUFFER_PTS(silence) = stop;
        GST_BUFFER_DURATION(silence) = guint64(drainMs) * GST_MSECOND;
        gst_pad_chain(in, silence);
    }
    if (caps)
        gst_caps_unref(caps);
    if (segmentEvent)
        gst_event_unref(segmentEvent);
    gst_object_unref(in);
}

int GstAudioDevice::Pause()
{
    if (!pipeline_)
        return NotOpen;
    playAfterHearOut_ = false;
    if (hearOut_) {
        playing_ = false;
        return DeviceResult::Success;   // pauses once the end is heard
    }
    playing_ = false;
    StopWatching();
    StopEndWatch();
    // Told of the play end, the stream has been read to its stop and the
    // rest of it is in the output: a pause now would cut the range's end
    // short, so the device pauses once it is heard, without waiting here.
    if (inPlayEnd_ && endReached_ && StartHearOut())
        return DeviceResult::Success;
    return SetState(GST_STATE_PAUSED);
}

int GstAudioDevice::Resume()
{
    return Play();
}

int GstAudioDevice::Stop()
{
    // A halt while the end is heard out halts at once, and any seek asked
    // for meanwhile is made.
    if (hearOut_) {
        const std::int64_t seekTo = seekAfterHearOut_;
        CancelHearOut();
        playing_ = false;
        int code = SetState(GST_STATE_PAUSED);
        if (code == DeviceResult::Success && seekTo >= 0)
            code = SeekAt(seekTo);
        return code;
    }
    // Halting keeps the place: a later play goes on from here.
    return Pause();
}

void GstAudioDevice::WatchFromHere()
{
    gint64 ns = -1;
    gst_element_query_position(pipeline_, GST_FORMAT_TIME, &ns);
    watchedNs_ = ns;
    movedAtUs_ = g_get_monotonic_time();
    if (!watchdog_)
        watchdog_ = g_timeout_add(250, reinterpret_cast<GSourceFunc>(&GstAudioDevice::OnWatchdog), this);
}

void GstAudioDevice::StopEndWatch()
{
    if (endWatch_) {
        g_source_remove(endWatch_);
        endWatch_ = 0;
    }
}

// The stream has been read up to its stop; what it left in the output
// plays on. Just before the stop is heard the sound goes on where the play
// end has moved to meanwhile, or the owner is told.
int GstAudioDevice::OnEndWatch(void* data)
{
    auto* self = static_cast<GstAudioDevice*>(data);
    if (!self->pipeline_ || !self->playing_ || !self->segmentDone_) {
        self->endWatch_ = 0;
        return G_SOURCE_REMOVE;
    }
    // A following seek's stream is read to its stop at once, long before
    // the output has it; until then position and queued sound still tell
    // of the stream before, whose end is already taken care of.
    if (self->sinkSegments_ == self->segmentsBeforeSeek_)
        return G_SOURCE_CONTINUE;
    gint64 ns = -1;
    if (!gst_element_query_position(self->pipeline_, GST_FORMAT_TIME, &ns) || ns < 0)
        return G_SOURCE_CONTINUE;
    const std::int64_t dry = self->DryAt();
    const double leftWallMs = double(dry - ToMs(ns)) * 100.0 / std::max(1, self->streamSpeed_);
    if (leftWallMs > PlayEndLeadMs)
        return G_SOURCE_CONTINUE;
    self->endWatch_ = 0;
    self->segmentDone_ = false;
    const std::int64_t stop = self->segmentStop_;
    if (self->playEnd_ < 0 || self->playEnd_ > stop) {
        self->SeekAt(stop, false);
        return G_SOURCE_REMOVE;
    }
    // Heard from now on unless a seek follows.
    self->endReached_ = true;
    self->inPlayEnd_ = true;
    if (self->onPlayEnd)
        self->onPlayEnd();
    self->inPlayEnd_ = false;
    // No seek followed on: the sound stops at the stop, and the tempo
    // filter gives up what it holds of the range's end.
    if (self->endReached_)
        self->DrainTempo();
    return G_SOURCE_REMOVE;
}

void GstAudioDevice::StopWatching()
{
    if (watchdog_) {
        g_source_remove(watchdog_);
        watchdog_ = 0;
    }
}

// After flushing seeks the PulseAudio output now and then reports a time
// centuries ahead; the output's clock never runs backwards, so, taken, it
// would stand still from then on while the sound plays on. The guard on the
// clock stands in for such readings (GuardAudioSinkClock), so the clock goes
// on with the sound. Should the position stand still all the same (the server's
// buffer once claimed years of audio, and the output took no more), seeking
// again or pausing does not bring it back; a new output stream does, so the
// pipeline goes back to READY and is brought up again where the sound got to.
std::int64_t GstAudioDevice::HeardAt() const
{
    std::int64_t stuck = watchedNs_ >= 0 ? ToMs(watchedNs_) : lastPosition_;
    if (endReached_)
        stuck = std::max(stuck, segmentStop_);
    // The output played on at its pace, unless it stopped taking sound: it
    // cannot have played more than it was handed.
    const std::int64_t stillMs = (g_get_monotonic_time() - movedAtUs_) / 1000;
    std::int64_t heard = stuck + stillMs * streamSpeed_ / 100;
    const std::int64_t handed = queuedEndMs_;
    heard = handed >= stuck ? std::min(heard, handed) : stuck;
    // A range heard to its end is ended there, not played again.
    if (segmentStop_ > 0)
        heard = std::min(heard, segmentStop_ - 1);
    if (length_ >= 0)
        heard = std::min(heard, length_);
    return std::max<std::int64_t>(heard, 0);
}

bool GstAudioDevice::Restart()
{
    const std::int64_t at = HeardAt();
    if (gst_element_set_state(pipeline_, GST_STATE_READY) == GST_STATE_CHANGE_FAILURE)
        return false;
    GstStateChangeReturn r = gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    if (r != GST_STATE_CHANGE_FAILURE)
        r = gst_element_get_state(pipeline_, nullptr, nullptr, PrerollTimeoutMs * GST_MSECOND);
    if (r == GST_STATE_CHANGE_FAILURE || r == GST_STATE_CHANGE_ASYNC)
        return false;
    // The flushing seek also starts the tempo filter afresh: back from
    // READY it would still count what it had queued.
    if (SeekAt(at) != DeviceResult::Success)
        return false;
    return gst_element_set_state(pipeline_, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

int GstAudioDevice::OnWatchdog(void* data)
{
    auto* self = static_cast<GstAudioDevice*>(data);
    if (!self->pipeline_ || !self->playing_ || self->ended_) {
        self->watchdog_ = 0;
        return G_SOURCE_REMOVE;
    }
    gint64 ns = -1;
    gst_element_query_position(self->pipeline_, GST_FORMAT_TIME, &ns);
    const std::int64_t now = g_get_monotonic_time();
    // Moving, or at the end with the end of stream on its way.
    const bool atStop = self->segmentStop_ >= 0 && ToMs(ns) >= self->segmentStop_ - 200;
    if ((ns >= 0 && ns != self->watchedNs_) || (self->length_ >= 0 && ToMs(ns) >= self->length_ - 200) || atStop) {
        if (ns != self->watchedNs_)
            self->restarts_ = 0;
        self->watchedNs_ = ns;
        self->movedAtUs_ = now;
        return G_SOURCE_CONTINUE;
    }
    if (now - self->movedAtUs_ < std::int64_t(StallMs) * 1000)
        return G_SOURCE_CONTINUE;
    if (self->restarts_ < StallRetries) {
        ++self->restarts_;
        if (self->Restart()) {
            ++self->stallRecoveries_;
            return G_SOURCE_CONTINUE;
        }
    }
    // Still stuck: said once, like any failure met while playing.
    self->watchdog_ = 0;
    self->playing_ = false;
    if (!self->failed_) {
        self->failed_ = true;
        // The handler may close or delete the device: touch nothing after it.
        if (self->onError)
            self->onError(Stalled);
    }
    return G_SOURCE_REMOVE;
}

int GstAudioDevice::Close()
{
    if (!pipeline_)
        return DeviceResult::Success;
    if (watch_) {
        g_source_remove(watch_);
        watch_ = 0;
    }
    StopWatching();
    StopEndWatch();
    CancelHearOut();
    playing_ = false;
    segmentDone_ = endReached_ = false;
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    gst_object_unref(pipeline_);
    pipeline_ = nullptr;
    tempoBin_ = tempo_ = nullptr;
    ended_ = false;
    length_ = -1;
    return DeviceResult::Success;
}

QString GstAudioDevice::ErrorText(int code) const
{
    if (const auto it = texts_.constFind(code); it != texts_.constEnd())
        return *it;
    switch (code) {
    case 0: return QString();
    case NotOpen: return u"デバイスが開かれていません。"_s;
    case OpenFailed: return u"ファイルを開けません。"_s;
    case OpenTimedOut: return u"ファイルの準備が時間内に終わりません。"_s;
    case QueryFailed: return u"長さまたは位置が分かりません。"_s;
    case SeekFailed: return u"指定の位置へ移動できません。"_s;
    case StateFailed: return u"再生の状態を変えられません。"_s;
    case StreamFailed: return u"再生中に問題が起きました。"_s;
    case Stalled: return u"再生が止まったまま進みません。出力をやり直しても戻りませんでした。"_s;
    default: return u"不明なエラーです。"_s;
    }
}

int GstAudioDevice::OnBusMessage(GstBus*, GstMessage* message, void* data)
{
    auto* self = static_cast<GstAudioDevice*>(data);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_SEGMENT_DONE: {
        // Only the stop of the stream running now; watch it being heard.
        GstFormat format = GST_FORMAT_UNDEFINED;
        gint64 at = -1;
        gst_message_parse_segment_done(message, &format, &at);
        if (format == GST_FORMAT_TIME && self->segmentStop_ >= 0 && ToMs(at) == self->segmentStop_) {
            self->segmentDone_ = true;
            if (self->playing_ && !self->endWatch_)
                self->endWatch_ = g_timeout_add(5, reinterpret_cast<GSourceFunc>(&GstAudioDevice::OnEndWatch), self);
        }
        break;
    }
    case GST_MESSAGE_EOS:
        self->ended_ = true;
        self->StopWatching();
        break;
    case GST_MESSAGE_DURATION_CHANGED: {
        // A better estimate once more of the stream is known; keep the old
        // one when there is none yet.
        gint64 ns = -1;
        if (gst_element_query_duration(self->pipeline_, GST_FORMAT_TIME, &ns) && ns >= 0)
            self->length_ = ToMs(ns);
        break;
    }
    case GST_MESSAGE_ERROR:
        // One failure often brings a train of follow-ups: report the first.
        if (self->failed_)
            break;
        self->failed_ = true;
        self->Fail(StreamFailed, message);
        // The handler may close or delete the device: touch nothing after it.
        if (self->onError)
            self->onError(StreamFailed);
        break;
    default:
        break;
    }
    return TRUE;
}

// On the streaming thread: where the sound handed to the output ends, in
// the track's time, so the end watch knows when the output runs dry.
int GstAudioDevice::OnSinkBuffer(GstPad*, GstPadProbeInfo* info, void* data)
{
    auto* self = static_cast<GstAudioDevice*>(data);
    if (GST_PAD_PROBE_INFO_TYPE(info) & (GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM | GST_PAD_PROBE_TYPE_EVENT_FLUSH)) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
            const GstSegment* segment = nullptr;
            gst_event_parse_segment(event, &segment);
            if (segment->format == GST_FORMAT_TIME)
                self->sinkSegment_ = {std::int64_t(segment->start), std::int64_t(segment->time), segment->applied_rate};
            // Sound queued and no flush since: a following seek's stream
            // joins it here.
            self->seamPending_ = self->queuedEndMs_ >= 0;
            ++self->sinkSegments_;
        } else if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) {
            self->queuedEndMs_ = -1;
            self->seamPending_ = false;
        }
        return GST_PAD_PROBE_OK;
    }
    // The first sound after a seam comes marked as a break in the stream,
    // and the output would then place it by its stamp. The tempo filter
    // stamps it up to its hold (some 50 ms of output) later than where the
    // sound before it ends, for it hands the rest of the range over inside
    // the next stream: the output would play that much silence. Unmarked,
    // it follows on (gaps smaller than the alignment threshold are played
    // through).
    if (GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info); buffer && self->seamPending_) {
        self->seamPending_ = false;
        if (GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DISCONT)) {
            buffer = gst_buffer_make_writable(buffer);
            GST_BUFFER_FLAG_UNSET(buffer, GST_BUFFER_FLAG_DISCONT);
            GST_PAD_PROBE_INFO_DATA(info) = buffer;
        }
    }
    if (GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        buffer && GST_BUFFER_PTS_IS_VALID(buffer) && GST_BUFFER_DURATION_IS_VALID(buffer)) {
        const SinkSegment& seg = self->sinkSegment_;
        const double end = double(GST_BUFFER_PTS(buffer) + GST_BUFFER_DURATION(buffer));
        if (end >= double(seg.start))
            self->queuedEndMs_ = ToMs(gint64(double(seg.time) + (end - double(seg.start)) * std::fabs(seg.appliedRate)));
    }
    if (self->firstBufferPending_.exchange(false) && self->onFirstBuffer)
        self->onFirstBuffer();
    return GST_PAD_PROBE_OK;
}
