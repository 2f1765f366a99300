#include "library/FolderScan.h"

#include "library/FileKinds.h"
#include "platform/FileErrors.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace FolderScan {

namespace {

// Closes the folder on every way out.
struct DirHandle
{
    explicit DirHandle(const QByteArray& path) : dir(::opendir(path.constData())) {}
    ~DirHandle()
    {
        if (dir)
            ::closedir(dir);
    }
    DirHandle(const DirHandle&) = delete;
    DirHandle& operator=(const DirHandle&) = delete;
    DIR* dir;
};

bool IsDot(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// A regular file, told by the listing itself when the file system says so;
// links and unknown kinds are followed (a link loop is no file).
bool IsRegularFile(int dirFd, const dirent* entry)
{
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat st;
    return ::fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

} // namespace

Result Scan(const QString& folder, const QStringList& suffixes)
{
    Result result;
    const QByteArray native = QFile::encodeName(folder);
    struct stat st;
    if (folder.isEmpty() || ::stat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        result.status = Status::Missing;
        return result;
    }

    // One pass over the folder serves every suffix: the same result as one
    // search per pattern, without reading a large folder several times.
    DirHandle handle(native);
    if (!handle.dir) {
        result.status = Status::Unreadable;
        result.reason = FileErrors::Message(FileErrors::Doing::List, folder, errno);
        return result;
    }
    const int dirFd = ::dirfd(handle.dir);
    QList<QStringList> groups(suffixes.size());
    errno = 0;
    while (const dirent* entry = ::readdir(handle.dir)) {
        if (IsDot(entry->d_name))
            continue;
        const QString name = QFile::decodeName(entry->d_name);
        for (qsizetype i = 0; i < suffixes.size(); ++i) {
            if (name.endsWith(suffixes.at(i), Qt::CaseInsensitive)) {
                if (IsRegularFile(dirFd, entry))
                    groups[i] << name;
                break;
            }
        }
        errno = 0;
    }
    if (errno != 0) {
        result.status = Status::Unreadable;
        result.reason = FileErrors::Message(FileErrors::Doing::List, folder, errno);
        return result;
    }

    qsizetype total = 0;
    for (const QStringList& group : std::as_const(groups))
        total += group.size();
    result.paths.reserve(total);
    for (QStringList& group : groups) {
        std::sort(group.begin(), group.end());
        for (const QString& name : std::as_const(group))
            result.paths << FileKinds::JoinPath(folder, name);
    }
    return result;
}

std::optional<QString> ListingFailure(const QString& folder)
{
    const QByteArray native = QFile::encodeName(folder);
    if (folder.isEmpty())
        return FileErrors::Message(FileErrors::Doing::List, folder, ENOENT);
    DirHandle handle(native);
    if (!handle.dir)
        return FileErrors::Message(FileErrors::Doing::List, folder, errno);
    errno = 0;
    while (::readdir(handle.dir))
        errno = 0;
    if (errno != 0)
        return FileErrors::Message(FileErrors::Doing::List, folder, errno);
    return std::nullopt;
}

} // namespace FolderScan
