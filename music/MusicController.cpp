#include "music/MusicController.h"

#include "lrc/LrcController.h"
#include "music/MusicTimes.h"
#include "platform/FileErrors.h"
#include "platform/RegularFile.h"
#include "platform/SystemColors.h"

#include <QFile>
#include <QFileInfo>

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
// A range end reached a hair early (the device clock lags the timer) is
// checked again; past this many retries the poll takes over.
constexpr int MaxRangeEndRetries = 20;

// Why path is no file to play, or empty. The device opens the file itself,
// and a FIFO or a device named .wav would hold the window in that open for
// good, so anything there other than a regular file is refused first, and
// the name is tried without blocking. A name that cannot be looked at is
// left to the device, which says why.
QString NotPlayable(const QString& path)
{
    int error = 0;
    const int fd = RegularFile::OpenForReading(path, error);
    if (fd >= 0) {
        ::close(fd);
        return {};
    }
    if (error == 0)
        return FileErrors::NotRegularReason();
    // A missing or unreadable file is the device's to report.
    return error == EISDIR ? FileErrors::Reason(EISDIR) : QString();
}
}

MusicController::MusicController(const Context& context, AudioDevice& device, Mixer& mixer, CRand& rand)
    : Controller(context), device_(device), mixer_(mixer), rand_(rand), rangeEndTimer_(std::make_unique<QTimer>())
{
    rangeEndTimer_->setObjectName(u"rangeEndTimer"_s);
    rangeEndTimer_->setSingleShot(true);
    rangeEndTimer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(rangeEndTimer_.get(), &QTimer::timeout, rangeEndTimer_.get(), [this] { RangeEndReached(); });
    // A failure met while playing (file gone, output lost) ends like any
    // examined command that fails.
    device_.onError = [this](int code) {
        if (state.audioState == AudioState::Closed)
            return;
        state.deviceError = code;
        ShowDeviceError();
    };
    // The range's end is about to be heard: decide now, so that a replay
    // follows on without a gap.
    device_.onPlayEnd = [this] {
        if (!Playing() || state.playRange == PlayRange::Off)
            return;
        rangeEndTimer_->stop();
        atPlayEnd_ = true;
        MusicLoopControl();
        atPlayEnd_ = false;
    };
}

MusicController::~MusicController()
{
    device_.onError = nullptr;
    device_.onPlayEnd = nullptr;
}

bool MusicController::Examined(int code)
{
    state.deviceError = code;
    return code == DeviceResult::Success;
}

void MusicController::Synchronise()
{
    if (peers.lrc)
        peers.lrc->TrackBarLrcTextTimerIni();
}

void MusicController::ForgetSong()
{
    // A song that did not open keeps neither its name nor its lyrics.
    if (ui.songNameLabel)
        ui.songNameLabel->clear();
    state.LrcText.clear();
}

void MusicController::LrcClear()
{
    if (peers.lrc)
        peers.lrc->LrcTextClear();
}

void MusicController::LrcTimerStop()
{
    if (peers.lrc)
        peers.lrc->LrcTimerOnStop();
}

void MusicController::OpenLrcDisplayWhenNeeded()
{
    if (state.LrcText.isEmpty() || !peers.lrc)
        return;
    if (state.lyricWindowState == LyricWindowState::Hidden) {
        peers.lrc->LrcDisplayOpen();
        peers.lrc->LrcTextClear();
        state.lyricWindowState = LyricWindowState::Shown;
    }
    peers.lrc->TrackBarLrcTextTimerIni();
}

std::int64_t MusicController::TimeOfProperty(const QString& path)
{
    if (!path.contains(u".mp3"_s))
        return 0;
    return Mp3Duration(path);
}

