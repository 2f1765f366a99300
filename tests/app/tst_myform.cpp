// The main window as a user meets it: every control where the layout puts
// it, start-up, the command table, the mouse-button memory, the line timer
// and the closing order.

#include "app/AnchorLayout.h"
#include "app/MyForm.h"
#include "art/PictureBox.h"
#include "support/RecordingControllers.h"
#include "support/ScriptedPrompter.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

enum Anchor { T = 1, B = 2, L = 4, R = 8 };

struct Row
{
    const char* name;
    int x, y, w, h;
    int anchors;
    const char16_t* caption;   // nullptr: not checked (icon or no caption)
    const char16_t* tooltip;
    bool visible;
    bool enabled;
};

// The design layout, control by control, as the window must show it right
// after construction.
const Row kLayout[] = {
    {"listFolderButton", 1, 29, 40, 40, T | L, nullptr, u"リスト・フォルダーの場所を指定", true, true},
    {"previousSongButton", 297, 29, 40, 40, T, nullptr, u"ミュージック・リストでの再生曲を一つ上へ移動", true, true},
    {"musicPlayButton", 338, 29, 40, 40, T, nullptr, u"ミュージック再生の開始", true, true},
    {"musicPauseButton", 379, 29, 40, 40, T, nullptr, u"ミュージック再生の一時停止", true, true},
    {"musicStopButton", 420, 29, 40, 40, T, nullptr, u"ミュージック再生の停止", true, true},
    {"nextSongButton", 461, 29, 40, 40, T, nullptr, u"ミュージック・リストでの再生曲を一つ下へ移動", true, true},
    {"repeatOneButton", 799, 29, 40, 40, T | R, nullptr, u"ミュージック再生の繰り返し", true, true},
    {"inOrderButton", 840, 29, 40, 40, T | R, nullptr, u"ミュージック・リストでの選択開始曲から順次再生", true, true},
    {"inOrderLoopButton", 881, 29, 40, 40, T | R, nullptr, u"ミュージック・リストでの選択開始曲から順次ループ再生", true, true},
    {"randomPlayButton", 922, 29, 40, 40, T | R, nullptr, u"ミュージック・リストでの選択開始曲からランダムに再生", true, true},
    {"allListButton", 1, 72, 45, 22, T | L, u"All", u"ミュージック名およびテキスト名、同期テキスト名の表示", true, true},
    {"textListButton", 45, 72, 45, 22, T | L, u"Text", u"テキスト名および同期テキスト名の表示", true, true},
    {"musicListButton", 89, 72, 45, 22, T | L, u"Music", u"ミュージック名の表示", true, true},
    {"artViewButton", 336, 72, 42, 22, T | L, u"Art", u"画像の表示", true, true},
    {"textViewButton", 377, 72, 42, 22, T | L, u"Text", u"テキスト・データの表示", true, true},
    {"lrcViewButton", 418, 72, 42, 22, T | L, u"Lrc", u"同期テキスト・データの表示", true, true},
    {"artSizeLabel", 511, 75, 300, 15, T | L | R, u"", u"", true, true},
    {"artFitBox", 849, 73, 113, 20, T | R, nullptr, u"", true, true},
    {"listFolderLabel", 1, 93, 336, 20, T | L, u"", u"リスト表示のフォルダー場所", true, true},
    {"allFileList", 1, 112, 335, 484, T | B | L, nullptr, u"", true, true},
    {"textFileList", 1, 112, 335, 484, T | B | L, nullptr, u"", false, true},
    {"musicList", 1, 112, 335, 484, T | B | L, nullptr, u"", false, true},
    {"viewKindLabel", 336, 93, 89, 20, T | L, u"テキスト", u"", false, true},
    {"textFolderLabel", 424, 93, 497, 20, T | L | R, u"テキスト", u"", false, true},
    {"lrcFolderLabel", 424, 93, 497, 20, T | L | R, u"同期テキスト", u"", false, true},
    {"textNameBox", 336, 112, 585, 22, T | L | R, u"NewText", u"", false, true},
    {"lrcNameBox", 336, 112, 585, 22, T | L | R, u"NewLrcText", u"", false, true},
    {"textView", 336, 132, 585, 465, T | B | L | R, u"", u"", false, true},
    {"lrcView", 336, 132, 585, 465, T | B | L | R, u"", u"", false, true},
    {"artPicture", 336, 93, 628, 504, T | B | L | R, nullptr, u"", true, true},
    {"lineEndCheckButton", 921, 91, 40, 40, T | R, u"改行\n確認", u"他のソフトウェアで作成したテキストファイルの改行コード（CR+LF）が正しいか確認および修正", true, true},
    {"saveButton", 921, 136, 40, 40, T | R, nullptr, u"テキストおよび同期テキストの上書き保存", true, false},
    {"undoButton", 921, 177, 40, 40, T | R, nullptr, u"テキスト入力を一つ元に戻す", true, false},
    {"loopCountButton", 921, 218, 40, 40, T | R, u"1", u"音声合成再生のループ回数を選択", false, false},
    {"readingModeButton", 921, 259, 40, 40, T | R, u"一行", u"音声合成再生方法の選択", false, false},
    {"lineUpButton", 921, 300, 40, 40, T | R, u"↑", u"音声合成一行再生モードでの再生行を一つ上へ移動", false, false},
    {"readButton", 921, 341, 40, 40, T | R, u"＞", u"音声合成再生の開始", false, false},
    {"readPauseButton", 921, 382, 40, 40, T | R, u"| |", u"音声合成再生の一時停止", false, false},
    {"readStopButton", 921, 423, 40, 40, T | R, u"□", u"音声合成再生の停止", false, false},
    {"lineDownButton", 921, 464, 40, 40, T | R, u"↓", u"音声合成一行再生モードでの再生行を一つ下へ移動", false, false},
    {"speechSpeedButton", 921, 505, 40, 40, T | R, nullptr, u"音声合成スピーチの再生スピードを調整", true, true},
    {"speechVolumeButton", 921, 546, 40, 40, T | R, nullptr, u"音声合成スピーチの音量を調整", true, true},
    {"speechSpeedSlider", 846, 443, 24, 113, B | R, nullptr, u"", false, true},
    {"speechSpeedLabel", 846, 556, 24, 12, B | R, u"0", u"", false, true},
    {"speechVolumeSlider", 876, 362, 24, 194, B | R, nullptr, u"", false, true},
    {"speechVolumeLabel", 876, 556, 24, 12, B | R, u"100", u"", false, true},
    {"masterVolumeSlider", 923, 386, 36, 194, B | R, nullptr, u"", false, true},
    {"masterVolumeLabel", 923, 580, 36, 12, B | R, u"100", u"", false, true},
    {"musicPositionSlider", 1, 596, 916, 21, B | L | R, nullptr, u"再生開始位置の設定", true, false},
    {"masterVolumeButton", 921, 597, 40, 40, B | R, nullptr, u"ミキサーのメイン音量を調整", true, true},
    {"rangePlayButton", 1, 617, 24, 24, B | L, u"レ", u"再生範囲再生の有無（レ点で有効）を設定", true, true},
    {"rangeStartSetButton", 25, 617, 24, 24, B | L, nullptr, u"ミュージック再生開始時間の設定", true, false},
    {"rangeStartLabel", 49, 617, 140, 24, B | L, u"Start：0.00 sec", u"", true, true},
    {"rangeStartClearButton", 189, 617, 24, 24, B | L, nullptr, u"ミュージック再生開始時間のクリアー", true, false},
    {"songNameLabel", 213, 617, 337, 24, B | L | R, u"", u"再生ファイル名", true, true},
    {"elapsedTimeLabel", 549, 617, 180, 24, B | R, u"", u"", true, true},
    {"rangeEndClearButton", 729, 617, 24, 24, B | R, nullptr, u"ミュージック再生終了時間のクリアー", true, false},
    {"rangeEndLabel", 753, 617, 140, 24, B | R, u"End：0.00 sec", u"", true, true},
    {"rangeEndSetButton", 893, 617, 24, 24, B | R, nullptr, u"ミュージック再生終了時間の設定", true, false},
};

