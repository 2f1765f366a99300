#pragma once

#include <QString>

#include <optional>

// The user's own trash folder: the data home ($XDG_DATA_HOME, else
// ~/.local/share) + "/Trash" with its "files" and "info" folders.
namespace HomeTrash {

// Where the trash belongs for this user.
QString Location();

// Makes whatever is missing of the data home and the trash, each new folder
// readable by its owner alone. The system's message when a folder cannot be
// made or something else stands in its place; nothing when all is there.
std::optional<QString> Ensure();

} // namespace HomeTrash
