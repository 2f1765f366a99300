#include "browser/Favourites.h"

#include "browser/UrlRules.h"

#include <QRegularExpression>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kMark("\xEF\xBB\xBF", 3);
const QString kLineBreak = u"\r\n"_s;

// The table's margins (top and bottom) and font size in points.
constexpr double kTableMargins = 3 + 3;
constexpr double kTablePoints = 9.75;

} // namespace

namespace Favourites {

FavouriteEntries ReadEntries(const QByteArray& bytes)
{
    // A file of one or two bytes that begins like the mark has no mark
    // either: it reads as empty like any other file without one.
    if (!bytes.startsWith(kMark))
        return {};
    const QString text = QString::fromUtf8(QByteArrayView(bytes).sliced(kMark.size()));
    const QStringList lines = text.split(kLineBreak, Qt::SkipEmptyParts);
    FavouriteEntries entries;
    entries.reserve(lines.size() / 2);
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2)
        entries.append({lines[i], lines[i + 1]});
    return entries;
}

QString FileText(const FavouriteEntries& entries)
{
    QStringList lines;
    lines.reserve(entries.size() * 2);
    for (const FavouriteEntry& e : entries)
        lines << e.title << e.address;
    return lines.join(kLineBreak);
}

QByteArray FileBytes(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    if (utf8.startsWith(kMark))
        return utf8;
    return kMark + utf8;
}

int RowHeight()
{
    return static_cast<int>(kTableMargins * 1.333 + kTablePoints * 1.333);
}

int ListHeight(qsizetype entries)
{
    const qint64 height = qint64(RowHeight()) * (entries + 1) + 20;
    return static_cast<int>(std::clamp<qint64>(height, MinListHeight, MaxListHeight));
}

QStringList ButtonNames(const FavouriteEntries& entries)
{
    QStringList names;
    for (int k = 0; k < QuickButtonCount; ++k)
        names << (k < entries.size() ? entries[k].title : QString());
    return names;
}

std::optional<QString> UrlFileAddress(const QByteArray& bytes)
{
    const QString text = EscapeUtf8Sequences(bytes);
    const QStringList pieces = text.split(u"URL="_s, Qt::SkipEmptyParts);
    // The value follows the section header; a file without one starts with
    // the value itself.
    const qsizetype wanted = text.startsWith(u"URL="_s) ? 0 : 1;
    if (pieces.size() <= wanted)
        return std::nullopt;
    // Lines end in CR LF; a lone LF or CR ends the value too, so a file
    // written elsewhere does not drag its next lines into the address.
    static const QRegularExpression lineEnd(u"[\r\n]"_s);
    const QStringList lines = pieces[wanted].split(lineEnd, Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return std::nullopt;
    return lines.first();
}

bool IsWebAddress(const QString& address)
{
    // Web engines skip leading spaces and control characters before the
    // scheme, so the check does too.
    qsizetype start = 0;
    while (start < address.size() && address[start].unicode() <= 0x20)
        ++start;
    const QStringView rest = QStringView(address).sliced(start);
    return rest.startsWith(u"http:"_s, Qt::CaseInsensitive) || rest.startsWith(u"https:"_s, Qt::CaseInsensitive);
}

} // namespace Favourites

void FavouriteList::setEntries(FavouriteEntries entries)
{
    m_entries = std::move(entries);
}

bool FavouriteList::remove(qsizetype row)
{
    if (row < 0 || row >= m_entries.size())
        return false;
    BackUpIndex = row;
    MyFavoriteTitleBackUp = m_entries[row].title;
    MyFavoriteURLBackUp = m_entries[row].address;
    m_hasBackUp = true;
    m_entries.removeAt(row);
    return true;
}

std::optional<qsizetype> FavouriteList::undo()
{
    if (!m_hasBackUp)
        return std::nullopt;
    const qsizetype row = std::clamp<qsizetype>(BackUpIndex, 0, m_entries.size());
    m_entries.insert(row, {MyFavoriteTitleBackUp, MyFavoriteURLBackUp});
    MyFavoriteTitleBackUp.clear();
    MyFavoriteURLBackUp.clear();
    BackUpIndex = 0;
    m_hasBackUp = false;
    return row;
}
