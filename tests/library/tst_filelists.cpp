// The three file lists in a real main window: filling, the messages of a
// missing or unreadable folder, header sorting, showing a list, selection
// routing by the last mouse button, the open command, the folder choice and
// deleting to the trash. The operations the routing hands files to are
// recorded, in order, with their arguments.

#include "app/MyForm.h"
#include "library/LibraryController.h"
#include "library/ListViewItemComparer.h"
#include "platform/FileErrors.h"
#include "platform/SystemColors.h"
#include "support/RecordingControllers.h"
#include "support/RecordingRouting.h"
#include "support/ScriptedPrompter.h"
#include "TestFolders.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

const QString kMissing = u"」\nが見つかりません。フォルダー名の変更または削除された事が考えられます。"_s;
const QString kAccess = u"選択フォルダー内にアクセス禁止フォルダーが有りますので別のフォルダーを選択してください。\n("_s;

struct Fixture
{
    ScriptedPrompter prompter;
    CallLog calls;   // settings and speech stand-ins, so start-up touches nothing else
    RoutingLog log;
    MyForm form{prompter};
    QTemporaryDir dir;
    QString folder;

    explicit Fixture(const QStringList& files)
    {
        const Context& c = form.context();
        form.setSettings(std::make_unique<RecordingSettings>(calls, c));
        form.setSpeech(std::make_unique<RecordingSpeech>(calls, c));
        form.setDocuments(std::make_unique<RoutingDocuments>(log, c));
        form.setLrc(std::make_unique<RoutingLrc>(log, c));
        form.setArt(std::make_unique<RoutingArt>(log, c));
        form.setMusic(std::make_unique<RoutingMusic>(log, c));
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            qWarning("window not exposed");
        folder = dir.filePath(u"リスト フォルダー"_s);
        QDir().mkpath(folder);
        for (const QString& name : files)
            TestFolders::Touch(Path(name));
        s().listFolderPath = folder;
        s().murmelinFolder = dir.filePath(u"work"_s);
        ui().listFolderLabel->setText(folder);
        Refill();
    }

    State& s() { return form.state(); }
    Controls& ui() { return form.ui(); }
    LibraryController& lib() { return form.library(); }
    QString Path(const QString& name) const { return folder + u'/' + name; }

    void Refill()
    {
        lib().ListViewAllFileNameWriting(folder);
        lib().ListViewTextFileNameWriting(folder);
        lib().ListViewMusicFileNameWriting(folder);
    }

    static QStringList Column(QTreeWidget* list, int column)
    {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out << list->topLevelItem(i)->text(column);
        return out;
    }

    static QTreeWidgetItem* Entry(QTreeWidget* list, const QString& name)
    {
        const QList<QTreeWidgetItem*> found = list->findItems(name, Qt::MatchExactly, 0);
        return found.isEmpty() ? nullptr : found.first();
    }

    void Click(QTreeWidget* list, const QString& name, Qt::MouseButton button = Qt::LeftButton)
    {
        QTreeWidgetItem* entry = Entry(list, name);
        QVERIFY2(entry, qPrintable(name));
        QTest::mouseClick(list->viewport(), button, {}, list->visualItemRect(entry).center());
        ui().listContextMenu->hide();
    }

    void ClickHeader(QTreeWidget* list, int column)
    {
        QHeaderView* header = list->header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
};

QImage Picture(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage();
}

} // namespace

