#pragma once

#include "support/FakeAudioDevice.h"
#include "support/FakeMixer.h"

// A device and a mixer for a player that a test never lets reach the sound
// services; a base class so they exist before the player is built.
struct MusicFakes
{
    FakeAudioDevice device;
    FakeMixer mixer;
};
