#pragma once

#include "core/Controller.h"

#include <QString>

// Cover art and the picture view's size mode.
class ArtController : public Controller
{
public:
    using Controller::Controller;

    virtual void comboBox3_SelectedIndexChanged();
    virtual void JpegCoverArtDisplay(const QString& strFolder);
    virtual bool MP3JpegDel(const QString& strFolder, const QString& SelectedFileName);
};
