#pragma once

#include <QElapsedTimer>

#include <cstdint>

// The clock that paces the synchronized text, in ms within one day (0 to
// 86 399 999), as the line timer's arithmetic expects.
class Clock
{
public:
    static constexpr std::int32_t kDay = 86'400'000;

    virtual ~Clock() = default;
    virtual std::int32_t TimeOfDay() const = 0;
};

// A monotonic count folded into one day: a change of the wall clock (summer
// time, a time sync) never moves the lines, and the day-wrap correction the
// line timer makes still holds on a machine that has been up for weeks.
class MonotonicClock : public Clock
{
public:
    MonotonicClock() { timer_.start(); }
    std::int32_t TimeOfDay() const override { return std::int32_t(timer_.elapsed() % kDay); }

private:
    QElapsedTimer timer_;
};
