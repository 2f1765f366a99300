// The browser as the program's menus open it: a program of its own beside
// the main program. Its start request and folders on the command line, one
// window at a time, the window ending with the main window, and a browser
// program that cannot start or that fails told to the user. The web engine
// never loads in this process.

#include "app/MyForm.h"
#include "browser/BrowserController.h"
#include "browser/BrowserLink.h"
#include "support/EventWait.h"
#include "support/ScriptedPrompter.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPageTimeoutMs = 30000;
constexpr int kEndTimeoutMs = 10000;

bool Running(qint64 pid)
{
    return pid > 0 && QFile::exists(u"/proc/%1"_s.arg(pid));
}

QString ExecutableOf(qint64 pid)
{
    return QFile::symLinkTarget(u"/proc/%1/exe"_s.arg(pid));
}

bool Mapped(qint64 pid, const QByteArray& library)
{
    QFile maps(u"/proc/%1/maps"_s.arg(pid));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
}

// A page renderer somewhere below the process: the engine forks one from
// its zygote for a page, and none for the engine alone.
bool RendererBelow(qint64 pid)
{
    QList<qint64> tree{pid};
    for (qsizetype i = 0; i < tree.size(); ++i) {
        QFile command(u"/proc/%1/cmdline"_s.arg(tree[i]));
        const bool zygote = command.open(QIODevice::ReadOnly) && command.readAll().contains("--type=zygote");
        QFile children(u"/proc/%1/task/%1/children"_s.arg(tree[i]));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> pids = children.readAll().split(' ');
        for (const QByteArray& child : pids) {
            if (child.trimmed().isEmpty())
                continue;
            if (zygote)
                return true;
            tree << child.trimmed().toLongLong();
        }
    }
    return false;
}

struct Rig
{
    QTemporaryDir work;
    State state;
    ScriptedPrompter prompter;
    Controls ui;
    Peers peers;
    BrowserController browser{Context{state, prompter, ui, peers}};

    Rig()
    {
        state.dir = QCoreApplication::applicationDirPath();
        state.murmelinFolder = work.path();
    }

    // A stand-in for the browser program: a shell script with this body.
    QString script(const QByteArray& body, bool executable = true)
    {
        const QString path = work.path() + u"/murmelin-browser"_s;
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write("#!/bin/sh\n" + body + '\n');
        f.close();
        f.setPermissions(executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                    : QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }
};

} // namespace

