#include "library/FileKinds.h"

using namespace Qt::StringLiterals;

namespace FileKinds {

namespace {

bool Has(const QString& path, QStringView text)
{
    return path.contains(text, Qt::CaseSensitive);
}

bool IsTextKind(const QString& path)
{
    return Has(path, u".txt") || Has(path, u".lrc");
}

bool IsMusicKind(const QString& path)
{
    return Has(path, u".mp3") || Has(path, u".wav") || Has(path, u".WAV");
}

Entry TextEntry(const QString& path)
{
    return {0, Has(path, u".txt") ? u"txt"_s : u"lrc"_s};
}

Entry MusicEntry(const QString& path)
{
    return {1, Has(path, u".mp3") ? u"mp3"_s : u"wav"_s};
}

// Both music rules of the routing: WAV first, then MP3.
Route MusicRoute(const QString& path)
{
    if (Has(path, u".wav") || Has(path, u".WAV"))
        return Route::Wav;
    if (Has(path, u".mp3"))
        return Route::Mp3;
    return Route::None;
}

} // namespace

std::optional<Entry> ForAllList(const QString& path)
{
    if (IsTextKind(path))
        return TextEntry(path);
    if (IsMusicKind(path))
        return MusicEntry(path);
    return std::nullopt;
}

std::optional<Entry> ForTextList(const QString& path)
{
    if (IsTextKind(path))
        return TextEntry(path);
    return std::nullopt;
}

std::optional<Entry> ForMusicList(const QString& path)
{
    if (IsMusicKind(path))
        return MusicEntry(path);
    return std::nullopt;
}

Route FromAllList(const QString& path)
{
    if (IsTextKind(path))
        return Route::Text;
    return MusicRoute(path);
}

Route FromTextList(const QString& path)
{
    return IsTextKind(path) ? Route::Text : Route::None;
}

Route FromMusicList(const QString& path)
{
    return MusicRoute(path);
}

Route FromOpenCommand(const QString& path)
{
    const QStringView ext = QStringView(path).right(4);
    if (ext == u".txt" || ext == u".lrc")
        return Route::Text;
    if (ext == u".wav" || ext == u".WAV")
        return Route::Wav;
    if (ext == u".mp3")
        return Route::Mp3;
    if (ext == u".mp4" || ext == u".mov" || ext == u".avi" || ext == u".wmv")
        return Route::Video;
    return Route::Unsupported;
}

const QList<OpenFilter>& OpenFilters()
{
    // The labels are shown as written, typing slip in the audio entries
    // included; "*.*" means every file, which is "*" here.
    static const QList<OpenFilter> filters{
        {u"オーディオ/ビデオ/テキスト(*.wav;*.mp3*.cda;*.mp4;*.txt;*.lrc)"_s,
         {u"*.wav"_s, u"*.mp3"_s, u"*.cda"_s, u"*.mp4"_s, u"*.txt"_s, u"*.lrc"_s}},
        {u"オーディオ(*.wav;*.mp3*.cda)"_s, {u"*.wav"_s, u"*.mp3"_s, u"*.cda"_s}},
        {u"ビデオ(*.mp4;*.mov)"_s, {u"*.mp4"_s, u"*.mov"_s}},
        {u"テキスト(*.txt;*.lrc)"_s, {u"*.txt"_s, u"*.lrc"_s}},
        {u"すべて(*.*)"_s, {u"*"_s}},
    };
    return filters;
}

QStringList OpenFilterStrings()
{
    QStringList out;
    for (const OpenFilter& f : OpenFilters())
        out << f.label + u" ("_s + f.patterns.join(u' ') + u')';
    return out;
}

QString SongName(const QString& fileName)
{
    return fileName.left(qMax<qsizetype>(0, fileName.size() - 4));
}

QString FileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString FolderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return {};
    if (slash == 0)
        return u"/"_s;   // a file right under the root keeps the root
    return path.left(slash);
}

QString JoinPath(const QString& folder, const QString& name)
{
    if (folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}

QString TempCopyName(std::int32_t mciTempFlag)
{
    return mciTempFlag == 0 ? u"temp0.mp3"_s : u"temp1.mp3"_s;
}

std::int32_t NextTempFlag(std::int32_t mciTempFlag)
{
    return mciTempFlag == 0 ? 1 : 0;
}

} // namespace FileKinds
