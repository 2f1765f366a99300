#include "lrc/LrcRules.h"

#include "documents/EncodingDetect.h"

#include <QRegularExpression>

#include <algorithm>
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

// One character in this many that the bytes could not form makes a text
// unreadable. Binary data reads with one in six or more bad, whichever
// encoding; a few stray bytes in a short lyric file stay below it.
constexpr qsizetype kUnreadableShare = 10;

// Word-timing tags of the enhanced format, which are never shown.
const QRegularExpression& WordTag()
{
    static const QRegularExpression re(u"<[0-9]+:[0-9]+(?:[.:][0-9]+)?>"_s);
    return re;
}

} // namespace

QString CompanionPath(const QString& musicPath)
{
    return musicPath.chopped(qMin<qsizetype>(3, musicPath.size())) + u"lrc"_s;
}

Decoded DecodeFile(const QByteArray& bytes, const TextCodec& codec)
{
    const DetectedText detected = DetectAndDecode(bytes, codec);
    Decoded decoded;
    decoded.text = detected.text;
    decoded.encoding = EncodingOf(detected.code.value_or(0));
    if (detected.markFlag.value_or(0) == 1 && decoded.text.startsWith(QChar(0xFEFF))) {
        decoded.text.remove(0, 1);
        decoded.markBytes = TextCodec::Mark(decoded.encoding).size();
    }
    // UTF-16 decoding keeps half a pair as it is; text tools downstream
    // (regular expressions above all) give up on the whole text for it.
    QChar* c = decoded.text.data();
    const qsizetype n = decoded.text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (c[i].isHighSurrogate() && i + 1 < n && c[i + 1].isLowSurrogate())
            ++i;
        else if (c[i].isSurrogate())
            c[i] = QChar::ReplacementCharacter;
    }
    return decoded;
}

