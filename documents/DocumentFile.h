#pragma once

#include <QByteArray>
#include <QString>

#include "platform/FileErrors.h"

// Documents are read and written whole; every failure is reported with the
// file, what was being done and the system's reason.
namespace DocumentFile {

struct ReadResult
{
    bool ok = false;
    QByteArray bytes;
    QString error;   // the message when ok is false
};
// Regular files only: a FIFO or a device named like a text would block the
// window or never end.
ReadResult ReadWhole(const QString& path);

// Writes to a new file in the same folder that replaces the old one only
// once every byte is on disk, so a failure half-way (disk full, a lost
// mount) leaves the old file as it was. A file whose folder takes no new
// file is written in place instead, with a copy of its old bytes in
// spareFolder until the write has succeeded; a failed write puts the old
// bytes back. Empty on success, else the message.
QString WriteWhole(const QString& path, const QByteArray& bytes, const QString& spareFolder);

// "「path」を読み込めませんでした（reason）。" and its kin.
QString SystemMessage(FileErrors::Doing doing, const QString& path, int error);

} // namespace DocumentFile
