#include "lrc/TapTiming.h"

#include "lrc/LrcRules.h"
#include "lrc/LrcWordTags.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace TapTiming {

std::vector<SourceLine> SplitKeepingBreaks(const QString& text)
{
    std::vector<SourceLine> lines;
    qsizetype from = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\n' && c != u'\r')
            continue;
        const qsizetype breakLength = c == u'\r' && i + 1 < n && text[i + 1] == u'\n' ? 2 : 1;
        lines.push_back({text.sliced(from, i - from), text.sliced(i, breakLength)});
        i += breakLength - 1;
        from = i + 1;
    }
    if (from < n)
        lines.push_back({text.sliced(from), QString()});
    return lines;
}

bool IsLyricLine(const QString& line)
{
    if (line.trimmed().isEmpty())
        return false;
    if (!LrcRules::LeadingTimeTags(line.trimmed()).isEmpty())
        return !LrcRules::IsExtension(line.trimmed());
    return !LrcRules::IsHeader(line);
}

QString WithoutTimeTags(const QString& line)
{
    qsizetype end = 0;
    if (LrcRules::LeadingTimeTags(line, &end).isEmpty())
        return line;
    return line.mid(end);
}

QString FormatTag(std::int32_t ms)
{
    const std::int64_t hundredths = (std::max<std::int64_t>(ms, 0) + 5) / 10;
    return u"[%1:%2.%3]"_s.arg(hundredths / 6000, 2, 10, QLatin1Char('0'))
        .arg(hundredths / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

Session::Session(int lyricLines, std::int32_t songLengthMs) : lines_(std::max(0, lyricLines)), length_(songLengthMs)
{
}

bool Session::Fits() const
{
    return std::int64_t(lines_) * kMinGapMs < std::int64_t(length_);
}

StampResult Session::Stamp(std::int64_t playedMs, std::int32_t compensationMs)
{
    if (done())
        return StampResult::AllStamped;
    if (playedMs >= length_)
        return StampResult::PastEnd;
    std::int64_t stamp = std::max<std::int64_t>(0, playedMs - compensationMs);
    if (!stamps_.empty())
        stamp = std::max<std::int64_t>(stamp, std::int64_t(stamps_.back()) + kMinGapMs);
    if (stamp >= length_)
        return StampResult::PastEnd;
    stamps_.push_back(std::int32_t(stamp));
    return StampResult::Stamped;
}

std::optional<std::int32_t> Session::Undo()
{
    if (stamps_.empty())
        return std::nullopt;
    const std::int32_t taken = stamps_.back();
    stamps_.pop_back();
    return std::max(0, taken - kReplayLeadMs);
}

bool Session::Nudge(int line, std::int32_t deltaMs)
{
    if (line < 0 || line >= next())
        return false;
    const std::int64_t low = line > 0 ? stamps_[size_t(line - 1)] : 0;
    const std::int64_t high = line + 1 < next() ? stamps_[size_t(line + 1)] : std::int64_t(length_) - 1;
    const std::int64_t moved = std::clamp<std::int64_t>(std::int64_t(stamps_[size_t(line)]) + deltaMs, low,
                                                        std::max(low, high));
    if (moved == stamps_[size_t(line)])
        return false;
    stamps_[size_t(line)] = std::int32_t(moved);
    return true;
}

int LyricLineCount(const std::vector<SourceLine>& source)
{
    return int(std::count_if(source.begin(), source.end(), [](const SourceLine& l) { return IsLyricLine(l.text); }));
}

QString Compose(const std::vector<SourceLine>& source, const std::vector<std::int32_t>& stamps)
{
    // The reader adds an offset header's value to every tag; the stamps are
    // where the lines sound, so the tags hold them less the offset.
    std::int32_t offset = 0;
    for (const SourceLine& l : source) {
        if (IsLyricLine(l.text))
            break;
        if (l.text.contains(u"[offset"_s))
            offset = LrcRules::Offset(l.text);
    }
    QString out;
    size_t k = 0;
    for (const SourceLine& l : source) {
        QString line = l.text;
        if (IsLyricLine(line) && k < stamps.size()) {
            const std::int32_t tagTime = std::max(0, stamps[k++] - offset);
            // Word tags move with their line: by as much as the line's own
            // tag moves, or, without one, as its first word does.
            const QString trimmed = line.trimmed();
            const QList<QStringView> old = LrcRules::LeadingTimeTags(trimmed);
            std::optional<std::int32_t> from;
            if (!old.isEmpty())
                from = LrcRules::LrcTextTimerSet(old.front().toString(), 0);
            else
                from = LrcWordTags::FirstWordTime(line);
            QString text = old.isEmpty() ? line : WithoutTimeTags(trimmed);
            if (from)
                text = LrcWordTags::ShiftWordTags(text, tagTime - *from);
            line = FormatTag(tagTime) + text;
        }
        out += line + l.lineBreak;
    }
    return out;
}

} // namespace TapTiming