QString textOf(QWidget* w)
{
    if (auto* b = qobject_cast<QPushButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* e = qobject_cast<QPlainTextEdit*>(w))
        return e->toPlainText();
    return {};
}

// A button caption that reads aloud as what the button does: a word of three
// letters or more that no other control of the window shows.
bool speaksItsCaption(const Row& row)
{
    if (!row.caption)
        return false;
    const QString caption = QString::fromUtf16(row.caption);
    if (std::count_if(caption.begin(), caption.end(), [](QChar c) { return c.isLetter(); }) < 3)
        return false;
    return std::count_if(std::begin(kLayout), std::end(kLayout), [&](const Row& other) {
        return other.caption && QString::fromUtf16(other.caption) == caption;
    }) == 1;
}

// Where a control designed at r lands when the client grows by (dw, dh).
QRect anchoredRect(const Row& row, int dw, int dh)
{
    int x = row.x, w = row.w, y = row.y, h = row.h;
    const bool l = row.anchors & L, r = row.anchors & R, t = row.anchors & T, b = row.anchors & B;
    if (l && r) w += dw; else if (r) x += dw; else if (!l) x += dw / 2;
    if (t && b) h += dh; else if (b) y += dh; else if (!t) y += dh / 2;
    return QRect(x, y, w, h);
}

} // namespace