class TestBrowserProgram : public QObject
{
    Q_OBJECT

private slots:
    // The command line carries the request and the folders, whatever
    // characters they hold.
    void commandLine_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("folder");
        QTest::newRow("manual") << BrowserController::ManualFirstPage() << u"/usr/share/murmelin"_s;
        QTest::newRow("home") << u"ホーム"_s << u"/home/ユーザー/ドキュメント/Murmelin"_s;
        QTest::newRow("looks like an option") << u"--work-folder"_s << u"/tmp/-x y"_s;
    }
    void commandLine()
    {
        QFETCH(QString, request);
        QFETCH(QString, folder);
        QString error;
        const auto parsed = BrowserLink::Parse(
            QStringList{u"murmelin-browser"_s} + BrowserLink::Arguments(request, folder, folder + u"/w"_s, folder + u"/m"_s),
            &error);
        QVERIFY2(parsed, qPrintable(error));
        QCOMPARE(parsed->startRequest, request);
        QCOMPARE(parsed->programFolder, folder);
        QCOMPARE(parsed->workFolder, folder + u"/w"_s);
        QCOMPARE(parsed->manualFolder, folder + u"/m"_s);
        QVERIFY(parsed->attached);
    }

    // Started ahead it waits for its first request without a window; a
    // request beside the standby is refused.
    void standbyCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("accepted");
        const QString folder = u"/home/ユーザー/Murmelin"_s;
        QTest::newRow("standby") << BrowserLink::StandbyArguments(folder, folder + u"/w"_s, folder + u"/m"_s) << true;
        QTest::newRow("with a request") << QStringList{u"--attached"_s, u"--standby"_s, u"ホーム"_s} << false;
        QTest::newRow("not attached") << QStringList{u"--standby"_s} << false;
    }
    void standbyCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, accepted);
        QString error;
        const auto parsed = BrowserLink::Parse(QStringList{u"murmelin-browser"_s} + arguments, &error);
        QCOMPARE(bool(parsed), accepted);
        if (!accepted) {
            QVERIFY(!error.isEmpty());
            return;
        }
        QVERIFY(parsed->standby);
        QVERIFY(parsed->attached);
        QCOMPARE(parsed->workFolder, u"/home/ユーザー/Murmelin/w"_s);
    }

    // A browser program that does not start, or ends badly, is told with
    // its name and why; the browser counts as closed again.
    void helperFailures_data()
    {
        QTest::addColumn<QByteArray>("body");    // empty: no program at all
        QTest::addColumn<bool>("executable");
        QTest::addColumn<QString>("outcome");     // %1: the program
        QTest::newRow("missing") << QByteArray() << true
                                 << u"「%1」を起動できませんでした（ファイルまたはフォルダーが見つかりません）。"_s;
        QTest::newRow("not executable") << "exit 0"_ba << false
                                        << u"「%1」を起動できませんでした（アクセスが許可されていません）。"_s;
        QTest::newRow("crashes") << "kill -SEGV $$"_ba << true << u"「%1」が異常終了しました（シグナル 11）。"_s;
        QTest::newRow("fails") << "exit 3"_ba << true << u"「%1」が異常終了しました（終了コード 3）。"_s;
        QTest::newRow("ends well") << "exit 0"_ba << true << QString();
    }
    void helperFailures()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, executable);
        QFETCH(QString, outcome);
        Rig r;
        const QString program = body.isEmpty() ? r.work.path() + u"/missing/murmelin-browser"_s
                                               : r.script(body, executable);
        r.browser.setHelperProgram(program);
        QSignalSpy ended(&r.browser, &BrowserController::browserEnded);
        r.browser.ManualDialog(BrowserController::ManualFirstPage());
        QVERIFY(ended.count() == 1 || ended.wait(kEndTimeoutMs));
        QCOMPARE(r.state.manualWindowState, ManualWindowState::Closed);
        QCOMPARE(r.prompter.texts(), outcome.isEmpty() ? QStringList() : QStringList{outcome.arg(program)});
        QCOMPARE(r.browser.helperPid(), 0);
    }

    // Started ahead, a browser program that fails is not told (nothing was
    // asked of it yet); the request then starts it again, and that is told.
    void startedAheadFailures_data()
    {
        QTest::addColumn<QByteArray>("body");    // empty: no program at all
        QTest::addColumn<QString>("outcome");     // %1: the program
        QTest::newRow("missing") << QByteArray()
                                 << u"「%1」を起動できませんでした（ファイルまたはフォルダーが見つかりません）。"_s;
        QTest::newRow("fails") << "exit 3"_ba << u"「%1」が異常終了しました（終了コード 3）。"_s;
    }
    void startedAheadFailures()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, outcome);
        Rig r;
        const QString program = body.isEmpty() ? r.work.path() + u"/missing/murmelin-browser"_s : r.script(body);
        r.browser.setHelperProgram(program);
        QSignalSpy ended(&r.browser, &BrowserController::browserEnded);
        r.browser.StartAhead();
        QCOMPARE(r.state.manualWindowState, ManualWindowState::Closed);
        QVERIFY(ended.count() == 1 || ended.wait(kEndTimeoutMs));
        QVERIFY(r.prompter.texts().isEmpty());
        QCOMPARE(r.state.manualWindowState, ManualWindowState::Closed);

        r.browser.ManualDialog(BrowserController::ManualFirstPage());
        QVERIFY(ended.count() == 2 || ended.wait(kEndTimeoutMs));
        QCOMPARE(r.prompter.texts(), QStringList{outcome.arg(program)});
        QCOMPARE(r.state.manualWindowState, ManualWindowState::Closed);
    }

    // Started ahead, the browser program waits without a window (the
    // browser counts as closed); the request opens the window in it, and
    // the program ends it with itself.
    void startedAheadOpensOnRequest()
    {
        Rig r;
        r.browser.setHelperProgram(r.script("for a in \"$@\"; do [ \"$a\" = --standby ] && standby=1; done\n"
                                            "[ -n \"$standby\" ] || exit 5\n"
                                            "read request; echo \"page-handled $request\"\n"
                                            "read request; [ \"$request\" = close ] && exit 0; exit 4"));
        QSignalSpy handled(&r.browser, &BrowserController::pageHandled);
        QSignalSpy ended(&r.browser, &BrowserController::browserEnded);
        r.browser.StartAhead();
        QCOMPARE(r.state.manualWindowState, ManualWindowState::Closed);
        QVERIFY(WaitFor([&] { return Running(r.browser.helperPid()); }, kEndTimeoutMs));
        const qint64 pid = r.browser.helperPid();
        // Opening the menu again starts nothing more.
        r.browser.StartAhead();
        QCOMPARE(r.browser.helperPid(), pid);

        r.browser.ManualDialog(BrowserController::ManualFirstPage());
        QCOMPARE(r.state.manualWindowState, ManualWindowState::Open);
        QVERIFY(handled.wait(kEndTimeoutMs));
        QCOMPARE(handled.first().first().toString(), u"open "_s + BrowserController::ManualFirstPage());
        QCOMPARE(ended.count(), 0);

        r.browser.CloseBrowser(kEndTimeoutMs);
        QCOMPARE(ended.count(), 1);
        QVERIFY(r.prompter.texts().isEmpty());
    }

    // A closed window leaves its program waiting: the browser counts as
    // closed, and the next request opens the window in the same program.
    void reopenedInTheWaitingProgram()
    {
        Rig r;
        r.browser.setHelperProgram(r.script("echo 'page-handled first'; echo window-closed\n"
                                            "read request; echo \"page-handled $request\"\n"
                                            "read request; [ \"$request\" = close ] && exit 0; exit 4"));
        QSignalSpy handled(&r.browser, &BrowserController::pageHandled);
        QSignalSpy closed(&r.browser, &BrowserController::windowClosed);
        QSignalSpy ended(&r.browser, &BrowserController::browserEnded);
        r.browser.ManualDialog(BrowserController::ManualFirstPage());
        QCOMPARE(r.state.manualWindowState, ManualWindowState::Open);
        QVERIFY(closed.count() == 1 || closed.wait(kEndTimeoutMs));
        QCOMPARE(r.state.manualWindowState, ManualWindowState::Closed);
        const qint64 pid = r.browser.helperPid();
        QVERIFY(Running(pid));

        r.browser.ManualDialog(u"ホーム"_s);
        QCOMPARE(r.state.manualWindowState, ManualWindowState::Open);
        QVERIFY(handled.count() == 2 || handled.wait(kEndTimeoutMs));
        QCOMPARE(handled.last().first().toString(), u"open ホーム"_s);
        QCOMPARE(r.browser.helperPid(), pid);
        QCOMPARE(ended.count(), 0);

        r.browser.CloseBrowser(kEndTimeoutMs);
        QCOMPARE(ended.count(), 1);
        QVERIFY(r.prompter.texts().isEmpty());
    }

    // The menus start the real browser program on its request; a second
    // request is refused while it is open; closing the main window closes
    // it as the user would (its favourites are written) and ends it.
    void menusStartTheBrowserProgram()
    {
        ScriptedPrompter prompter;
        auto form = std::make_unique<MyForm>(prompter);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        BrowserController& browser = form->browser();
        const QString favourites = form->state().murmelinFolder + u"/お気に入り.txt"_s;
        QVERIFY(QFile::exists(favourites));

        QSignalSpy handled(&browser, &BrowserController::pageHandled);
        form->ui().menuManual->trigger();
        QCOMPARE(form->state().manualWindowState, ManualWindowState::Open);
        QVERIFY(handled.wait(kPageTimeoutMs));
        QCOMPARE(handled.first().first().toString(), BrowserController::ManualFirstPage());
        const qint64 pid = browser.helperPid();
        QVERIFY(Running(pid));
        QCOMPARE(ExecutableOf(pid), QCoreApplication::applicationDirPath() + u"/murmelin-browser"_s);
        QVERIFY(Mapped(pid, "libQt6WebEngineCore"));
        QVERIFY(!Mapped(QCoreApplication::applicationPid(), "libQt6WebEngineCore"));

        form->ui().menuBrowser->trigger();
        QCOMPARE(prompter.texts(), QStringList{u"簡易ブラウザーの複数起動はできません。"_s});
        QCOMPARE(form->state().manualWindowState, ManualWindowState::Open);
        QVERIFY(!WaitFor([&] { return !Running(pid); }, 1000));

        // The window writes the favourites when it closes.
        QVERIFY(QFile::remove(favourites));
        form->close();
        form.reset();
        QVERIFY(!Running(pid));
        QVERIFY(QFileInfo(favourites).size() > 0);
        QCOMPARE(prompter.texts().size(), 1);
    }

    // Opening the help menu starts the real browser program without a
    // window; マニュアル then opens in that program. A session that never
    // opens the help menu never starts it, and one started but never used
    // ends with the main window.
    void helpMenuStartsTheBrowserAhead()
    {
        ScriptedPrompter prompter;
        auto form = std::make_unique<MyForm>(prompter);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        BrowserController& browser = form->browser();
        auto* help = form->ui().menuBar->findChild<QMenu*>(u"menuHelp"_s);
        auto* settings = form->ui().menuBar->findChild<QMenu*>(u"menuSettings"_s);
        QVERIFY(help && settings);
        settings->popup(form->mapToGlobal(QPoint(10, 10)));
        Wait(100);
        settings->hide();
        QCOMPARE(browser.helperPid(), 0);

        help->popup(form->mapToGlobal(QPoint(10, 10)));
        Wait(100);
        help->hide();
        QVERIFY(WaitFor([&] { return Running(browser.helperPid()); }, kEndTimeoutMs));
        const qint64 pid = browser.helperPid();
        QCOMPARE(form->state().manualWindowState, ManualWindowState::Closed);
        QVERIFY(WaitFor([&] { return Mapped(pid, "libQt6WebEngineCore"); }, kEndTimeoutMs));

        QSignalSpy handled(&browser, &BrowserController::pageHandled);
        form->ui().menuManual->trigger();
        QCOMPARE(form->state().manualWindowState, ManualWindowState::Open);
        QVERIFY(handled.wait(kPageTimeoutMs));
        QCOMPARE(handled.first().first().toString(), BrowserController::ManualFirstPage());
        QCOMPARE(browser.helperPid(), pid);
        QVERIFY(prompter.texts().isEmpty());

        // Started ahead again after its window closed: still the one program.
        QSignalSpy closed(&browser, &BrowserController::windowClosed);
        browser.CloseWindow();
        QVERIFY(closed.wait(kEndTimeoutMs));
        help->popup(form->mapToGlobal(QPoint(10, 10)));
        Wait(100);
        help->hide();
        QCOMPARE(browser.helperPid(), pid);

        // Unused, it ends with the main window.
        form->close();
        form.reset();
        QVERIFY(!Running(pid));
        QVERIFY(prompter.texts().isEmpty());
    }

    // The pointer on the help menu's title starts the browser program, which
    // loads the manual's first page in a window it keeps hidden: the page
    // is rendered, and nothing told, before the click shows it. Never
    // clicked, it ends with the main window at once, the favourites file
    // untouched.
    void startedAheadLoadsThePageHidden_data()
    {
        QTest::addColumn<bool>("clicked");
        QTest::newRow("clicked") << true;
        QTest::newRow("never clicked") << false;
    }
    void startedAheadLoadsThePageHidden()
    {
        QFETCH(bool, clicked);
        ScriptedPrompter prompter;
        auto form = std::make_unique<MyForm>(prompter);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        BrowserController& browser = form->browser();
        QSignalSpy handled(&browser, &BrowserController::pageHandled);
        QMenuBar* bar = form->ui().menuBar;
        auto* help = bar->findChild<QMenu*>(u"menuHelp"_s);
        QVERIFY(help);
        const QPoint title = bar->actionGeometry(help->menuAction()).center();
        QMouseEvent move(QEvent::MouseMove, title, bar->mapToGlobal(title), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &move);
        QVERIFY(WaitFor([&] { return Running(browser.helperPid()); }, kEndTimeoutMs));
        const qint64 pid = browser.helperPid();
        QVERIFY(WaitFor([&] { return RendererBelow(pid); }, kPageTimeoutMs));
        // Loaded by now, and still not told.
        Wait(2000);
        QCOMPARE(handled.count(), 0);
        const QString favourites = form->state().murmelinFolder + u"/お気に入り.txt"_s;
        QFile file(favourites);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray listed = file.readAll();
        file.close();

        if (clicked) {
            form->ui().menuManual->trigger();
            QVERIFY(handled.wait(kPageTimeoutMs));
            QCOMPARE(handled.first().first().toString(), BrowserController::ManualFirstPage());
            QCOMPARE(browser.helperPid(), pid);
        }
        // Not left to the time-out that kills it.
        QTest::failOnWarning("the browser did not close in time; it is ended");
        form->close();
        form.reset();
        QVERIFY(!Running(pid));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), listed);
        QVERIFY(prompter.texts().isEmpty());
    }

    // Once the browser window has closed, the program counts it closed and a
    // new request opens it again: in the waiting browser program, or in a
    // new one once that has ended.
    void openedAgainAfterClosing()
    {
        ScriptedPrompter prompter;
        MyForm form(prompter);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        BrowserController& browser = form.browser();
        QSignalSpy handled(&browser, &BrowserController::pageHandled);
        form.ui().menuManual->trigger();
        QVERIFY(handled.wait(kPageTimeoutMs));
        const qint64 pid = browser.helperPid();
        QSignalSpy ended(&browser, &BrowserController::browserEnded);

        // The window closed as the user closes it: its program waits, and
        // opens it again itself, its favourites written on the way.
        const QString favourites = form.state().murmelinFolder + u"/お気に入り.txt"_s;
        QVERIFY(QFile::remove(favourites));
        QSignalSpy closed(&browser, &BrowserController::windowClosed);
        browser.CloseWindow();
        QVERIFY(closed.wait(kEndTimeoutMs));
        QCOMPARE(form.state().manualWindowState, ManualWindowState::Closed);
        QVERIFY(QFileInfo(favourites).size() > 0);
        QVERIFY(Running(pid));
        form.ui().menuManual->trigger();
        QVERIFY(handled.wait(kPageTimeoutMs));
        QCOMPARE(form.state().manualWindowState, ManualWindowState::Open);
        QCOMPARE(browser.helperPid(), pid);
        QCOMPARE(ended.count(), 0);

        browser.CloseBrowser(kEndTimeoutMs);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(form.state().manualWindowState, ManualWindowState::Closed);
        QVERIFY(!Running(pid));

        form.ui().menuManual->trigger();
        QVERIFY(handled.wait(kPageTimeoutMs));
        QCOMPARE(form.state().manualWindowState, ManualWindowState::Open);
        QVERIFY(browser.helperPid() != pid);
        QVERIFY(prompter.texts().isEmpty());
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    TestBrowserProgram test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_browserprogram.moc"