class TestFileLists : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Collation by the user's locale; a fixed one keeps the expected orders stable.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void setUpAndFill()
    {
        Fixture f({u"b.txt"_s, u"a.lrc"_s, u"c.mp3"_s, u"D.WAV"_s, u"e.MP3"_s, u"f.jpg"_s});
        QDir(f.folder).mkdir(u"g.txt"_s);
        f.s().ListIndexMusic = 5;
        f.Refill();
        for (QTreeWidget* list : {f.ui().allFileList, f.ui().textFileList, f.ui().musicList}) {
            QCOMPARE(list->headerItem()->text(0), u"ファイル名"_s);
            QCOMPARE(list->headerItem()->text(1), u"種類"_s);
            QCOMPARE(list->columnWidth(0), 282);
            QCOMPARE(list->columnWidth(1), 36);
            QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
            QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
            QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
            QVERIFY(list->header()->sectionsMovable());
            QVERIFY(!list->rootIsDecorated());
            QCOMPARE(list->palette().color(QPalette::Inactive, QPalette::Highlight),
                     list->palette().color(QPalette::Active, QPalette::Highlight));
        }
        // "e.MP3" is found by the scan but is no kind in its exact case; the folder "g.txt" is no file.
        QCOMPARE(Fixture::Column(f.ui().allFileList, 0), (QStringList{u"a.lrc"_s, u"b.txt"_s, u"c.mp3"_s, u"D.WAV"_s}));
        QCOMPARE(Fixture::Column(f.ui().allFileList, 1), (QStringList{u"lrc"_s, u"txt"_s, u"mp3"_s, u"wav"_s}));
        QCOMPARE(Fixture::Column(f.ui().textFileList, 0), (QStringList{u"a.lrc"_s, u"b.txt"_s}));
        QCOMPARE(Fixture::Column(f.ui().musicList, 0), (QStringList{u"c.mp3"_s, u"D.WAV"_s}));
        QCOMPARE(f.s().MusicListCount, 2);
        QCOMPARE(f.s().ListIndexMusic, 0);

        const QImage text = Picture(QIcon(u":/icons/text.svg"_s));
        const QImage music = Picture(QIcon(u":/icons/music.svg"_s));
        QVERIFY(!text.isNull() && text != music);
        QTreeWidget* all = f.ui().allFileList;
        QCOMPARE(Picture(all->topLevelItem(0)->icon(0)), text);
        QCOMPARE(Picture(all->topLevelItem(3)->icon(0)), music);
        for (int i = 0; i < 4; ++i)
            QVERIFY(!all->topLevelItem(i)->data(0, Qt::CheckStateRole).isValid());
        for (int i = 0; i < 2; ++i)
            QCOMPARE(f.ui().musicList->topLevelItem(i)->checkState(0), Qt::Checked);
        QVERIFY(f.prompter.entries.isEmpty());
    }

    void folderPathWithLrcMakesEveryFileText()
    {
        Fixture f({});
        f.folder = f.dir.filePath(u"songs.lrc"_s);
        QDir().mkpath(f.folder);
        for (const QString& name : {u"a.mp3"_s, u"b.txt"_s, u"c.WAV"_s})
            TestFolders::Touch(f.Path(name));
        f.s().listFolderPath = f.folder;
        f.Refill();
        QCOMPARE(Fixture::Column(f.ui().allFileList, 1), (QStringList{u"lrc"_s, u"txt"_s, u"lrc"_s}));
        QCOMPARE(Picture(f.ui().allFileList->topLevelItem(0)->icon(0)), Picture(QIcon(u":/icons/text.svg"_s)));
        QCOMPARE(Fixture::Column(f.ui().textFileList, 0), QStringList{u"b.txt"_s});   // found by name
        QCOMPARE(Fixture::Column(f.ui().musicList, 1), (QStringList{u"mp3"_s, u"wav"_s}));
        f.Click(f.ui().allFileList, u"a.mp3"_s);
        QCOMPARE(f.log.calls, QStringList{u"TextOpenFile(%1, a.mp3)"_s.arg(f.Path(u"a.mp3"_s))});
    }

    void missingAndUnreadableFolders()
    {
        Fixture f({u"a.txt"_s, u"b.mp3"_s});
        QCOMPARE(f.ui().allFileList->topLevelItemCount(), 2);
        const QString gone = f.folder;
        QVERIFY(QDir(gone).removeRecursively());
        f.s().ListIndexMusic = 1;
        for (int refill = 1; refill <= 2; ++refill) {
            f.Refill();
            QCOMPARE(f.prompter.texts().size(), refill);
        }
        QCOMPARE(f.prompter.texts().value(0), u"前回使用したデータ・フォルダー\n「"_s + gone + kMissing);
        QCOMPARE(f.s().lastFileOutcome, FileOutcome::Failed);
        for (QTreeWidget* list : {f.ui().allFileList, f.ui().textFileList, f.ui().musicList})
            QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(f.s().MusicListCount, 0);
        QCOMPARE(f.s().ListIndexMusic, 0);

        // A refill says once why it could not read the folder.
        f.prompter.clear();
        QDir().mkpath(gone);
        TestFolders::Touch(f.Path(u"a.txt"_s));
        QVERIFY(QFile::setPermissions(gone, {}));
        {
            TestFolders::NoPermissionOverride asUser;
            f.Refill();
        }
        QFile::setPermissions(gone, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString expected = kAccess + FileErrors::Message(FileErrors::Doing::List, gone, EACCES) + u')';
        QCOMPARE(f.prompter.texts(), QStringList{expected});
        QCOMPARE(f.ui().allFileList->topLevelItemCount(), 0);
    }

    void headerClicksToggleOneDirectionPerList()
    {
        Fixture f({u"a.txt"_s, u"b.mp3"_s, u"c.wav"_s});
        QTreeWidget* all = f.ui().allFileList;
        f.ClickHeader(all, 0);
        QCOMPARE(Fixture::Column(all, 0), (QStringList{u"c.wav"_s, u"b.mp3"_s, u"a.txt"_s}));
        f.ClickHeader(all, 0);
        QCOMPARE(Fixture::Column(all, 0), (QStringList{u"a.txt"_s, u"b.mp3"_s, u"c.wav"_s}));
        f.ClickHeader(all, 0);
        f.ClickHeader(all, 1);   // the other column after one click: ascending by type
        QCOMPARE(Fixture::Column(all, 1), (QStringList{u"mp3"_s, u"txt"_s, u"wav"_s}));
        QCOMPARE(f.s().allFileListSorting, 0);
        QCOMPARE(f.s().textFileListSorting, 0);

        // The installed sorter orders later fills too.
        TestFolders::Touch(f.Path(u"d.lrc"_s));
        f.Refill();
        QCOMPARE(Fixture::Column(all, 0), (QStringList{u"d.lrc"_s, u"b.mp3"_s, u"a.txt"_s, u"c.wav"_s}));
        QCOMPARE(Fixture::Column(f.ui().textFileList, 0), (QStringList{u"a.txt"_s, u"d.lrc"_s}));

        // Refilled while the text list is shown, the all-files list follows
        // the text list's field (column 0) and direction.
        QTest::mouseClick(f.ui().textListButton, Qt::LeftButton);
        f.Refill();
        QCOMPARE(Fixture::Column(all, 0), (QStringList{u"a.txt"_s, u"b.mp3"_s, u"c.wav"_s, u"d.lrc"_s}));
        f.ClickHeader(f.ui().textFileList, 0);
        QCOMPARE(Fixture::Column(f.ui().textFileList, 0), (QStringList{u"d.lrc"_s, u"a.txt"_s}));
        f.Refill();
        QCOMPARE(Fixture::Column(all, 0), (QStringList{u"d.lrc"_s, u"c.wav"_s, u"b.mp3"_s, u"a.txt"_s}));
        QCOMPARE(f.s().allFileListSorting, 0);
        QCOMPARE(f.s().textFileListSorting, 1);
    }

    void sorterCollatesByLocaleWithLetterCase()
    {
        State state;
        for (int shown : {0, 1, 2, 7}) {
            state.shownList = shown;
            const ListViewItemComparer c(state, 1);
            QCOMPARE((QList<int>{c.col1, c.col2, c.col3}),
                     (QList<int>{shown == 0, shown == 1, shown != 0 && shown != 1}));
        }

        const QStringList names{u"b.txt"_s, u"B.txt"_s, u"a.txt"_s, u"A.txt"_s, u"ぶ.txt"_s, u"ふ.txt"_s,
                                u"フ.txt"_s, u"10.txt"_s, u"9.txt"_s, u"Äa.txt"_s, u"Ab.txt"_s, u"漢字.txt"_s};
        const QLocale japanese(QLocale::Japanese, QLocale::Japan);
        QLocale::setDefault(japanese);
        QTreeWidget list;
        ListSorter* sorter = ListSorter::Of(&list);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        for (const QString& name : names)
            list.addTopLevelItem(new ListEntry(sorter, {name, u"txt"_s}));
        sorter->Sort();
        QCollator collator(japanese);
        collator.setCaseSensitivity(Qt::CaseSensitive);
        QStringList expected = names;
        std::stable_sort(expected.begin(), expected.end(),
                         [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
        QCOMPARE(Fixture::Column(&list, 0), expected);
        QVERIFY(expected.indexOf(u"a.txt"_s) + 1 == expected.indexOf(u"A.txt"_s));   // culture order, not code points
        QVERIFY(collator.compare(u"a.txt"_s, u"A.txt"_s) != 0);
    }

    void showListSwitchesAndPaintsButtons()
    {
        Fixture f({});
        f.s().playMode = PlayMode::InOrderLoop;
        f.ui().nextSongButton->setEnabled(false);
        QTest::mouseClick(f.ui().musicListButton, Qt::LeftButton);
        QCOMPARE(f.s().shownList, FileList::Music);
        QVERIFY(f.ui().musicList->isVisible() && !f.ui().allFileList->isVisible() && !f.ui().textFileList->isVisible());
        QCOMPARE(SystemColors::BackColor(f.ui().musicListButton), SystemColors::ActiveCaption());
        QCOMPARE(SystemColors::BackColor(f.ui().allListButton), SystemColors::ControlLight());
        QVERIFY(f.ui().nextSongButton->isEnabled());
        QCOMPARE(f.log.calls, QStringList{u"InOrderLoopButtonActiveColor"_s});
        QTest::mouseClick(f.ui().musicListButton, Qt::LeftButton);   // already shown: nothing
        QCOMPARE(f.log.calls.size(), 1);
        QTest::mouseClick(f.ui().allListButton, Qt::LeftButton);
        QCOMPARE(f.s().shownList, FileList::All);
        QVERIFY(f.ui().allFileList->isVisible() && !f.ui().musicList->isVisible());
        QCOMPARE(SystemColors::BackColor(f.ui().musicListButton), SystemColors::ControlLight());
        QCOMPARE(f.log.calls.size(), 1);
    }

    void keyboardRemembersUntilALeftClick()
    {
        Fixture f({u"a.txt"_s, u"b.mp3"_s, u"c.txt"_s});
        QTreeWidget* all = f.ui().allFileList;
        all->setCurrentItem(all->topLevelItem(0));   // as the keyboard does
        QVERIFY(f.log.calls.isEmpty());
        QCOMPARE(f.s().deleteFileName, f.Path(u"a.txt"_s));

        f.Click(all, u"c.txt"_s);
        QCOMPARE(f.log.calls, QStringList{u"TextOpenFile(%1, c.txt)"_s.arg(f.Path(u"c.txt"_s))});
        f.log.clear();
        QTest::keyClick(all, Qt::Key_Up);
        QCOMPARE(all->currentItem()->text(0), u"b.mp3"_s);
        const QString b = f.Path(u"b.mp3"_s);
        const QString temp0 = f.dir.filePath(u"work/temp0.mp3"_s);
        QCOMPARE(f.log.calls, (QStringList{u"MP3JpegDel(%1, temp0.mp3)"_s.arg(b), u"LrcTextTempLabel(%1)"_s.arg(b),
                                          u"MusicStart(%1, temp0.mp3)"_s.arg(temp0)}));
        QCOMPARE(f.log.songNames.value(0), u"b"_s);
        QCOMPARE(f.s().deleteFileName, b);

        // After a right click, selections only remember the file again.
        f.log.clear();
        f.Click(all, u"a.txt"_s, Qt::RightButton);
        QCOMPARE(f.s().lastClickButton, ClickButton::Right);
        QTest::keyClick(all, Qt::Key_Down);
        QVERIFY(f.log.calls.isEmpty());
        QCOMPARE(f.s().deleteFileName, f.Path(all->currentItem()->text(0)));
    }

    void musicListAlternatesTheTemporaryCopy()
    {
        Fixture f({u"one.mp3"_s, u"two.mp3"_s, u"three.mp3"_s, u"Four.WAV"_s});
        QTest::mouseClick(f.ui().musicListButton, Qt::LeftButton);
        f.log.clear();
        QTreeWidget* music = f.ui().musicList;
        QStringList expected;
        int flag = 0;
        for (const QString& name : {u"one.mp3"_s, u"two.mp3"_s, u"three.mp3"_s}) {
            f.Click(music, name);
            const QString temp = u"temp%1.mp3"_s.arg(flag);
            expected << u"MP3JpegDel(%1, %2)"_s.arg(f.Path(name), temp) << u"LrcTextTempLabel(%1)"_s.arg(f.Path(name))
                     << u"MusicStart(%1, %2)"_s.arg(f.dir.filePath(u"work/"_s + temp), temp);
            flag = 1 - flag;
            QCOMPARE(f.s().ListIndexMusic, music->indexOfTopLevelItem(Fixture::Entry(music, name)));
        }
        QCOMPARE(f.log.calls, expected);
        QCOMPARE(f.s().mp3TempCopyIndex, 1);

        // WAV plays its own path, with the list folder's cover art.
        f.log.clear();
        f.Click(music, u"Four.WAV"_s);
        const QString four = f.Path(u"Four.WAV"_s);
        QCOMPARE(f.log.calls, (QStringList{u"LrcTextTempLabel(%1)"_s.arg(four), u"JpegCoverArtDisplay(%1)"_s.arg(f.folder),
                                          u"MusicStart(%1, Four.WAV)"_s.arg(four)}));
        QCOMPARE(f.log.songNames.value(1), u"Four"_s);

        // An unticked entry does nothing at all; a copy that failed is not
        // played, and its lyrics are not read.
        f.log.clear();
        Fixture::Entry(music, u"one.mp3"_s)->setCheckState(0, Qt::Unchecked);
        f.Click(music, u"one.mp3"_s);
        QVERIFY(f.log.calls.isEmpty());
        QCOMPARE(f.s().deleteFileName, four);
        f.log.copyWorks = false;
        f.Click(music, u"two.mp3"_s);
        QCOMPARE(f.log.calls, QStringList{u"MP3JpegDel(%1, temp1.mp3)"_s.arg(f.Path(u"two.mp3"_s))});
        QCOMPARE(f.ui().songNameLabel->text(), QString());
        QCOMPARE(f.s().mp3TempCopyIndex, 1);
    }

    void checkBoxClickOnlyTicks()
    {
        Fixture f({u"one.mp3"_s, u"two.mp3"_s});
        QTest::mouseClick(f.ui().musicListButton, Qt::LeftButton);
        f.log.clear();
        QTreeWidget* music = f.ui().musicList;
        QTreeWidgetItem* two = Fixture::Entry(music, u"two.mp3"_s);
        const QRect row = music->visualItemRect(two);
        // Where the style puts the check box in the first column.
        QStyleOptionViewItem option;
        option.initFrom(music);
        option.rect = QRect(music->header()->sectionViewportPosition(0), row.top(),
                            music->header()->sectionSize(0), row.height());
        option.features = QStyleOptionViewItem::HasCheckIndicator;
        const QPoint box = music->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, music).center();
        QTest::mouseClick(music->viewport(), Qt::LeftButton, {}, box);
        QCOMPARE(two->checkState(0), Qt::Unchecked);
        QVERIFY(music->selectedItems().isEmpty());
        QVERIFY(f.log.calls.isEmpty());
        // A double click is press, release, double click, release: two ticks.
        QTest::mouseClick(music->viewport(), Qt::LeftButton, {}, box);
        QTest::mouseDClick(music->viewport(), Qt::LeftButton, {}, box);
        QTest::mouseRelease(music->viewport(), Qt::LeftButton, {}, box);
        QCOMPARE(two->checkState(0), Qt::Unchecked);
        QVERIFY(f.log.calls.isEmpty());
        QTest::mouseClick(music->viewport(), Qt::LeftButton, {}, box);
        f.Click(music, u"two.mp3"_s);   // ticked again, a click on its name plays it
        QCOMPARE(f.log.calls.size(), 3);
    }

    // A click on the row already selected changes no selection: a song
    // plays again, a text is not read in again.
    void clickingTheSelectedRowAgain()
    {
        Fixture f({u"one.mp3"_s, u"two.wav"_s, u"memo.txt"_s});
        QTreeWidget* all = f.ui().allFileList;
        for (const QString& name : {u"one.mp3"_s, u"two.wav"_s, u"memo.txt"_s}) {
            f.log.clear();
            f.Click(all, name);
            f.Click(all, name);
            const int starts = int(f.log.calls.filter(u"MusicStart("_s).size());
            QCOMPARE(starts, name.endsWith(u".txt"_s) ? 0 : 2);
            QCOMPARE(int(f.log.calls.filter(u"TextOpenFile("_s).size()), name.endsWith(u".txt"_s) ? 1 : 0);
        }
        QTest::mouseClick(f.ui().musicListButton, Qt::LeftButton);
        QTreeWidget* music = f.ui().musicList;
        f.Click(music, u"two.wav"_s);
        f.log.clear();
        f.Click(music, u"two.wav"_s);
        QCOMPARE(f.log.calls.filter(u"MusicStart("_s), QStringList{u"MusicStart(%1, two.wav)"_s.arg(f.Path(u"two.wav"_s))});
        // A double click on it starts it once more, not twice; a right click not at all.
        f.log.clear();
        const QPoint at = music->visualItemRect(Fixture::Entry(music, u"two.wav"_s)).center();
        QTest::mouseClick(music->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(music->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(music->viewport(), Qt::LeftButton, {}, at);
        f.Click(music, u"two.wav"_s, Qt::RightButton);
        QCOMPARE(f.log.calls.filter(u"MusicStart("_s).size(), 1);
    }

    void openCommand()
    {
        Fixture f({});
        f.s().openDirFolder = u"/start"_s;
        f.ui().listFolderLabel->setText(u"/shown folder"_s);
        f.prompter.openFileAnswers = {std::nullopt, u"/x/y/SONG.MP3"_s, u"/x/t.cda"_s, u"/v/clip.avi"_s,
                                      u"/d/メモ.txt"_s, u"/w/a.wav"_s, u"/m/s.mp3"_s};
        f.lib().FileOpen();
        QCOMPARE(f.prompter.dialogCalls.value(0).startFolder, u"/start"_s);
        QCOMPARE(f.prompter.dialogCalls.value(0).filters.value(3), u"テキスト(*.txt;*.lrc) (*.txt *.lrc)"_s);
        QCOMPARE(f.s().openDirFolder, u"/start"_s);
        const QString unsupported = u"このファイルフォーマットには、現在対応していません。"_s;
        f.lib().FileOpen();
        QCOMPARE(f.prompter.texts(), QStringList{unsupported});
        QCOMPARE(f.s().openDirFolder, u"/x/y"_s);
        QCOMPARE(f.prompter.dialogCalls.value(1).startFolder, u"/start"_s);
        f.lib().FileOpen();
        f.lib().FileOpen();
        QCOMPARE(f.prompter.texts(), QStringList(2, unsupported));
        QVERIFY(f.log.calls.isEmpty());
        QCOMPARE(f.prompter.dialogCalls.value(3).startFolder, u"/x"_s);

        f.s().mp3TempCopyIndex = 1;   // shared with the lists
        for (int i = 0; i < 3; ++i)
            f.lib().FileOpen();
        QCOMPARE(f.log.calls,
                 (QStringList{u"TextOpenFile(/d/メモ.txt, メモ.txt)"_s, u"LrcTextTempLabel(/w/a.wav)"_s,
                              u"JpegCoverArtDisplay(/shown folder)"_s, u"MusicStart(/w/a.wav, a.wav)"_s,
                              u"MP3JpegDel(/m/s.mp3, temp1.mp3)"_s, u"LrcTextTempLabel(/m/s.mp3)"_s,
                              u"MusicStart(%1, temp1.mp3)"_s.arg(f.dir.filePath(u"work/temp1.mp3"_s))}));
        QCOMPARE(f.s().mp3TempCopyIndex, 0);
        QCOMPARE(f.s().openDirFolder, u"/m"_s);
        QCOMPARE(f.prompter.texts().size(), 2);
    }

    void folderChoice()
    {
        Fixture f({u"old.txt"_s});
        const QString chosen = f.dir.filePath(u"新しい フォルダー"_s);
        QDir().mkpath(chosen);
        TestFolders::Touch(chosen + u"/new.mp3"_s);
        f.prompter.folderAnswers = {std::nullopt, f.dir.filePath(u"nowhere"_s), chosen};
        for (int i = 0; i < 2; ++i)
            f.lib().FolderSetting();
        QCOMPARE(f.prompter.dialogCalls.value(0).startFolder, f.folder);
        QCOMPARE(f.prompter.texts().size(), 1);
        QCOMPARE(f.prompter.texts().value(0),
                 FileErrors::Message(FileErrors::Doing::List, f.dir.filePath(u"nowhere"_s), ENOENT));
        QCOMPARE(f.s().listFolderPath, f.folder);
        QCOMPARE(Fixture::Column(f.ui().allFileList, 0), QStringList{u"old.txt"_s});
        f.lib().FolderSetting();
        QCOMPARE(f.ui().listFolderLabel->text(), chosen);
        QCOMPARE(f.s().listFolderPath, chosen);
        QCOMPARE(Fixture::Column(f.ui().allFileList, 0), QStringList{u"new.mp3"_s});
        QCOMPARE(Fixture::Column(f.ui().musicList, 0), QStringList{u"new.mp3"_s});
    }

    void deleteGoesToTheTrashAfterConfirming()
    {
        const QString longName = QString(60, u'長') + u".txt"_s;   // 180 bytes, 64 characters
        Fixture f({u" spaced name.txt"_s, u".dot.lrc"_s, longName, u"keep.mp3"_s});
        QTreeWidget* all = f.ui().allFileList;
        f.Click(all, longName, Qt::RightButton);
        QCOMPARE(f.s().deleteFileName, f.Path(longName));
        TestFolders::Touch(f.Path(u"later.txt"_s));

        f.prompter.answers = {false};
        f.ui().contextDelete->trigger();
        QCOMPARE(f.prompter.texts(), QStringList{u"ファイルを削除しますか？"_s});
        QVERIFY(QFile::exists(f.Path(longName)));
        QVERIFY(!Fixture::Entry(all, u"later.txt"_s));

        f.prompter.answers = {true};
        f.ui().contextDelete->trigger();
        const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + u"/Trash/"_s;
        QVERIFY(!QFile::exists(f.Path(longName)));
        QVERIFY(QFile::exists(trash + u"files/"_s + longName));
        QVERIFY(QFile::exists(trash + u"info/"_s + longName + u".trashinfo"_s));
        QVERIFY(Fixture::Entry(all, u"later.txt"_s));
        QVERIFY(!Fixture::Entry(all, longName));
        QCOMPARE(QDir(f.folder).entryList(QDir::Files | QDir::Hidden).size(), 4);
        QCOMPARE(f.s().deleteFileName, f.Path(longName));   // kept after the delete
        QCOMPARE(f.prompter.texts().size(), 2);

        // Gone before the click, or a folder under its name: the system's
        // message, no refill, nothing else touched.
        f.Click(all, u" spaced name.txt"_s, Qt::RightButton);
        QVERIFY(QFile::remove(f.Path(u" spaced name.txt"_s)));
        TestFolders::Touch(f.Path(u"later2.txt"_s));
        f.prompter.clear();
        f.prompter.answers = {true};
        f.lib().DeleteFile();
        QCOMPARE(f.prompter.texts().size(), 2);
        QVERIFY(!f.prompter.texts().value(1).isEmpty());
        QVERIFY(!Fixture::Entry(all, u"later2.txt"_s));
        QVERIFY(QDir(f.folder).mkdir(u" spaced name.txt"_s));
        f.prompter.clear();
        f.prompter.answers = {true};
        f.lib().DeleteFile();
        QCOMPARE(f.prompter.texts().size(), 2);
        QVERIFY(QFileInfo(f.Path(u" spaced name.txt"_s)).isDir());
        QCOMPARE(QDir(trash + u"files"_s).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 1);
    }

    void vanishedFolderAndLinkLoops()
    {
        Fixture f({u"a.txt"_s, u"b.wav"_s});
        QVERIFY(QFile::link(f.Path(u"loop.mp3"_s), f.Path(u"loop.mp3"_s)));
        QVERIFY(QFile::link(f.folder, f.Path(u"self.lrc"_s)));
        f.Refill();
        QCOMPARE(Fixture::Column(f.ui().allFileList, 0), (QStringList{u"a.txt"_s, u"b.wav"_s}));
        const QString moved = f.folder + u" moved"_s;
        QVERIFY(QDir().rename(f.folder, moved));
        f.Click(f.ui().allFileList, u"b.wav"_s);
        QCOMPARE(f.log.calls.value(2), u"MusicStart(%1, b.wav)"_s.arg(f.Path(u"b.wav"_s)));
        f.prompter.answers = {true};
        f.lib().DeleteFile();
        QCOMPARE(f.prompter.texts().size(), 2);
        QVERIFY(QFile::exists(moved + u"/b.wav"_s));
    }
};

MURMELIN_LIST_TEST_MAIN(TestFileLists)
#include "tst_filelists.moc"
