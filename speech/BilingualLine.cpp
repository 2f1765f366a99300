#include "speech/BilingualLine.h"

#include "platform/VoiceChoice.h"
#include "speech/ReaderText.h"

#include <QLocale>

namespace BilingualLine {

QString PrimaryLanguage(const QString& code)
{
    qsizetype end = 0;
    while (end < code.size() && code.at(end) != u'-' && code.at(end) != u'_')
        ++end;
    return code.left(end).toLower();
}

namespace {

// Latin letters read as "en"; a voice of another language written in them
// (French, German ...) reads them too.
bool InLanguage(const QString& part, const QString& wanted)
{
    const QString language = PrimaryLanguage(VoiceChoice::LanguageOf(ReaderText::CommentsCut(part)));
    if (language == wanted)
        return true;
    return language == u"en" && QLocale(wanted).script() == QLocale::LatinScript && QLocale(wanted).language() != QLocale::C;
}

} // namespace

QStringList PartsToSay(const QStringList& parts, const Voice& voice)
{
    QStringList readable;
    for (const QString& part : parts)
        if (!ReaderText::CommentsCut(part).trimmed().isEmpty())
            readable << part;
    if (readable.isEmpty() || voice.kind == Voice::Kind::Automatic)
        return readable;
    if (voice.kind == Voice::Kind::OneLanguage) {
        const QString wanted = PrimaryLanguage(voice.language);
        QStringList own;
        for (const QString& part : readable)
            if (InLanguage(part, wanted))
                own << part;
        if (!own.isEmpty())
            return own;
    }
    return {readable.first()};
}

} // namespace BilingualLine
