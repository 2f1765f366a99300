#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// How the lists and the open command tell files apart. The lists test the
// whole path (folder included) for a few texts in their exact letter case;
// the open command looks only at the last four characters. Both are plain
// functions so they can be checked without a window.
namespace FileKinds {

// An entry of a list: icon 0 for text kinds, 1 for music kinds, and the
// type word shown in the "種類" column.
struct Entry
{
    int icon = 0;
    QString type;
};

// nullopt: the path contains none of the tested texts in their exact case
// (for example an extension written MP3); such a file gets no entry, the
// same way the open command refuses it.
std::optional<Entry> ForAllList(const QString& path);
std::optional<Entry> ForTextList(const QString& path);
std::optional<Entry> ForMusicList(const QString& path);

// What opening a file does with it.
enum class Route { None, Text, Wav, Mp3, Video, Unsupported };

// The selection routing of each list, on the whole path.
Route FromAllList(const QString& path);
Route FromTextList(const QString& path);
Route FromMusicList(const QString& path);

// The open command: the last four characters, compared exactly.
Route FromOpenCommand(const QString& path);

// The open dialog's filter entries as the dialog takes them: the label the
// user reads, then the patterns in parentheses.
struct OpenFilter
{
    QString label;
    QStringList patterns;
};
const QList<OpenFilter>& OpenFilters();
QStringList OpenFilterStrings();

// The song name shown while playing: the file name without its last four
// characters.
QString SongName(const QString& fileName);

// The last path component, and the folder before it without the separator.
QString FileNameOf(const QString& path);
QString FolderOf(const QString& path);

// folder + "/" + name, without doubling the separator after "/".
QString JoinPath(const QString& folder, const QString& name);

// The temporary copy the next MP3 goes to, by mp3TempCopyIndex: 0 the first, any
// other value the second.
QString TempCopyName(std::int32_t mciTempFlag);
std::int32_t NextTempFlag(std::int32_t mciTempFlag);

} // namespace FileKinds