class TestMyForm : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        ScriptedPrompter prompter;
        CallLog log;
        MyForm form{prompter};

        Fixture()
        {
            const Context& c = form.context();
            form.setSettings(std::make_unique<RecordingSettings>(log, c));
            form.setLibrary(std::make_unique<RecordingLibrary>(log, c));
            form.setDocuments(std::make_unique<RecordingDocuments>(log, c));
            form.setSpeech(std::make_unique<RecordingSpeech>(log, c));
            form.setMusic(std::make_unique<RecordingMusic>(log, c));
            form.setLrc(std::make_unique<RecordingLrc>(log, c));
        }

        template <typename T> T* find(const char* name)
        {
            return form.findChild<T*>(QString::fromLatin1(name));
        }

        void showAndLoad()
        {
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QTRY_VERIFY_WITH_TIMEOUT(log.calls.contains(u"SpeechPlatformInstallationCheck"_s), 5000);
        }
    };

private slots:
    void layoutTableAtDesignSize()
    {
        Fixture f;
        QCOMPARE(f.form.windowTitle(), u"Murmelin"_s);
        QCOMPARE(f.form.size(), QSize(964, 642));
        QCOMPARE(f.form.minimumSize(), QSize(750, 300));
        for (const Row& row : kLayout) {
            const QString name = QString::fromLatin1(row.name);
            QWidget* w = f.form.findChild<QWidget*>(name);
            QVERIFY2(w, row.name);
            QCOMPARE(w->geometry(), QRect(row.x, row.y, row.w, row.h));
            if (row.caption)
                QCOMPARE(textOf(w), QString::fromUtf16(row.caption));
            QCOMPARE(w->toolTip(), QString::fromUtf16(row.tooltip));
            QVERIFY2(w->isVisibleTo(&f.form) == row.visible, row.name);
            QVERIFY2(w->isEnabled() == row.enabled, row.name);
            // Controls without words of their own speak a Japanese name;
            // labels and buttons captioned with a word of their own speak
            // their text, never a name.
            const bool showsText = qobject_cast<QLabel*>(w)
                || (qobject_cast<QPushButton*>(w) && speaksItsCaption(row));
            if (showsText)
                QVERIFY2(w->accessibleName().isEmpty(), row.name);
            else
                QVERIFY2(!w->accessibleName().isEmpty(), row.name);
            if (qobject_cast<QLabel*>(w) && w->toolTip().isEmpty())
                QVERIFY2(!w->accessibleDescription().isEmpty(), row.name);
            // Icon buttons show a picture that actually renders.
            if (auto* b = qobject_cast<QPushButton*>(w); b && b->text().isEmpty())
                QVERIFY2(!b->icon().pixmap(24, 24).isNull(), row.name);
        }
    }

    void anchorsKeepEdgeDistancesOnResize()
    {
        Fixture f;
        f.showAndLoad();
        for (const QSize grow : {QSize(200, 100), QSize(-214, -342)}) {
            const QSize size = MyForm::DesignSize + grow;
            f.form.resize(size);
            QTRY_COMPARE_WITH_TIMEOUT(f.form.size(), size, 2000);
            QCoreApplication::processEvents();
            for (const Row& row : kLayout) {
                QWidget* w = f.find<QWidget>(row.name);
                QCOMPARE(w->geometry(), anchoredRect(row, grow.width(), grow.height()));
            }
        }
        // The window never goes below its minimum size.
        f.form.resize(300, 100);
        QTRY_COMPARE_WITH_TIMEOUT(f.form.size(), QSize(750, 300), 2000);
    }

    void fontsColoursAndControlDetails()
    {
        Fixture f;
        const struct { const char* name; const char16_t* family; double points; } fonts[] = {
            {"textView", u"Microsoft YaHei", 11.25}, {"lrcView", u"ＭＳ ゴシック", 11.25},
            {"songNameLabel", u"Microsoft YaHei", 11.25}, {"rangeStartLabel", u"Microsoft Sans Serif", 11.25},
            {"rangeEndLabel", u"Microsoft Sans Serif", 11.25}, {"elapsedTimeLabel", u"Microsoft Sans Serif", 11.25},
            {"textFolderLabel", u"Microsoft Sans Serif", 9.75}, {"listFolderLabel", u"Microsoft Sans Serif", 9.75},
            {"lrcFolderLabel", u"Microsoft Sans Serif", 9.75}, {"textNameBox", u"Microsoft Sans Serif", 9.75},
            {"lrcNameBox", u"Microsoft Sans Serif", 9.75}, {"viewKindLabel", u"MS UI Gothic", 9.75},
            {"readingModeButton", u"MS UI Gothic", 9}, {"loopCountButton", u"MS UI Gothic", 9}, {"rangePlayButton", u"MS UI Gothic", 9},
            {"speechSpeedLabel", u"MS UI Gothic", 9}, {"masterVolumeLabel", u"MS UI Gothic", 9}, {"speechVolumeLabel", u"MS UI Gothic", 9},
            {"artFitBox", u"MS UI Gothic", 9},
        };
        for (const auto& font : fonts) {
            QWidget* w = f.find<QWidget>(font.name);
            QCOMPARE(w->font().families().value(0), QString::fromUtf16(font.family));
            QCOMPARE(w->font().pointSizeF(), font.points);
        }
        QVERIFY(f.find<QPushButton>("rangePlayButton")->font().bold());

        auto* combo = f.find<QComboBox>("artFitBox");
        QCOMPARE(combo->count(), 4);
        QCOMPARE(combo->itemText(0), u"CenterImage"_s);
        QCOMPARE(combo->itemText(3), u"Zoom"_s);
        QVERIFY(!combo->isEditable());

        auto* speed = f.find<QSlider>("speechSpeedSlider");
        QCOMPARE(speed->orientation(), Qt::Vertical);
        QCOMPARE(speed->minimum(), -5);
        QCOMPARE(speed->maximum(), 5);
        QCOMPARE(speed->tickPosition(), QSlider::NoTicks);
        auto* master = f.find<QSlider>("masterVolumeSlider");
        QCOMPARE(master->maximum(), 100);
        QCOMPARE(master->tickInterval(), 10);
        QVERIFY(master->tickPosition() != QSlider::NoTicks);
        auto* position = f.find<QSlider>("musicPositionSlider");
        QCOMPARE(position->orientation(), Qt::Horizontal);
        QCOMPARE(position->maximum(), 0);
        QCOMPARE(position->pageStep(), 100);
        QCOMPARE(position->cursor().shape(), Qt::SizeHorCursor);

        auto* editor = f.find<QPlainTextEdit>("textView");
        QCOMPARE(editor->lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(!editor->tabChangesFocus());
        QCOMPARE(f.find<QLineEdit>("textNameBox")->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);

        // The highlighted list and view buttons stand out from their neighbours.
        auto face = [&](const char* name) { return f.find<QPushButton>(name)->palette().color(QPalette::Button); };
        QVERIFY(face("allListButton") != face("textListButton"));
        QCOMPARE(face("textListButton"), face("musicListButton"));
        QVERIFY(face("artViewButton") != face("textViewButton"));
        QCOMPARE(face("lineEndCheckButton"), QColor(0xFF, 0xE4, 0xC4));

        auto* musicPollTimer = f.form.findChild<QTimer*>(u"musicPollTimer"_s);
        auto* lrcCloseTimer = f.form.findChild<QTimer*>(u"lrcCloseTimer"_s);
        QCOMPARE(musicPollTimer->interval(), 200);
        QVERIFY(!musicPollTimer->isActive());
        QCOMPARE(lrcCloseTimer->interval(), 400);
        QVERIFY(!lrcCloseTimer->isActive());
    }

    void menusAndContextMenu()
    {
        Fixture f;
        auto titles = [](const QList<QAction*>& actions) {
            QStringList out;
            for (QAction* a : actions)
                out << (a->isSeparator() ? u"-"_s : QString(a->text()).remove(u'&'));
            return out;
        };
        const QList<QAction*> top = f.form.ui().menuBar->actions();
        QCOMPARE(titles(top), (QStringList{u"ファイル"_s, u"ツール"_s, u"編集"_s, u"設定"_s, u"ヘルプ"_s, u"学習"_s}));
        QCOMPARE(titles(top[0]->menu()->actions()),
                 (QStringList{u"新規テキスト"_s, u"-"_s, u"開く"_s, u"上書き保存"_s, u"名前を付けて保存"_s, u"-"_s,
                              u"ページ設定"_s, u"印刷"_s, u"印刷プレビュー"_s, u"-"_s, u"終了"_s}));
        QCOMPARE(titles(top[0]->menu()->actions()[0]->menu()->actions()),
                 (QStringList{u"テキスト"_s, u"同期テキスト"_s}));
        QCOMPARE(titles(top[1]->menu()->actions()), QStringList{u"簡易ブラウザー"_s});
        QCOMPARE(titles(top[2]->menu()->actions()),
                 (QStringList{u"元に戻す"_s, u"-"_s, u"切り取り"_s, u"コピー"_s, u"貼り付け"_s, u"削除"_s, u"-"_s, u"全て選択"_s}));
        QCOMPARE(titles(top[3]->menu()->actions()), (QStringList{u"フォント"_s, u"折り返し"_s, u"音声合成言語"_s}));
        QCOMPARE(titles(top[4]->menu()->actions()), (QStringList{u"マニュアル"_s, u"バージョン情報"_s}));
        QCOMPARE(f.form.ui().menuOpen->shortcut(), QKeySequence(u"Ctrl+O"_s));
        QCOMPARE(f.form.ui().menuSaveAs->shortcut(), QKeySequence(u"Ctrl+S"_s));
        QCOMPARE(f.form.ui().menuPrint->shortcut(), QKeySequence(u"Ctrl+P"_s));
        QCOMPARE(titles(f.form.ui().listContextMenu->actions()),
                 (QStringList{u"削除(D)"_s, u"-"_s, u"終了(X)"_s}));
    }

    void startupOrderAndResetState()
    {
        Fixture f;
        f.form.state().speechState = SpeechState::VoiceStopped;
        f.form.state().playRange = PlayRange::Off;
        f.showAndLoad();
        QCOMPARE(f.log.calls.mid(0, 5),
                 (QStringList{u"SystemVersionProbe"_s, u"ProgramFolderSetting"_s, u"iniListView"_s,
                              u"iniRead"_s, u"SpeechPlatformInstallationCheck"_s}));
        const State& s = f.form.state();
        QCOMPARE(s.speechState, SpeechState::Idle);
        QCOMPARE(s.audioState, AudioState::Closed);
        QCOMPARE(s.playRange, PlayRange::On);
        QCOMPARE(s.lastClickButton, ClickButton::None);
        for (const char* name : {"lineUpButton", "lineDownButton", "readButton", "readPauseButton", "readStopButton", "speechVolumeButton", "speechSpeedButton",
                                 "readingModeButton", "loopCountButton", "saveButton", "undoButton", "lineEndCheckButton"})
            QVERIFY2(!f.find<QWidget>(name)->isVisible(), name);
        for (const char* name : {"lineUpButton", "lineDownButton", "readButton", "readPauseButton", "readStopButton", "readingModeButton", "loopCountButton",
                                 "saveButton", "undoButton"})
            QVERIFY2(!f.find<QWidget>(name)->isEnabled(), name);
        QVERIFY(f.find<QWidget>("allFileList")->isVisible());
        QVERIFY(!f.find<QWidget>("textFileList")->isVisible());
        QVERIFY(f.find<QWidget>("artPicture")->isVisible());
        // Showing the window again runs neither Load nor Shown a second time.
        f.form.hide();
        f.form.show();
        QCoreApplication::processEvents();
        QCOMPARE(f.log.calls.count(u"iniRead"_s), 1);
        QCOMPARE(f.log.calls.count(u"SpeechPlatformInstallationCheck"_s), 1);
    }

    void commandTable_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QStringList>("expected");
        auto row = [](const char* control, QStringList calls) {
            QTest::newRow(control) << QString::fromLatin1(control) << calls;
        };
        row("menuNewTextText", {u"NewText"_s});
        row("menuNewTextLrc", {u"NewLrcText"_s});
        row("menuOpen", {u"FileOpen"_s});
        row("menuOverWrite", {u"OverWrite"_s});
        row("saveButton", {u"OverWrite"_s});
        row("menuSaveAs", {u"FileNameSpecifiedSave"_s});
        row("menuUndo", {u"Undo"_s});
        row("undoButton", {u"Undo"_s});
        row("menuCut", {u"Cut"_s});
        row("menuCopy", {u"Copy"_s});
        row("menuPaste", {u"Paste"_s});
        row("menuDelete", {u"Delete"_s});
        row("menuSelectAll", {u"SelectAll"_s});
        row("menuFont", {u"FontSetting"_s});
        row("menuVoice", {u"SpeechSettingSub"_s});
        row("contextDelete", {u"DeleteFile"_s});
        row("contextClose", {});
        row("menuNewTextItem", {});
        row("listFolderButton", {u"FolderSetting"_s});
        row("allListButton", {u"ShowList(0)"_s});
        row("textListButton", {u"ShowList(1)"_s});
        row("musicListButton", {u"ShowList(2)"_s});
        row("textViewButton", {u"TextDisplaySwitch"_s});
        row("lrcViewButton", {u"LrcTextDisplaySwitch"_s});
        row("artViewButton", {u"ArtDisplaySwitch"_s});
        row("lineEndCheckButton", {u"LineEndCheck"_s});
        row("readButton", {u"SpeechPlay"_s});
        row("readPauseButton", {u"SpeechPause"_s});
        row("readStopButton", {u"SpeechStop"_s});
        row("lineUpButton", {u"SpeechSkipBackward"_s});
        row("lineDownButton", {u"SpeechSkipForward"_s});
        row("readingModeButton", {u"SpeechReproductionModeSetting"_s});
        row("loopCountButton", {u"SpeechLoopModeSetting"_s});
        row("speechVolumeButton", {u"SpeechVolTrackBarDisp"_s});
        row("speechSpeedButton", {u"SpeechRateTrackBarDisp"_s});
        row("musicPlayButton", {u"MusicPlay"_s});
        row("musicPauseButton", {u"MusicPause"_s});
        row("musicStopButton", {u"MusicStop"_s});
        row("nextSongButton", {u"NextMusicPlay"_s});
        row("previousSongButton", {u"BackMusicPlay"_s});
        row("repeatOneButton", {u"RepeatOneModeChosen"_s});
        row("inOrderButton", {u"InOrderModeChosen"_s});
        row("inOrderLoopButton", {u"InOrderLoopModeChosen"_s});
        row("randomPlayButton", {u"RandomModeChosen"_s});
        row("rangeEndSetButton", {u"RangeEndSet"_s});
        row("rangeStartSetButton", {u"RangeStartSet"_s});
        row("rangeStartClearButton", {u"RangeStartClear"_s});
        row("rangeEndClearButton", {u"RangeEndClear"_s});
        row("rangePlayButton", {u"RangePlayToggled"_s});
        row("masterVolumeButton", {u"MixerVolTrackBarDisp"_s});
    }

    void commandTable()
    {
        QFETCH(QString, control);
        QFETCH(QStringList, expected);
        Fixture f;
        f.showAndLoad();
        f.log.calls.clear();
        if (auto* action = f.form.findChild<QAction*>(control)) {
            action->trigger();
        } else {
            auto* button = f.form.findChild<QPushButton*>(control);
            QVERIFY(button);
            button->show();
            button->setEnabled(true);
            QTest::mouseClick(button, Qt::LeftButton);
        }
        QCOMPARE(f.log.calls, expected);
        QVERIFY(f.prompter.entries.isEmpty());
    }

    void slidersTimersAndHeadersReachTheirOperations()
    {
        Fixture f;
        f.showAndLoad();
        f.log.calls.clear();
        Controls& c = f.form.ui();
        c.speechVolumeSlider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        c.speechSpeedSlider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        c.masterVolumeSlider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(f.log.calls, (QStringList{u"SpeechVolSetting"_s, u"SpeechRateSetting"_s, u"MixerVolSetting"_s}));

        f.log.calls.clear();
        c.musicPollTimer->setInterval(1);
        c.musicPollTimer->start();
        QTRY_VERIFY_WITH_TIMEOUT(f.log.calls.contains(u"MusicPollTick"_s), 2000);
        c.musicPollTimer->stop();
        c.lrcCloseTimer->setInterval(1);
        c.lrcCloseTimer->start();
        QTRY_VERIFY_WITH_TIMEOUT(f.log.calls.contains(u"LrcCloseTick"_s), 2000);

        f.log.calls.clear();
        c.musicList->setHeaderLabels({u"ファイル名"_s, u"種類"_s});
        c.musicList->show();
        emit c.musicList->header()->sectionClicked(1);
        QCOMPARE(f.log.calls, QStringList{u"ColumnClick(2,1)"_s});

        f.log.calls.clear();
        c.musicPositionSlider->setEnabled(true);
        QWheelEvent wheel(QPointF(5, 5), c.musicPositionSlider->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(c.musicPositionSlider, &wheel);
        QVERIFY(f.log.calls.contains(u"PositionSliderWheel(120)"_s));
    }

    void readingGuards()
    {
        Fixture f;
        f.showAndLoad();
        Controls& c = f.form.ui();
        State& s = f.form.state();
        for (QPushButton* b : {c.readButton, c.textViewButton, c.lrcViewButton}) {
            b->show();
            b->setEnabled(true);
        }

        // No engine at all: the play button points to the manual instead.
        f.log.calls.clear();
        s.synthesizerStatus = EngineStatus::Unavailable;
        s.voiceStatus = EngineStatus::Unavailable;
        QTest::mouseClick(c.readButton, Qt::LeftButton);
        QVERIFY(f.log.calls.isEmpty());
        QCOMPARE(f.prompter.texts(),
                 QStringList{u"マニュアルを参照して、音声合成言語のインストールをしてください。\nWindows7/8.1/10では、インストール方法が異なりますので注意してください。"_s});
        s.voiceStatus = EngineStatus::Ready;
        QTest::mouseClick(c.readButton, Qt::LeftButton);
        QCOMPARE(f.log.calls, QStringList{u"SpeechPlay"_s});

        // While reading aloud (speaking or paused) the two text views stay put.
        for (int busy : {SpeechState::VoiceSpeaking, SpeechState::VoicePaused, SpeechState::SynthesizerSpeaking, SpeechState::SynthesizerPaused}) {
            f.log.calls.clear();
            f.prompter.clear();
            s.speechState = busy;
            QTest::mouseClick(c.textViewButton, Qt::LeftButton);
            QTest::mouseClick(c.lrcViewButton, Qt::LeftButton);
            QVERIFY(f.log.calls.isEmpty());
            QCOMPARE(f.prompter.texts().size(), 2);
            QCOMPARE(f.prompter.texts().value(0), u"音声合成再生を停止してから行ってください。"_s);
        }
        for (int idle : {SpeechState::Idle, SpeechState::VoiceStopped, SpeechState::SynthesizerStopped}) {
            f.log.calls.clear();
            s.speechState = idle;
            QTest::mouseClick(c.textViewButton, Qt::LeftButton);
            QCOMPARE(f.log.calls, QStringList{u"TextDisplaySwitch"_s});
        }
    }

    void mouseButtonMemory()
    {
        Fixture f;
        f.showAndLoad();
        QTreeWidget* list = f.form.ui().allFileList;
        for (const QString& name : {u"a.txt"_s, u"b.mp3"_s, u"c.wav"_s})
            new QTreeWidgetItem(list, QStringList{name});
        f.log.calls.clear();
        f.log.mouseFlags.clear();

        // A keyboard selection before any click: the flag is still 0.
        list->setFocus();
        list->setCurrentItem(list->topLevelItem(0));
        QCOMPARE(f.log.calls.value(0), u"SelectionChanged(0)"_s);
        QCOMPARE(f.log.mouseFlags.value(0), 0);

        // The button is known before the list handles the press and changes
        // its selection.
        auto itemCentre = [&](int row) { return list->visualItemRect(list->topLevelItem(row)).center(); };
        f.log.calls.clear();
        f.log.mouseFlags.clear();
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, itemCentre(1));
        QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, itemCentre(1));
        f.form.ui().listContextMenu->hide();
        QCOMPARE(f.form.state().lastClickButton, ClickButton::Right);
        QCOMPARE(f.log.calls, QStringList{u"SelectionChanged(0)"_s});
        QCOMPARE(f.log.mouseFlags, QList<int>{1});

        // Keyboard selections after a right click stay "remember only".
        f.log.mouseFlags.clear();
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(f.log.mouseFlags, QList<int>{1});

        f.log.mouseFlags.clear();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, itemCentre(0));
        QCOMPARE(f.log.mouseFlags, QList<int>{2});
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(f.log.mouseFlags.value(1), 2);

        // A press on any other child control counts too; the menu bar does not.
        QTest::mousePress(f.form.ui().songNameLabel, Qt::RightButton);
        QCOMPARE(f.form.state().lastClickButton, ClickButton::Right);
        QTest::mousePress(f.form.ui().menuBar, Qt::LeftButton, {}, QPoint(400, 10));
        QCOMPARE(f.form.state().lastClickButton, ClickButton::Right);
        QTest::mousePress(f.form.ui().artPicture, Qt::LeftButton);
        QCOMPARE(f.form.state().lastClickButton, ClickButton::Left);
    }

    void lineTimerOnlyAdvancesTheDisplayForTimerOne()
    {
        Fixture f;
        f.showAndLoad();
        f.log.calls.clear();
        f.form.WndProcTimer(2);
        f.form.WndProcTimer(0);
        QVERIFY(f.log.calls.isEmpty());
        f.form.WndProcTimer(1);
        QCOMPARE(f.log.calls, QStringList{u"LrcTextDisplay"_s});

        // Armed, the window timer keeps firing until it is killed.
        f.log.calls.clear();
        f.form.SetTimer(State::nTimerID, 5);
        QTRY_VERIFY_WITH_TIMEOUT(f.log.calls.count(u"LrcTextDisplay"_s) >= 3, 3000);
        f.form.KillTimer(State::nTimerID);
        QVERIFY(!f.form.ui().lineTimer->isActive());
        const qsizetype fired = f.log.calls.size();
        QTest::qWait(30);
        QCOMPARE(f.log.calls.size(), fired);
        // Other identifiers are not the line timer.
        f.form.SetTimer(7, 5);
        QVERIFY(!f.form.ui().lineTimer->isActive());
    }

    void closingOrder_data()
    {
        QTest::addColumn<int>("text");
        QTest::addColumn<int>("lrc");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<bool>("closes");
        const QString textQ = u"テキスト・データを保存せずに終了しても良いですか？"_s;
        const QString lrcQ = u"同期テキスト・データを保存せずに終了しても良いですか？"_s;
        QTest::newRow("nothing unsaved") << 3 << 1 << QList<bool>{} << QStringList{} << true;
        QTest::newRow("untouched") << 0 << 0 << QList<bool>{} << QStringList{} << true;
        QTest::newRow("text new edited, yes") << 2 << 0 << QList<bool>{true} << QStringList{textQ} << true;
        QTest::newRow("text stored edited, no") << 4 << 0 << QList<bool>{false} << QStringList{textQ} << false;
        QTest::newRow("lrc only, yes") << 3 << 4 << QList<bool>{true} << QStringList{lrcQ} << true;
        QTest::newRow("lrc only, no") << 1 << 2 << QList<bool>{false} << QStringList{lrcQ} << false;
        QTest::newRow("both, yes yes") << 2 << 4 << QList<bool>{true, true} << QStringList{textQ, lrcQ} << true;
        QTest::newRow("both, yes no") << 4 << 2 << QList<bool>{true, false} << QStringList{textQ, lrcQ} << false;
        QTest::newRow("both, no: second never asked") << 2 << 2 << QList<bool>{false, true} << QStringList{textQ} << false;
    }

    void closingOrder()
    {
        QFETCH(int, text);
        QFETCH(int, lrc);
        QFETCH(QList<bool>, answers);
        QFETCH(QStringList, asked);
        QFETCH(bool, closes);
        Fixture f;
        f.showAndLoad();
        QSignalSpy closed(&f.form, &MyForm::closed);
        f.form.state().textDocumentState = std::int16_t(text);
        f.form.state().lrcDocumentState = std::int16_t(lrc);
        f.prompter.answers = answers;
        f.log.calls.clear();

        f.form.ui().menuExit->trigger();   // the menu closes through the same order

        QCOMPARE(f.prompter.texts(ScriptedPrompter::Kind::YesNo), asked);
        QCOMPARE(f.form.isVisible(), !closes);
        QCOMPARE(closed.count(), closes ? 1 : 0);
        // Settings are saved first, then queued speech is cancelled.
        const QStringList saved{u"iniWrite"_s, u"CancelQueuedSpeech"_s};
        QCOMPARE(f.log.calls, closes ? saved : QStringList());
    }

    void windowCloseBoxAndDisposal()
    {
        CallLog log;
        ScriptedPrompter prompter;
        {
            MyForm form(prompter);
            State& s = form.state();
            form.setSettings(std::make_unique<RecordingSettings>(log, form.context()));
            form.setSpeech(std::make_unique<RecordingSpeech>(log, form.context()));
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            s.textDocumentState = DocumentState::NewEdited;
            prompter.answers = {false};
            QVERIFY(!form.close());
            QVERIFY(form.isVisible());
            prompter.answers = {true};
            QVERIFY(form.close());
            // A second close request asks nothing more and saves nothing twice.
            form.close();
            QCOMPARE(prompter.texts().size(), 2);
            QCOMPARE(log.calls.count(u"iniWrite"_s), 1);
        }
        QCOMPARE(log.calls.last(), u"ReleaseEngines"_s);
    }

    // The practice count is the repetition button's, hidden with the
    // reading column in the picture view: the study menu sets it there too.
    void practiceCountInThePictureView()
    {
        ScriptedPrompter prompter;
        MyForm form{prompter};
        Controls& c = form.ui();
        QVERIFY(!c.artPicture->isHidden());
        QVERIFY(c.loopCountButton->isHidden());
        auto* study = c.menuBar->findChild<QMenu*>(u"menuStudy"_s);
        QVERIFY(study);
        QMenu* count = nullptr;
        for (QAction* a : study->actions()) {
            if (a->menu() && a->text().remove(u'&') == u"練習の回数"_s)
                count = a->menu();
        }
        QVERIFY(count);
        QStringList items;
        for (QAction* a : count->actions())
            items << a->text().remove(u'&');
        QCOMPARE(items, (QStringList{u"1回"_s, u"2回"_s, u"4回"_s, u"無限に繰り返す"_s, QString(),
                                     u"0.75→1.0→1.25倍 (3回)"_s, u"0.5→0.75→1.0倍 (3回)"_s,
                                     u"1.0→1.25→1.5倍 (3回)"_s}));
        count->actions().at(2)->trigger();
        QCOMPARE(form.state().LoopModeCount, 4);
        emit study->aboutToShow();
        QVERIFY(count->actions().at(2)->isChecked());
        QCOMPARE(c.loopCountButton->text(), u"4"_s);
        // The button and the menu show one count.
        QTest::mouseClick(c.textViewButton, Qt::LeftButton);
        QVERIFY(!c.loopCountButton->isHidden());
        QTest::mouseClick(c.loopCountButton, Qt::LeftButton);
        QCOMPARE(form.state().LoopModeCount, 1000);
        emit study->aboutToShow();
        QVERIFY(count->actions().at(3)->isChecked());
        QVERIFY(!count->actions().at(2)->isChecked());
    }

    void aboutGoesThroughThePrompter()
    {
        Fixture f;
        f.form.ui().menuVersion->trigger();
        QCOMPARE(f.prompter.entries.size(), 1);
        QCOMPARE(f.prompter.entries.first().kind, ScriptedPrompter::Kind::VersionInfo);
    }
};

QTEST_MAIN(TestMyForm)
#include "tst_myform.moc"
