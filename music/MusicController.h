#pragma once

#include "core/Controller.h"
#include "platform/AudioDevice.h"
#include "platform/CRand.h"
#include "platform/Mixer.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QPushButton;
class QTimer;

// Music playback: the player and its position slider, play modes and range, and the master volume.
class MusicController : public Controller
{
public:
    MusicController(const Context& context, AudioDevice& device, Mixer& mixer, CRand& rand = CRand::Shared());
    ~MusicController() override;

    // The player (MusicController.cpp).
    virtual void MusicStart(const QString& path, const QString& name);
    virtual void MusicPlay();
    virtual void MusicPause();
    virtual void MusicStop();
    virtual void MusicRangePlay();
    virtual void MusicSeekAndPlaySub();
    virtual void CloseDevice();
    virtual void ShowDeviceError();
    virtual void ElapsedTimeDisplay(double position, double length);
    virtual std::int64_t TimeOfProperty(const QString& path);
    virtual void MusicPollTick();
    virtual void trackBarMovementStart();
    virtual void trackBarMovement();
    virtual void trackBarMovementEnd();
    virtual void PositionSliderWheel(int delta);
    virtual void PositionSliderFocus(bool entered);

    // Play modes, list navigation and range (MusicModes.cpp).
    virtual void MusicLoopControl();
    virtual void NextMusicPlay();
    virtual void BackMusicPlay();
    virtual void RepeatOneModeChosen();
    virtual void InOrderModeChosen();
    virtual void InOrderLoopModeChosen();
    virtual void RandomModeChosen();
    virtual void RangeEndSet();
    virtual void RangeStartSet();
    virtual void RangeStartClear();
    virtual void RangeEndClear();
    virtual void RangePlayToggled();

    // The play-mode buttons: all plain, or one of them showing the active mode.
    virtual void MusicPlayModeButtonColor();
    virtual void RepeatOneButtonActiveColor();
    virtual void InOrderButtonActiveColor();
    virtual void InOrderLoopButtonActiveColor();
    virtual void RandomPlayButtonActiveColor();
    // Paints the buttons for the current playMode (all plain for none).
    void ShowPlayMode();

    // The master volume (MusicMixer.cpp).
    virtual void MixerVolTrackBarDisp();
    virtual void MixerVolSetting();
    virtual void mixerSetControl();
    virtual void mixerSetError();

    // The study tools (MusicStudy.cpp).
    // Plays at StudySpeedPercent from where the device is, and re-aims the
    // range end and the line timer, which count in track time.
    virtual void MusicSpeedApply();
    // Holds playback silent at the range start, the lines showing the range,
    // while the state stays playing: the gap after a practised line.
    virtual void MusicRangeHold();
    // Plays on from where the hold left the device.
    virtual void MusicRangeRelease();
    // The lyric times have moved: the lines follow from where the device is.
    virtual void MusicLyricsMoved();
    // Where the song is now in track time (the MP3 adjustment taken off);
    // false when no song plays or the device cannot tell.
    virtual bool MusicPlayedPosition(std::int64_t& trackMs);
    // Plays on from `trackMs` of the song (track time), from a pause too.
    virtual void MusicPlayFrom(std::int64_t trackMs);
    // Asked at the end of a play range before it replays; true when the
    // study tools have taken over.
    std::function<bool()> onRangeEnd;
    // Told when a track start begins, and at a pause, a stop or a close.
    std::function<void()> onTrackStart;
    std::function<void()> onHalt;
    // Told when a track start or a Play from a stop has set the song going.
    std::function<void()> onPlayStarted;

    // The one-shot timer that ends a play range on time, between polls.
    QTimer* rangeEndTimer() const { return rangeEndTimer_.get(); }

protected:
    // The millisecond part of the local clock, for random play.
    virtual int ClockMillisecond() const;

private:
    bool Playing() const { return state.audioState == AudioState::WavePlaying || state.audioState == AudioState::Mp3Playing; }
    bool Paused() const { return state.audioState == AudioState::WavePaused || state.audioState == AudioState::Mp3Paused; }
    bool Stopped() const { return state.audioState == AudioState::WaveStopped || state.audioState == AudioState::Mp3Stopped; }
    int PlayingState() const
    {
        return state.audioState < AudioState::Mp3Playing ? AudioState::WavePlaying : AudioState::Mp3Playing;
    }

    // Runs a device command; a failure is kept in deviceError.
    bool Examined(int code);
    void Resume();
    void OpenLrcDisplayWhenNeeded();
    void Synchronise();
    void ForgetSong();
    void LrcClear();
    void LrcTimerStop();
    // Seeks to where a restart begins and plays: the range start with range
    // play on, else the start of the track.
    int RestartFromRangeStart();
    int SeekAndPlay(std::int64_t target);

    // Wall-clock ms for a stretch of track time at the current speed.
    int WallMs(std::int64_t trackMs) const;
    // Tells the device where a play range ends; true when it ends the range
    // there itself (onPlayEnd) rather than by the range-end timer.
    bool AimPlayEnd();
    void ArmRangeEnd();
    void DisarmRangeEnd();
    void RangeEndReached();

    void ToggleMode(int mode);
    void SelectMusicEntry();
    void ClearMusicEntrySelection();
    void MoveToCheckedEntry(int step);

    void HighlightModeButton(QPushButton* active);

    AudioDevice& device_;
    Mixer& mixer_;
    CRand& rand_;
    std::unique_ptr<QTimer> rangeEndTimer_;
    int rangeEndRetries_ = 0;
    bool atPlayEnd_ = false;   // deciding inside the device's onPlayEnd
};
