#include "app/MyForm.h"
#include "core/StartupTrace.h"
#include "dialogs/DialogPrompter.h"
#include "dialogs/QtTranslations.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QStyleFactory>

#include <cstdio>
#include <cstring>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The names and texts every start takes, with or without a window.
void SetUpApplication(QCoreApplication* app)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrow Software"));
    QCoreApplication::setApplicationName(QStringLiteral("Murmelin"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MURMELIN_VERSION));
    if (!InstallQtTranslations(app))
        qWarning("Qt's Japanese translations (qtbase_ja.qm) are missing: its dialogs stay English");
}

// Reads the command line: the files to open, or an exit status when the
// program ends here (help, version, an unknown option).
std::optional<int> ParseCommandLine(QStringList* files)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(u"文章の読み上げ（シャドーイング練習）と同期テキスト付きのミュージック再生"_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"この使い方を表示して終了します。"_s);
    const QCommandLineOption version({u"v"_s, u"version"_s}, u"バージョンを表示して終了します。"_s);
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(u"ファイル"_s,
                                 u"開くファイル（.txt .lrc .mp3 .wav）。最初のテキストを表示し、最初の曲を再生します。"_s,
                                 u"[ファイル…]"_s);
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    *files = parser.positionalArguments();
    return std::nullopt;
}

// Help and version need no window, and so no display. Other options go to
// the window's start, where Qt takes its own (-platform, -display ...).
bool AnswersWithoutWindow(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            return false;
        for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    StartupTrace::Mark("main");
    QStringList files;
    if (AnswersWithoutWindow(argc, argv)) {
        QCoreApplication app(argc, argv);
        SetUpApplication(&app);
        return ParseCommandLine(&files).value_or(0);
    }

    QApplication app(argc, argv);
    StartupTrace::Mark("application");
    SetUpApplication(&app);
    // Ties the window to its menu entry and icon (Wayland app id, task bars).
    QGuiApplication::setDesktopFileName(u"murmelin"_s);
    // Files come from "Open with" in a file manager as well as from a shell.
    if (const std::optional<int> status = ParseCommandLine(&files))
        return *status;

    // Fusion paints button faces in the colours the window gives them.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // The program ends with its main window, whatever else is still open.
    QApplication::setQuitOnLastWindowClosed(false);

    DialogPrompter prompter;
    {
        MyForm form(prompter);
        StartupTrace::Mark("window built");
        form.setStartFiles(files);
        QObject::connect(&form, &MyForm::closed, &app, &QApplication::quit, Qt::QueuedConnection);
        form.show();
        StartupTrace::Mark("window shown");
        app.exec();
    }
    return 0;
}
