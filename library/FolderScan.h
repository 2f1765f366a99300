#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Reading one folder, without its sub-folders. Names match a suffix in any
// letter case (users' folders mix "Song.MP3" and "song.mp3"); the paths come
// back grouped by suffix in the order asked for.
namespace FolderScan {

enum class Status { Ok, Missing, Unreadable };

struct Result
{
    Status status = Status::Ok;
    QStringList paths;   // folder + "/" + name
    QString reason;      // Unreadable: the message, naming the folder and why
};

// The regular files (or links to them) directly in folder whose names end in
// one of suffixes, e.g. {".wav", ".mp3"}. Each suffix's group is in name order.
Result Scan(const QString& folder, const QStringList& suffixes);

// Lists the sub-folders of folder as an access test; the message when that
// fails, nothing when it works.
std::optional<QString> ListingFailure(const QString& folder);

} // namespace FolderScan
