#include "platform/AlsaMixer.h"

#include <alsa/asoundlib.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace {

int Code(int alsaResult)
{
    return alsaResult < 0 ? -alsaResult : 0;
}

} // namespace

AlsaMixer::AlsaMixer(QByteArray card, QByteArray element)
    : card_(std::move(card))
    , element_(std::move(element))
{
}

AlsaMixer::~AlsaMixer()
{
    Close();
}

int AlsaMixer::Open()
{
    Close();
    snd_mixer_t* mixer = nullptr;
    if (const int r = snd_mixer_open(&mixer, 0); r < 0)
        return Code(r);
    int r = snd_mixer_attach(mixer, card_.constData());
    if (r >= 0)
        r = snd_mixer_selem_register(mixer, nullptr, nullptr);
    if (r >= 0)
        r = snd_mixer_load(mixer);
    if (r < 0) {
        snd_mixer_close(mixer);
        return Code(r);
    }
    mixer_ = mixer;
    return DeviceResult::Success;
}

int AlsaMixer::FindVolume(VolumeControl& control)
{
    if (!mixer_)
        return EBADF;
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_selem_id_set_name(id, element_.constData());
    snd_mixer_elem_t* elem = snd_mixer_find_selem(mixer_, id);
    if (!elem || !snd_mixer_selem_has_playback_volume(elem))
        return ENOENT;
    long minimum = 0;
    long maximum = 0;
    if (const int r = snd_mixer_selem_get_playback_volume_range(elem, &minimum, &maximum); r < 0)
        return Code(r);
    if (maximum <= minimum)
        return ERANGE;
    elem_ = elem;
    control.id = std::int32_t(snd_mixer_selem_get_index(elem));
    control.minimum = std::int32_t(minimum);
    control.maximum = std::int32_t(maximum);
    return DeviceResult::Success;
}

int AlsaMixer::SetValue(const VolumeControl&, std::int32_t value)
{
    if (!elem_)
        return EBADF;
    return Code(snd_mixer_selem_set_playback_volume_all(elem_, value));
}

int AlsaMixer::GetValue(const VolumeControl&, std::int32_t& value)
{
    if (!elem_)
        return EBADF;
    // Take in what the sound server now holds rather than our own copy.
    if (const int r = snd_mixer_handle_events(mixer_); r < 0)
        return Code(r);
    for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c) {
        const auto channel = snd_mixer_selem_channel_id_t(c);
        if (!snd_mixer_selem_has_playback_channel(elem_, channel))
            continue;
        long v = 0;
        if (const int r = snd_mixer_selem_get_playback_volume(elem_, channel, &v); r < 0)
            return Code(r);
        value = std::int32_t(v);
        return DeviceResult::Success;
    }
    return ENOENT;
}

void AlsaMixer::Close()
{
    elem_ = nullptr;
    if (mixer_) {
        snd_mixer_close(mixer_);
        mixer_ = nullptr;
    }
}
