// The browser window on the real engine, built in this process as the
// browser program builds it: the offline manual, its links, the side mouse
// buttons, one window at a time, printing, silent scripts, and local files
// kept from pages.

#include "browser/BrowserController.h"
#include "browser/BrowserEngine.h"
#include "browser/BrowserPage.h"
#include "browser/BrowserSession.h"
#include "browser/ManualWindow.h"
#include "support/ScriptedPrompter.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPageTimeoutMs = 30000;

struct Fixture
{
    QTemporaryDir work;
    State state;
    ScriptedPrompter prompter;
    Controls ui;
    Peers peers;
    BrowserSession browser{Context{state, prompter, ui, peers}};

    Fixture()
    {
        state.dir = QCoreApplication::applicationDirPath();
        state.murmelinFolder = work.path();
        QFile::copy(QCoreApplication::applicationDirPath() + u"/お気に入り.txt"_s, favourites());
    }

    QString favourites() const { return work.path() + u"/お気に入り.txt"_s; }

    ManualWindow* open(const QString& request)
    {
        browser.ManualDialog(request);
        ManualWindow* w = browser.window();
        if (w && !QSignalSpy(w, &ManualWindow::pageHandled).wait(kPageTimeoutMs))
            return nullptr;
        return w;
    }
};

// Runs an action and waits until the window has handled the page it loads.
bool Handled(ManualWindow* w, const std::function<void()>& action)
{
    QSignalSpy spy(w, &ManualWindow::pageHandled);
    action();
    return spy.wait(kPageTimeoutMs);
}

