// The favourites bar on a plain window: its buttons, table and context
// menu as the user works them, and the file it reads and writes.

#include "browser/FavouritesBar.h"

#include "platform/FileErrors.h"
#include "support/ScriptedPrompter.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <cerrno>
#include <memory>

using namespace Qt::StringLiterals;

namespace {
const QByteArray Mark("\xEF\xBB\xBF", 3);
const char* const QuickNames[] = {"quickButton0", "quickButton1", "quickButton2", "quickButton3", "quickButton4", "quickButton5", "quickButton6"};
}

class tst_FavouritesBar : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void eightEntries();
    void tableHeight_data();
    void tableHeight();
    void leftClickOpensRow();
    void keyboard();
    void keysAfterAClick_data();
    void keysAfterAClick();
    void longTitles();
    void rightClickDeleteAndUndo();
    void addAndSave();
    void unsafeAddresses();
    void fileFailures();
    void internetExplorerFavourite_data();
    void internetExplorerFavourite();
    void tenThousandEntries();

private:
    void writeList(int entries, const QByteArray& extra = {});
    void makeBar();
    QTreeWidget* table() const { return window_->findChild<QTreeWidget*>(u"favouritesList"_s); }
    QPushButton* button(const char* name) const { return window_->findChild<QPushButton*>(QString::fromLatin1(name)); }
    QAction* action(const QString& name) const { return window_->findChild<QAction*>(name); }
    void clickRow(int row, Qt::MouseButton mouse);

    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
    std::unique_ptr<QWidget> window_;
    ScriptedPrompter prompter_;
    std::pair<QString, QString> newest_;
    FavouritesBar* bar_ = nullptr;
    std::unique_ptr<QSignalSpy> navigated_;
};

void tst_FavouritesBar::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    path_ = dir_->filePath(u"お気に入り.txt"_s);
    prompter_.clear();
    prompter_.openFileAnswers.clear();
    newest_ = {};
    window_ = std::make_unique<QWidget>();
    window_->resize(1047, 632);
}

void tst_FavouritesBar::cleanup()
{
    navigated_.reset();
    window_.reset();
    bar_ = nullptr;
}

