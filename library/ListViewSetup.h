#pragma once

class QTreeWidget;

// How a file list looks and behaves: detail columns, single full-row
// selection kept visible without focus, grid lines, reorderable columns, no
// editing; the music list's check boxes toggle without selecting the entry.
namespace ListViewSetup {

void Apply(QTreeWidget* list, bool checkBoxes);

} // namespace ListViewSetup
