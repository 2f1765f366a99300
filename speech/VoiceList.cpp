#include "speech/VoiceList.h"

#include "platform/BuiltInVoice.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace VoiceList {

const QString kOtherBuiltInGroup = u"その他の言語（内蔵）"_s;
const QString kOtherDesktopGroup = u"その他の言語（デスクトップ）"_s;
const QString kPlainVariant = u"標準"_s;

namespace {

// The languages most asked for after English and Japanese, in the order
// they are shown; espeak-ng's other languages go under one line.
const std::array<QString, 10> kCommonLanguages{
    u"中国語（北京語）"_s, u"韓国語"_s, u"フランス語"_s, u"ドイツ語"_s, u"スペイン語"_s,
    u"イタリア語"_s, u"ポルトガル語"_s, u"ロシア語"_s, u"ベトナム語"_s, u"タイ語"_s,
};

QString Base(const QString& name)
{
    return name.section(u'+', 0, 0).trimmed();
}

// Japanese first, English next, the rest in the service's order.
enum class DesktopRank { Japanese, English, Other };

DesktopRank RankOf(const QString& base)
{
    const QString lower = base.toLower();
    if (lower.startsWith(u"japanese"_s) || lower == u"ja"_s || lower.startsWith(u"ja-"_s) || base.contains(u"日本"_s))
        return DesktopRank::Japanese;
    if (lower.startsWith(u"english"_s) || lower.startsWith(u"en-"_s) || lower == u"en"_s || base.contains(u"英語"_s))
        return DesktopRank::English;
    return DesktopRank::Other;
}

// Names sort by how they are read; the few that start with kanji get their
// reading here, the rest are katakana already.
QString SortKey(const QString& name)
{
    static const std::array<std::pair<QString, QString>, 6> readings{{
        {u"中国語"_s, u"チューゴクゴ"_s}, {u"広東語"_s, u"カントンゴ"_s}, {u"古代"_s, u"コダイ"_s},
        {u"客家語"_s, u"ハッカゴ"_s}, {u"西"_s, u"ニシ"_s}, {u"韓国語"_s, u"カンコクゴ"_s},
    }};
    for (const auto& [written, reading] : readings)
        if (name.startsWith(written))
            return reading + name.mid(written.size());
    return name;
}

} // namespace

QString DesktopLabel(const QString& name)
{
    return name + u"（デスクトップ）"_s;
}

QList<Entry> Make(const QStringList& builtIn, const QStringList& desktop)
{
    // Built-in: a line each for the voices that are not one of espeak-ng's
    // languages (the automatic choice, English, Japanese) and for the common
    // languages; the other languages under one line, by their reading.
    QList<Entry> single;
    QList<Entry> common;
    QList<Entry> other;
    const QString& mark = BuiltInVoice::kBuiltInMark;
    for (int i = 0; i < builtIn.size(); ++i) {
        const QString& name = builtIn[i];
        const bool core = name == BuiltInVoice::kAutomaticName || name == BuiltInVoice::kEnglishMaleName
                       || name == BuiltInVoice::kEnglishFemaleName || name == BuiltInVoice::kJapaneseName;
        if (core || !name.endsWith(mark)) {
            single.append({name, name, false, i, name, name, kPlainVariant});
            continue;
        }
        const QString language = name.chopped(mark.size());
        if (std::find(kCommonLanguages.begin(), kCommonLanguages.end(), language) != kCommonLanguages.end())
            common.append({name, name, false, i, name, name, kPlainVariant});
        else
            other.append({name, name, false, i, kOtherBuiltInGroup, name, kPlainVariant});
    }
    const auto commonOrder = [](const Entry& e) {
        const QString language = e.name.chopped(BuiltInVoice::kBuiltInMark.size());
        return std::find(kCommonLanguages.begin(), kCommonLanguages.end(), language) - kCommonLanguages.begin();
    };
    std::stable_sort(common.begin(), common.end(),
                     [&](const Entry& a, const Entry& b) { return commonOrder(a) < commonOrder(b); });
    std::stable_sort(other.begin(), other.end(),
                     [](const Entry& a, const Entry& b) { return SortKey(a.name) < SortKey(b.name); });

    // Desktop: each language's plain voice, then its variants; Japanese and
    // English a line per language, the others under one line.
    QStringList bases;
    QHash<QString, QStringList> voicesOf;
    for (const QString& name : desktop) {
        const QString base = Base(name);
        if (!voicesOf.contains(base))
            bases << base;
        QStringList& voices = voicesOf[base];
        if (voices.contains(name))
            continue;   // a name listed twice is offered once
        if (name == base)
            voices.prepend(name);
        else
            voices.append(name);
    }
    QList<Entry> service[3];
    for (const QString& base : bases) {
        const DesktopRank rank = RankOf(base);
        const QString group = rank == DesktopRank::Other ? kOtherDesktopGroup : DesktopLabel(base);
        for (const QString& name : voicesOf.value(base)) {
            const QString variant = name == base ? kPlainVariant : name.section(u'+', 1).trimmed();
            service[int(rank)].append({DesktopLabel(name), name, true, -1, group, DesktopLabel(base), variant});
        }
    }

    QList<Entry> out = single + common + other;
    for (const QList<Entry>& rank : service)
        out += rank;
    return out;
}

QList<Group> Groups(const QList<Entry>& entries)
{
    QList<Group> out;
    for (int i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        if (out.isEmpty() || out.last().label != e.group)
            out.append({e.group, {}});
        QList<Speaker>& speakers = out.last().speakers;
        if (speakers.isEmpty() || speakers.last().label != e.speaker)
            speakers.append({e.speaker, {}});
        speakers.last().members.append(i);
    }
    return out;
}

} // namespace VoiceList