// Entries "T<i>" / "https://example.com/<i>"; entry 6's address has a
// Japanese path.
void tst_FavouritesBar::writeList(int entries, const QByteArray& extra)
{
    QByteArray bytes = Mark;
    for (int i = 0; i < entries; ++i) {
        if (i)
            bytes += "\r\n";
        bytes += "T" + QByteArray::number(i) + "\r\nhttps://example.com/" + QByteArray::number(i);
        if (i == 6)
            bytes += "/\xE3\x82\xA2";
    }
    bytes += extra;
    QFile file(path_);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void tst_FavouritesBar::makeBar()
{
    bar_ = new FavouritesBar(window_.get(), prompter_, path_, [this] { return newest_; });
    navigated_ = std::make_unique<QSignalSpy>(bar_, &FavouritesBar::navigate);
    bar_->load();
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void tst_FavouritesBar::clickRow(int row, Qt::MouseButton mouse)
{
    QTreeWidget* t = table();
    const QRect rect = t->visualItemRect(t->topLevelItem(row));
    QVERIFY(rect.isValid());
    QTest::mouseClick(t->viewport(), mouse, {}, rect.center());
}

void tst_FavouritesBar::eightEntries()
{
    writeList(8);
    makeBar();
    QVERIFY(prompter_.texts().isEmpty());
    for (int k = 0; k < 7; ++k) {
        QPushButton* quick = button(QuickNames[k]);
        QVERIFY(quick);
        QCOMPARE(quick->text(), u"T"_s + QString::number(k));
        QCOMPARE(quick->geometry(), QRect(140 * k, 34, 140, 23));
    }
    QCOMPARE(table()->topLevelItemCount(), 8);
    QVERIFY(!table()->isVisible());
    QCOMPARE(button("favouritesListButton")->toolTip(), u"お気に入り登録情報"_s);

    // The eighth entry has no key; F7 opens entry 6 with its path escaped.
    QVERIFY(!bar_->pressFunctionKey(Qt::Key_F8));
    QVERIFY(bar_->pressFunctionKey(Qt::Key_F7));
    QCOMPARE(navigated_->size(), 1);
    QCOMPARE(navigated_->at(0).at(0).toString(), u"https://example.com/6/%E3%82%A2"_s);
    QTest::mouseClick(button("quickButton0"), Qt::LeftButton);
    QCOMPARE(navigated_->size(), 2);
    QCOMPARE(navigated_->at(1).at(0).toString(), u"https://example.com/0"_s);
}

void tst_FavouritesBar::tableHeight_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("height");
    QTest::newRow("0") << 0 << 66;
    QTest::newRow("1") << 1 << 66;
    QTest::newRow("10") << 10 << 240;
    QTest::newRow("30") << 30 << 600;
}

void tst_FavouritesBar::tableHeight()
{
    QFETCH(int, entries);
    QFETCH(int, height);
    writeList(entries);
    makeBar();
    QTest::mouseClick(button("favouritesListButton"), Qt::LeftButton);
    QVERIFY(table()->isVisible());
    QVERIFY(table()->isEnabled());
    QVERIFY(button("favouritesListButton")->isChecked());
    QCOMPARE(table()->geometry(), QRect(627, 65, 400, height));
    // Below the limit every row is in sight, each 20 pixels high.
    if (entries > 0 && height < 600) {
        const QRect last = table()->visualItemRect(table()->topLevelItem(entries - 1));
        QCOMPARE(last.height(), 20);
        QVERIFY2(last.bottom() < table()->viewport()->height(), qPrintable(QString::number(last.bottom())));
    }
    // The quick buttons after the last entry are empty and open nothing.
    if (entries < 7) {
        QCOMPARE(button(QuickNames[entries])->text(), QString());
        QVERIFY(bar_->pressFunctionKey(Qt::Key_F1 + entries));
        QCOMPARE(navigated_->size(), 0);
    }
    QTest::mouseClick(button("favouritesListButton"), Qt::LeftButton);
    QVERIFY(!table()->isVisible());
    QVERIFY(!button("favouritesListButton")->isChecked());
}

void tst_FavouritesBar::leftClickOpensRow()
{
    writeList(3);
    makeBar();
    QTest::mouseClick(button("favouritesListButton"), Qt::LeftButton);
    clickRow(2, Qt::LeftButton);
    QCOMPARE(navigated_->size(), 1);
    QCOMPARE(navigated_->at(0).at(0).toString(), u"https://example.com/2"_s);
    QVERIFY(!table()->isVisible());
    QVERIFY(table()->selectedItems().isEmpty());
}

void tst_FavouritesBar::keyboard()
{
    writeList(3);
    makeBar();
    QTest::mouseClick(button("favouritesListButton"), Qt::LeftButton);
    table()->setFocus();
    // Moving the selection with the keys opens nothing; Return does.
    QTest::keyClick(table(), Qt::Key_Down);
    QTest::keyClick(table(), Qt::Key_Down);
    QCOMPARE(table()->selectedItems().size(), 1);
    QCOMPARE(navigated_->size(), 0);
    QTest::keyClick(table(), Qt::Key_Return);
    QCOMPARE(navigated_->size(), 1);
    QCOMPARE(navigated_->at(0).at(0).toString(),
             u"https://example.com/"_s + QString::number(table()->indexOfTopLevelItem(table()->currentItem())));
    QVERIFY(!table()->isVisible());

    // Escape closes the table.
    QTest::mouseClick(button("favouritesListButton"), Qt::LeftButton);
    table()->setFocus();
    QTest::keyClick(table(), Qt::Key_Escape);
    QVERIFY(!table()->isVisible());
    QCOMPARE(navigated_->size(), 1);
}

// The window reports every left press over its controls, the one on "▽"
// that showed the table too: the keys still only move the selection, and a
// click on the row they reached opens it.
void tst_FavouritesBar::keysAfterAClick_data()
{
    QTest::addColumn<int>("lastPress");   // the button flag the window reported
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("row");         // where the selection ends
    // The keys start from row 2.
    QTest::newRow("left, Down") << 2 << int(Qt::Key_Down) << 3;
    QTest::newRow("left, Up") << 2 << int(Qt::Key_Up) << 1;
    QTest::newRow("left, Home") << 2 << int(Qt::Key_Home) << 0;
    QTest::newRow("left, End") << 2 << int(Qt::Key_End) << 4;
    QTest::newRow("left, PageUp") << 2 << int(Qt::Key_PageUp) << 0;
    QTest::newRow("left, PageDown") << 2 << int(Qt::Key_PageDown) << 4;
    QTest::newRow("right, Down") << 1 << int(Qt::Key_Down) << 3;
}

void tst_FavouritesBar::keysAfterAClick()
{
    QFETCH(int, lastPress);
    QFETCH(int, key);
    QFETCH(int, row);
    writeList(5);
    makeBar();
    QTest::mouseClick(button("favouritesListButton"), Qt::LeftButton);
    table()->setFocus();
    table()->setCurrentItem(table()->topLevelItem(2), 0, QItemSelectionModel::NoUpdate);
    bar_->setMouseButtonFlag(lastPress);
    QTest::keyClick(table(), Qt::Key(key));
    QCOMPARE(navigated_->size(), 0);
    QVERIFY(table()->isVisible());
    QCOMPARE(table()->selectedItems().size(), 1);
    QCOMPARE(table()->indexOfTopLevelItem(table()->selectedItems().first()), row);
    clickRow(row, Qt::LeftButton);
    QCOMPARE(navigated_->size(), 1);
    QCOMPARE(navigated_->at(0).at(0).toString(), u"https://example.com/"_s + QString::number(row));
    QVERIFY(!table()->isVisible());
}

void tst_FavouritesBar::longTitles()
{
    const QByteArray title = "とても長いお気に入りのページのタイトルがボタンの幅に収まらない";
    QByteArray bytes;
    for (int i = 0; i < 6; ++i)
        bytes += title + "\r\nhttps://example.com/\r\n";
    writeList(0, bytes + "Q&A\r\nhttps://example.com/qa");
    makeBar();
    const QString full = QString::fromUtf8(title);
    // A "&" shows as itself, not as a mnemonic.
    QCOMPARE(button("quickButton6")->text(), u"Q&&A"_s);
    for (int k = 0; k < 6; ++k) {
        QPushButton* quick = button(QuickNames[k]);
        if (k == 5) {
            // quickButton5 clips its title instead.
            QCOMPARE(quick->text(), full);
        } else {
            QVERIFY2(quick->text().endsWith(QChar(0x2026)), qPrintable(quick->text()));
            QCOMPARE(quick->toolTip(), full);
        }
    }
    QVERIFY(bar_->pressFunctionKey(Qt::Key_F1));
    QCOMPARE(navigated_->size(), 1);
}

void tst_FavouritesBar::rightClickDeleteAndUndo()
{
    writeList(8);
    makeBar();
    QTest::mouseClick(button("favouritesListButton"), Qt::LeftButton);
    QAction* undo = action(u"favouritesUndo"_s);
    QAction* remove = action(u"favouritesDelete"_s);
    QVERIFY(undo && remove);
    QCOMPARE(undo->text(), u"元に戻す(&U)"_s);
    QCOMPARE(undo->shortcut(), QKeySequence(u"Ctrl+Z"_s));
    QCOMPARE(remove->shortcut(), QKeySequence(Qt::Key_Delete));
    QVERIFY(undo->property("dimmed").toBool());

    // A row selected with the right button is only the menu's target.
    clickRow(1, Qt::RightButton);
    QCOMPARE(table()->selectedItems().size(), 1);
    remove->trigger();
    QCOMPARE(navigated_->size(), 0);
    QCOMPARE(bar_->entries().size(), 7);
    QCOMPARE(table()->topLevelItemCount(), 7);
    QCOMPARE(button("quickButton1")->text(), u"T2"_s);
    QCOMPARE(button("quickButton6")->text(), u"T7"_s);
    QVERIFY(!undo->property("dimmed").toBool());

    // Then the first row with the Delete key; undo brings back only that.
    clickRow(0, Qt::RightButton);
    table()->setFocus();
    QTest::keyClick(table(), Qt::Key_Delete);
    QCOMPARE(bar_->entries().size(), 6);
    QCOMPARE(button("quickButton0")->text(), u"T2"_s);
    QTest::keyClick(table(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(bar_->entries().size(), 7);
    QCOMPARE(bar_->entries()[0].title, u"T0"_s);
    QCOMPARE(bar_->entries()[1].title, u"T2"_s);
    QCOMPARE(table()->topLevelItem(0)->text(1), u"https://example.com/0"_s);
    QCOMPARE(table()->height(), 20 * 8 + 20);
    QVERIFY(undo->property("dimmed").toBool());
    QCOMPARE(navigated_->size(), 0);

    // "終了(X)" closes the table.
    action(u"favouritesClose"_s)->trigger();
    QVERIFY(!table()->isVisible());
}

void tst_FavouritesBar::addAndSave()
{
    writeList(1);
    makeBar();
    // Nothing in the history yet: nothing to add.
    QTest::mouseClick(button("addFavouriteButton"), Qt::LeftButton);
    QCOMPARE(bar_->entries().size(), 1);
    QCOMPARE(prompter_.texts(), QStringList{FavouritesBar::EmptyHistoryMessage()});

    newest_ = {u"ページ"_s, u"https://example.jp/p"_s};
    QTest::mouseClick(button("addFavouriteButton"), Qt::LeftButton);
    QTest::mouseClick(button("addFavouriteButton"), Qt::LeftButton);
    QCOMPARE(button("quickButton1")->text(), u"ページ"_s);
    QCOMPARE(button("quickButton2")->text(), u"ページ"_s);
    bar_->save();
    QFile file(path_);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), Mark + "T0\r\nhttps://example.com/0\r\n"
                                    "\xE3\x83\x9A\xE3\x83\xBC\xE3\x82\xB8\r\nhttps://example.jp/p\r\n"
                                    "\xE3\x83\x9A\xE3\x83\xBC\xE3\x82\xB8\r\nhttps://example.jp/p");
    QCOMPARE(prompter_.texts().size(), 1);
}

void tst_FavouritesBar::unsafeAddresses()
{
    writeList(0, "JS\r\njavascript:alert(1)\r\nLocal\r\nfile:///etc/passwd\r\nSpaced\r\n javascript:alert(2)");
    makeBar();
    for (int key : {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3})
        QVERIFY(bar_->pressFunctionKey(key));
    QTest::mouseClick(button("favouritesListButton"), Qt::LeftButton);
    clickRow(0, Qt::LeftButton);
    QCOMPARE(navigated_->size(), 0);
    QCOMPARE(prompter_.texts(), QStringList(4, FavouritesBar::NotWebAddressMessage()));
}

void tst_FavouritesBar::fileFailures()
{
    // Missing at load: the file and the reason, an empty list.
    makeBar();
    QCOMPARE(prompter_.texts(), QStringList{FileErrors::Message(FileErrors::Doing::Read, path_, ENOENT)});
    QVERIFY(bar_->entries().isEmpty());
    // Saving makes the file with the mark alone.
    bar_->save();
    QFile file(path_);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), Mark);
    file.close();

    // A folder that is not there cannot be written: the file and the reason are shown.
    const QString lostPath = dir_->filePath(u"missing/お気に入り.txt"_s);
    FavouritesBar lost(window_.get(), prompter_, lostPath, {});
    prompter_.clear();
    lost.save();
    QCOMPARE(prompter_.texts().size(), 1);
    QVERIFY2(prompter_.texts().first().startsWith(FileErrors::Message(FileErrors::Doing::Write, lostPath, ENOENT)),
             qPrintable(prompter_.texts().first()));

    // An Internet Explorer favourite that is a folder: the file and the reason.
    const QString folder = dir_->filePath(u"folder.url"_s);
    QVERIFY(QDir().mkdir(folder));
    prompter_.clear();
    prompter_.openFileAnswers = {folder};
    QTest::mouseClick(button("importFavouriteButton"), Qt::LeftButton);
    QCOMPARE(prompter_.texts(), QStringList{FileErrors::Message(FileErrors::Doing::Read, folder, EISDIR)});
    QCOMPARE(navigated_->size(), 0);
}

