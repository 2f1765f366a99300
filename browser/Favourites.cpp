#include "browser/Favourites.h"

#include "browser/UrlRules.h"
#include "documents/DocumentFile.h"
#include "documents/EncodingDetect.h"
#include "platform/FileErrors.h"
#include "platform/TextCodec.h"

#include <QFileInfo>
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

ReadResult ReadEntries(const QByteArray& bytes)
{
    ReadResult result;
    if (bytes.isEmpty())
        return result;
    const TextCodec& codec = TextCodec::System();
    const DetectedText detected = DetectAndDecode(bytes, codec);
    // Only a mark cut short (EF, EF BB, a lone FF or FE) gives no encoding.
    if (!detected.markFlag) {
        result.decoded = false;
        return result;
    }
    QString text = detected.text;
    // A replacement character the file does not hold itself stands for
    // bytes that would be lost if the list were written back.
    if (text.contains(QChar::ReplacementCharacter)
        && codec.Encode(text, EncodingOf(detected.code.value_or(3))) != bytes)
        result.decoded = false;
    if (*detected.markFlag == 1)
        text.remove(0, 1);
    static const QRegularExpression lineEnd(u"\r\n|\r|\n"_s);
    const QStringList lines = text.split(lineEnd, Qt::SkipEmptyParts);
    result.entries.reserve(lines.size() / 2);
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2)
        result.entries.append({lines[i], lines[i + 1]});
    return result;
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

FavouritesFile::FavouritesFile(QString path)
    : m_path(std::move(path))
{
}

QString FavouritesFile::NotTextReason()
{
    return u"文字として読み取れないバイトがあります"_s;
}

namespace {
const QString kKeptUntilExit = u"お気に入りの変更はプログラムを終了するまで保たれます。"_s;
}

QString FavouritesFile::KeptInMemoryNote()
{
    return u"このファイルには書き込みません。"_s + kKeptUntilExit;
}

QString FavouritesFile::NotSavedNote()
{
    return u"ファイルは元のままです。"_s + kKeptUntilExit;
}

FavouritesFile::Loaded FavouritesFile::Load()
{
    // The file failed before: the list goes on from memory, unannounced.
    if (m_pending)
        return {*m_pending, {}};
    const DocumentFile::ReadResult read = DocumentFile::ReadWhole(m_path);
    if (!read.ok) {
        const QString message = read.error;
        const QFileInfo info(m_path);
        // A file that is not there has nothing to lose: closing makes it.
        if (!info.exists() && !info.isSymLink()) {
            m_onDisk.clear();
            return {{}, message};
        }
        m_refused = true;
        m_pending = FavouriteEntries();
        return {{}, message + u'\n' + KeptInMemoryNote()};
    }
    Favourites::ReadResult decoded = Favourites::ReadEntries(read.bytes);
    if (!decoded.decoded) {
        m_refused = true;
        m_pending = decoded.entries;
        return {decoded.entries, FileErrors::Message(FileErrors::Doing::Read, m_path, NotTextReason()) + u'\n'
                                     + KeptInMemoryNote()};
    }
    m_onDisk = decoded.entries;
    return {std::move(decoded.entries), {}};
}

QString FavouritesFile::Save(const FavouriteEntries& entries)
{
    if (m_refused) {
        m_pending = entries;
        return {};
    }
    const QFileInfo info(m_path);
    const bool missing = !info.exists() && !info.isSymLink();
    // An unchanged list leaves the file's bytes as they are, whatever form
    // they have; a file removed meanwhile gets the list back.
    if (entries == m_onDisk && !missing) {
        m_pending.reset();
        return {};
    }
    const QByteArray bytes = Favourites::FileBytes(Favourites::FileText(entries));
    const QString error = DocumentFile::WriteWhole(m_path, bytes, {});
    if (!error.isEmpty()) {
        m_pending = entries;
        const QString message = error;
        return message + u'\n' + (missing ? kKeptUntilExit : NotSavedNote());
    }
    m_onDisk = entries;
    m_pending.reset();
    return {};
}
