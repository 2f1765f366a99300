// The browser window on the offline manual: from the "マニュアル" command to
// the first page loaded and entered, cold (the first opening in a fresh
// program, the command given with no menu opened before it: the browser
// program starts with the command), after the help menu was open for a
// while as a user opens it before the click (it starts the browser program
// ahead, which loads the page in a hidden window; the page counts once its
// window is on the screen), and warm (opened again in the same run: the browser program
// waits between openings with its engine running); and the resident
// memory of the whole program (itself, the browser program and the engine's
// helper processes) with the manual open, beside a bare QWebEngineView
// process showing the same page. The bare view draws as a plain view does,
// through OpenGL; the browser program draws its pages by processor.

#include "app/MyForm.h"
#include "browser/BrowserController.h"
#include "browser/BrowserEngine.h"
#include "support/EventWait.h"
#include "support/ScriptedPrompter.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineView>

#include <algorithm>
#include <memory>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int kColdRuns = 5;
// From the help menu opening to the click on "マニュアル".
constexpr int kMenuToClickMs = 300;
constexpr int kWarmRuns = 10;
constexpr int kTimeoutMs = 30000;

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// kB of a /proc file's "<key>: <n> kB" line.
qint64 ProcKb(const QString& file, const QString& key)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key.toLatin1() + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// This process and every process below it (the engine's zygote, renderer,
// utility processes).
QList<int> ProcessTree()
{
    QHash<int, QList<int>> children;
    for (const QString& name : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        bool ok = false;
        const int pid = name.toInt(&ok);
        if (!ok)
            continue;
        QFile stat(u"/proc/%1/stat"_s.arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray s = stat.readAll();
        const QList<QByteArray> fields = s.mid(s.lastIndexOf(')') + 2).split(' ');
        children[fields.value(1).toInt()] << pid;
    }
    QList<int> tree{int(QCoreApplication::applicationPid())};
    for (qsizetype i = 0; i < tree.size(); ++i)
        tree += children.value(tree[i]);
    return tree;
}

void PrintMemory(const char* what)
{
    qint64 rss = 0;
    qint64 pss = 0;
    const QList<int> tree = ProcessTree();
    for (int pid : tree) {
        rss += ProcKb(u"/proc/%1/status"_s.arg(pid), u"VmRSS"_s);
        pss += ProcKb(u"/proc/%1/smaps_rollup"_s.arg(pid), u"Pss"_s);
    }
    std::printf("memory %s %lld %lld %lld\n", what, qlonglong(tree.size()), qlonglong(rss), qlonglong(pss));
}

// One process: the program's window, the manual opened by its menu command
// (after the help menu was open for menuMs, or with no menu at all), then
// closed and opened again; the memory with the manual open.
int ProgramRun(bool warmToo, int menuMs = -1)
{
    ScriptedPrompter prompter;
    MyForm form(prompter);
    form.show();
    auto* command = form.findChild<QAction*>(u"menuManual"_s);
    if (!command)
        return 2;
    BrowserController& browser = form.browser();
    auto open = [&]() -> double {
        QSignalSpy handled(&browser, &BrowserController::pageHandled);
        QElapsedTimer t;
        t.start();
        command->trigger();
        if (!handled.wait(kTimeoutMs))
            return -1;
        return t.nsecsElapsed() / 1e6;
    };
    if (menuMs >= 0) {
        // The help menu opens and stays open while the user finds the item.
        auto* help = form.findChild<QMenu*>(u"menuHelp"_s);
        if (!help)
            return 2;
        help->popup(form.mapToGlobal(QPoint(10, 10)));
        Wait(menuMs);
        help->hide();
    }
    std::printf("cold %.1f\n", open());
    std::fflush(stdout);
    if (!warmToo)
        return 0;
    QList<double> warm;
    for (int i = 0; i < kWarmRuns; ++i) {
        // Closed as the user closes it; the browser program waits.
        QSignalSpy closed(&browser, &BrowserController::windowClosed);
        browser.CloseWindow();
        if (!closed.wait(kTimeoutMs) || form.state().manualWindowState != ManualWindowState::Closed)
            return 2;
        Wait(300);
        warm << open();
    }
    std::printf("warm %.1f %.1f %.1f\n", Median(warm), *std::min_element(warm.begin(), warm.end()),
                *std::max_element(warm.begin(), warm.end()));
    Wait(1500);   // let the engine settle
    PrintMemory("program");
    return 0;
}

// A bare view of the same page, the manual's file itself: the time from
// a new view's load to its page loaded, first in the process and again,
// and the memory with it open.
int BareRun()
{
    const QUrl page = QUrl::fromLocalFile(QCoreApplication::applicationDirPath()
                                          + u"/manual/Murmelinマニュアル はじめに.html"_s);
    std::unique_ptr<QWebEngineView> view;
    auto open = [&]() -> double {
        QElapsedTimer t;
        t.start();
        view = std::make_unique<QWebEngineView>();
        view->resize(1047, 574);
        view->show();
        QSignalSpy loaded(view.get(), &QWebEngineView::loadFinished);
        view->load(page);
        if (!loaded.wait(kTimeoutMs))
            return -1;
        return t.nsecsElapsed() / 1e6;
    };
    std::printf("cold %.1f\n", open());
    QList<double> warm;
    for (int i = 0; i < kWarmRuns; ++i) {
        view.reset();
        Wait(300);
        warm << open();
    }
    std::printf("warm %.1f\n", Median(warm));
    Wait(1500);
    PrintMemory("bare");
    return 0;
}

QStringList Child(const QString& mode, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), {mode});
    p.waitForFinished(120000);
    return QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

