#include "art/ArtController.h"

void ArtController::comboBox3_SelectedIndexChanged()
{
}


void ArtController::JpegCoverArtDisplay(const QString& /*strFolder*/)
{
}

bool ArtController::MP3JpegDel(const QString& /*strFolder*/, const QString& /*SelectedFileName*/)
{
    return false;
}