void MusicController::MusicStart(const QString& path, const QString& /*name*/)
{
    if (onTrackStart)
        onTrackStart();
    LrcTimerStop();
    SystemColors::SetBackColor(ui.musicPauseButton, SystemColors::ControlLight());
    if (state.audioState != AudioState::Closed)
        CloseDevice();
    state.songPath = path;
    if (const QString reason = NotPlayable(path); !reason.isEmpty()) {
        prompter.MessageInfoBox(FileErrors::Message(FileErrors::Doing::Play, path, reason));
        ForgetSong();
        return;
    }

    const bool mp3 = path.contains(u".mp3"_s);
    std::int64_t length = 0;
    if (!Examined(device_.Open(path, mp3 ? AudioDevice::Kind::Mpeg : AudioDevice::Kind::Waveform))
        || !Examined(device_.Length(length))) {
        ShowDeviceError();
        ForgetSong();
        return;
    }
    length = std::clamp<std::int64_t>(length, 0, INT32_MAX);
    if (mp3) {
        state.LrcMp3TimeAdjustment = std::int32_t((length - TimeOfProperty(path)) / 1000 * 1000);
        state.audioState = AudioState::Mp3Playing;
    } else {
        state.LrcMp3TimeAdjustment = 0;
        state.audioState = AudioState::WavePlaying;
    }

    state.audioDeviceOpen = Switch::On;
    state.StartTime = 0;
    state.EndingTime = state.PlayTimeMiriSecond = std::int32_t(length);
    state.PositionTimeMiriSecond = 0;
    ElapsedTimeDisplay(0, double(length));
    state.Second = double(length) / 1000.0;
    ui.rangeStartLabel->setText(MusicTimes::StartLabel(0));
    ui.rangeEndLabel->setText(MusicTimes::EndLabel(state.Second));

    device_.Seek(0);
    const int played = device_.Play();
    try {
        OpenLrcDisplayWhenNeeded();
    } catch (const std::exception& e) {
        prompter.MessageInfoBox(QString::fromLocal8Bit(e.what()));
    }
    if (!Examined(played)) {
        ShowDeviceError();
        return;
    }

    ui.musicPollTimer->start();
    ui.musicPositionSlider->setMaximum(state.PlayTimeMiriSecond);
    ui.musicPositionSlider->setValue(0);
    ui.musicPositionSlider->setEnabled(true);
    for (QPushButton* b : {ui.rangeEndSetButton, ui.rangeStartSetButton, ui.rangeStartClearButton, ui.rangeEndClearButton})
        b->setEnabled(true);
    ArmRangeEnd();
    if (onPlayStarted)
        onPlayStarted();
}

int MusicController::SeekAndPlay(std::int64_t target)
{
    AimPlayEnd();
    device_.Seek(target);
    return device_.Play();
}

void MusicController::MusicSeekAndPlaySub()
{
    std::int64_t target = ui.musicPositionSlider->value();
    if (state.playRange != PlayRange::Off && state.StartTime >= state.PositionTimeMiriSecond) {
        target = state.StartTime;
        ui.musicPositionSlider->setValue(state.StartTime);
        ElapsedTimeDisplay(target, state.PlayTimeMiriSecond);
    }
    state.deviceError = SeekAndPlay(target);
}

int MusicController::RestartFromRangeStart()
{
    // At the end of a track the slider sits at its maximum, so a restart
    // from the slider would replay nothing: restarts go to the range start.
    const std::int32_t target = state.playRange != PlayRange::Off ? state.StartTime : 0;
    state.PositionTimeMiriSecond = 0;
    ui.musicPositionSlider->setValue(target);
    // The label goes with the slider, not a poll later: a pause in between
    // would leave it telling the old place.
    ElapsedTimeDisplay(target, state.PlayTimeMiriSecond);
    return SeekAndPlay(target);
}

void MusicController::MusicPlay()
{
    bool started = false;
    if (Playing()) {
        if (onHalt)
            onHalt();   // a restart ends a practice gap: the line plays now
        device_.Stop();
        const int played = RestartFromRangeStart();
        LrcClear();
        Synchronise();
        if (!Examined(played)) {
            ShowDeviceError();
        } else {
            ArmRangeEnd();
        }
    } else if (Paused()) {
        Resume();
    } else if (Stopped()) {
        state.audioState = PlayingState();
        bool opened = true;
        try {
            OpenLrcDisplayWhenNeeded();
        } catch (const std::exception& e) {
            prompter.MessageInfoBox(QString::fromLocal8Bit(e.what()));
            opened = false;
        }
        if (opened) {
            MusicSeekAndPlaySub();
            if (state.deviceError != DeviceResult::Success) {
                ShowDeviceError();
            } else {
                ui.musicPollTimer->start();
                ArmRangeEnd();
                started = true;
            }
        }
    }
    state.PositionTimeMiriSecond = 0;
    if (started && onPlayStarted)
        onPlayStarted();
}