QStringList Fields(const QStringList& lines, const QString& key)
{
    for (const QString& line : lines)
        if (line.startsWith(key + u' '))
            return line.split(u' ');
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    // The program itself runs without the engine, as it does for a user.
    if (mode != u"--program"_s && mode != u"--cold"_s && mode != u"--menu"_s)
        PrepareWebEngine();
    QApplication app(argc, argv);
    if (mode == u"--cold"_s)
        return ProgramRun(false);
    if (mode == u"--menu"_s)
        return ProgramRun(false, kMenuToClickMs);
    if (mode == u"--program"_s)
        return ProgramRun(true);
    if (mode == u"--bare"_s)
        return BareRun();

    // Every run in its own home, so no settings or engine data carry over.
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_s, home.path());
    env.insert(u"XDG_CONFIG_HOME"_s, home.path() + u"/config"_s);
    env.insert(u"XDG_DATA_HOME"_s, home.path() + u"/data"_s);
    env.insert(u"XDG_CACHE_HOME"_s, home.path() + u"/cache"_s);

    // Cold runs of the program and of the bare view take turns, so both
    // meet the same load on the machine.
    QList<double> cold;
    QList<double> afterMenu;
    QList<double> bareCold;
    QStringList bareRun;
    for (int i = 0; i < kColdRuns; ++i) {
        cold << Fields(Child(u"--cold"_s, env), u"cold"_s).value(1).toDouble();
        afterMenu << Fields(Child(u"--menu"_s, env), u"cold"_s).value(1).toDouble();
        bareRun = Child(u"--bare"_s, env);
        bareCold << Fields(bareRun, u"cold"_s).value(1).toDouble();
    }
    std::printf("bare QWebEngineView, first view in a running process (%d runs): median %.1f ms\n", kColdRuns,
                Median(bareCold));
    std::printf("open the manual, first time, command with no menu before it (fresh process, %d runs): "
                "median %.1f ms (min %.1f, max %.1f)   ratio to the bare view %.2f\n", kColdRuns, Median(cold),
                *std::min_element(cold.begin(), cold.end()), *std::max_element(cold.begin(), cold.end()),
                Median(cold) / Median(bareCold));
    std::printf("open the manual, first time, clicked %d ms after the help menu opened (fresh process, %d runs): "
                "median %.1f ms from the click (min %.1f, max %.1f)   ratio to the bare view %.2f\n", kMenuToClickMs,
                kColdRuns, Median(afterMenu), *std::min_element(afterMenu.begin(), afterMenu.end()),
                *std::max_element(afterMenu.begin(), afterMenu.end()), Median(afterMenu) / Median(bareCold));

    const QStringList program = Child(u"--program"_s, env);
    const QStringList warm = Fields(program, u"warm"_s);
    const double bareWarm = Fields(bareRun, u"warm"_s).value(1).toDouble();
    std::printf("open the manual again, same run (%d runs): median %s ms (min %s, max %s)   bare view %.1f ms\n",
                kWarmRuns, qPrintable(warm.value(1)), qPrintable(warm.value(2)), qPrintable(warm.value(3)), bareWarm);
    const QStringList ours = Fields(program, u"memory"_s);
    const QStringList bare = Fields(bareRun, u"memory"_s);
    std::printf("resident memory with the manual open, whole program: %s processes, RSS %.1f MB, PSS %.1f MB\n",
                qPrintable(ours.value(2)), ours.value(3).toDouble() / 1024, ours.value(4).toDouble() / 1024);
    std::printf("bare QWebEngineView on the same page:                 %s processes, RSS %.1f MB, PSS %.1f MB\n",
                qPrintable(bare.value(2)), bare.value(3).toDouble() / 1024, bare.value(4).toDouble() / 1024);
    if (bare.value(4).toDouble() > 0)
        std::printf("ratio program / bare view: RSS %.2f, PSS %.2f\n", ours.value(3).toDouble() / bare.value(3).toDouble(),
                    ours.value(4).toDouble() / bare.value(4).toDouble());
    return 0;
}
