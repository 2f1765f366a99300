#include "lrc/LrcRules.h"

#include "documents/EncodingDetect.h"

#include <QRegularExpression>

#include <array>
#include <climits>

using namespace Qt::StringLiterals;

namespace LrcRules {

namespace {

// The first piece of `text` cut at any of `separators`, skipping `skip`
// non-empty pieces; empty when there are not that many.
QStringView Piece(QStringView text, QStringView separators, int skip)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && separators.contains(text[i]))
            ++i;
        if (i == n)
            break;
        qsizetype end = i;
        while (end < n && !separators.contains(text[end]))
            ++end;
        if (skip-- == 0)
            return text.sliced(i, end - i);
        i = end;
    }
    return {};
}

constexpr QStringView kBrackets = u"[]";

// Word-timing tags of the enhanced format, which are never shown.
const QRegularExpression& WordTag()
{
    static const QRegularExpression re(u"<\\d+:\\d+(?:[.:]\\d+)?>"_s);
    return re;
}

} // namespace

QString CompanionPath(const QString& musicPath)
{
    return musicPath.chopped(qMin<qsizetype>(3, musicPath.size())) + u"lrc"_s;
}

QString Decode(const QByteArray& bytes, const TextCodec& codec)
{
    DetectedText decoded = DetectAndDecode(bytes, codec);
    if (decoded.markFlag.value_or(0) == 1 && decoded.text.startsWith(QChar(0xFEFF)))
        decoded.text.remove(0, 1);
    return decoded.text;
}

QStringList Lines(const QString& text)
{
    static const QRegularExpression lineEnd(u"\r\n|\r|\n"_s);
    return text.split(lineEnd, Qt::SkipEmptyParts);
}

bool IsHeader(const QString& line)
{
    static const std::array<QString, 9> headers{u"[ti"_s, u"[ar"_s, u"[al"_s, u"[by"_s, u"[au"_s,
                                                u"[length"_s, u"[offset"_s, u"[re"_s, u"[ve"_s};
    for (const QString& h : headers) {
        if (line.contains(h))
            return true;
    }
    return false;
}

std::int32_t Atoi(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    // Like strtol: saturate at the long range, then keep the low 32 bits.
    std::int64_t value = 0;
    bool saturated = false;
    for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (saturated)
            continue;
        const int digit = text[i].unicode() - u'0';
        if (value > (LLONG_MAX - digit) / 10) {
            saturated = true;
            value = negative ? LLONG_MIN : LLONG_MAX;
            continue;
        }
        value = value * 10 + digit;
    }
    if (negative && !saturated)
        value = -value;
    return std::int32_t(std::uint32_t(std::uint64_t(value)));
}

std::int32_t LrcTextTimerSet(const QString& tag, std::int32_t offset)
{
    std::int32_t m = 0;
    std::int32_t s = 0;
    std::int32_t h = 0;
    const QStringView t(tag);
    if (t.contains(u'.')) {
        h = Atoi(Piece(t, u".", 1).left(2));
        if (!t.contains(u':'))
            return 0;
        const QStringView first = Piece(t, u".", 0);
        s = Atoi(Piece(first, u":", 1));
        m = Atoi(Piece(first, u":", 0));
    } else if (t.contains(u':')) {
        h = Atoi(Piece(t, u":", 2).left(2));
        s = Atoi(Piece(t, u":", 1));
        m = Atoi(Piece(t, u":", 0));
    }
    // Signed 32-bit arithmetic that wraps instead of overflowing.
    std::uint32_t ms = std::uint32_t(m) * 60u + std::uint32_t(s);
    ms = (ms * 100u + std::uint32_t(h)) * 10u + std::uint32_t(offset);
    return std::int32_t(ms);
}

QString Tag(const QString& line)
{
    return Piece(line, kBrackets, 0).toString();
}

QString Text(const QString& line)
{
    const QStringView l(line);
    QStringView rest;
    if (l.startsWith(u'[')) {
        // Every leading tag is a time of this line; the text follows the last.
        qsizetype pos = 0;
        while (pos < l.size() && l[pos] == u'[') {
            const qsizetype close = l.indexOf(u']', pos);
            if (close < 0)
                return {};
            pos = close + 1;
            qsizetype next = pos;
            while (next < l.size() && l[next] == u' ')
                ++next;
            if (next < l.size() && l[next] == u'[')
                pos = next;
        }
        rest = Piece(l.sliced(pos), kBrackets, 0);
    } else {
        rest = Piece(l, kBrackets, 1);
    }
    QString text = rest.toString();
    if (text.contains(u'<'))
        text.remove(WordTag());
    text.replace(u'\t', u"        "_s);
    return text;
}

std::int32_t Offset(const QString& line)
{
    return Atoi(Piece(line, u":]", 1));
}

Table FirstTimedLine(const QString& text)
{
    Table table;
    table.lines = Lines(text);
    for (std::int32_t i = 0; i < table.size(); ++i) {
        const QString& line = table.lines.at(i);
        const bool candidate = line.contains(u'[') && line.contains(u':') && line.contains(u']')
                               && !IsHeader(line);
        if (candidate) {
            if (table.Time(i) > 0) {
                table.start = i;
                break;
            }
        } else if (line.contains(u"[offset"_s)) {
            table.offset = Offset(line);
        }
    }
    return table;
}

} // namespace LrcRules
