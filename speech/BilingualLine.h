#pragma once

#include <QString>
#include <QStringList>

// A lyric line and its translations share one time and are shown as one
// line; its speak button says the part the voice can read. Plain rules.
namespace BilingualLine {

// What is known of the voice in use.
struct Voice
{
    enum class Kind { Unknown, OneLanguage, Automatic };
    Kind kind = Kind::Unknown;
    QString language;   // OneLanguage: "en", "ja", "fr" ...
};

// The parts to say, each as an utterance of its own, in their order:
// - parts with nothing to read (empty, blank, only a comment) never count;
// - the automatic voice says every part, each with the voice of its script;
// - a voice of one language says the parts in that language, or the first
//   part when none is;
// - a voice of unknown language says the first part, the line itself.
QStringList PartsToSay(const QStringList& parts, const Voice& voice);

// "en" for "en-gb", "en_US" or "EN".
QString PrimaryLanguage(const QString& code);

} // namespace BilingualLine
