#include "platform/SystemVersion.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextToSpeech>

using namespace Qt::StringLiterals;

bool VersionAtLeast(const OsVersionInfo& version, const OsVersionInfo& atLeast)
{
    if (version.major != atLeast.major)
        return version.major > atLeast.major;
    if (version.minor != atLeast.minor)
        return version.minor > atLeast.minor;
    return version.servicePackMajor >= atLeast.servicePackMajor;
}

bool LinuxSystemVersion::SpeechServiceUsable()
{
    if (!QTextToSpeech::availableEngines().contains(u"speechd"_s))
        return false;
    // A running service has its socket; otherwise the client library starts
    // the daemon on first use, which needs the program to be installed.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QFileInfo::exists(runtime + u"/speech-dispatcher/speechd.sock"_s))
        return true;
    return !QStandardPaths::findExecutable(u"speech-dispatcher"_s).isEmpty();
}

LinuxSystemVersion::LinuxSystemVersion()
{
    actual_ = SpeechServiceUsable() ? OsVersionInfo{6, 3, 0} : OsVersionInfo{6, 1, 0};
}

OsVersionInfo LinuxSystemVersion::Reported() const
{
    if (actual_.major == 6 && actual_.minor >= 2)
        return {6, 2, 0};
    return actual_;
}

bool LinuxSystemVersion::VerifyVersionInfo(const OsVersionInfo& atLeast) const
{
    return VersionAtLeast(actual_, atLeast);
}
