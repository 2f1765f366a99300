#pragma once

#include <functional>

class QTreeWidget;

// How a file list looks and behaves: detail columns, single full-row
// selection kept visible without focus, grid lines, reorderable columns, no
// editing; the music list's check boxes toggle without selecting the entry.
// A left click on the row already selected changes no selection, so it is
// told apart: clickedAgain runs at its release.
namespace ListViewSetup {

void Apply(QTreeWidget* list, bool checkBoxes, std::function<void()> clickedAgain = {});

} // namespace ListViewSetup
