#pragma once

#include <QString>
#include <QStringView>

// The line-ending check: the reader's line offsets count on CR LF breaks,
// which text from other programs may lack.
namespace LineEndings {

enum class Finding {
    Nothing,   // an empty text, or one made only of CR LF breaks: no message
    Sound,     // no lone LF
    LoneLf,    // at least one LF without its CR: offer the repair
};

Finding Examine(QStringView text);

// Every CR LF and every lone LF becomes CR LF; a lone CR stays as it is.
QString Repair(const QString& text);

} // namespace LineEndings