void MusicController::Resume()
{
    SystemColors::SetBackColor(ui.musicPauseButton, SystemColors::ControlLight());
    int code = DeviceResult::Success;
    if (state.pausedMove == PausedMove::Moved) {
        // The slider moved while paused: start afresh from where it sought.
        state.pausedMove = PausedMove::None;
        code = device_.Play();
        state.audioState = PlayingState();
        Synchronise();
    } else {
        code = device_.Resume();
        if (code == DeviceResult::Success && !state.LrcText.isEmpty()) {
            std::int64_t position = 0;
            code = device_.Position(position);
            if (code == DeviceResult::Success && peers.lrc)
                peers.lrc->LrcTextDisplayRestart(position);
        }
        state.audioState = PlayingState();
    }
    if (!Examined(code)) {
        ShowDeviceError();
        return;
    }
    ui.musicPollTimer->start();
    ArmRangeEnd();
}

void MusicController::MusicPause()
{
    if (onHalt)
        onHalt();
    ui.musicPollTimer->stop();
    if (Playing()) {
        SystemColors::SetBackColor(ui.musicPauseButton, SystemColors::ActiveCaption());
        const int code = device_.Pause();
        LrcTimerStop();
        DisarmRangeEnd();
        if (!Examined(code))
            ShowDeviceError();
        else
            state.audioState = PlayingState() + 1;
    } else if (Paused()) {
        Resume();
    }
}

void MusicController::MusicStop()
{
    if (onHalt)
        onHalt();
    ui.musicPollTimer->stop();
    DisarmRangeEnd();
    state.lrcAdjustment = Switch::Off;
    LrcTimerStop();
    ui.musicPositionSlider->setValue(0);
    state.PositionTimeMiriSecond = 0;
    ElapsedTimeDisplay(0, state.PlayTimeMiriSecond);
    SystemColors::SetBackColor(ui.musicPauseButton, SystemColors::ControlLight());
    if (Playing() || Paused()) {
        LrcClear();
        ui.lrcCloseTimer->start();
        const int stopped = PlayingState() + 2;
        if (!Examined(device_.Stop()))
            ShowDeviceError();
        else
            state.audioState = stopped;
    }
}

void MusicController::MusicRangePlay()
{
    if (!Playing())
        return;
    // At the range's end the sound runs on into the replay without a gap.
    if (!atPlayEnd_)
        device_.Stop();
    const int played = RestartFromRangeStart();
    Synchronise();
    if (!Examined(played))
        ShowDeviceError();
    else
        ArmRangeEnd();
}

void MusicController::CloseDevice()
{
    if (onHalt)
        onHalt();
    device_.Close();
    state.audioState = AudioState::Closed;
    state.audioDeviceOpen = Switch::Off;
    state.StartTime = state.EndingTime = state.PositionTimeMiriSecond = state.PlayTimeMiriSecond = 0;
    ElapsedTimeDisplay(0, 0);
    ui.musicPollTimer->stop();
    DisarmRangeEnd();
    ui.musicPositionSlider->setValue(0);
    if (state.lyricWindowState != LyricWindowState::Hidden) {
        if (peers.lrc)
            peers.lrc->LrcDisplayClose();
        state.lyricWindowState = LyricWindowState::Hidden;
    }
}

void MusicController::ShowDeviceError()
{
    // The device's own words say what went wrong; the song's name (the
    // played file may be a tag-less copy) says with what.
    const QString shown = ui.songNameLabel ? ui.songNameLabel->text() : QString();
    const QString song = shown.isEmpty() ? QFileInfo(state.songPath).fileName() : shown;
    const QString text = u"「"_s + song + u"」を再生できませんでした。\n"_s + device_.ErrorText(state.deviceError);
    CloseDevice();
    prompter.MessageInfoBox(text);
}

void MusicController::ElapsedTimeDisplay(double position, double length)
{
    const std::int32_t adjustment = state.lrcAdjustment == Switch::On ? state.LrcMp3TimeAdjustment : 0;
    ui.elapsedTimeLabel->setText(MusicTimes::Elapsed(position, length, adjustment));
}

