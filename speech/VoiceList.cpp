#include "speech/VoiceList.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace VoiceList {

namespace {

QString Base(const QString& name)
{
    return name.section(u'+', 0, 0).trimmed();
}

// Japanese first, English next, the rest in the service's order.
int Rank(const QString& base)
{
    const QString lower = base.toLower();
    if (lower.startsWith(u"japanese"_s) || lower == u"ja"_s || lower.startsWith(u"ja-"_s) || base.contains(u"日本"_s))
        return 0;
    if (lower.startsWith(u"english"_s) || lower.startsWith(u"en-"_s) || lower == u"en"_s || base.contains(u"英語"_s))
        return 1;
    return 2;
}

} // namespace

QString DesktopLabel(const QString& name)
{
    return name + u"（デスクトップ）"_s;
}

QList<Entry> Make(const QStringList& builtIn, const QStringList& desktop, const QString& current)
{
    QList<Entry> out;
    for (int i = 0; i < builtIn.size(); ++i)
        out.append({builtIn[i], builtIn[i], false, i});

    // One name per base: the plain one when the service has it, else the
    // first variant; the voice in use keeps its own line.
    QStringList bases;
    QHash<QString, QString> chosen;
    for (const QString& name : desktop) {
        const QString base = Base(name);
        if (!chosen.contains(base)) {
            bases << base;
            chosen.insert(base, name);
        } else if (name == base) {
            chosen[base] = name;
        }
    }
    QList<Entry> service[3];
    for (const QString& base : bases) {
        const QString name = chosen.value(base);
        service[Rank(base)].append({DesktopLabel(name), name, true, -1});
        if (!current.isEmpty() && current != name && Base(current) == base && desktop.contains(current))
            service[Rank(base)].append({DesktopLabel(current), current, true, -1});
    }
    for (const QList<Entry>& group : service)
        out += group;
    return out;
}

} // namespace VoiceList
