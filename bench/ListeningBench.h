#pragma once

// What the benches that listen at the output share: the session's default
// sink recorded through its monitor, a home of their own, and the program's
// window playing through the real audio device.

#include "app/MyForm.h"
#include "music/MusicController.h"
#include "platform/AlsaMixer.h"
#include "platform/GstAudioDevice.h"
#include "support/ScriptedPrompter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace ListeningBench {

// The monitor of the session's default sink, 16-bit mono at the rate given.
class Monitor
{
public:
    explicit Monitor(int rate) : rate_(rate) {}

    bool start()
    {
        QObject::connect(&p_, &QProcess::readyReadStandardOutput, &p_, [this] { data_ += p_.readAllStandardOutput(); });
        p_.start(QStringLiteral("parec"),
                 {QStringLiteral("-d"), QStringLiteral("@DEFAULT_MONITOR@"), QStringLiteral("--raw"),
                  QStringLiteral("--format=s16le"), QStringLiteral("--rate=%1").arg(rate_),
                  QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=10")});
        if (!p_.waitForStarted(5000))
            return false;
        QElapsedTimer t;
        t.start();
        while (data_.isEmpty() && t.elapsed() < 5000)
            p_.waitForReadyRead(100);
        return !data_.isEmpty();
    }
    ~Monitor()
    {
        p_.terminate();
        if (!p_.waitForFinished(3000))
            p_.kill();
        p_.waitForFinished(3000);
    }
    qsizetype size() const { return data_.size() / 2; }
    const qint16* samples() const { return reinterpret_cast<const qint16*>(data_.constData()); }

private:
    int rate_;
    QProcess p_;
    QByteArray data_;
};

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
inline bool StartMonitor(Monitor& monitor, const char* bench)
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
