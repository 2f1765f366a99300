#include "art/Mp3File.h"

#include <QSaveFile>

#include <algorithm>
#include <memory>

namespace {

constexpr qint64 BlockSize = qint64(1) << 20;

} // namespace

bool Mp3File::Open(QString& error)
{
    if (file_.open(QIODevice::ReadOnly))
        return true;
    error = file_.errorString();
    return false;
}

bool Mp3File::ReadTag(Id3::Layout& layout, QString& error)
{
    head_ = file_.read(Id3::HeaderSize);
    const qint64 length = std::min(Id3::TagEnd(head_), Length());
    if (length > head_.size())
        head_ += file_.read(length - head_.size());
    if (head_.size() < std::min<qint64>(std::max(length, Id3::HeaderSize), Length())) {
        error = file_.errorString();
        return false;
    }
    layout = Id3::Walk(head_, Length());
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
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = out.errorString();
        return false;
    }
    if (from < Length()) {
        if (!file_.seek(from)) {
            error = file_.errorString();
            return false;
        }
        const auto block = std::make_unique<char[]>(BlockSize);
        for (qint64 left = Length() - from; left > 0;) {
            const qint64 got = file_.read(block.get(), std::min(left, BlockSize));
            if (got <= 0) {
                error = file_.errorString();
                return false;
            }
            if (out.write(block.get(), got) != got) {
                error = out.errorString();
                return false;
            }
            left -= got;
        }
    }
    if (!out.commit()) {
        error = out.errorString();
        return false;
    }
    return true;
}

bool WritePictureFile(const QString& path, const QByteArray& bytes, QString& error)
{
    // Only this program reads it back, at once: a plain write, with no wait
    // for the disk as the copy's replacement has. A new file rather than a
    // truncated one, which the file system would flush on close.
    QFile::remove(path);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size()) {
        error = out.errorString();
        return false;
    }
    return true;
}
