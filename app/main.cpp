#include "app/MyForm.h"
#include "browser/BrowserEngine.h"
#include "dialogs/DialogPrompter.h"
#include "dialogs/QtTranslations.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QStyleFactory>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    // The web engine takes its settings before the application starts.
    PrepareWebEngine();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kestrow Software"));
    QApplication::setApplicationName(QStringLiteral("Murmelin"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0.1"));
    // Ties the window to its menu entry and icon (Wayland app id, task bars).
    QGuiApplication::setDesktopFileName(u"murmelin"_s);
    if (!InstallQtTranslations(&app))
        qWarning("Qt's Japanese translations (qtbase_ja.qm) are missing: its dialogs stay English");

    // Files come from "Open with" in a file manager as well as from a shell.
    QCommandLineParser parser;
    parser.setApplicationDescription(u"文章の読み上げ（シャドーイング練習）と同期テキスト付きのミュージック再生"_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"この使い方を表示して終了します。"_s);
    const QCommandLineOption version({u"v"_s, u"version"_s}, u"バージョンを表示して終了します。"_s);
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(u"ファイル"_s,
                                 u"開くファイル（.txt .lrc .mp3 .wav）。最初のテキストを表示し、最初の曲を再生します。"_s,
                                 u"[ファイル…]"_s);
    if (!parser.parse(QApplication::arguments())) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(QApplication::applicationName()), qPrintable(QApplication::applicationVersion()));
        return 0;
    }

    // Fusion paints button faces in the colours the window gives them.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // The program ends with its main window, whatever else is still open.
    QApplication::setQuitOnLastWindowClosed(false);

    DialogPrompter prompter;
    {
        MyForm form(prompter);
        form.setStartFiles(parser.positionalArguments());
        QObject::connect(&form, &MyForm::closed, &app, &QApplication::quit, Qt::QueuedConnection);
        form.show();
        app.exec();
    }
    return 0;
}
