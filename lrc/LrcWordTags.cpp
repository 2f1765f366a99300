#include "lrc/LrcWordTags.h"

#include "lrc/LrcTiming.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace LrcWordTags {

namespace {

const QRegularExpression& WordTag()
{
    static const QRegularExpression re(u"<[0-9]+:[0-9]+(?:[.:][0-9]+)?>"_s);
    return re;
}

// Where the line's text begins: past its leading time tags.
qsizetype TextBegin(const QString& line)
{
    qsizetype end = 0;
    if (LrcRules::LeadingTimeTags(line, &end).isEmpty())
        return 0;
    return end;
}

} // namespace

std::vector<Word> Words(const QString& line, std::int32_t lineTime, std::int32_t offset)
{
    std::vector<Word> words;
    const qsizetype begin = TextBegin(line);
    const QStringView rest = QStringView(line).sliced(begin);
    if (!rest.contains(u'<'))
        return words;
    // What shows is the text with the tags left out and tabs widened; each
    // piece between tags is found there in turn.
    const QString shown = LrcRules::Text(line);
    qsizetype cursor = 0;
    auto place = [&](std::int32_t time, QStringView piece) {
        QString text = piece.toString();
        text.replace(u'\t', u"        "_s);
        const qsizetype at = text.isEmpty() ? cursor : shown.indexOf(text, cursor);
        if (at < 0)
            return false;   // cut off by a bracket: the words end here
        words.push_back({time, at, text.size()});
        cursor = at + text.size();
        return true;
    };
    qsizetype from = 0;
    std::optional<std::int32_t> time;
    auto it = WordTag().globalMatch(rest);
    bool any = false;
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QStringView piece = rest.sliced(from, m.capturedStart() - from);
        if (time || !piece.trimmed().isEmpty()) {
            if (!place(time.value_or(lineTime), piece))
                return words;
        }
        const QString tag = m.captured().mid(1, m.capturedLength() - 2);
        time = LrcRules::LrcTextTimerSet(tag, offset);
        from = m.capturedEnd();
        any = true;
    }
    if (any)
        place(*time, rest.sliced(from));
    return words;
}

int WordAt(const std::vector<Word>& words, std::int32_t position)
{
    int at = -1;
    for (int i = 0; i < int(words.size()); ++i) {
        if (words[size_t(i)].time <= position)
            at = i;
    }
    return at;
}

QString ShiftWordTags(const QString& line, std::int32_t deltaMs)
{
    const qsizetype begin = TextBegin(line);
    if (deltaMs == 0 || !line.contains(u'<'))
        return line;
    // The leading tags are cut off first, so only the word tags move.
    return line.left(begin) + LrcTiming::ShiftTimeTags(line.mid(begin), deltaMs);
}

std::optional<std::int32_t> FirstWordTime(const QString& line)
{
    const QRegularExpressionMatch m = WordTag().match(line, TextBegin(line));
    if (!m.hasMatch())
        return std::nullopt;
    return LrcRules::LrcTextTimerSet(m.captured().mid(1, m.capturedLength() - 2), 0);
}

std::int32_t GroupEnd(const LrcRules::Table& table, std::int32_t entry)
{
    if (entry < 0 || entry >= table.size())
        return entry + 1;
    std::int32_t end = entry + 1;
    if (!table.start || entry < *table.start || !table.Tagged(entry))
        return end;
    while (end < table.size() && table.Tagged(end) && table.Time(end) == table.Time(entry))
        ++end;
    return end;
}

std::int32_t GroupStart(const LrcRules::Table& table, std::int32_t entry)
{
    if (!table.start || entry <= *table.start || entry >= table.size() || !table.Tagged(entry))
        return entry;
    while (entry > *table.start && table.Tagged(entry - 1) && table.Time(entry - 1) == table.Time(entry))
        --entry;
    return entry;
}

GroupText TextOfGroup(const LrcRules::Table& table, std::int32_t entry)
{
    GroupText group;
    if (entry < 0 || entry >= table.size())
        return group;
    group.main = table.TextAt(entry);
    QStringList others;
    for (std::int32_t i = entry + 1; i < GroupEnd(table, entry); ++i) {
        const QString text = table.TextAt(i);
        if (!text.trimmed().isEmpty())
            others << text;
    }
    group.second = others.join(u" / "_s);
    return group;
}

} // namespace LrcWordTags
