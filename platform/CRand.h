#pragma once

#include <cstdint>

// The C runtime's classic 15-bit generator (values 0..32767), never seeded,
// so a run draws the same sequence as the program always has. One instance,
// Shared(), serves random play and the random picture; a test makes its own.
class CRand
{
public:
    static constexpr int Max = 0x7FFF;

    explicit CRand(std::uint32_t seed = 1) : x_(seed) {}

    int Next()
    {
        x_ = x_ * 214013u + 2531011u;
        return static_cast<int>((x_ >> 16) & 0x7FFFu);
    }

    std::uint32_t State() const { return x_; }

    static CRand& Shared();

private:
    std::uint32_t x_;
};
