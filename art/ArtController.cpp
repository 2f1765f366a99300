#include "art/ArtController.h"

#include "art/PictureBox.h"

#include <QComboBox>

void ArtController::comboBox3_SelectedIndexChanged()
{
    state.PicMode = ui.comboBox3->currentIndex();
    // Any mode beyond the list fits like "Zoom".
    const auto mode = state.PicMode >= 0 && state.PicMode <= 2 ? PictureBox::SizeMode(state.PicMode)
                                                               : PictureBox::Zoom;
    ui.pictureBox1->setSizeMode(mode);
}


void ArtController::JpegCoverArtDisplay(const QString& /*strFolder*/)
{
}

bool ArtController::MP3JpegDel(const QString& /*strFolder*/, const QString& /*SelectedFileName*/)
{
    return false;
}
