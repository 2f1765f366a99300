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

// The file's bytes as entries: the UTF-8 mark is required (without it the
// list is empty), lines are split at CR LF, empty lines dropped, and the
// lines taken in pairs (title, address); a last unpaired line is lost.
// Bytes that are not UTF-8 read as U+FFFD.
FavouriteEntries ReadEntries(const QByteArray& bytes);

// The file's text: title, CR LF, address, CR LF, ... last address.
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
