#include "documents/LineBreaks.h"

#include <algorithm>
#include <array>

namespace LineBreaks {

QStringView Text(Kind kind)
{
    static const char16_t crlf[] = u"\r\n";
    static const char16_t lf[] = u"\n";
    static const char16_t cr[] = u"\r";
    static const char16_t ps[] = u"\u2029";
    static const char16_t fs[] = u"\uFDD0";
    static const char16_t fe[] = u"\uFDD1";
    switch (kind) {
    case CrLf: return QStringView(crlf, 2);
    case Lf: return QStringView(lf, 1);
    case Cr: return QStringView(cr, 1);
    case ParagraphSeparator: return QStringView(ps, 1);
    case FrameStart: return QStringView(fs, 1);
    case FrameEnd: return QStringView(fe, 1);
    }
    return {};
}

QList<Kind> Kinds(QStringView text)
{
    QList<Kind> kinds;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        switch (text[i].unicode()) {
        case u'\r':
            if (i + 1 < n && text[i + 1] == u'\n') {
                kinds.append(CrLf);
                ++i;
            } else {
                kinds.append(Cr);
            }
            break;
        case u'\n': kinds.append(Lf); break;
        case 0x2029: kinds.append(ParagraphSeparator); break;
        case 0xFDD0: kinds.append(FrameStart); break;
        case 0xFDD1: kinds.append(FrameEnd); break;
        default: break;
        }
    }
    return kinds;
}

Kind MostCommon(const QList<Kind>& kinds)
{
    std::array<qsizetype, 6> count{};
    for (Kind k : kinds)
        ++count[k];
    return Kind(std::max_element(count.begin(), count.end()) - count.begin());
}

} // namespace LineBreaks

OffsetMap::OffsetMap(const std::vector<int>& paragraphLengths, const std::vector<LineBreaks::Kind>& breaks)
    : lengths_(paragraphLengths), breaks_(breaks)
{
    if (lengths_.empty())
        lengths_.push_back(0);
    breaks_.resize(lengths_.size() - 1, LineBreaks::CrLf);
    editorStart_.resize(lengths_.size());
    textStart_.resize(lengths_.size());
    int editor = 0;
    int text = 0;
    for (size_t p = 0; p < lengths_.size(); ++p) {
        if (p > 0) {
            editor += 1;
            text += LineBreaks::Length(breaks_[p - 1]);
            allCrLf_ = allCrLf_ && breaks_[p - 1] == LineBreaks::CrLf;
        }
        editorStart_[p] = editor;
        textStart_[p] = text;
        editor += lengths_[p];
        text += lengths_[p];
    }
}

int OffsetMap::TextLength() const
{
    if (textStart_.empty())
        return 0;
    return textStart_.back() + lengths_.back();
}

int OffsetMap::ToTextOffset(int editorPosition) const
{
    if (editorStart_.empty() || editorPosition <= 0)
        return 0;
    const auto it = std::upper_bound(editorStart_.begin(), editorStart_.end(), editorPosition);
    const size_t p = size_t(it - editorStart_.begin()) - 1;
    return textStart_[p] + std::min(editorPosition - editorStart_[p], lengths_[p]);
}

int OffsetMap::ToEditorPosition(int textOffset) const
{
    if (textStart_.empty() || textOffset <= 0)
        return 0;
    const auto it = std::upper_bound(textStart_.begin(), textStart_.end(), textOffset);
    const size_t p = size_t(it - textStart_.begin()) - 1;
    return editorStart_[p] + std::min(textOffset - textStart_[p], lengths_[p]);
}
