#include "library/LibraryController.h"

#include "platform/FileErrors.h"

#include <QFileInfo>
#include <QUrl>

#include <cerrno>

using namespace Qt::StringLiterals;
using FileKinds::Route;

namespace {

// Which of the three places a file goes to: the text document, the
// synchronized-text document or the player.
enum class Slot { None, Text, Lrc, Music };

Slot SlotOf(Route route, const QString& path)
{
    switch (route) {
    case Route::Text:
        // The editor's own order: ".txt" anywhere in the path makes it the
        // text document ("a.txt.lrc" too).
        return path.contains(u".txt"_s) ? Slot::Text : Slot::Lrc;
    case Route::Wav:
    case Route::Mp3:
        return Slot::Music;
    default:
        return Slot::None;
    }
}

QString LocalPath(const QString& argument)
{
    // Launchers may hand over file: addresses instead of paths.
    if (argument.startsWith(u"file:"_s)) {
        const QUrl url(argument);
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return QFileInfo(argument).absoluteFilePath();
}

} // namespace

void LibraryController::CommandLineOpen(const QStringList& paths)
{
    // The first file of each kind is the one that stays: a later text would
    // only replace the first one, a later song stop the first one playing.
    bool taken[4] = {};
    for (const QString& argument : paths) {
        if (argument.isEmpty())
            continue;
        const QString path = LocalPath(argument);
        const Route route = FileKinds::FromOpenCommand(path);
        if (route == Route::Unsupported) {
            prompter.MessageInfoBox(u"このファイルフォーマットには、現在対応していません。"_s);
            continue;
        }
        const Slot slot = SlotOf(route, path);
        if (slot == Slot::None)
            continue;   // video: the open command does nothing with it either
        // The open dialog only returns files that are there; a path typed on
        // the command line may not be.
        if (!QFileInfo::exists(path)) {
            prompter.MessageInfoBox(FileErrors::Message(FileErrors::Doing::Open, path, ENOENT));
            continue;
        }
        bool& seen = taken[static_cast<int>(slot)];
        if (seen)
            continue;
        seen = true;
        OpenPath(path);
    }
}
