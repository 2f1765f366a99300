#include "documents/DocumentFile.h"

#include <QFile>
#include <QSaveFile>

namespace DocumentFile {

ReadResult ReadWhole(const QString& path)
{
    ReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString();
        result.bytes.clear();
        return result;
    }
    result.ok = true;
    return result;
}

QString WriteWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    // Writing in place would bring back the risk of a half-written file.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace DocumentFile
