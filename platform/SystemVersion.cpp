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

bool LinuxSystemVersion::SpeechServiceUsable(const QStringList& engines, const QString& runtimeFolder,
                                             bool serviceInstalled)
{
    if (!engines.contains(u"speechd"_s))
        return false;
    if (!runtimeFolder.isEmpty() && QFileInfo::exists(runtimeFolder + u"/speech-dispatcher/speechd.sock"_s))
        return true;
    return serviceInstalled;
}

bool LinuxSystemVersion::SpeechServiceUsable()
{
    return SpeechServiceUsable(QTextToSpeech::availableEngines(),
                               QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation),
                               !QStandardPaths::findExecutable(u"speech-dispatcher"_s).isEmpty());
}

LinuxSystemVersion::LinuxSystemVersion()
    : LinuxSystemVersion(SpeechServiceUsable())
{
}

LinuxSystemVersion::LinuxSystemVersion(bool speechServiceUsable)
    : actual_(speechServiceUsable ? OsVersionInfo{6, 3, 0} : OsVersionInfo{6, 1, 0})
{
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
