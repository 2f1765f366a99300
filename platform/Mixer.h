#pragma once

#include "core/State.h"

#include <cstdint>

// The desktop's master volume. Each step answers DeviceResult::Success or an
// error number; the caller runs them in order (open, find, write, read back,
// close) and compares.
class Mixer
{
public:
    struct VolumeControl
    {
        std::int32_t id = 0;
        std::int32_t minimum = 0;
        std::int32_t maximum = 0;
    };

    virtual ~Mixer() = default;

    // Checks that a mixer exists and opens it.
    virtual int Open() = 0;
    // Finds the master playback volume control and its bounds.
    virtual int FindVolume(VolumeControl& control) = 0;
    // Writes one value to every channel of the control.
    virtual int SetValue(const VolumeControl& control, std::int32_t value) = 0;
    // Reads the value back (the first channel).
    virtual int GetValue(const VolumeControl& control, std::int32_t& value) = 0;
    virtual void Close() = 0;
};

#include <memory>

// The desktop's master-volume mixer for the main window.
std::unique_ptr<Mixer> CreateMixer();
