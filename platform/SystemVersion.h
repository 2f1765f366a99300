#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

// The system version the program reasons with: it chooses the speech engine
// (6.2 and 6.3 mean the desktop speech service, anything else the built-in
// voice).
struct OsVersionInfo
{
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t servicePackMajor = 0;
};

class SystemVersion
{
public:
    virtual ~SystemVersion() = default;
    // The version the platform reports to the program.
    virtual OsVersionInfo Reported() const = 0;
    // Whether the running system is at least this version (major, then
    // minor, then service pack, each compared greater-or-equal).
    virtual bool VerifyVersionInfo(const OsVersionInfo& atLeast) const = 0;
};

// The desktop counts as 6.3 when its speech service is usable (Qt's
// "speechd" engine is installed and speech-dispatcher is running or can be
// started), else as 6.1. Like an older program on a newer system, it
// reports 6.2 and lets the version test tell 6.3. The check never waits on
// the service itself.
class LinuxSystemVersion : public SystemVersion
{
public:
    LinuxSystemVersion();
    explicit LinuxSystemVersion(bool speechServiceUsable);
    OsVersionInfo Reported() const override;
    bool VerifyVersionInfo(const OsVersionInfo& atLeast) const override;

    static bool SpeechServiceUsable();
    // The same judgement from what it looks at: Qt's speech engines, the
    // runtime folder (a running service has its socket there) and whether
    // the service's program is installed (the client starts it on demand).
    static bool SpeechServiceUsable(const QStringList& engines, const QString& runtimeFolder,
                                    bool serviceInstalled);

private:
    OsVersionInfo actual_;
};

// True when `version` is at least `atLeast`, most significant part first.
bool VersionAtLeast(const OsVersionInfo& version, const OsVersionInfo& atLeast);
