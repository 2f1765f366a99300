#include "music/MusicController.h"

#include "lrc/LrcController.h"

#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <climits>

int MusicController::WallMs(std::int64_t trackMs) const
{
    const int speed = std::max(1, state.StudySpeedPercent);
    return int(std::clamp<std::int64_t>(trackMs * 100 / speed, 0, INT_MAX));
}

void MusicController::MusicSpeedApply()
{
    if (device_.SpeedPercent() == state.StudySpeedPercent)
        return;
    device_.SetSpeed(state.StudySpeedPercent);
    if (!Playing())
        return;   // a resume or a start re-aims everything
    ArmRangeEnd();
    std::int64_t position = 0;
    if (!state.LrcText.isEmpty() && peers.lrc && device_.Position(position) == DeviceResult::Success)
        peers.lrc->LrcTextDisplayRestart(position);
}

void MusicController::MusicRangeHold()
{
    if (!Playing())
        return;
    DisarmRangeEnd();
    device_.Pause();
    AimPlayEnd();
    device_.Seek(state.StartTime);
    state.PositionTimeMiriSecond = 0;
    ui.musicPositionSlider->setValue(state.StartTime);
    // The lines go back to the range's first line and wait there: a resume
    // aims the next line from the device, as after any pause.
    Synchronise();
    LrcTimerStop();
}

void MusicController::MusicRangeRelease()
{
    if (!Playing())
        return;
    const int code = device_.Play();
    Synchronise();
    if (!Examined(code))
        ShowDeviceError();
    else
        ArmRangeEnd();
}

void MusicController::MusicLyricsMoved()
{
    if (!peers.lrc || state.LrcText.isEmpty() || (!Playing() && !Paused()))
        return;
    std::int64_t position = 0;
    if (device_.Position(position) == DeviceResult::Success)
        peers.lrc->LrcTextResync(position);
}

bool MusicController::MusicPlayedPosition(std::int64_t& trackMs)
{
    if (!Playing() && !Paused())
        return false;
    std::int64_t position = 0;
    if (device_.Position(position) != DeviceResult::Success)
        return false;
    trackMs = position - (state.lrcAdjustment == Switch::On ? state.LrcMp3TimeAdjustment : 0);
    return true;
}

void MusicController::MusicPlayFrom(std::int64_t trackMs)
{
    if (!Playing() && !Paused())
        return;
    if (Paused())
        MusicPause();   // resumes; the seek below moves it
    const std::int64_t a = state.lrcAdjustment == Switch::On ? state.LrcMp3TimeAdjustment : 0;
    const std::int64_t target = std::clamp<std::int64_t>(trackMs + a, 0, std::max(0, state.PlayTimeMiriSecond - 1));
    DisarmRangeEnd();
    const int code = SeekAndPlay(target);
    ui.musicPositionSlider->setValue(int(target));
    if (!Examined(code)) {
        ShowDeviceError();
        return;
    }
    if (peers.lrc && !state.LrcText.isEmpty())
        peers.lrc->LrcTextResync(target);
    ArmRangeEnd();
}
