#include "documents/DocumentFile.h"

#include "platform/FileErrors.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace DocumentFile {

namespace {

// Closes the descriptor it holds when it goes out of scope.
class Fd
{
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    void reset(int fd = -1)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    // Closes now and tells whether the close itself failed (0 or errno).
    int close()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }

private:
    int fd_;
};

using FileErrors::Doing;

QString NotRegular(Doing doing, const QString& path)
{
    return FileErrors::Message(doing, path, FileErrors::NotRegularReason());
}

// 0, or the errno of the first failed write; short writes go on.
int WriteAll(int fd, const char* data, qsizetype size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size_t(size), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= n;
        offset += n;
    }
    return 0;
}

// Every byte written, sized and on disk: 0 or errno.
int Store(int fd, const QByteArray& bytes)
{
    if (const int error = WriteAll(fd, bytes.constData(), bytes.size(), 0))
        return error;
    if (::ftruncate(fd, off_t(bytes.size())) != 0)
        return errno;
    return ::fdatasync(fd) != 0 ? errno : 0;
}

// 0 or errno; the bytes read go to out.
int ReadAll(int fd, QByteArray& out)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return errno;
    out.resize(qsizetype(st.st_size));
    qsizetype done = 0;
    for (;;) {
        if (done == out.size())
            out.resize(out.size() + 65536);   // the file grew since fstat
        const ssize_t n = ::pread(fd, out.data() + done, size_t(out.size() - done), off_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            break;
        done += n;
    }
    out.truncate(done);
    return 0;
}

// A new file beside the others in folder, named after base: its descriptor
// and path, or errno.
struct Created
{
    int fd = -1;
    QByteArray path;
    int error = 0;
};
Created CreateUnique(const QByteArray& folder, const QByteArray& base, mode_t mode)
{
    Created c;
    for (int attempt = 0; attempt < 100; ++attempt) {
        c.path = folder + '/' + base + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        c.fd = ::open(c.path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (c.fd >= 0 || errno != EEXIST)
            break;
    }
    c.error = c.fd >= 0 ? 0 : errno;
    return c;
}

// The folder cannot take a new file, so the file itself is written: its old
// bytes wait in spareFolder meanwhile and go back into it if the write fails.
QString WriteInPlace(const QString& path, const QByteArray& native, const QByteArray& bytes,
                     const QString& spareFolder, int folderError)
{
    Fd file(::open(native.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file.ok())
        return SystemMessage(Doing::Write, path, errno);
    QByteArray old;
    if (const int error = ReadAll(file.get(), old))
        return SystemMessage(Doing::Write, path, error);
    // Without a safe copy the old bytes are not risked.
    if (spareFolder.isEmpty())
        return SystemMessage(Doing::Write, path, folderError);
    const QByteArray name = native.mid(native.lastIndexOf('/') + 1);
    Created spare = CreateUnique(QFile::encodeName(spareFolder), name, 0600);
    Fd spareFd(spare.fd);
    if (spare.error)
        return SystemMessage(Doing::Create, spareFolder, spare.error);
    const QString sparePath = QFile::decodeName(spare.path);
    int spareError = Store(spareFd.get(), old);
    if (const int closeError = spareFd.close(); spareError == 0)
        spareError = closeError;
    if (spareError) {
        ::unlink(spare.path.constData());
        return SystemMessage(Doing::Write, sparePath, spareError);
    }

    const int error = Store(file.get(), bytes);
    if (error == 0) {
        if (const int closeError = file.close())
            return SystemMessage(Doing::Write, path, closeError) + u"\n元の内容は「"_s + sparePath + u"」に残してあります。"_s;
        ::unlink(spare.path.constData());
        return {};
    }
    if (Store(file.get(), old) != 0)
        return SystemMessage(Doing::Write, path, error) + u"\n元の内容は「"_s + sparePath + u"」に残してあります。"_s;
    ::unlink(spare.path.constData());
    return SystemMessage(Doing::Write, path, error);
}

bool FolderRefuses(int error)
{
    return error == EACCES || error == EPERM || error == EROFS || error == EBUSY;
}

} // namespace

QString SystemMessage(Doing doing, const QString& path, int error)
{
    return FileErrors::Message(doing, path, error);
}

ReadResult ReadWhole(const QString& path)
{
    ReadResult result;
    int error = 0;
    Fd fd(RegularFile::OpenForReading(path, error));
    if (!fd.ok()) {
        // A name whose bytes are not UTF-8 reached us with U+FFFD in their
        // place, so it names no file: say why.
        if (error == ENOENT && path.contains(QChar::ReplacementCharacter))
            error = EILSEQ;
        result.error = error ? SystemMessage(Doing::Read, path, error) : NotRegular(Doing::Read, path);
        return result;
    }
    if ((error = ReadAll(fd.get(), result.bytes)) != 0) {
        result.bytes.clear();
        result.error = SystemMessage(Doing::Read, path, error);
        return result;
    }
    result.ok = true;
    return result;
}

QString WriteWhole(const QString& path, const QByteArray& bytes, const QString& spareFolder)
{
    // A link is followed, so the file it points to gets the new bytes.
    const QFileInfo info(path);
    const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : path;
    const QByteArray native = QFile::encodeName(target);
    struct stat st;
    const bool exists = ::stat(native.constData(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return SystemMessage(Doing::Write, target, EISDIR);
    if (exists && !S_ISREG(st.st_mode))
        return NotRegular(Doing::Write, target);
    if (exists) {
        // A file the user may not write is not replaced behind its back.
        const Fd probe(::open(native.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (!probe.ok())
            return SystemMessage(Doing::Write, target, errno);
    }

    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : native.left(slash);
    const QByteArray name = native.mid(slash + 1);
    Created temp = CreateUnique(folder, '.' + name, 0666);
    Fd fd(temp.fd);
    if (temp.error) {
        if (exists && FolderRefuses(temp.error))
            return WriteInPlace(target, native, bytes, spareFolder, temp.error);
        return SystemMessage(Doing::Write, target, temp.error);
    }
    if (exists) {
        // The new file keeps the old one's permissions, and its owner where
        // that is allowed (root).
        ::fchmod(fd.get(), st.st_mode & 07777);
        if (::geteuid() == 0 && ::fchown(fd.get(), st.st_uid, st.st_gid) == 0)
            ::fchmod(fd.get(), st.st_mode & 07777);   // a change of owner drops set-id bits
    }
    int error = Store(fd.get(), bytes);
    if (const int closeError = fd.close(); error == 0)
        error = closeError;
    if (error == 0 && ::rename(temp.path.constData(), native.constData()) != 0)
        error = errno;
    if (error == 0)
        return {};
    ::unlink(temp.path.constData());
    // A folder that lets us create but not replace (a sticky folder, a
    // mount point): the file itself still can be written.
    if (exists && FolderRefuses(error) && error != EROFS)
        return WriteInPlace(target, native, bytes, spareFolder, error);
    return SystemMessage(Doing::Write, target, error);
}

} // namespace DocumentFile
