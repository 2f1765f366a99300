#pragma once

#include <QByteArray>
#include <QString>

// Documents are read and written whole. A write goes to a temporary file
// that replaces the old one only once everything is on disk, so a failure
// half-way (disk full, a lost mount) leaves the old file as it was.
namespace DocumentFile {

struct ReadResult
{
    bool ok = false;
    QByteArray bytes;
    QString error;   // the system's error text when ok is false
};
ReadResult ReadWhole(const QString& path);

// Empty on success, else the system's error text.
QString WriteWhole(const QString& path, const QByteArray& bytes);

} // namespace DocumentFile
