#pragma once

#include "platform/Clock.h"

#include <QTimer>

#include <functional>
#include <memory>

// The silence after a read line in which the learner says it again: as long
// as the line took (its sound, pauses left out) times a factor. It measures
// each line from the moment it is heard (or handed to the engine, when the
// engine does not say) to its end, then waits before the reading goes on.
// A pause holds the line's clock or the gap; Cancel drops the gap.
class ShadowGap
{
public:
    ShadowGap();

    // Tests measure lines with a clock of their own; the gap itself always
    // waits in real time.
    void setClock(std::unique_ptr<Clock> clock);

    // A line went to the engine, and its first sound was heard.
    void LineStarted();
    void AudioStarted();

    // The line ended: waits percent of its length, then calls next. False
    // (next not called) when that comes to no gap.
    bool Wait(int percent, std::function<void()> next);
    bool Waiting() const { return waiting_; }
    void Cancel();

    // Pause and resume, in the line or in the gap.
    void Hold();
    void Release();

    // The last line's length and its gap, in ms.
    int LineMs() const { return lineMs_; }
    int GapMs() const { return gapMs_; }

private:
    int Since(std::int32_t from) const;
    void Done();

    std::unique_ptr<Clock> clock_;
    QTimer timer_;
    std::function<void()> next_;
    std::int32_t lineStart_ = 0;
    bool heard_ = false;
    int heldMs_ = 0;             // pauses within the line
    bool held_ = false;
    std::int32_t heldSince_ = 0;
    bool waiting_ = false;
    int remainingMs_ = 0;        // of a held gap
    int lineMs_ = 0;
    int gapMs_ = 0;
};
