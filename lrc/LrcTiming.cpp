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
    static const QRegularExpression re(u"\\[([0-9]{1,6}):([0-9]{1,6})(?:([.:])([0-9]{1,6}))?\\]"_s);
    return re;
}

const QRegularExpression& WordTag()
{
    static const QRegularExpression re(u"<([0-9]{1,6}):([0-9]{1,6})(?:([.:])([0-9]{1,6}))?>"_s);
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

// Calls `tagFound` for each leading tag of every line and, with wordTags,
// for each word tag, and `plain` with the spans of `text` between them.
// Tags are ASCII, so `text` may stand for bytes of any encoding with every
// other character replaced.
void Walk(const QString& text, const std::function<void(qsizetype from, qsizetype to)>& plain,
          const std::function<void(const Tag&, QChar open, QChar close)>& tagFound, bool wordTags)
{
    qsizetype i = 0;
    qsizetype copied = 0;
    const qsizetype n = text.size();
    auto flush = [&](qsizetype upTo) {
        if (upTo > copied)
            plain(copied, upTo);
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

// The moved tag in its own form; none below 0.
QString Moved(const Tag& tag, QChar open, QChar close, std::int32_t shiftMs)
{
    return open + Format(tag, tag.Ms() + shiftMs) + close;
}

// The file's code units as characters: ASCII as itself, anything else
// (a character of two or more bytes, a byte that forms none) as U+FFFD.
// unitStart[i] is where character i begins in the bytes.
struct Skeleton
{
    QString text;
    std::vector<qsizetype> unitStart;
};

Skeleton SkeletonOf(const QByteArray& bytes, qsizetype from, TextCodec::Encoding encoding)
{
    Skeleton s;
    const qsizetype n = bytes.size();
    s.text.reserve(n - from);
    s.unitStart.reserve(size_t(n - from + 1));
    const auto byte = [&bytes](qsizetype i) { return quint8(bytes[i]); };
    qsizetype i = from;
    while (i < n) {
        s.unitStart.push_back(i);
        qsizetype width = 1;
        char16_t c = byte(i);
        switch (encoding) {
        case TextCodec::Encoding::Utf16LE:
        case TextCodec::Encoding::Utf16BE:
            if (i + 1 < n) {
                width = 2;
                c = encoding == TextCodec::Encoding::Utf16LE ? char16_t(byte(i) | byte(i + 1) << 8)
                                                              : char16_t(byte(i) << 8 | byte(i + 1));
            } else {
                c = 0xFFFD;   // half a unit at the end
            }
            break;
        case TextCodec::Encoding::ShiftJis:
            // A lead byte takes its trail byte, which may look like '[' or ']'.
            if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
                if (i + 1 < n && ((byte(i + 1) >= 0x40 && byte(i + 1) <= 0x7E) || (byte(i + 1) >= 0x80 && byte(i + 1) <= 0xFC)))
                    width = 2;
            }
            break;
        case TextCodec::Encoding::Utf8:
            break;
        }
        s.text += QChar(c < 0x80 ? c : char16_t(0xFFFD));
        i += width;
    }
    s.unitStart.push_back(n);
    return s;
}

} // namespace

std::optional<Range> RangeFromLine(const LrcRules::Table& table, std::int32_t line, std::int32_t length)
{
    if (!table.start || line < *table.start || line >= table.size())
        return std::nullopt;
    // A line without a time of its own (an untagged line reads as the
    // offset) names no place in the song.
    const std::int32_t start = table.Time(line);
    if (!table.Tagged(line) || start < 0 || start >= length)
        return std::nullopt;
    std::int32_t end = length;
    for (std::int32_t j = line + 1; j < table.size(); ++j) {
        if (const std::int32_t t = table.Time(j); table.Tagged(j) && t > start) {
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
        if (!table.Tagged(i))
            continue;
        const std::int32_t t = table.Time(i);
        if (t > position)
            break;
        if (t >= 0)
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
            if (table.Tagged(j) && table.Time(j) > t)
                return j;
        }
    } else if (step < 0) {
        for (std::int32_t j = line - 1; j >= *table.start; --j) {
            if (const std::int32_t u = table.Time(j); table.Tagged(j) && u >= 0 && u < t)
                return j;
        }
    } else if (table.Tagged(line) && t >= 0) {
        return line;
    }
    return std::nullopt;
}

QString ShiftTimeTags(const QString& text, std::int32_t shiftMs)
{
    QString out;
    out.reserve(text.size() + 16);
    Walk(
        text, [&](qsizetype from, qsizetype to) { out += QStringView(text).sliced(from, to - from); },
        [&](const Tag& tag, QChar open, QChar close) { out += Moved(tag, open, close, shiftMs); }, true);
    return out;
}

QByteArray ShiftTimeTagBytes(const QByteArray& bytes, qsizetype markBytes, TextCodec::Encoding encoding,
                             std::int32_t shiftMs)
{
    const Skeleton s = SkeletonOf(bytes, markBytes, encoding);
    QByteArray out;
    out.reserve(bytes.size() + 32);
    out += bytes.left(markBytes);
    Walk(
        s.text,
        [&](qsizetype from, qsizetype to) {
            out += QByteArrayView(bytes).sliced(s.unitStart[size_t(from)], s.unitStart[size_t(to)] - s.unitStart[size_t(from)]);
        },
        [&](const Tag& tag, QChar open, QChar close) {
            for (QChar c : Moved(tag, open, close, shiftMs)) {
                const char a = char(c.unicode());
                if (encoding == TextCodec::Encoding::Utf16LE)
                    out.append(a).append('\0');
                else if (encoding == TextCodec::Encoding::Utf16BE)
                    out.append('\0').append(a);
                else
                    out.append(a);
            }
        },
        true);
    return out;
}

std::optional<std::int32_t> EarliestTag(const QString& text)
{
    std::optional<std::int64_t> earliest;
    Walk(
        text, [](qsizetype, qsizetype) {},
        [&](const Tag& tag, QChar, QChar) {
            if (const std::int64_t ms = tag.Ms(); !earliest || ms < *earliest)
                earliest = ms;
        },
        true);
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
