#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What the voice-language dialog offers: the built-in voices first, then
// the desktop speech service's, grouped so its many variants of a language
// take one line each, Japanese and English first.
namespace VoiceList {

struct Entry
{
    QString label;          // what the dialog shows
    QString name;           // what OralName stores: the engine's own name
    bool desktop = false;   // a voice of the desktop service
    int builtInIndex = -1;  // position in the built-in voice's own list
};

// `builtIn` as the built-in voice lists them; `desktop` as the service
// does ("English (America)+Annie" is a variant of "English (America)").
// `current`, a desktop voice in use, stays in the list even when it is a
// variant.
QList<Entry> Make(const QStringList& builtIn, const QStringList& desktop, const QString& current = QString());

// The desktop service's voice names shown as they are, marked as the
// service's.
QString DesktopLabel(const QString& name);

} // namespace VoiceList
