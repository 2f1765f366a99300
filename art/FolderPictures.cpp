#include "art/FolderPictures.h"

#include "platform/CRand.h"

#include <QCollator>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace FolderPictures {

bool IsMediaLibraryPicture(const QString& path)
{
    if (path.contains(u"AlbumArtSmall.jpg"_s) || path.contains(u"Folder.jpg"_s))
        return true;
    // Split at each marker; an AlbumArt_<id>_Large.jpg leaves the folder and the id.
    QString marked = path;
    for (const QString& marker : {u"AlbumArt_"_s, u"_Small.jpg"_s, u"_Large.jpg"_s})
        marked.replace(marker, QString(QChar(0)));
    return marked.split(QChar(0), Qt::SkipEmptyParts).size() == 2;
}

QStringList Candidates(const QStringList& paths)
{
    QStringList left;
    for (const QString& path : paths)
        if (!IsMediaLibraryPicture(path))
            left << path;
    const QCollator collator;
    std::sort(left.begin(), left.end(),
              [&collator](const QString& a, const QString& b) { return collator.compare(a, b) > 0; });
    return left;
}

QString SongPicture(const QStringList& paths, const QString& songName)
{
    const QString wanted = songName + u".jpg"_s;
    for (const QString& path : paths)
        if (path.contains(wanted))
            return path;
    return {};
}

qsizetype ChoiceIndex(CRand& rand, int millisecond, qsizetype count)
{
    for (int k = millisecond / 10; k > 0; --k)
        rand.Next();
    return qsizetype(qint64(rand.Next()) * count / (CRand::Max + 1));
}

} // namespace FolderPictures
