#include "music/MusicController.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>

void MusicController::MixerVolTrackBarDisp()
{
    state.mixerSliderShown = state.mixerSliderShown ? Switch::Off : Switch::On;
    ui.masterVolumeSlider->setVisible(state.mixerSliderShown);
    ui.masterVolumeLabel->setVisible(state.mixerSliderShown);
}

void MusicController::MixerVolSetting()
{
    // Called on a slider action, before the slider has moved: take the
    // position it is moving to.
    state.MixerVolume = ui.masterVolumeSlider->sliderPosition();
    ui.masterVolumeLabel->setText(QString::number(state.MixerVolume));
    mixerSetControl();
}

void MusicController::mixerSetControl()
{
    if (mixer_.Open() != DeviceResult::Success) {
        mixerSetError();
        return;
    }
    // Every step must succeed and the value must read back as the percent
    // written; a failure anywhere hides the controls for good.
    const bool ok = [&] {
        Mixer::VolumeControl control;
        if (mixer_.FindVolume(control) != DeviceResult::Success)
            return false;
        state.MixerVolMinimum = control.minimum;
        state.MixerVolMaximum = control.maximum;
        state.MixerVolumeControlID = control.id;
        const std::int64_t range = std::int64_t(control.maximum) - control.minimum;
        if (range <= 0)
            return false;
        const auto value = std::int32_t(range * state.MixerVolume / 100 + control.minimum);
        if (mixer_.SetValue(control, value) != DeviceResult::Success)
            return false;
        std::int32_t read = 0;
        if (mixer_.GetValue(control, read) != DeviceResult::Success || read < control.minimum)
            return false;
        const std::uint64_t percent = (std::uint64_t(read - std::int64_t(control.minimum)) * 100 + std::uint64_t(range) / 2)
            / std::uint64_t(range);
        return percent == std::uint64_t(state.MixerVolume);
    }();
    mixer_.Close();
    if (!ok)
        mixerSetError();
}

void MusicController::mixerSetError()
{
    for (QWidget* w : {static_cast<QWidget*>(ui.masterVolumeButton), static_cast<QWidget*>(ui.masterVolumeSlider), static_cast<QWidget*>(ui.masterVolumeLabel)}) {
        w->hide();
        w->setEnabled(false);
    }
}
