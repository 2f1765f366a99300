#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What the voice-language dialog offers. Every voice is one entry, and each
// entry sits under one line of the dialog's first list (its group), so that
// list stays short: the built-in voices first (the automatic choice, the
// English and Japanese voices and the most asked-for languages each on a line
// of their own, the other languages under one line), then the desktop
// service's Japanese and English voices by language, its variants under their
// language, and its other languages under one line. The dialog's second
// list holds the voices of a line, its third the variants of a voice.
namespace VoiceList {

struct Entry
{
    QString label;          // what the dialog shows
    QString name;           // what OralName stores: the engine's own name
    bool desktop = false;   // a voice of the desktop service
    int builtInIndex = -1;  // position in the built-in voice's own list
    QString group;          // the line of the first list it sits under
    QString speaker;        // its line in the second list: the voice without its variant
    QString variant;        // its line in the third list: the variant, kPlainVariant for none
};

// `builtIn` as the built-in voice lists them; `desktop` as the service
// does ("English (America)+Annie" is a variant of "English (America)").
// Entries of one group follow each other, groups in the order they are shown.
QList<Entry> Make(const QStringList& builtIn, const QStringList& desktop);

// The groups in order, each with its voices in order, each with the
// positions of its entries (its variants).
struct Speaker
{
    QString label;
    QList<int> members;
};
struct Group
{
    QString label;
    QList<Speaker> speakers;
};
QList<Group> Groups(const QList<Entry>& entries);

// The desktop service's voice names shown as they are, marked as the
// service's.
QString DesktopLabel(const QString& name);

// A voice without a variant, in the third list.
extern const QString kPlainVariant;

// The lines that hold many voices.
extern const QString kOtherBuiltInGroup;
extern const QString kOtherDesktopGroup;

} // namespace VoiceList
