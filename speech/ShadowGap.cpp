#include "speech/ShadowGap.h"

#include <utility>

ShadowGap::ShadowGap()
    : clock_(std::make_unique<MonotonicClock>())
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Done(); });
}

void ShadowGap::setClock(std::unique_ptr<Clock> clock)
{
    clock_ = std::move(clock);
}

int ShadowGap::Since(std::int32_t from) const
{
    // The clock folds into one day.
    return int((clock_->TimeOfDay() - from + Clock::kDay) % Clock::kDay);
}

void ShadowGap::LineStarted()
{
    Cancel();
    lineStart_ = clock_->TimeOfDay();
    heard_ = false;
    heldMs_ = 0;
    held_ = false;
}

void ShadowGap::AudioStarted()
{
    // The line counts from its sound; waiting for the engine is no part of it.
    if (std::exchange(heard_, true) || waiting_)
        return;
    lineStart_ = clock_->TimeOfDay();
    heldMs_ = 0;
    if (held_)
        heldSince_ = lineStart_;
}

bool ShadowGap::Wait(int percent, std::function<void()> next)
{
    Cancel();
    int held = heldMs_ + (held_ ? Since(heldSince_) : 0);
    lineMs_ = qMax(0, Since(lineStart_) - held);
    gapMs_ = int(qint64(lineMs_) * percent / 100);
    if (gapMs_ <= 0)
        return false;
    next_ = std::move(next);
    waiting_ = true;
    remainingMs_ = gapMs_;
    // A line that ended while paused leaves the whole gap held.
    if (!held_)
        timer_.start(remainingMs_);
    return true;
}

void ShadowGap::Cancel()
{
    timer_.stop();
    waiting_ = false;
    next_ = nullptr;
}

void ShadowGap::Hold()
{
    if (held_)
        return;
    held_ = true;
    heldSince_ = clock_->TimeOfDay();
    if (waiting_ && timer_.isActive()) {
        remainingMs_ = qMax(0, timer_.remainingTime());
        timer_.stop();
    }
}

void ShadowGap::Release()
{
    if (!held_)
        return;
    held_ = false;
    if (waiting_) {
        // The rest of the gap, not a new one.
        timer_.start(remainingMs_);
        return;
    }
    heldMs_ += Since(heldSince_);
}

void ShadowGap::Done()
{
    if (!waiting_)
        return;
    waiting_ = false;
    std::function<void()> next = std::exchange(next_, nullptr);
    if (next)
        next();
}
