#include "art/ArtController.h"

#include "art/FolderPictures.h"
#include "art/Mp3File.h"
#include "art/PictureBox.h"
#include "platform/CRand.h"
#include "platform/FileErrors.h"

#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QTime>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

// The *.jpg files of one folder, as full paths in the listing's own order.
QStringList JpegPaths(const QString& folder)
{
    const QDir dir(folder);
    QStringList paths;
    for (const QString& name : dir.entryList({u"*.jpg"_s}, QDir::Files, QDir::Unsorted))
        paths << dir.filePath(name);
    return paths;
}

QString FolderError(const QString& folder)
{
    return FileErrors::Message(FileErrors::Doing::List, folder, ENOENT);
}

} // namespace

ArtController::ArtController(const Context& context) : ArtController(context, CRand::Shared()) {}

ArtController::ArtController(const Context& context, CRand& rand) : Controller(context), rand_(rand) {}

void ArtController::ArtFitChanged()
{
    state.pictureFit = ui.artFitBox->currentIndex();
    // Any mode beyond the list fits like "Zoom".
    const auto mode = state.pictureFit >= PictureFit::Center && state.pictureFit <= PictureFit::Stretch ? PictureBox::SizeMode(state.pictureFit)
                                                               : PictureBox::Zoom;
    ui.artPicture->setSizeMode(mode);
}

int ArtController::CurrentMillisecond() const
{
    return QTime::currentTime().msec();
}

void ArtController::ShowPicture(const QImage& image)
{
    ui.artPicture->setImage(image);
    ui.artSizeLabel->setText(u"%1 X %2 pixel"_s.arg(image.width()).arg(image.height()));
}

bool ArtController::ShowPictureFile(const QString& path)
{
    // Read as the tag's picture is, regular files only and bounded, so a
    // FIFO or a huge file named .jpg never holds the window.
    QByteArray bytes;
    QString error;
    if (!ReadPictureFile(path, bytes, error))
        return false;
    const QImage image = QImage::fromData(bytes);
    if (image.isNull())
        return false;
    ShowPicture(image);
    return true;
}

void ArtController::CoverArtDisplay(const QString& songFolder)
{
    // Every failure here keeps the picture shown before.
    if (songFolder.isEmpty() || !QDir(songFolder).exists())
        return;
    const QStringList candidates = FolderPictures::Candidates(JpegPaths(songFolder));
    if (candidates.isEmpty()) {
        ShowPictureFile(state.dir + u"/inipic.jpg"_s);
        return;
    }
    ShowPictureFile(candidates.at(FolderPictures::ChoiceIndex(rand_, CurrentMillisecond(), candidates.size())));
}

bool ArtController::SongOrFolderPicture(const QString& folder, QString& error)
{
    if (folder.isEmpty() || !QDir(folder).exists()) {
        error = FolderError(folder);
        return false;
    }
    const QString song = FolderPictures::SongPicture(JpegPaths(folder), ui.songNameLabel->text());
    // A song-named picture that does not decode is passed over like a missing one.
    if (song.isEmpty() || !ShowPictureFile(song))
        CoverArtDisplay(folder);
    return true;
}

void ArtController::JpegCoverArtDisplay(const QString& songFolder)
{
    // Called alone for a WAV, which plays whatever the picture does; a list
    // folder that has gone is still worth saying.
    QString error;
    if (!SongOrFolderPicture(songFolder, error))
        prompter.MessageInfoBox(error);
}

bool ArtController::MP3JpegDel(const QString& songFolder, const QString& SelectedFileName)
{
    Mp3File mp3(songFolder);
    QString error;
    if (!mp3.Open(error)) {
        prompter.MessageInfoBox(error);
        return false;
    }
    if (mp3.Length() < Mp3File::MinimumLength) {
        prompter.MessageInfoBox(u"ファイルサイズが小さいです。"_s);
        return false;
    }
    Id3::Layout layout;
    if (!mp3.ReadTag(layout, error)) {
        prompter.MessageInfoBox(error);
        return false;
    }
    const QString listFolder = ui.listFolderLabel->text();
    const QString copy = state.murmelinFolder + u'/' + SelectedFileName;

    if (layout.end == Id3::End::Untagged) {
        // No tag: a folder picture, never the song-named one, and the file
        // as it is. Without its copy the song cannot play.
        CoverArtDisplay(listFolder);
        if (!mp3.CopyFrom(0, copy, error)) {
            prompter.MessageInfoBox(error);
            return false;
        }
        return true;
    }

    bool shown = false;
    if (layout.HasPicture()) {
        const QByteArray picture = mp3.PictureBytes(layout);
        if (!WritePictureFile(state.murmelinFolder + u"/Mp3ArtTemp.jpg"_s, picture, error)) {
            prompter.MessageInfoBox(error);
            return false;
        }
        // Any picture the decoder knows is shown, a PNG cover too.
        const QImage image = QImage::fromData(picture);
        if (!image.isNull()) {
            ShowPicture(image);
            shown = true;
        }
    }
    // Padding, the tag's end, a broken frame or a picture that does not
    // decode: the folder's pictures, so the last song's never stays.
    if (!shown && !SongOrFolderPicture(listFolder, error)) {
        prompter.MessageInfoBox(error);
        return false;
    }
    if (!mp3.CopyFrom(layout.tagEnd, copy, error)) {
        prompter.MessageInfoBox(error);
        return false;
    }
    return true;
}
