#include "dialogs/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

using namespace Qt::StringLiterals;

bool InstallQtTranslations(QCoreApplication* app)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(app);
    // "qt_ja" gathers every module's catalogue; where only the base module's
    // is installed, that one still covers all the dialogs the program shows.
    if (!translator->load(u"qt_ja"_s, folder) && !translator->load(u"qtbase_ja"_s, folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
