#pragma once

#include "core/Controller.h"

#include <QString>

class CRand;
class QImage;

// Cover art: the picture in an MP3's tag, the song-named or a random folder
// picture, the tag-less copy the player opens, and the picture view's fit.
class ArtController : public Controller
{
public:
    explicit ArtController(const Context& context);
    ArtController(const Context& context, CRand& rand);

    virtual void ArtFitChanged();
    virtual void JpegCoverArtDisplay(const QString& songFolder);
    virtual void CoverArtDisplay(const QString& songFolder);
    virtual bool MP3JpegDel(const QString& songFolder, const QString& SelectedFileName);

protected:
    // The clock's millisecond, for the random picture.
    virtual int CurrentMillisecond() const;

private:
    // The song-named picture, else a folder picture; false with the reason
    // when the folder cannot be listed.
    bool SongOrFolderPicture(const QString& folder, QString& error);
    bool ShowPictureFile(const QString& path);
    void ShowPicture(const QImage& image);

    CRand& rand_;
};
