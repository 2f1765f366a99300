#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The favourites file and list, without widgets.

struct FavouriteEntry
{
    QString title;
    QString address;

    bool operator==(const FavouriteEntry&) const = default;
};

using FavouriteEntries = QList<FavouriteEntry>;

namespace Favourites {

inline constexpr int QuickButtonCount = 7;
inline constexpr int MinListHeight = 66;
inline constexpr int MaxListHeight = 600;

// What a file's bytes hold. The file is read as texts are (its mark, or
// without one valid UTF-8 as UTF-8 and anything else as Shift_JIS); lines
// end in CR LF, LF or CR, empty lines are dropped, and the lines are taken
// in pairs (title, address); a last unpaired line is lost.
struct ReadResult
{
    FavouriteEntries entries;
    // False when the bytes are no text: a mark cut short, or bytes that form
    // no character in their encoding (those read as U+FFFD). Such a file
    // is not written over, since its bytes would not come back.
    bool decoded = true;
};
ReadResult ReadEntries(const QByteArray& bytes);

// The file is always written in one form, which every earlier version reads:
// title, CR LF, address, CR LF, ... last address, as UTF-8 after the mark.
QString FileText(const FavouriteEntries& entries);

// The text's UTF-8 bytes after the mark, unless the text brings its own.
QByteArray FileBytes(const QString& text);

// The height of one row of the table (and of its header): the table's
// margins and font size in points, each × 1.333.
int RowHeight();

// The table's height for a list of that many entries (MyFavoriteListSize):
// a row of 20 pixels per entry and one for the header, plus 20, within
// MinListHeight..MaxListHeight.
int ListHeight(qsizetype entries);

// The seven quick buttons' texts: the titles of entries 0 to 6, empty
// where there is no entry (MyFavoriteButtonName).
QStringList ButtonNames(const FavouriteEntries& entries);

// The address inside an Internet Explorer favourite (".url" file): the
// bytes are read with the escaping walk of the address rules, then the
// value after "URL=" up to the end of its line. A file that starts
// directly with "URL=" gives that first value. Nothing when no value is
// there (no "URL=" line, a two-byte encoding, an empty value).
std::optional<QString> UrlFileAddress(const QByteArray& bytes);

// Only web pages are opened from the favourites: an address that is not
// http: or https: (file:, javascript:, data: ...) could run a script or
// read local files on the user's behalf.
bool IsWebAddress(const QString& address);

} // namespace Favourites

// The ordered list with the one-step undo of the last deletion.
class FavouriteList
{
public:
    const FavouriteEntries& entries() const { return m_entries; }
    qsizetype size() const { return m_entries.size(); }

    void setEntries(FavouriteEntries entries);
    void append(const FavouriteEntry& entry) { m_entries.append(entry); }

    // MyFavoriteDelete: removes the entry at row and remembers it, replacing
    // what was remembered. False when there is no such row.
    bool remove(qsizetype row);

    // MyFavoriteReturn: puts the remembered entry back at its position and
    // returns that position; nothing when there is nothing to undo.
    std::optional<qsizetype> undo();

    bool canUndo() const { return m_hasBackUp; }

private:
    FavouriteEntries m_entries;
    bool m_hasBackUp = false;
    qsizetype BackUpIndex = 0;
    QString MyFavoriteTitleBackUp;
    QString MyFavoriteURLBackUp;
};

// The favourites file over one run of the program. Every opening of the
// browser reads it again, and closing writes the list only when it is not
// what the file holds, through a checked save that keeps the old file when
// anything fails. A file that cannot be read or decoded is reported once
// and is not written over in this run: the list then lives in memory.
class FavouritesFile
{
public:
    explicit FavouritesFile(QString path);

    const QString& path() const { return m_path; }

    struct Loaded
    {
        FavouriteEntries entries;
        QString message;   // to show the user; empty when all went well
    };
    Loaded Load();

    // Empty on success or when nothing had to be written, else the message.
    QString Save(const FavouriteEntries& entries);

    // The reason given for a file whose bytes are no text.
    static QString NotTextReason();
    // Said after a read failure: what happens to the user's changes.
    static QString KeptInMemoryNote();
    // Said after a failed write.
    static QString NotSavedNote();

private:
    QString m_path;
    FavouriteEntries m_onDisk;       // what the file holds, as last read or written
    bool m_refused = false;          // not to be written over in this run
    std::optional<FavouriteEntries> m_pending;   // a list the file does not hold
};
