#pragma once

#include "art/Id3Tag.h"

#include <QByteArray>
#include <QFile>
#include <QString>

// An MP3 opened for reading only (a read-only share, a CD or another user's
// file plays as well): its tag is read in one block, the picture comes from
// that block, and the music after the tag is copied in large blocks.
class Mp3File
{
public:
    static constexpr qint64 MinimumLength = 2048;

    explicit Mp3File(const QString& path) : file_(path) {}

    // False with the system's reason when it cannot be opened.
    bool Open(QString& error);
    qint64 Length() const { return file_.size(); }

    // Reads the tag's bytes (no more than the file holds) and walks them.
    bool ReadTag(Id3::Layout& layout, QString& error);
    QByteArray PictureBytes(const Id3::Layout& layout) const;

    // Writes bytes [from, end of file) to `target`, replacing it only once
    // the whole copy is written, so a failed copy never leaves half a file.
    bool CopyFrom(qint64 from, const QString& target, QString& error);

private:
    QFile file_;
    QByteArray head_;
};

// Creates or truncates `path` and writes `bytes` to it.
bool WritePictureFile(const QString& path, const QByteArray& bytes, QString& error);
