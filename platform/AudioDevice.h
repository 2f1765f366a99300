#pragma once

#include "core/State.h"

#include <QString>

#include <cstdint>
#include <functional>

// One music file at a time on the desktop's audio output. Every command
// answers DeviceResult::Success or an error code; ErrorText gives the words
// for a code.
// Lengths and positions are in milliseconds.
class AudioDevice
{
public:
    // How the file is opened: MPEG audio, or any other audio (WAV and the like).
    enum class Kind { Mpeg, Waveform };

    virtual ~AudioDevice() = default;

    // Opens the file and waits (bounded) until it is ready to play, so its
    // length is known at once. A device already open is closed first.
    virtual int Open(const QString& path, Kind kind) = 0;
    virtual bool IsOpen() const = 0;

    virtual int Length(std::int64_t& ms) = 0;
    // After the end of the stream the position is no less than the length.
    virtual int Position(std::int64_t& ms) = 0;
    // Flushing and accurate: the next play starts at the target.
    virtual int Seek(std::int64_t ms) = 0;
    // Plays from the current position to the end and returns at once.
    virtual int Play() = 0;
    virtual int Pause() = 0;
    virtual int Resume() = 0;
    // Halts without rewinding.
    virtual int Stop() = 0;
    virtual int Close() = 0;
    // Playback speed in percent of normal, the pitch kept. It goes with
    // every seek; an open device takes it at once where it is. Positions
    // and lengths stay in the track's own time.
    virtual int SetSpeed(int percent)
    {
        speedPercent_ = percent;
        return DeviceResult::Success;
    }
    int SpeedPercent() const { return speedPercent_; }

    // Where playback is to stop, in ms of the track (a play range's end), or
    // -1 for the end of the track. True when the device stops the sound
    // there itself, at any speed, and calls onPlayEnd just before the end is
    // heard; false leaves timing the end to the caller. Seeks carry it.
    virtual bool SetPlayEnd(std::int64_t ms)
    {
        (void)ms;
        return false;
    }
    // The play end is about to be heard. A seek made in here while playing
    // follows on from the end without a gap; otherwise the sound stops there.
    std::function<void()> onPlayEnd;

    virtual QString ErrorText(int code) const = 0;

    // A failure met while playing (a file gone, an output lost), reported on
    // the UI thread with its code; ErrorText has its words.
    std::function<void(int code)> onError;

protected:
    int speedPercent_ = 100;
};

// The exact duration of an MP3 file in ms from a full scan, 0 when it cannot
// be told.
std::int64_t Mp3Duration(const QString& path);

#include <memory>

// The desktop's audio device for the main window.
std::unique_ptr<AudioDevice> CreateAudioDevice();
