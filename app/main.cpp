#include "app/MyForm.h"
#include "browser/BrowserEngine.h"
#include "dialogs/DialogPrompter.h"
#include "dialogs/QtTranslations.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char* argv[])
{
    // The web engine takes its settings before the application starts.
    PrepareWebEngine();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kestrow Software"));
    QApplication::setApplicationName(QStringLiteral("Murmelin"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0.1"));
    if (!InstallQtTranslations(&app))
        qWarning("Qt's Japanese translations (qtbase_ja.qm) are missing: its dialogs stay English");
    // Fusion paints button faces in the colours the window gives them.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // The program ends with its main window, whatever else is still open.
    QApplication::setQuitOnLastWindowClosed(false);

    DialogPrompter prompter;
    {
        MyForm form(prompter);
        QObject::connect(&form, &MyForm::closed, &app, &QApplication::quit, Qt::QueuedConnection);
        form.show();
        app.exec();
    }
    return 0;
}
