#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// A repetition ladder: each pass over a practised line at its own speed,
// e.g. 0.75× → 1.0× → 1.25×. Plain arithmetic, so tests drive it alone.
namespace StudyLadder {

enum class Preset : std::int32_t { None = 0, SlowToFast = 1, SlowToNormal = 2, NormalToFast = 3 };
constexpr std::int32_t kLastPreset = 3;

// The speeds of a preset in percent, one per pass; empty for None or a
// value that names no preset.
std::vector<int> Speeds(std::int32_t preset);

// The menu's text: "0.75→1.0→1.25倍".
QString Name(std::int32_t preset);

// The speed of pass `pass` (from 0): the ladder's step, from the top again
// after its last one; `fixed` without a ladder.
int SpeedOfPass(const std::vector<int>& speeds, int pass, int fixed);

// How long a pass over `trackMs` of the song lasts at `speedPercent`.
std::int64_t PassWallMs(std::int64_t trackMs, int speedPercent);

// Voice rates run from MinRate to MaxRate, each step a factor of 3^(1/10).
constexpr int MinRate = -5;
constexpr int MaxRate = 5;

// The voice rate for reading pass `pass` of a line: the learner's `rate`
// moved by the rate step nearest to the pass's speed, within the voice's
// range; `rate` itself without a ladder.
int RateOfPass(const std::vector<int>& speeds, int pass, int rate);

} // namespace StudyLadder
