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
    {"button1", 1, 29, 40, 40, T | L, nullptr, u"リスト・フォルダーの場所を指定", true, true},
    {"button25", 297, 29, 40, 40, T, nullptr, u"ミュージック・リストでの再生曲を一つ上へ移動", true, true},
    {"button21", 338, 29, 40, 40, T, nullptr, u"ミュージック再生の開始", true, true},
    {"button22", 379, 29, 40, 40, T, nullptr, u"ミュージック再生の一時停止", true, true},
    {"button23", 420, 29, 40, 40, T, nullptr, u"ミュージック再生の停止", true, true},
    {"button24", 461, 29, 40, 40, T, nullptr, u"ミュージック・リストでの再生曲を一つ下へ移動", true, true},
    {"button26", 799, 29, 40, 40, T | R, nullptr, u"ミュージック再生の繰り返し", true, true},
    {"button27", 840, 29, 40, 40, T | R, nullptr, u"ミュージック・リストでの選択開始曲から順次再生", true, true},
    {"button28", 881, 29, 40, 40, T | R, nullptr, u"ミュージック・リストでの選択開始曲から順次ループ再生", true, true},
    {"button29", 922, 29, 40, 40, T | R, nullptr, u"ミュージック・リストでの選択開始曲からランダムに再生", true, true},
    {"button18", 1, 72, 45, 22, T | L, u"All", u"ミュージック名およびテキスト名、同期テキスト名の表示", true, true},
    {"button20", 45, 72, 45, 22, T | L, u"Text", u"テキスト名および同期テキスト名の表示", true, true},
    {"button19", 89, 72, 45, 22, T | L, u"Music", u"ミュージック名の表示", true, true},
    {"button31", 336, 72, 42, 22, T | L, u"Art", u"画像の表示", true, true},
    {"button12", 377, 72, 42, 22, T | L, u"Text", u"テキスト・データの表示", true, true},
    {"button13", 418, 72, 42, 22, T | L, u"Lrc", u"同期テキスト・データの表示", true, true},
    {"label15", 511, 75, 300, 15, T | L | R, u"", u"", true, true},
    {"comboBox3", 849, 73, 113, 20, T | R, nullptr, u"", true, true},
    {"label2", 1, 93, 336, 20, T | L, u"", u"リスト表示のフォルダー場所", true, true},
    {"listView1", 1, 112, 335, 484, T | B | L, nullptr, u"", true, true},
    {"listView2", 1, 112, 335, 484, T | B | L, nullptr, u"", false, true},
    {"listView3", 1, 112, 335, 484, T | B | L, nullptr, u"", false, true},
    {"label12", 336, 93, 89, 20, T | L, u"テキスト", u"", false, true},
    {"label1", 424, 93, 497, 20, T | L | R, u"テキスト", u"", false, true},
    {"label3", 424, 93, 497, 20, T | L | R, u"同期テキスト", u"", false, true},
    {"textBox3", 336, 112, 585, 22, T | L | R, u"NewText", u"", false, true},
    {"textBox4", 336, 112, 585, 22, T | L | R, u"NewLrcText", u"", false, true},
    {"textBox1", 336, 132, 585, 465, T | B | L | R, u"", u"", false, true},
    {"textBox2", 336, 132, 585, 465, T | B | L | R, u"", u"", false, true},
    {"pictureBox1", 336, 93, 628, 504, T | B | L | R, nullptr, u"", true, true},
    {"button34", 921, 91, 40, 40, T | R, u"改行\n確認", u"他のソフトウェアで作成したテキストファイルの改行コード（CR+LF）が正しいか確認および修正", true, true},
    {"button32", 921, 136, 40, 40, T | R, nullptr, u"テキストおよび同期テキストの上書き保存", true, false},
    {"button33", 921, 177, 40, 40, T | R, nullptr, u"テキスト入力を一つ元に戻す", true, false},
    {"button10", 921, 218, 40, 40, T | R, u"1", u"音声合成再生のループ回数を選択", false, false},
    {"button9", 921, 259, 40, 40, T | R, u"一行", u"音声合成再生方法の選択", false, false},
    {"button2", 921, 300, 40, 40, T | R, u"↑", u"音声合成一行再生モードでの再生行を一つ上へ移動", false, false},
    {"button4", 921, 341, 40, 40, T | R, u"＞", u"音声合成再生の開始", false, false},
    {"button5", 921, 382, 40, 40, T | R, u"| |", u"音声合成再生の一時停止", false, false},
    {"button6", 921, 423, 40, 40, T | R, u"□", u"音声合成再生の停止", false, false},
    {"button3", 921, 464, 40, 40, T | R, u"↓", u"音声合成一行再生モードでの再生行を一つ下へ移動", false, false},
    {"button8", 921, 505, 40, 40, T | R, nullptr, u"音声合成スピーチの再生スピードを調整", true, true},
    {"button7", 921, 546, 40, 40, T | R, nullptr, u"音声合成スピーチの音量を調整", true, true},
    {"trackBar2", 846, 443, 24, 113, B | R, nullptr, u"", false, true},
    {"label5", 846, 556, 24, 12, B | R, u"0", u"", false, true},
    {"trackBar1", 876, 362, 24, 194, B | R, nullptr, u"", false, true},
    {"label8", 876, 556, 24, 12, B | R, u"100", u"", false, true},
    {"trackBar4", 923, 386, 36, 194, B | R, nullptr, u"", false, true},
    {"label6", 923, 580, 36, 12, B | R, u"100", u"", false, true},
    {"trackBar3", 1, 596, 916, 21, B | L | R, nullptr, u"再生開始位置の設定", true, false},
    {"button11", 921, 597, 40, 40, B | R, nullptr, u"ミキサーのメイン音量を調整", true, true},
    {"button30", 1, 617, 24, 24, B | L, u"レ", u"再生範囲再生の有無（レ点で有効）を設定", true, true},
    {"button15", 25, 617, 24, 24, B | L, nullptr, u"ミュージック再生開始時間の設定", true, false},
    {"label7", 49, 617, 140, 24, B | L, u"Start：0.00 sec", u"", true, true},
    {"button16", 189, 617, 24, 24, B | L, nullptr, u"ミュージック再生開始時間のクリアー", true, false},
    {"label4", 213, 617, 337, 24, B | L | R, u"", u"再生ファイル名", true, true},
    {"label13", 549, 617, 180, 24, B | R, u"", u"", true, true},
    {"button17", 729, 617, 24, 24, B | R, nullptr, u"ミュージック再生終了時間のクリアー", true, false},
    {"label9", 753, 617, 140, 24, B | R, u"End：0.00 sec", u"", true, true},
    {"button14", 893, 617, 24, 24, B | R, nullptr, u"ミュージック再生終了時間の設定", true, false},
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
            {"textBox1", u"Microsoft YaHei", 11.25}, {"textBox2", u"ＭＳ ゴシック", 11.25},
            {"label4", u"Microsoft YaHei", 11.25}, {"label7", u"Microsoft Sans Serif", 11.25},
            {"label9", u"Microsoft Sans Serif", 11.25}, {"label13", u"Microsoft Sans Serif", 11.25},
            {"label1", u"Microsoft Sans Serif", 9.75}, {"label2", u"Microsoft Sans Serif", 9.75},
            {"label3", u"Microsoft Sans Serif", 9.75}, {"textBox3", u"Microsoft Sans Serif", 9.75},
            {"textBox4", u"Microsoft Sans Serif", 9.75}, {"label12", u"MS UI Gothic", 9.75},
            {"button9", u"MS UI Gothic", 9}, {"button10", u"MS UI Gothic", 9}, {"button30", u"MS UI Gothic", 9},
            {"label5", u"MS UI Gothic", 9}, {"label6", u"MS UI Gothic", 9}, {"label8", u"MS UI Gothic", 9},
            {"comboBox3", u"MS UI Gothic", 9},
        };
        for (const auto& font : fonts) {
            QWidget* w = f.find<QWidget>(font.name);
            QCOMPARE(w->font().families().value(0), QString::fromUtf16(font.family));
            QCOMPARE(w->font().pointSizeF(), font.points);
        }
        QVERIFY(f.find<QPushButton>("button30")->font().bold());

        auto* combo = f.find<QComboBox>("comboBox3");
        QCOMPARE(combo->count(), 4);
        QCOMPARE(combo->itemText(0), u"CenterImage"_s);
        QCOMPARE(combo->itemText(3), u"Zoom"_s);
        QVERIFY(!combo->isEditable());

        auto* speed = f.find<QSlider>("trackBar2");
        QCOMPARE(speed->orientation(), Qt::Vertical);
        QCOMPARE(speed->minimum(), -5);
        QCOMPARE(speed->maximum(), 5);
        QCOMPARE(speed->tickPosition(), QSlider::NoTicks);
        auto* master = f.find<QSlider>("trackBar4");
        QCOMPARE(master->maximum(), 100);
        QCOMPARE(master->tickInterval(), 10);
        QVERIFY(master->tickPosition() != QSlider::NoTicks);
        auto* position = f.find<QSlider>("trackBar3");
        QCOMPARE(position->orientation(), Qt::Horizontal);
        QCOMPARE(position->maximum(), 0);
        QCOMPARE(position->pageStep(), 100);
        QCOMPARE(position->cursor().shape(), Qt::SizeHorCursor);

        auto* editor = f.find<QPlainTextEdit>("textBox1");
        QCOMPARE(editor->lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(!editor->tabChangesFocus());
        QCOMPARE(f.find<QLineEdit>("textBox3")->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);

        // The highlighted list and view buttons stand out from their neighbours.
        auto face = [&](const char* name) { return f.find<QPushButton>(name)->palette().color(QPalette::Button); };
        QVERIFY(face("button18") != face("button20"));
        QCOMPARE(face("button20"), face("button19"));
        QVERIFY(face("button31") != face("button12"));
        QCOMPARE(face("button34"), QColor(0xFF, 0xE4, 0xC4));

        auto* timer1 = f.form.findChild<QTimer*>(u"timer1"_s);
        auto* timer2 = f.form.findChild<QTimer*>(u"timer2"_s);
        QCOMPARE(timer1->interval(), 200);
        QVERIFY(!timer1->isActive());
        QCOMPARE(timer2->interval(), 400);
        QVERIFY(!timer2->isActive());
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
        const QList<QAction*> top = f.form.ui().menuStrip1->actions();
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
        QCOMPARE(titles(f.form.ui().contextMenuStrip1->actions()),
                 (QStringList{u"削除(D)"_s, u"-"_s, u"終了(X)"_s}));
    }

    void startupOrderAndResetState()
    {
        Fixture f;
        f.form.state().SpeechStateFlag = 12;
        f.form.state().RangeEn = 0;
        f.showAndLoad();
        QCOMPARE(f.log.calls.mid(0, 5),
                 (QStringList{u"SystemVersionProbe"_s, u"ProgramFolderSetting"_s, u"iniListView"_s,
                              u"iniRead"_s, u"SpeechPlatformInstallationCheck"_s}));
        const State& s = f.form.state();
        QCOMPARE(s.SpeechStateFlag, 99);
        QCOMPARE(s.AudioStateFlag, 99);
        QCOMPARE(s.RangeEn, std::int16_t(1));
        QCOMPARE(s.MouseRightAndLeftButtonFlag, 0);
        for (const char* name : {"button2", "button3", "button4", "button5", "button6", "button7", "button8",
                                 "button9", "button10", "button32", "button33", "button34"})
            QVERIFY2(!f.find<QWidget>(name)->isVisible(), name);
        for (const char* name : {"button2", "button3", "button4", "button5", "button6", "button9", "button10",
                                 "button32", "button33"})
            QVERIFY2(!f.find<QWidget>(name)->isEnabled(), name);
        QVERIFY(f.find<QWidget>("listView1")->isVisible());
        QVERIFY(!f.find<QWidget>("listView2")->isVisible());
        QVERIFY(f.find<QWidget>("pictureBox1")->isVisible());
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
        row("button32", {u"OverWrite"_s});
        row("menuSaveAs", {u"FileNameSpecifiedSave"_s});
        row("menuUndo", {u"Undo"_s});
        row("button33", {u"Undo"_s});
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
        row("button1", {u"FolderSetting"_s});
        row("button18", {u"ShowList(0)"_s});
        row("button20", {u"ShowList(1)"_s});
        row("button19", {u"ShowList(2)"_s});
        row("button12", {u"TextDisplaySwitch"_s});
        row("button13", {u"LrcTextDisplaySwitch"_s});
        row("button31", {u"ArtDisplaySwitch"_s});
        row("button34", {u"button34_Click"_s});
        row("button4", {u"SpeechPlay"_s});
        row("button5", {u"SpeechPause"_s});
        row("button6", {u"SpeechStop"_s});
        row("button2", {u"SpeechSkipBackward"_s});
        row("button3", {u"SpeechSkipForward"_s});
        row("button9", {u"SpeechReproductionModeSetting"_s});
        row("button10", {u"SpeechLoopModeSetting"_s});
        row("button7", {u"SpeechVolTrackBarDisp"_s});
        row("button8", {u"SpeechRateTrackBarDisp"_s});
        row("button21", {u"MusicPlay"_s});
        row("button22", {u"MusicPause"_s});
        row("button23", {u"MusicStop"_s});
        row("button24", {u"NextMusicPlay"_s});
        row("button25", {u"BackMusicPlay"_s});
        row("button26", {u"button26_Click"_s});
        row("button27", {u"button27_Click"_s});
        row("button28", {u"button28_Click"_s});
        row("button29", {u"button29_Click"_s});
        row("button14", {u"button14_Click"_s});
        row("button15", {u"button15_Click"_s});
        row("button16", {u"button16_Click"_s});
        row("button17", {u"button17_Click"_s});
        row("button30", {u"button30_Click"_s});
        row("button11", {u"MixerVolTrackBarDisp"_s});
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
        c.trackBar1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        c.trackBar2->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        c.trackBar4->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(f.log.calls, (QStringList{u"SpeechVolSetting"_s, u"SpeechRateSetting"_s, u"MixerVolSetting"_s}));

        f.log.calls.clear();
        c.timer1->setInterval(1);
        c.timer1->start();
        QTRY_VERIFY_WITH_TIMEOUT(f.log.calls.contains(u"timer1_Tick"_s), 2000);
        c.timer1->stop();
        c.timer2->setInterval(1);
        c.timer2->start();
        QTRY_VERIFY_WITH_TIMEOUT(f.log.calls.contains(u"timer2_Tick"_s), 2000);

        f.log.calls.clear();
        c.listView3->setHeaderLabels({u"ファイル名"_s, u"種類"_s});
        c.listView3->show();
        emit c.listView3->header()->sectionClicked(1);
        QCOMPARE(f.log.calls, QStringList{u"ColumnClick(2,1)"_s});

        f.log.calls.clear();
        c.trackBar3->setEnabled(true);
        QWheelEvent wheel(QPointF(5, 5), c.trackBar3->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(c.trackBar3, &wheel);
        QVERIFY(f.log.calls.contains(u"trackBar3_MouseWheel(120)"_s));
    }

    void readingGuards()
    {
        Fixture f;
        f.showAndLoad();
        Controls& c = f.form.ui();
        State& s = f.form.state();
        for (QPushButton* b : {c.button4, c.button12, c.button13}) {
            b->show();
            b->setEnabled(true);
        }

        // No engine at all: the play button points to the manual instead.
        f.log.calls.clear();
        s.SpeechRuntimeError = 1;
        s.SpeechRuntime11Error = 1;
        QTest::mouseClick(c.button4, Qt::LeftButton);
        QVERIFY(f.log.calls.isEmpty());
        QCOMPARE(f.prompter.texts(),
                 QStringList{u"マニュアルを参照して、音声合成言語のインストールをしてください。\nWindows7/8.1/10では、インストール方法が異なりますので注意してください。"_s});
        s.SpeechRuntime11Error = 0;
        QTest::mouseClick(c.button4, Qt::LeftButton);
        QCOMPARE(f.log.calls, QStringList{u"SpeechPlay"_s});

        // While reading aloud (speaking or paused) the two text views stay put.
        for (int busy : {10, 11, 20, 21}) {
            f.log.calls.clear();
            f.prompter.clear();
            s.SpeechStateFlag = busy;
            QTest::mouseClick(c.button12, Qt::LeftButton);
            QTest::mouseClick(c.button13, Qt::LeftButton);
            QVERIFY(f.log.calls.isEmpty());
            QCOMPARE(f.prompter.texts().size(), 2);
            QCOMPARE(f.prompter.texts().value(0), u"音声合成再生を停止してから行ってください。"_s);
        }
        for (int idle : {99, 12, 22}) {
            f.log.calls.clear();
            s.SpeechStateFlag = idle;
            QTest::mouseClick(c.button12, Qt::LeftButton);
            QCOMPARE(f.log.calls, QStringList{u"TextDisplaySwitch"_s});
        }
    }

    void mouseButtonMemory()
    {
        Fixture f;
        f.showAndLoad();
        QTreeWidget* list = f.form.ui().listView1;
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
        f.form.ui().contextMenuStrip1->hide();
        QCOMPARE(f.form.state().MouseRightAndLeftButtonFlag, 1);
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
        QTest::mousePress(f.form.ui().label4, Qt::RightButton);
        QCOMPARE(f.form.state().MouseRightAndLeftButtonFlag, 1);
        QTest::mousePress(f.form.ui().menuStrip1, Qt::LeftButton, {}, QPoint(400, 10));
        QCOMPARE(f.form.state().MouseRightAndLeftButtonFlag, 1);
        QTest::mousePress(f.form.ui().pictureBox1, Qt::LeftButton);
        QCOMPARE(f.form.state().MouseRightAndLeftButtonFlag, 2);
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
        f.form.state().TextNewFlag = std::int16_t(text);
        f.form.state().LrcTextNewFlag = std::int16_t(lrc);
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
            s.TextNewFlag = 2;
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
        QVERIFY(!c.pictureBox1->isHidden());
        QVERIFY(c.button10->isHidden());
        auto* study = c.menuStrip1->findChild<QMenu*>(u"menuStudy"_s);
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
        QCOMPARE(c.button10->text(), u"4"_s);
        // The button and the menu show one count.
        QTest::mouseClick(c.button12, Qt::LeftButton);
        QVERIFY(!c.button10->isHidden());
        QTest::mouseClick(c.button10, Qt::LeftButton);
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