void tst_FavouritesBar::internetExplorerFavourite_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("address");   // empty: nothing opens
    QTest::addColumn<QString>("message");

    QTest::newRow("web page") << QByteArray("[InternetShortcut]\r\nURL=https://example.jp/\xE3\x82\xA2\r\n")
                              << u"https://example.jp/%E3%82%A2"_s << QString();
    QTest::newRow("no URL line") << QByteArray("[InternetShortcut]\r\nIconIndex=0\r\n") << QString()
                                 << FavouritesBar::NoUrlInFileMessage();
    QTest::newRow("javascript:") << QByteArray("[InternetShortcut]\r\nURL=javascript:alert(1)\r\n") << QString()
                                 << FavouritesBar::NotWebAddressMessage();
    QTest::newRow("file:") << QByteArray("[InternetShortcut]\r\nURL=file:///etc/passwd\r\n") << QString()
                           << FavouritesBar::NotWebAddressMessage();
}

void tst_FavouritesBar::internetExplorerFavourite()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, address);
    QFETCH(QString, message);

    writeList(2);
    const QString url = dir_->filePath(u"page.url"_s);
    QFile file(url);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    makeBar();
    prompter_.openFileAnswers = {url};
    QTest::mouseClick(button("importFavouriteButton"), Qt::LeftButton);
    QCOMPARE(prompter_.dialogCalls.size(), 1);
    QCOMPARE(prompter_.dialogCalls[0].filters, QStringList{u"お気に入り(*.url)"_s});
    QCOMPARE(navigated_->size(), address.isEmpty() ? 0 : 1);
    if (!address.isEmpty())
        QCOMPARE(navigated_->at(0).at(0).toString(), address);
    QCOMPARE(prompter_.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    // The file is not added to the list.
    QCOMPARE(bar_->entries().size(), 2);

    // Cancelling the dialog opens nothing.
    QTest::mouseClick(button("importFavouriteButton"), Qt::LeftButton);
    QCOMPARE(navigated_->size(), address.isEmpty() ? 0 : 1);
}

void tst_FavouritesBar::tenThousandEntries()
{
    writeList(10000);
    QElapsedTimer timer;
    timer.start();
    makeBar();
    QTest::mouseClick(button("favouritesListButton"), Qt::LeftButton);
    const qint64 ms = timer.elapsed();
    QCOMPARE(table()->topLevelItemCount(), 10000);
    QCOMPARE(table()->height(), 600);
    QCOMPARE(table()->topLevelItem(9999)->text(0), u"T9999"_s);
    qInfo("10 000 entries loaded and shown in %lld ms", ms);
    QVERIFY2(ms < 3000, qPrintable(u"%1 ms"_s.arg(ms)));
}

QTEST_MAIN(tst_FavouritesBar)
#include "tst_favouritesbar.moc"
