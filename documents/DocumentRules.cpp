#include "documents/DocumentRules.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace DocumentRules {

void ContentChanged(std::int16_t& state, std::int32_t& loadChange)
{
    if (loadChange == LoadChange::Pending) {
        loadChange = LoadChange::None;
        return;
    }
    if (state == Untouched || state == New)
        state = NewEdited;
    else if (state == Stored)
        state = StoredEdited;
}

OverWriteAction ForOverWrite(bool fileExists, std::int16_t state)
{
    if (fileExists) {
        if (state == StoredEdited)
            return OverWriteAction::Ask;
        if (state == NewEdited)
            return OverWriteAction::SaveUnderName;   // never over a file that merely shares the default name
        return OverWriteAction::Nothing;
    }
    if (state == NewEdited || state == Stored || state == StoredEdited)
        return OverWriteAction::SaveUnderName;
    return OverWriteAction::Nothing;
}

Preselection Preselect(std::int16_t state, std::int16_t code, bool shiftJisConvertible)
{
    if (state == Stored || state == StoredEdited)
        return {code >= EncodingCode::Utf16LE && code <= EncodingCode::Utf8 ? code + 1 : 1, true};
    return {shiftJisConvertible ? 1 : 2, false};
}

QString BaseName(const QString& fileName)
{
    return fileName.size() > 4 ? fileName.chopped(4) : QString();
}

QString FolderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash);
}

QString FileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString WithExtension(const QString& path, const QString& extension)
{
    return path.endsWith(extension) ? path : path + extension;
}

QStringList SaveFilters(const QString& extension)
{
    const QString pattern = u"(*"_s + extension + u")"_s;
    return {u"ANSIテキスト"_s + pattern, u"Unicodeテキスト"_s + pattern,
            u"Unicode big endianテキスト"_s + pattern, u"UTF8テキスト"_s + pattern};
}

QString SaveFailureMessage(int position)
{
    switch (position) {
    case 1: return u"ANSIコードに変換できない文字が含まれています。"_s;
    case 2: return u"Unicodeコードに変換できない文字が含まれています。"_s;
    case 3: return u"nicode big endianコードに変換できない文字が含まれています。"_s;
    default: return u"UTF8コードに変換できない文字が含まれています。"_s;
    }
}

int StyleBits(const FontStyle& s)
{
    const bool decorated = s.underline || s.strikeout;
    if (s.italic && !s.bold && !decorated)
        return 2;
    if (s.bold && !s.italic && !decorated)
        return 1;
    if (s.strikeout && !s.underline && !s.bold && !s.italic)
        return 8;
    if (s.underline && !s.strikeout && !s.bold && !s.italic)
        return 4;
    if (s.bold && s.italic && !decorated)
        return 3;
    return 0;
}

FontStyle StyleFromBits(int bits)
{
    switch (bits) {
    case 1: return {true, false, false, false};
    case 2: return {false, true, false, false};
    case 3: return {true, true, false, false};
    case 4: return {false, false, true, false};
    case 8: return {false, false, false, true};
    default: return {};
    }
}

double ClampFontSize(double points)
{
    return std::clamp(points, 9.0, 24.0);
}

} // namespace DocumentRules
