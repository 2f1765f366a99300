#include "platform/AudioClockGuard.h"

#include <gst/audio/gstaudiobasesink.h>
#include <gst/audio/gstaudioclock.h>

#include <algorithm>
#include <limits>
#include <mutex>

std::uint64_t ClockLeapFilter::Filter(std::uint64_t outputNs, std::int64_t wallNs, bool running)
{
    // Read as a signed time, a count "below zero" is just as far off.
    const bool wild = outputNs > std::uint64_t(std::numeric_limits<std::int64_t>::max());
    const std::int64_t ahead = wild ? 0 : std::int64_t(outputNs) - wallNs;
    if (wild || (known_ && ahead > mostAheadNs_ + ToleranceNs)) {
        if (!inLeap_) {
            ++leaps_;
            inLeap_ = true;
            standInNs_ = lastRealNs_;
            standInWallNs_ = wallNs;
        }
        if (running && wallNs > standInWallNs_)
            standInNs_ += std::uint64_t(wallNs - standInWallNs_);
        standInWallNs_ = wallNs;
        return known_ ? standInNs_ : NoTime;
    }
    // Real again: a little behind the stand-in, the clock waits for it.
    inLeap_ = false;
    mostAheadNs_ = known_ ? std::max(mostAheadNs_, ahead) : ahead;
    known_ = true;
    lastRealNs_ = outputNs;
    return outputNs;
}

namespace {

// The sink's own time function, and the filter in front of it. Owned by the
// clock: it goes with the clock, whoever holds that last.
struct GuardedClock
{
    GstAudioBaseSink* sink = nullptr;   // owns the clock
    GstAudioClockGetTimeFunc time = nullptr;
    gpointer timeData = nullptr;
    GDestroyNotify freeTimeData = nullptr;
    std::mutex mutex;   // the clock is read from the streaming and UI threads
    ClockLeapFilter filter;
    std::shared_ptr<ClockGuardState> state;
};

GstClockTime GuardedTime(GstClock* clock, gpointer data)
{
    auto* guarded = static_cast<GuardedClock*>(data);
    const GstClockTime outputNs = guarded->time(clock, guarded->timeData);
    if (!GST_CLOCK_TIME_IS_VALID(outputNs))
        return outputNs;
    // Running: started, not paused, so the server takes its sound.
    GstAudioRingBuffer* ring = guarded->sink->ringbuffer;
    const bool running = ring && g_atomic_int_get(&ring->state) == GST_AUDIO_RING_BUFFER_STATE_STARTED;
    std::lock_guard lock(guarded->mutex);
    const std::uint64_t reported = guarded->filter.Filter(outputNs, g_get_monotonic_time() * 1000, running);
    if (guarded->state)
        guarded->state->leaps = guarded->filter.Leaps();
    return reported == ClockLeapFilter::NoTime ? GST_CLOCK_TIME_NONE : GstClockTime(reported);
}

void FreeGuardedClock(gpointer data)
{
    auto* guarded = static_cast<GuardedClock*>(data);
    if (guarded->freeTimeData)
        guarded->freeTimeData(guarded->timeData);
    delete guarded;
}

} // namespace

bool GuardAudioSinkClock(GstElement* sink, std::shared_ptr<ClockGuardState> state)
{
    if (!sink || !GST_IS_AUDIO_BASE_SINK(sink))
        return false;
    GstClock* clock = GST_AUDIO_BASE_SINK(sink)->provided_clock;
    if (!clock || !GST_IS_AUDIO_CLOCK(clock))
        return false;
    GstAudioClock* audioClock = GST_AUDIO_CLOCK(clock);
    if (!audioClock->func || audioClock->func == &GuardedTime)
        return audioClock->func == &GuardedTime;
    auto* guarded = new GuardedClock;
    guarded->sink = GST_AUDIO_BASE_SINK(sink);
    guarded->state = std::move(state);
    GST_OBJECT_LOCK(clock);
    guarded->time = audioClock->func;
    guarded->timeData = audioClock->user_data;
    guarded->freeTimeData = audioClock->destroy_notify;
    audioClock->func = &GuardedTime;
    audioClock->user_data = guarded;
    audioClock->destroy_notify = &FreeGuardedClock;
    GST_OBJECT_UNLOCK(clock);
    return true;
}
