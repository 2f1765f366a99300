#pragma once

#include "platform/FileErrors.h"

#include <QString>

#include <cstring>

// DocumentFile reports a failure as "path: the system's text". Callers that
// speak to the user turn it into a Japanese message that says what was being
// done with which file, and why: the system's text is matched back to its
// error number. A message in any other form is shown as it is, since it
// names the file already.
inline QString FileFailureMessage(FileErrors::Doing doing, const QString& path, const QString& documentFileMessage)
{
    const qsizetype lineEnd = documentFileMessage.indexOf(u'\n');
    const QString first = documentFileMessage.left(lineEnd);
    // A further line (where the old bytes were kept) stays as it is.
    const QString rest = lineEnd < 0 ? QString() : documentFileMessage.mid(lineEnd);
    if (first.endsWith(QStringLiteral(": ") + FileErrors::NotRegularReason()))
        return FileErrors::Message(doing, path, FileErrors::NotRegularReason()) + rest;
    for (int error = 1; error < 256; ++error) {
        if (first.endsWith(QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error))))
            return FileErrors::Message(doing, path, error) + rest;
    }
    return documentFileMessage;
}
