#include "lrc/LrcTiming.h"

#include <QRegularExpression>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace LrcTiming {

namespace {

// One time tag: minutes, seconds and the digits after its separator.
struct Tag
{
    QStringView minutes;
    QStringView seconds;
    QChar separator;   // '.', ':' or none
    QStringView fraction;

    std::int64_t Ms() const
    {
        const std::int64_t hundredths = fraction.isEmpty() ? 0 : fraction.left(2).toInt();
        return (minutes.toLongLong() * 60 + seconds.toLongLong()) * 1000 + hundredths * 10;
    }
};

const QRegularExpression& LeadingTag()
{
    static const QRegularExpression re(u"\\[(\\d{1,6}):(\\d{1,6})(?:([.:])(\\d{1,6}))?\\]"_s);
    return re;
}

const QRegularExpression& WordTag()
{
    static const QRegularExpression re(u"<(\\d{1,6}):(\\d{1,6})(?:([.:])(\\d{1,6}))?>"_s);
    return re;
}

Tag TagOf(const QRegularExpressionMatch& m)
{
    Tag tag{m.capturedView(1), m.capturedView(2), QChar(), m.capturedView(4)};
    if (m.hasCaptured(3))
        tag.separator = m.capturedView(3).front();
    return tag;
}

// The tag's text for a new time, in the tag's own form.
QString Format(const Tag& tag, std::int64_t ms)
{
    ms = std::max<std::int64_t>(ms, 0);
    const std::int64_t minutes = ms / 60000;
    const std::int64_t seconds = ms / 1000 % 60;
    const std::int64_t hundredths = ms % 1000 / 10;
    QString out = u"%1:%2"_s.arg(minutes, int(tag.minutes.size()), 10, QLatin1Char('0'))
                      .arg(seconds, 2, 10, QLatin1Char('0'));
    if (!tag.separator.isNull()) {
        // Digits past the hundredths are not read; they stay as written.
        out += tag.separator + u"%1"_s.arg(hundredths, 2, 10, QLatin1Char('0')) + tag.fraction.mid(2).toString();
    } else if (hundredths != 0) {
        out += u".%1"_s.arg(hundredths, 2, 10, QLatin1Char('0'));
    }
    return out;
}

// Calls `leading` for each leading tag of every line and `word` for each
// word tag, with the text between them handed to `plain`.
void Walk(const QString& text, const std::function<void(QStringView)>& plain,
          const std::function<void(const Tag&, QChar open, QChar close)>& tagFound, bool wordTags)
{
    qsizetype i = 0;
    qsizetype copied = 0;
    const qsizetype n = text.size();
    auto flush = [&](qsizetype upTo) {
        if (upTo > copied)
            plain(QStringView(text).sliced(copied, upTo - copied));
        copied = upTo;
    };
    bool lineStart = true;
    // The mark goes out with the first plain part.
    if (text.startsWith(QChar(0xFEFF)))
        i = 1;
    while (i < n) {
        if (lineStart) {
            lineStart = false;
            // Leading tags, blanks allowed between them as the reader allows.
            qsizetype p = i;
            for (;;) {
                const auto m = LeadingTag().match(text, p, QRegularExpression::NormalMatch,
                                                      QRegularExpression::AnchorAtOffsetMatchOption);
                if (!m.hasMatch())
                    break;
                flush(p);
                tagFound(TagOf(m), u'[', u']');
                copied = p = m.capturedEnd();
                qsizetype next = p;
                while (next < n && text[next] == u' ')
                    ++next;
                if (next < n && text[next] == u'[')
                    p = next;
            }
            i = std::max(i, copied);
            continue;
        }
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lineStart = true;
            ++i;
            continue;
        }
        if (wordTags && c == u'<') {
            const auto m = WordTag().match(text, i, QRegularExpression::NormalMatch,
                                               QRegularExpression::AnchorAtOffsetMatchOption);
            if (m.hasMatch()) {
                flush(i);
                tagFound(TagOf(m), u'<', u'>');
                copied = i = m.capturedEnd();
                continue;
            }
        }
        ++i;
    }
    flush(n);
}

} // namespace

std::optional<Range> RangeFromLine(const LrcRules::Table& table, std::int32_t line, std::int32_t length)
{
    if (!table.start || line < *table.start || line >= table.size())
        return std::nullopt;
    // A line without a time of its own (an untagged line reads as the
    // offset) names no place in the song.
    const std::int32_t start = table.Time(line);
    if (start <= 0 || start >= length)
        return std::nullopt;
    std::int32_t end = length;
    for (std::int32_t j = line + 1; j < table.size(); ++j) {
        if (const std::int32_t t = table.Time(j); t > start) {
            end = std::min(t, length);
            break;
        }
    }
    return Range{start, end};
}

std::optional<std::int32_t> LineAt(const LrcRules::Table& table, std::int32_t position)
{
    if (!table.start)
        return std::nullopt;
    std::optional<std::int32_t> found;
    for (std::int32_t i = *table.start; i < table.size(); ++i) {
        const std::int32_t t = table.Time(i);
        if (t > position)
            break;
        if (t > 0)
            found = i;
    }
    return found;
}

std::optional<std::int32_t> StepLine(const LrcRules::Table& table, std::int32_t line, int step)
{
    if (!table.start || line < *table.start || line >= table.size())
        return std::nullopt;
    const std::int32_t t = table.Time(line);
    if (step > 0) {
        for (std::int32_t j = line + 1; j < table.size(); ++j) {
            if (table.Time(j) > t)
                return j;
        }
    } else if (step < 0) {
        for (std::int32_t j = line - 1; j >= *table.start; --j) {
            if (const std::int32_t u = table.Time(j); u > 0 && u < t)
                return j;
        }
    } else if (t > 0) {
        return line;
    }
    return std::nullopt;
}

QString ShiftTimeTags(const QString& text, std::int32_t shiftMs)
{
    QString out;
    out.reserve(text.size() + 16);
    Walk(
        text, [&](QStringView part) { out += part; },
        [&](const Tag& tag, QChar open, QChar close) {
            // A tag at 0 (a title line, as a rule) is never shown; moved
            // later it would be, and could not be moved back.
            if (tag.Ms() == 0) {
                out += open;
                out += tag.minutes;
                out += u':';
                out += tag.seconds;
                if (!tag.separator.isNull()) {
                    out += tag.separator;
                    out += tag.fraction;
                }
                out += close;
            } else {
                out += open + Format(tag, tag.Ms() + shiftMs) + close;
            }
        },
        true);
    return out;
}

std::optional<std::int32_t> EarliestTag(const QString& text)
{
    std::optional<std::int64_t> earliest;
    Walk(
        text, [](QStringView) {},
        [&](const Tag& tag, QChar, QChar) {
            if (const std::int64_t ms = tag.Ms(); ms > 0 && (!earliest || ms < *earliest))
                earliest = ms;
        },
        false);
    if (!earliest)
        return std::nullopt;
    return std::int32_t(std::min<std::int64_t>(*earliest, INT32_MAX));
}

QString ShiftText(std::int32_t shiftMs)
{
    const QString sign = shiftMs > 0 ? u"+"_s : shiftMs < 0 ? u"-"_s : QString();
    const std::int32_t a = std::abs(shiftMs);
    return u"%1%2.%3秒"_s.arg(sign).arg(a / 1000).arg(a % 1000 / 100);
}

} // namespace LrcTiming
