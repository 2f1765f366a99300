#include "art/Mp3File.h"

#include "platform/FileErrors.h"
#include "platform/RegularFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using FileErrors::Doing;

namespace {

constexpr qint64 BlockSize = qint64(1) << 20;
constexpr qint64 FirstTagRead = qint64(256) << 10;

// The descriptor of a regular file opened without blocking, or -1 with the
// message.
int OpenRegular(const QString& path, Doing doing, QString& error)
{
    int failure = 0;
    const int fd = RegularFile::OpenForReading(path, failure);
    if (fd < 0)
        error = failure ? FileErrors::Message(doing, path, failure)
                        : FileErrors::Message(doing, path, FileErrors::NotRegularReason());
    return fd;
}

// Bytes read at offset (fewer at the end of the file), or -1 with errno.
qint64 ReadAt(int fd, char* data, qint64 count, qint64 offset)
{
    qint64 done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd, data + done, size_t(count - done), off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

// 0, or the errno of the first failed write.
int WriteAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= n;
    }
    return 0;
}

} // namespace

Mp3File::~Mp3File()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool Mp3File::Open(QString& error)
{
    fd_ = OpenRegular(path_, Doing::Open, error);
    if (fd_ < 0)
        return false;
    struct stat st;
    if (::fstat(fd_, &st) != 0) {
        error = FileErrors::Message(Doing::Open, path_, errno);
        return false;
    }
    length_ = qint64(st.st_size);
    return true;
}

bool Mp3File::ReadTag(Id3::Layout& layout, QString& error)
{
    head_.resize(std::min(Id3::HeaderSize, length_));
    qint64 got = ReadAt(fd_, head_.data(), head_.size(), 0);
    if (got >= 0)
        head_.truncate(got);
    const qint64 want = std::min({Id3::TagEnd(head_), length_, MaxTagRead});
    // Most tags are small and end in padding or a cover near the start: the
    // bytes are read in growing steps, as far as the walk needs them.
    for (qint64 step = FirstTagRead; got >= 0; step *= 2) {
        layout = Id3::Walk(head_, length_);
        if (layout.end != Id3::End::BadFrame || head_.size() >= want)
            break;
        const qint64 at = head_.size();
        const qint64 next = std::min(want, std::max(at, step));
        head_.resize(next);
        got = ReadAt(fd_, head_.data() + at, next - at, at);
        if (got >= 0 && got < next - at) {
            head_.truncate(at + got);   // a file that shrank meanwhile walks as a short one
            layout = Id3::Walk(head_, length_);
            break;
        }
    }
    if (got < 0) {
        error = FileErrors::Message(Doing::Read, path_, errno);
        head_.clear();
        return false;
    }
    return true;
}

QByteArray Mp3File::PictureBytes(const Id3::Layout& layout) const
{
    if (!layout.HasPicture() || layout.pictureEnd > head_.size())
        return {};
    return head_.sliced(layout.pictureBegin, layout.pictureEnd - layout.pictureBegin);
}

bool Mp3File::CopyFrom(qint64 from, const QString& target, QString& error)
{
    // Written under a name of its own beside the target and renamed over it
    // once whole; on any failure it goes again.
    const QByteArray native = QFile::encodeName(target);
    QByteArray temp = native + ".XXXXXX";
    const int out = ::mkostemp(temp.data(), O_CLOEXEC);
    if (out < 0) {
        error = FileErrors::Message(Doing::Create, target, errno);
        return false;
    }
    int failure = 0;
    bool reading = false;
    if (from < length_) {
        const auto block = std::make_unique<char[]>(BlockSize);
        for (qint64 at = from; at < length_;) {
            const qint64 got = ReadAt(fd_, block.get(), std::min(length_ - at, BlockSize), at);
            if (got < 0) {
                failure = errno;
                reading = true;
                break;
            }
            if (got == 0)
                break;   // shorter than when opened: what there is
            if ((failure = WriteAll(out, block.get(), got)) != 0)
                break;
            at += got;
        }
    }
    // A full disk may only show when the data goes out.
    if (failure == 0 && ::fdatasync(out) != 0 && errno != EINVAL)
        failure = errno;
    if (::close(out) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && ::rename(temp.constData(), native.constData()) != 0)
        failure = errno;
    if (failure == 0)
        return true;
    ::unlink(temp.constData());
    if (reading)
        error = FileErrors::Message(Doing::Read, path_, failure);
    else
        error = FileErrors::Message(Doing::Copy, path_, failure) + u"\nコピー先：「"_s + target + u"」"_s;
    return false;
}

bool WritePictureFile(const QString& path, const QByteArray& bytes, QString& error)
{
    // Only this program reads it back, at once: a plain write, with no wait
    // for the disk as the copy's replacement has. A new file rather than a
    // truncated one, which the file system would flush on close.
    const QByteArray native = QFile::encodeName(path);
    ::unlink(native.constData());
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0) {
        error = FileErrors::Message(Doing::Create, path, errno);
        return false;
    }
    int failure = WriteAll(fd, bytes.constData(), bytes.size());
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure != 0) {
        error = FileErrors::Message(Doing::Write, path, failure);
        return false;
    }
    return true;
}

bool ReadPictureFile(const QString& path, QByteArray& bytes, QString& error)
{
    const int fd = OpenRegular(path, Doing::Read, error);
    if (fd < 0)
        return false;
    struct stat st;
    int failure = ::fstat(fd, &st) != 0 ? errno : 0;
    if (failure == 0 && qint64(st.st_size) > Mp3File::MaxTagRead)
        failure = EFBIG;
    if (failure == 0) {
        bytes.resize(qsizetype(st.st_size));
        const qint64 got = ReadAt(fd, bytes.data(), bytes.size(), 0);
        if (got < 0)
            failure = errno;
        else
            bytes.truncate(got);
    }
    ::close(fd);
    if (failure != 0) {
        bytes.clear();
        error = FileErrors::Message(Doing::Read, path, failure);
        return false;
    }
    return true;
}
