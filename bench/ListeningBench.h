#pragma once

// What the benches that listen at the output share: the session's default
// sink recorded through its monitor, a home of their own, and the program's
// window playing through the real audio device.

#include "app/MyForm.h"
#include "music/MusicController.h"
#include "platform/AlsaMixer.h"
#include "platform/GstAudioDevice.h"
#include "support/MonitorRecorder.h"
#include "support/ScriptedPrompter.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace ListeningBench {

// False, said on standard error, outside the private sound session.
inline bool InSoundSession(const char* bench)
{
    if (!qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        return true;
    std::fprintf(stderr, "%s: run inside scripts/audio-session\n", bench);
    return false;
}

// The program's settings and folders go to the home given.
inline void UseHome(const QTemporaryDir& home)
{
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(name, QFile::encodeName(home.path()));
}

// Starts the monitor; false, said on standard error, when it records nothing.
inline bool StartMonitor(MonitorRecorder& monitor, const char* bench)
{
    if (monitor.start())
        return true;
    std::fprintf(stderr, "%s: no monitor recording (parec)\n", bench);
    return false;
}

// The program's window with its player on the real audio device and mixer.
struct Player
{
    ScriptedPrompter prompter;
    MyForm form{prompter};
    GstAudioDevice device;
    AlsaMixer mixer;

    Player() { form.setMusic(std::make_unique<MusicController>(form.context(), device, mixer)); }
    MusicController& music() { return form.music(); }
};

} // namespace ListeningBench