void MusicController::MusicPollTick()
{
    std::int64_t position = 0;
    if (!Examined(device_.Position(position))) {
        ShowDeviceError();
        return;
    }
    ui.musicPositionSlider->setValue(int(std::clamp<std::int64_t>(position, 0, INT32_MAX)));
    ElapsedTimeDisplay(double(position), state.PlayTimeMiriSecond);
    if ((state.playRange == PlayRange::Off && position >= state.PlayTimeMiriSecond)
        || (state.playRange != PlayRange::Off && position >= state.EndingTime))
        MusicLoopControl();
}

void MusicController::trackBarMovementStart()
{
    if (!Playing())
        return;
    device_.Pause();
    LrcTimerStop();
    ui.musicPollTimer->stop();
    DisarmRangeEnd();
}

void MusicController::trackBarMovement()
{
    // Raised before the slider's value follows: show where it is going.
    ElapsedTimeDisplay(ui.musicPositionSlider->sliderPosition(), state.PlayTimeMiriSecond);
}

void MusicController::trackBarMovementEnd()
{
    int v = ui.musicPositionSlider->value();
    if (state.playRange == PlayRange::On && state.StartTime > v) {
        v = state.StartTime;
        ui.musicPositionSlider->setValue(v);
    }
    AimPlayEnd();
    device_.Seek(v);
    state.PositionTimeMiriSecond = v;
    state.pausedMove = PausedMove::None;
    if (Playing()) {
        if (onHalt)
            onHalt();   // a seek ends a practice gap: the song plays from there
        device_.Play();
        Synchronise();
        ui.musicPollTimer->start();
        ArmRangeEnd();
    } else if (Paused()) {
        ElapsedTimeDisplay(v, state.PlayTimeMiriSecond);
        Synchronise();
        state.pausedMove = PausedMove::Moved;
    } else if (Stopped()) {
        try {
            OpenLrcDisplayWhenNeeded();
        } catch (const std::exception& e) {
            prompter.MessageInfoBox(QString::fromLocal8Bit(e.what()));
        }
    }
}

void MusicController::PositionSliderWheel(int delta)
{
    QSlider* slider = ui.musicPositionSlider;
    if (!slider->isEnabled())
        return;   // no song yet: nothing to move
    if (delta < 0 && slider->value() < slider->maximum())
        slider->setValue(std::min(slider->value() + 500, slider->maximum()));
    else if (delta > 0 && slider->value() > slider->minimum())
        slider->setValue(std::max(slider->value() - 500, slider->minimum()));
    else if (delta == 0)
        return;
    trackBarMovement();
    trackBarMovementEnd();
}

void MusicController::PositionSliderFocus(bool entered)
{
    SystemColors::SetBackColor(ui.musicPositionSlider, entered ? SystemColors::ActiveCaption() : SystemColors::WindowFrame());
}

bool MusicController::AimPlayEnd()
{
    const bool partOfTrack = state.StartTime != 0 || state.EndingTime != state.PlayTimeMiriSecond;
    return device_.SetPlayEnd(state.playRange != PlayRange::Off && partOfTrack ? state.EndingTime : -1);
}

void MusicController::ArmRangeEnd()
{
    rangeEndTimer_->stop();
    rangeEndRetries_ = 0;
    const bool deviceEnds = AimPlayEnd();
    if (!Playing() || state.playRange == PlayRange::Off)
        return;
    if (state.StartTime == 0 && state.EndingTime == state.PlayTimeMiriSecond)
        return;   // the whole track: the poll's end-of-track decision serves
    std::int64_t position = 0;
    if (device_.Position(position) != DeviceResult::Success)
        return;   // the poll meets the failure and reports it
    if (deviceEnds && position < state.EndingTime)
        return;   // the device stops there and says so
    const std::int64_t left = state.EndingTime - position;
    if (left > 0)
        rangeEndTimer_->start(WallMs(left));
}

void MusicController::DisarmRangeEnd()
{
    rangeEndTimer_->stop();
}

void MusicController::RangeEndReached()
{
    if (!Playing() || state.playRange == PlayRange::Off)
        return;
    std::int64_t position = 0;
    if (!Examined(device_.Position(position))) {
        ShowDeviceError();
        return;
    }
    if (position >= state.EndingTime) {
        MusicLoopControl();
        return;
    }
    if (++rangeEndRetries_ > MaxRangeEndRetries)
        return;
    rangeEndTimer_->start(std::max(1, WallMs(state.EndingTime - position)));
}
