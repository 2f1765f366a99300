#include "platform/OpenJTalkVoices.h"

#include "platform/RegularFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace OpenJTalkVoices {

const QString kDictionary = u"/var/lib/mecab/dic/open-jtalk/naist-jdic"_s;

namespace {

// The header is text at the start of the file; its first lines say what it is.
constexpr qint64 kHeaderBytes = 4096;

// The voice's sampling rate from its header; 0 when the file is no voice.
int VoiceSampleRate(const QString& path)
{
    int error = 0;
    const int fd = RegularFile::OpenForReading(path, error);
    if (fd < 0)
        return 0;
    QByteArray header(kHeaderBytes, '\0');
    const ssize_t got = ::read(fd, header.data(), size_t(header.size()));
    ::close(fd);
    if (got <= 0)
        return 0;
    header.truncate(got);
    if (!header.startsWith("[GLOBAL]"))
        return 0;
    for (const QByteArray& line : header.split('\n')) {
        if (line.startsWith("SAMPLING_FREQUENCY:")) {
            bool ok = false;
            const int rate = line.mid(line.indexOf(':') + 1).trimmed().toInt(&ok);
            return ok && rate > 0 ? rate : kDefaultSampleRate;
        }
    }
    return kDefaultSampleRate;
}

} // namespace

QStringList DefaultFolders()
{
    return {u"/usr/share/hts-voice"_s, u"/usr/local/share/hts-voice"_s,
            QDir::homePath() + u"/.local/share/murmelin/voices"_s};
}

QList<HtsVoice> Find(const QStringList& folders)
{
    QList<HtsVoice> out;
    QSet<QString> names;
    QSet<QString> files;
    for (const QString& folder : folders) {
        QList<HtsVoice> found;
        // Folder links are not followed, so a link loop cannot trap the search.
        QDirIterator it(folder, {u"*.htsvoice"_s}, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString canonical = QFileInfo(path).canonicalFilePath();
            if (canonical.isEmpty() || files.contains(canonical))
                continue;
            const int rate = VoiceSampleRate(path);
            if (rate <= 0)
                continue;
            files.insert(canonical);
            found.append({QFileInfo(path).completeBaseName(), path, rate});
        }
        std::sort(found.begin(), found.end(), [](const HtsVoice& a, const HtsVoice& b) {
            return a.name == b.name ? a.path < b.path : a.name < b.name;
        });
        for (const HtsVoice& voice : found) {
            if (names.contains(voice.name))
                continue;
            names.insert(voice.name);
            out.append(voice);
        }
    }
    return out;
}

QString Program()
{
    return QStandardPaths::findExecutable(u"open_jtalk"_s);
}

QStringList Arguments(const QString& dictionary, const QString& voicePath, double speed, const QString& wavPath,
                      const QString& tracePath)
{
    // The volume is the player's, as for the other voices, so -jm stays 1.
    return {u"-x"_s, dictionary, u"-m"_s, voicePath, u"-r"_s, QString::number(speed, 'f', 3),
            u"-ow"_s, wavPath, u"-ot"_s, tracePath};
}

} // namespace OpenJTalkVoices
