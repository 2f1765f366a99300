#pragma once

#include "platform/Mixer.h"

#include <QByteArray>

typedef struct _snd_mixer snd_mixer_t;
typedef struct _snd_mixer_elem snd_mixer_elem_t;

// The master volume over the ALSA simple mixer: a card (by default the
// "default" one, which a desktop routes to its sound server) and a playback
// volume element (by default "Master"). Each step answers 0 or a positive
// ALSA error number.
class AlsaMixer : public Mixer
{
public:
    explicit AlsaMixer(QByteArray card = "default", QByteArray element = "Master");
    ~AlsaMixer() override;
    AlsaMixer(const AlsaMixer&) = delete;
    AlsaMixer& operator=(const AlsaMixer&) = delete;

    int Open() override;
    int FindVolume(VolumeControl& control) override;
    int SetValue(const VolumeControl& control, std::int32_t value) override;
    int GetValue(const VolumeControl& control, std::int32_t& value) override;
    void Close() override;

private:
    QByteArray card_;
    QByteArray element_;
    snd_mixer_t* mixer_ = nullptr;
    snd_mixer_elem_t* elem_ = nullptr;
};
