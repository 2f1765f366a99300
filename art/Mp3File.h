#pragma once

#include "art/Id3Tag.h"

#include <QByteArray>
#include <QString>

// An MP3 opened for reading only (a read-only share, a CD or another user's
// file plays as well): its tag is read in one block, the picture comes from
// that block, and the music after the tag is copied in large blocks. Every
// failure comes back as a message that names the file and the reason.
class Mp3File
{
public:
    static constexpr qint64 MinimumLength = 2048;
    // No cover needs more: a tag that claims more (its size bytes are taken
    // whole, so garbage reads as up to 539 MB) is read this far and no further.
    static constexpr qint64 MaxTagRead = qint64(16) << 20;

    explicit Mp3File(const QString& path) : path_(path) {}
    ~Mp3File();
    Mp3File(const Mp3File&) = delete;
    Mp3File& operator=(const Mp3File&) = delete;

    // Regular files only, opened without blocking: a FIFO or a device named
    // .mp3 would hold the window for good.
    bool Open(QString& error);
    qint64 Length() const { return length_; }

    // Reads the tag's bytes (no more than the file holds, nor MaxTagRead)
    // and walks them.
    bool ReadTag(Id3::Layout& layout, QString& error);
    QByteArray PictureBytes(const Id3::Layout& layout) const;

    // Writes bytes [from, end of file) to `target`, replacing it only once
    // the whole copy is written, so a failed copy never leaves half a file.
    bool CopyFrom(qint64 from, const QString& target, QString& error);

private:
    QString path_;
    int fd_ = -1;
    qint64 length_ = 0;
    QByteArray head_;
};

// Creates or truncates `path` and writes `bytes` to it.
bool WritePictureFile(const QString& path, const QByteArray& bytes, QString& error);

// A picture file's bytes, if it is a regular file no larger than
// Mp3File::MaxTagRead; opened without blocking.
bool ReadPictureFile(const QString& path, QByteArray& bytes, QString& error);
