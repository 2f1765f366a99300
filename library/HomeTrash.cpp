#include "library/HomeTrash.h"

#include "platform/FileErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace HomeTrash {

namespace {

// One folder, mode 0700 when it is new; an existing folder is left as it is.
std::optional<QString> MakeFolder(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::stat(native.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return std::nullopt;
        return FileErrors::Message(FileErrors::Doing::Create, path, ENOTDIR);
    }
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return FileErrors::Message(FileErrors::Doing::Create, path, errno);
    return std::nullopt;
}

} // namespace

QString Location()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Trash"_s;
}

std::optional<QString> Ensure()
{
    const QString trash = Location();
    // Every missing folder from the top down, the data home's parents too.
    const QString absolute = QDir::cleanPath(QDir(trash).absolutePath());
    QStringList chain;
    for (QString at = absolute; !at.isEmpty() && at != u"/"_s; at = QDir::cleanPath(at + u"/.."_s)) {
        chain.prepend(at);
        if (QFileInfo::exists(at))
            break;
    }
    for (const QString& folder : std::as_const(chain)) {
        if (const std::optional<QString> failure = MakeFolder(folder))
            return failure;
    }
    for (const QString& sub : {u"/files"_s, u"/info"_s}) {
        if (const std::optional<QString> failure = MakeFolder(absolute + sub))
            return failure;
    }
    return std::nullopt;
}

} // namespace HomeTrash