QString TitleOf(const QString& htmlFile)
{
    QFile f(htmlFile);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const auto m = QRegularExpression(u"<title>([^<]*)</title>"_s).match(QString::fromUtf8(f.readAll()));
    return m.captured(1);
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestManualWindow : public QObject
{
    Q_OBJECT

private slots:
    void toolbarAndPlaces()
    {
        Fixture f;
        ManualWindow* w = f.open(BrowserController::ManualFirstPage());
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), u"簡易ブラウザー"_s);
        QCOMPARE(w->size(), QSize(1047, 632));
        QStringList tips;
        for (QAction* a : w->toolBar->actions()) {
            if (a->isSeparator())
                tips << u"|"_s;
            else if (auto* b = qobject_cast<QToolButton*>(w->toolBar->widgetForAction(a)))
                tips << b->toolTip();
        }
        QCOMPARE(tips, (QStringList{u"前に戻る"_s, u"次に進む"_s, u"再読み込み"_s, u"|"_s, u"マニュアル"_s,
                                    u"IEに登録された検索エンジンの実行"_s, u"IEに登録されたホームページの実行"_s,
                                    u"|"_s, u"印刷"_s}));
        QStringList items;
        for (QAction* a : w->printButton->menu()->actions())
            items << a->text();
        QCOMPARE(items, (QStringList{u"プレビュー"_s, u"印刷"_s, u"ページ設定"_s}));
        QCOMPARE(w->printItem->shortcut(), QKeySequence(u"Ctrl+P"_s));
        // The box covers the drop-down's text and leaves its arrow free.
        QCOMPARE(w->historyBox->geometry(), QRect(282, 5, 664, 23));
        QCOMPARE(w->addressBox->geometry(), QRect(283, 7, 644, 19));
        QCOMPARE(w->webView->geometry(), QRect(-4, 58, 1047, 574));
        w->resize(1200, 700);
        QCOMPARE(w->webView->geometry(), QRect(-4, 58, 1200, 642));
        QCOMPARE(w->addressBox->geometry(), QRect(283, 7, 644, 19));
    }

    // The manual without a network: its first page, a link, the side
    // buttons, and a second opening refused.
    void offlineManual()
    {
        Fixture f;
        const QString folder = QCoreApplication::applicationDirPath() + u"/manual"_s;
        const QString first = TitleOf(folder + u"/Murmelinマニュアル はじめに.html"_s);
        const QString files = TitleOf(folder + u"/files.html"_s);
        QVERIFY(!first.isEmpty() && !files.isEmpty());

        ManualWindow* w = f.open(BrowserController::ManualFirstPage());
        QVERIFY(w);
        QCOMPARE(f.state.manualWindowState, ManualWindowState::Open);
        QCOMPARE(w->history().titles(), QStringList{first});
        QCOMPARE(w->history().addresses(), QStringList{BrowserController::ManualFirstPage()});
        QCOMPARE(w->addressBox->toPlainText(), first);
        QCOMPARE(w->historyBox->itemText(0), first);

        // A click of the mouse, as a person follows a link.
        QWidget* inner = w->webView->focusProxy();
        QVERIFY(inner);
        QVariant where;
        w->webView->page()->runJavaScript(
            u"(function() { var r = document.querySelector('a[href=\"files.html\"]').getBoundingClientRect();"
            " return [r.left + r.width / 2, r.top + r.height / 2]; })()"_s,
            [&where](const QVariant& v) { where = v; });
        QTRY_VERIFY_WITH_TIMEOUT(where.isValid(), kPageTimeoutMs);
        const QPoint link(where.toList().value(0).toInt(), where.toList().value(1).toInt());
        QVERIFY(Handled(w, [inner, link] { QTest::mouseClick(inner, Qt::LeftButton, {}, link); }));
        QCOMPARE(w->history().titles(), (QStringList{files, first}));
        QCOMPARE(w->CurrentAddress(), u"http://murmelin.kestrow.invalid/SoftWare/Murmelin/files.html"_s);

        QVERIFY(Handled(w, [inner] { QTest::mousePress(inner, Qt::BackButton, {}, QPoint(50, 50)); }));
        QCOMPARE(w->CurrentAddress(), BrowserController::ManualFirstPage());
        QVERIFY(Handled(w, [inner] { QTest::mousePress(inner, Qt::ForwardButton, {}, QPoint(50, 50)); }));
        QCOMPARE(w->history().titles(), (QStringList{files, first, files, first}));

        // A script typed into the box never runs in the page on view.
        w->addressBox->setPlainText(u"javascript:document.title='x'+'http:'\n"_s);
        QTest::qWait(500);
        QCOMPARE(w->webView->title(), files);
        QCOMPARE(f.prompter.texts(), QStringList{u"http: か https: で始まるアドレスだけを開けます。"_s});
        f.prompter.entries.clear();

        f.browser.ManualDialog(u"ホーム"_s);
        QCOMPARE(f.prompter.texts(), QStringList{u"簡易ブラウザーの複数起動はできません。"_s});
        QCOMPARE(f.browser.window(), w);
        QCOMPARE(w->history().addresses().size(), 4);

        w->close();
        QCOMPARE(f.state.manualWindowState, ManualWindowState::Closed);
        QTRY_VERIFY_WITH_TIMEOUT(!f.browser.window(), 5000);

        // Opened again, the window starts afresh: one page in its history,
        // nothing to go back to.
        w = f.open(BrowserController::ManualFirstPage());
        QVERIFY(w);
        QCOMPARE(f.state.manualWindowState, ManualWindowState::Open);
        QCOMPARE(w->history().titles(), QStringList{first});
        QCOMPARE(w->historyBox->count(), 1);
        QVERIFY(!w->webView->history()->canGoBack());
    }

    // A list written by an editor here (LF, no mark) is read whole and
    // comes through opening and closing the window untouched; a file that
    // cannot be read is reported at the first opening only and left alone.
    void favouritesFileSurvivesTheWindow()
    {
        Fixture f;
        const QByteArray lf = "\xE3\x83\x8B\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xB9\nhttps://example.jp/news\nTop\nhttp://example.com/\n";
        WriteFile(f.favourites(), lf);
        ManualWindow* w = f.open(u"ホーム"_s);
        QVERIFY(w);
        QCOMPARE(w->findChild<QPushButton*>(u"quickButton0"_s)->text(), u"ニュース"_s);
        QCOMPARE(w->findChild<QPushButton*>(u"quickButton1"_s)->text(), u"Top"_s);
        w->close();
        QTRY_VERIFY_WITH_TIMEOUT(!f.browser.window(), 5000);
        QCOMPARE(ReadFile(f.favourites()), lf);
        QCOMPARE(f.prompter.texts(), QStringList());

        const QByteArray cut("\xEF\xBB");
        WriteFile(f.favourites(), cut);
        for (int opening = 0; opening < 2; ++opening) {
            w = f.open(u"ホーム"_s);
            QVERIFY(w);
            w->close();
            QTRY_VERIFY_WITH_TIMEOUT(!f.browser.window(), 5000);
        }
        QCOMPARE(f.prompter.texts().size(), 1);
        QVERIFY(f.prompter.texts().first().startsWith(u"「"_s + f.favourites() + u"」を読み込めませんでした"_s));
        QCOMPARE(ReadFile(f.favourites()), cut);
    }

    // The program ends with the window open: it is closed as by the user,
    // and the favourites are written.
    void closedAtExit()
    {
        QTemporaryDir keep;
        auto f = std::make_unique<Fixture>();
        const QString saved = keep.path() + u"/お気に入り.txt"_s;
        f->state.murmelinFolder = keep.path();
        QVERIFY(QFile::copy(f->favourites(), saved));
        ManualWindow* w = f->open(BrowserController::ManualFirstPage());
        QVERIFY(w);
        QVERIFY(QFile::remove(saved));
        QSignalSpy closed(w, &ManualWindow::closed);
        f.reset();
        QCOMPARE(closed.count(), 1);
        QVERIFY(QFileInfo(saved).size() > 0);
    }

    // Where a page comes from and what it asks for: only the manual's own
    // files are handed to it, never a local file.
    void localFiles_data()
    {
        QTest::addColumn<bool>("fromManual");
        QTest::addColumn<QString>("source");   // %1: the temporary folder
        QTest::addColumn<QString>("outcome");
        QTest::newRow("remote page, local file") << false << u"file://%1/secret.png"_s << u"blocked"_s;
        QTest::newRow("manual page, local file") << true << u"file://%1/secret.png"_s << u"blocked"_s;
        QTest::newRow("manual page, its own picture") << true << u"in.png"_s << u"loaded"_s;
        QTest::newRow("manual page, out of its folder") << true << u"../secret.png"_s << u"blocked"_s;
        QTest::newRow("manual page, escaped way out") << true << u"%2E%2E/secret.png"_s << u"blocked"_s;
    }
    void localFiles()
    {
        QFETCH(bool, fromManual);
        QFETCH(QString, source);
        QFETCH(QString, outcome);
        Fixture f;
        const QString folder = f.work.path() + u"/manual"_s;
        QVERIFY(QDir().mkpath(folder));
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(f.work.path() + u"/secret.png"_s));
        QVERIFY(picture.save(folder + u"/in.png"_s));
        const QString html = u"<html><body><img src=\"%1\" onload=\"document.title='loaded'\" "
                             "onerror=\"document.title='blocked'\"></body></html>"_s.arg(source.replace(u"%1"_s, f.work.path()));
        WriteFile(folder + u"/Murmelinマニュアル はじめに.html"_s, html.toUtf8());
        f.browser.setManualFolder(folder);

        ManualWindow* w = f.open(BrowserController::ManualFirstPage());
        QVERIFY(w);
        QWebEngineSettings* settings = w->webView->page()->settings();
        QVERIFY(!settings->testAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls));
        QVERIFY(!settings->testAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls));
        if (!fromManual)
            w->webView->setHtml(html, QUrl(u"https://remote.invalid/page.html"_s));
        QTRY_COMPARE_WITH_TIMEOUT(w->webView->title(), outcome, kPageTimeoutMs);
    }

    // A page without a title is listed by what its source holds after
    // "title", else by its address.
    void untitledPage_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<QString>("name");   // empty: the address
        QTest::newRow("no title") << "<html><body><p>text</p></body></html>"_ba << QString();
        QTest::newRow("title in the text") << "<html><body><!--title>Top<--><p>text</p></body></html>"_ba << u"Top"_s;
    }
    void untitledPage()
    {
        QFETCH(QByteArray, html);
        QFETCH(QString, name);
        Fixture f;
        const QString folder = f.work.path() + u"/manual"_s;
        QVERIFY(QDir().mkpath(folder));
        WriteFile(folder + u"/Murmelinマニュアル はじめに.html"_s, html);
        f.browser.setManualFolder(folder);
        ManualWindow* w = f.open(BrowserController::ManualFirstPage());
        QVERIFY(w);
        QCOMPARE(w->history().titles(), QStringList{name.isEmpty() ? BrowserController::ManualFirstPage() : name});
        QCOMPARE(w->addressBox->toPlainText(), QString());
    }

    // Scripts of a page raise nothing: no error box, no alert, and a
    // question is answered no.
    void scriptsSilent()
    {
        Fixture f;
        ManualWindow* w = f.open(BrowserController::ManualFirstPage());
        QVERIFY(w);
        QVERIFY(Handled(w, [w] {
            w->webView->setHtml(u"<html><body><script>alert('a'); document.title = 'c' + confirm('q') + "
                                    "prompt('p'); missing();</script></body></html>"_s,
                                    QUrl(u"https://remote.invalid/"_s));
        }));
        QTRY_COMPARE_WITH_TIMEOUT(w->webView->title(), u"cfalsenull"_s, kPageTimeoutMs);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(f.prompter.entries.isEmpty());
    }

    // The page goes to paper through the engine, from the preview and from
    // the print dialog (Ctrl+P); a PDF file stands for the printer.
    void printing_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::addColumn<bool>("closeMeanwhile");
        QTest::newRow("preview") << true << false;
        QTest::newRow("print dialog") << false << false;
        // The window asked to close while the engine prints: the page is
        // printed whole, then the window closes.
        QTest::newRow("closed while printing") << false << true;
    }
    void printing()
    {
        QFETCH(bool, preview);
        QFETCH(bool, closeMeanwhile);
        Fixture f;
        ManualWindow* w = f.open(BrowserController::ManualFirstPage());
        QVERIFY(w);
        const QString pdf = f.work.path() + u"/page.pdf"_s;
        if (preview) {
            f.prompter.previewAnswer = [pdf](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
                printer.setOutputFileName(pdf);
                paint(&printer);
            };
            w->printPreviewItem->trigger();
        } else {
            f.prompter.printAnswers << [pdf, w, closeMeanwhile](QPrinter& printer) {
                printer.setOutputFileName(pdf);
                if (closeMeanwhile)
                    QTimer::singleShot(0, w, &QWidget::close);
                return true;
            };
            w->activateWindow();
            QTest::keyClick(w, Qt::Key_P, Qt::ControlModifier);
        }
        QPointer<ManualWindow> window(w);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(pdf).size() > 0, kPageTimeoutMs);
        if (closeMeanwhile) {
            QTRY_VERIFY_WITH_TIMEOUT(!window, kPageTimeoutMs);
            QCOMPARE(f.state.manualWindowState, ManualWindowState::Closed);
        }
        // The engine prints pictures of its pages: the first one shows text.
        QProcess render;
        render.start(u"pdftoppm"_s, {u"-r"_s, u"30"_s, u"-f"_s, u"1"_s, u"-l"_s, u"1"_s, u"-singlefile"_s,
                                     u"-png"_s, pdf, f.work.path() + u"/page"_s});
        QVERIFY(render.waitForFinished(20000));
        const QImage page(f.work.path() + u"/page.png"_s);
        QVERIFY(!page.isNull());
        int dark = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                dark += qGray(page.pixel(x, y)) < 128;
        QVERIFY2(dark > page.width() * page.height() / 200, qPrintable(u"%1 dark pixels"_s.arg(dark)));
    }

    // A page printed to a PDF file keeps its text as text, not a picture of
    // the screen; a file that cannot be written is named.
    void printedPdfHoldsText_data()
    {
        QTest::addColumn<QString>("file");   // under the temporary folder
        QTest::addColumn<bool>("written");
        QTest::newRow("PDF file") << u"page.pdf"_s << true;
        QTest::newRow("missing folder") << u"missing/page.pdf"_s << false;
    }
    void printedPdfHoldsText()
    {
        QFETCH(QString, file);
        QFETCH(bool, written);
        Fixture f;
        ManualWindow* w = f.open(BrowserController::ManualFirstPage());
        QVERIFY(w);
        const QString pdf = f.work.path() + u"/"_s + file;
        f.prompter.printAnswers << [pdf](QPrinter& printer) {
            printer.setOutputFileName(pdf);
            return true;
        };
        w->printItem->trigger();
        if (!written) {
            QTRY_COMPARE_WITH_TIMEOUT(f.prompter.texts().size(), 1, kPageTimeoutMs);
            QVERIFY2(f.prompter.texts().first().startsWith(u"「"_s + pdf + u"」を保存できませんでした"_s),
                     qPrintable(f.prompter.texts().first()));
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(pdf).size() > 0, kPageTimeoutMs);
        QProcess text;
        text.start(u"pdftotext"_s, {u"-f"_s, u"1"_s, u"-l"_s, u"1"_s, pdf, u"-"_s});
        QVERIFY(text.waitForFinished(20000));
        const QString words = QString::fromUtf8(text.readAllStandardOutput()).remove(QRegularExpression(u"\\s"_s));
        QVERIFY2(words.contains(u"語学学習と歌のための小さなデスクトップ"_s), qPrintable(words.left(200)));
        QCOMPARE(f.prompter.texts(), QStringList());
    }

    // "ページを保存" and "リンク先を保存" of the page's menu ask for the file
    // and write it; a file that cannot be written is named.
    void savePageAndLink_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("file");      // under the temporary folder unless absolute; empty: cancelled
        QTest::addColumn<QString>("contains");  // empty: nothing is written
        QTest::addColumn<QString>("message");   // the one message, after the file's name
        QTest::newRow("page") << u"ページを保存"_s << u"はじめに.html"_s
                              << u"語学学習と歌のための小さなデスクトップ"_s << QString();
        QTest::newRow("link") << u"リンク先を保存"_s << u"files.html"_s << u"<title>"_s << QString();
        QTest::newRow("cancelled") << u"リンク先を保存"_s << QString() << QString() << QString();
        QTest::newRow("folder is a file") << u"ページを保存"_s << u"page.pdf/saved.html"_s << QString()
                                          << u"を保存できませんでした（途中の名前がフォルダーではありません）。"_s;
        // The engine itself finds it cannot write there.
        QTest::newRow("folder refuses") << u"リンク先を保存"_s << u"/proc/files.html"_s << QString()
                                        << u"を保存できませんでした（"_s;
    }
    void savePageAndLink()
    {
        QFETCH(QString, item);
        QFETCH(QString, file);
        QFETCH(QString, contains);
        QFETCH(QString, message);
        Fixture f;
        WriteFile(f.work.path() + u"/page.pdf"_s, "not a folder");
        ManualWindow* w = f.open(BrowserController::ManualFirstPage());
        QVERIFY(w);
        QWidget* inner = w->webView->focusProxy();
        QVERIFY(inner);
        QPoint where(w->webView->width() - 40, w->webView->height() - 40);
        if (item == u"リンク先を保存"_s) {
            QVariant link;
            w->webView->page()->runJavaScript(
                u"(function() { var r = document.querySelector('a[href=\"files.html\"]').getBoundingClientRect();"
                " return [r.left + r.width / 2, r.top + r.height / 2]; })()"_s,
                [&link](const QVariant& v) { link = v; });
            QTRY_VERIFY_WITH_TIMEOUT(link.isValid(), kPageTimeoutMs);
            where = QPoint(link.toList().value(0).toInt(), link.toList().value(1).toInt());
        }
        // The menu the user sees, in Japanese.
        QTest::mouseClick(inner, Qt::RightButton, {}, where);
        QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<QMenu*>(QApplication::activePopupWidget()), kPageTimeoutMs);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QAction* save = nullptr;
        for (QAction* a : menu->actions())
            if (a->text() == item)
                save = a;
        QVERIFY2(save, qPrintable(item));
        menu->close();

        const QString path = file.startsWith(u'/') ? file : f.work.path() + u"/"_s + file;
        if (!file.isEmpty())
            f.prompter.saveFileAnswers << Prompter::SaveChoice{path, 0};
        auto* page = qobject_cast<BrowserPage*>(w->webView->page());
        QVERIFY(page);
        QSignalSpy ended(page, &BrowserPage::saveEnded);
        save->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(f.prompter.dialogCalls.size(), 1, kPageTimeoutMs);
        QCOMPARE(f.prompter.dialogCalls[0].filters.size(), item == u"ページを保存"_s ? 2 : 1);
        if (!contains.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(!ended.isEmpty(), kPageTimeoutMs);
            QCOMPARE(ended.at(0).at(0).toString(), path);
            QVERIFY(ended.at(0).at(1).toBool());
            QVERIFY2(QString::fromUtf8(ReadFile(path)).contains(contains), qPrintable(path));
        } else {
            QTest::qWait(500);
            // A save the engine gave up on ends, but not well.
            QVERIFY(ended.isEmpty() || !ended.at(0).at(1).toBool());
            QVERIFY(!QFileInfo::exists(path) || file.isEmpty());
        }
        if (message.isEmpty()) {
            QCOMPARE(f.prompter.texts(), QStringList());
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(f.prompter.texts().size(), 1, kPageTimeoutMs);
            QVERIFY2(f.prompter.texts().first().startsWith(u"「"_s + path + u"」"_s + message),
                     qPrintable(f.prompter.texts().first()));
        }
    }

    // The click on "▽" is a left press over the window: the key that then
    // moves the table's selection still opens nothing; Return does.
    void favouritesKeysAfterTheClick()
    {
        Fixture f;
        const QByteArray site = "http://murmelin.kestrow.invalid/SoftWare/Murmelin/";
        WriteFile(f.favourites(), "\xEF\xBB\xBF" "A\r\n" + site + "files.html\r\nB\r\n" + site + "keys.html\r\nC\r\n"
                                      + site + "lrc.html");
        ManualWindow* w = f.open(BrowserController::ManualFirstPage());
        QVERIFY(w);
        auto* table = w->findChild<QTreeWidget*>(u"favouritesList"_s);
        QVERIFY(table);
        QCOMPARE(table->topLevelItemCount(), 3);
        QSignalSpy loads(w->webView, &QWebEngineView::loadStarted);
        QTest::mouseClick(w->findChild<QPushButton*>(u"favouritesListButton"_s), Qt::LeftButton);
        QVERIFY(table->isVisible());
        table->setFocus();
        QTest::keyClick(table, Qt::Key_Down);
        QTest::qWait(300);
        QCOMPARE(table->selectedItems().size(), 1);
        QVERIFY(table->isVisible());
        QCOMPARE(loads.size(), 0);
        QVERIFY(Handled(w, [table] { QTest::keyClick(table, Qt::Key_Return); }));
        QVERIFY(!table->isVisible());
        QCOMPARE(w->CurrentAddress(), QString::fromLatin1(site + "keys.html"));
    }
};

int main(int argc, char* argv[])
{
    PrepareWebEngine();
    QApplication app(argc, argv);
    TestManualWindow test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_manualwindow.moc"
