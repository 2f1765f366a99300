#include "platform/AlsaMixer.h"
#include "platform/AudioDevice.h"
#include "platform/GstAudioDevice.h"
#include "platform/Mixer.h"

// The desktop's implementations: GStreamer for playback, the ALSA mixer
// (routed to PulseAudio or PipeWire by the "pulse" plugin) for the volume.
std::unique_ptr<AudioDevice> CreateAudioDevice()
{
    return std::make_unique<GstAudioDevice>();
}

std::unique_ptr<Mixer> CreateMixer()
{
    return std::make_unique<AlsaMixer>();
}
