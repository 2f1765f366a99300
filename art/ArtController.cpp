#include "art/ArtController.h"

void ArtController::comboBox3_SelectedIndexChanged()
{
}

