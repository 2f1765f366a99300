#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

typedef struct _GstElement GstElement;

// Tells the real readings of an audio output's clock from leaps, and stands
// in for them. Sound is played no faster than the wall clock runs, so the
// output's time never gets ahead of the wall clock by more than it has been
// before, give or take the blocks a server renders at once. Now and then,
// just after a flush, the PulseAudio stream reports a time centuries ahead
// (or below zero) and keeps reporting it; the sound plays on all the same.
// Taken, the clock, which never runs backwards, would stand still from then
// on, and the next start would place its sound centuries ahead. Meanwhile
// the output's time is the last real one, moved on by the wall clock while
// the output runs.
class ClockLeapFilter
{
public:
    // More ahead of the wall clock than ever before by this much is a leap;
    // a server may hand out two seconds or so at once.
    static constexpr std::int64_t ToleranceNs = 5'000'000'000;
    // Reported for "no time": the clock keeps its last one.
    static constexpr std::uint64_t NoTime = ~std::uint64_t(0);

    // A reading of the output's time, the wall clock's at that moment and
    // whether the output is running (taking sound); the time to report.
    std::uint64_t Filter(std::uint64_t outputNs, std::int64_t wallNs, bool running);
    // Leaps so far, each counted once however long it lasted.
    int Leaps() const { return leaps_; }

private:
    bool known_ = false;
    std::int64_t mostAheadNs_ = 0;
    std::uint64_t lastRealNs_ = 0;
    bool inLeap_ = false;
    std::uint64_t standInNs_ = 0;    // the time reported during a leap
    std::int64_t standInWallNs_ = 0;
    int leaps_ = 0;
};

// What the guard of one output's clock has seen, shared with whoever watches
// the output; read from any thread.
struct ClockGuardState
{
    std::atomic<int> leaps{0};
};

// Puts the filter in front of the time function of an audio sink's own
// clock (a GStreamer audio base sink's), so that a leap is never taken.
// False when the sink has no such clock. Call before the sink starts.
bool GuardAudioSinkClock(GstElement* sink, std::shared_ptr<ClockGuardState> state);