bool Unreadable(const QString& text)
{
    qsizetype bad = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        // Bytes of another encoding or of no text at all read as these.
        const QChar::Category kind = QChar::category(c);
        if (c == QChar::ReplacementCharacter || kind == QChar::Other_Surrogate || kind == QChar::Other_NotAssigned
            || kind == QChar::Other_PrivateUse || (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r'))
            ++bad;
    }
    return bad > 0 && bad * kUnreadableShare >= n;
}

QString Decode(const QByteArray& bytes, const TextCodec& codec)
{
    return DecodeFile(bytes, codec).text;
}

QStringList Lines(const QString& text)
{
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype begin = 0;
    for (qsizetype i = 0; i <= n; ++i) {
        if (i < n && text[i] != u'\r' && text[i] != u'\n')
            continue;
        // A line of blanks is as blank as an empty one.
        const QStringView piece = QStringView(text).sliced(begin, i - begin);
        if (!piece.trimmed().isEmpty())
            lines << piece.toString();
        begin = i + 1;
    }
    return lines;
}

bool NamedTag(QStringView tag)
{
    const qsizetype colon = tag.indexOf(u':');
    return colon >= 0 && std::any_of(tag.begin(), tag.begin() + colon, [](QChar c) { return c.isLetter(); });
}

bool IsTimeTag(QStringView tag)
{
    const qsizetype colon = tag.indexOf(u':');
    if (colon < 0)
        return false;
    bool digit = false;
    for (QChar c : tag.left(colon)) {
        if (c.isLetter())
            return false;
        digit = digit || (c >= u'0' && c <= u'9');
    }
    return digit;
}

QList<QStringView> LeadingTimeTags(QStringView line, qsizetype* end)
{
    QList<QStringView> tags;
    qsizetype pos = 0;
    while (pos < line.size() && line[pos] == u'[') {
        const qsizetype close = line.indexOf(u']', pos);
        if (close < 0)
            break;
        const QStringView tag = line.sliced(pos + 1, close - pos - 1);
        if (!IsTimeTag(tag))
            break;
        tags << tag;
        pos = close + 1;
        qsizetype next = pos;
        while (next < line.size() && line[next] == u' ')
            ++next;
        if (next < line.size() && line[next] == u'[')
            pos = next;
    }
    if (end)
        *end = pos;
    return tags;
}

bool IsHeader(const QString& line)
{
    static const std::array<QString, 9> headers{u"[ti"_s, u"[ar"_s, u"[al"_s, u"[by"_s, u"[au"_s,
                                                u"[length"_s, u"[offset"_s, u"[re"_s, u"[ve"_s};
    for (const QString& h : headers) {
        if (line.contains(h))
            return true;
    }
    // Any other tag that names something instead of a time, whatever the
    // name: [la:ja], [total:375275], [作詞:…].
    const qsizetype open = line.indexOf(u'[');
    const qsizetype close = open < 0 ? -1 : line.indexOf(u']', open);
    if (close < 0)
        return false;
    return NamedTag(QStringView(line).sliced(open + 1, close - open - 1));
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
    QStringView opening;   // a bracketed part that opens the text
    if (l.startsWith(u'[')) {
        // The first tag is the line's time; the time tags right after it
        // are further times of the line, and the text follows the last one.
        const qsizetype close = l.indexOf(u']');
        if (close < 0)
            return {};
        qsizetype pos = close + 1;
        qsizetype next = pos;
        while (next < l.size() && l[next] == u' ')
            ++next;
        if (next < l.size() && l[next] == u'[') {
            qsizetype end = 0;
            LeadingTimeTags(l.sliced(next), &end);
            pos = next + end;
        }
        rest = l.sliced(pos);
        if (rest.startsWith(u'[')) {
            // Not a time ([Chorus]): it is part of what the line says.
            const qsizetype end = rest.indexOf(u']');
            opening = end < 0 ? rest : rest.left(end + 1);
            rest = rest.sliced(opening.size());
            qsizetype stop = 0;
            while (stop < rest.size() && !kBrackets.contains(rest[stop]))
                ++stop;
            rest = rest.left(stop);
        } else {
            rest = Piece(rest, kBrackets, 0);
        }
    } else {
        rest = Piece(l, kBrackets, 1);
    }
    QString text = opening.toString() + rest.toString();
    if (text.contains(u'<'))
        text.remove(WordTag());
    text.replace(u'\t', u"        "_s);
    return text;
}

bool IsExtension(const QString& line)
{
    qsizetype end = 0;
    if (LeadingTimeTags(line, &end).isEmpty())
        return false;
    const QStringView rest = QStringView(line).sliced(end).trimmed();
    if (rest.startsWith(u'[')) {
        const qsizetype close = rest.indexOf(u']');
        if (close > 0 && NamedTag(rest.sliced(1, close - 1)))
            return true;   // [tr:en] and its kind
    }
    static const QRegularExpression wordTiming(u"^(?:\\[tt\\])?\\s*(?:<[0-9]+(?:,[0-9]+)?>\\s*)+$"_s);
    return wordTiming.match(rest).hasMatch();
}

std::int32_t Offset(const QString& line)
{
    return Atoi(Piece(line, u":]", 1));
}

std::optional<std::int32_t> Table::EntryOfLine(std::int32_t line) const
{
    for (std::int32_t i = 0; i < size(); ++i) {
        if (Line(i) == line)
            return i;
    }
    return std::nullopt;
}

Table FirstTimedLine(const QString& text)
{
    Table table;
    table.lines = Lines(text);
    const auto n = std::int32_t(table.lines.size());
    for (std::int32_t i = 0; i < n; ++i) {
        const QString& line = table.lines.at(i);
        const bool candidate = line.contains(u'[') && line.contains(u':') && line.contains(u']')
                               && !IsHeader(line) && !IsExtension(line);
        if (candidate) {
            // A line at 0 is sung from the start; only a real time tag
            // counts there, not a text that happens to read as 0.
            const std::int32_t time = LrcTextTimerSet(Tag(line), table.offset);
            if (time > 0 || (time == 0 && !LeadingTimeTags(line).isEmpty())) {
                table.start = i;
                break;
            }
        } else if (line.contains(u"[offset"_s)) {
            table.offset = Offset(line);
        }
    }
    const std::int32_t s = table.start.value_or(n);
    for (std::int32_t i = 0; i < s; ++i)
        table.entries.push_back({LrcTextTimerSet(Tag(table.lines.at(i)), table.offset), i, false});
    if (!table.start)
        return table;

    // Each entry with the time it is sorted by: its own, or for a line
    // without a tag that of the entry before it.
    std::vector<std::pair<std::int64_t, Entry>> timed;
    std::int64_t previous = 0;
    for (std::int32_t i = s; i < n; ++i) {
        const QString& line = table.lines.at(i);
        if (IsExtension(line))
            continue;
        const QList<QStringView> tags = LeadingTimeTags(line);
        for (QStringView tag : tags) {
            const std::int32_t time = LrcTextTimerSet(tag.toString(), table.offset);
            timed.push_back({time, {time, i, true}});
            previous = time;
        }
        if (!tags.isEmpty() || (i != s && IsHeader(line)))
            continue;
        const std::int32_t time = LrcTextTimerSet(Tag(line), table.offset);
        if (i == s)
            previous = time;
        timed.push_back({previous, {time, i, i == s}});
    }
    std::stable_sort(timed.begin(), timed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [key, entry] : timed)
        table.entries.push_back(entry);
    return table;
}

} // namespace LrcRules
