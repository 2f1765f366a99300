#pragma once

#include <QString>
#include <QStringList>

class CRand;

// Choosing a picture among a folder's JPEGs, on their full paths.
namespace FolderPictures {

// Pictures a media library writes into music folders: "AlbumArtSmall.jpg",
// "Folder.jpg" and AlbumArt_<id>_Small.jpg / AlbumArt_<id>_Large.jpg (told
// apart by substring tests on the full path, as they always have been).
bool IsMediaLibraryPicture(const QString& path);

// The paths left after the media-library pictures, sorted in descending
// order by the user's collation.
QStringList Candidates(const QStringList& paths);

// The first path containing songName + ".jpg", or an empty text.
QString SongPicture(const QStringList& paths, const QString& songName);

// Which of `count` candidates to show: as many values as the clock's
// millisecond / 10 are drawn and dropped, the next one picks.
qsizetype ChoiceIndex(CRand& rand, int millisecond, qsizetype count);

} // namespace FolderPictures
