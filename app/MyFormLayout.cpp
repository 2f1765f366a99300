// Builds the main window's controls and menus from its fixed design layout.

#include "app/AnchorLayout.h"
#include "app/MyForm.h"
#include "art/PictureBox.h"
#include "documents/TextView.h"
#include "platform/DesignFonts.h"
#include "platform/SystemColors.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

using A = AnchorLayout;

constexpr A::Anchors TL = A::Top | A::Left;
constexpr A::Anchors T = A::Top;
constexpr A::Anchors TR = A::Top | A::Right;
constexpr A::Anchors TLR = A::Top | A::Left | A::Right;
constexpr A::Anchors TBL = A::Top | A::Bottom | A::Left;
constexpr A::Anchors BR = A::Bottom | A::Right;
constexpr A::Anchors BL = A::Bottom | A::Left;
constexpr A::Anchors BLR = A::Bottom | A::Left | A::Right;

// A freedesktop theme icon, or our own drawing where the theme has none.
QIcon ThemeIcon(const QString& themeName, const QString& file)
{
    const QIcon fallback(u":/icons/"_s + file);
    return themeName.isEmpty() ? fallback : QIcon::fromTheme(themeName, fallback);
}

// A control that shows no text of its own speaks its tooltip, or a name.
void NameForScreenReaders(QWidget* w, const QString& name)
{
    w->setAccessibleName(name);
}

struct ButtonSpec
{
    QPushButton* Controls::*member;
    const char16_t* name;
    int x, y, w, h;
    A::Anchors anchors;
    const char16_t* caption;   // empty: an icon button
    const char16_t* theme;     // icon buttons: theme icon name
    const char16_t* iconFile;  // icon buttons: our own picture
    const char16_t* tooltip;
};

// Every button of the window, as designed.
const ButtonSpec kButtons[] = {
    {&Controls::listFolderButton, u"listFolderButton", 1, 29, 40, 40, TL, u"", u"folder-open", u"folder.svg", u"リスト・フォルダーの場所を指定"},   // picks the folder the three lists show
    {&Controls::previousSongButton, u"previousSongButton", 297, 29, 40, 40, T, u"", u"media-skip-backward", u"prev.svg", u"ミュージック・リストでの再生曲を一つ上へ移動"},
    {&Controls::musicPlayButton, u"musicPlayButton", 338, 29, 40, 40, T, u"", u"media-playback-start", u"play.svg", u"ミュージック再生の開始"},
    {&Controls::musicPauseButton, u"musicPauseButton", 379, 29, 40, 40, T, u"", u"media-playback-pause", u"pause.svg", u"ミュージック再生の一時停止"},
    {&Controls::musicStopButton, u"musicStopButton", 420, 29, 40, 40, T, u"", u"media-playback-stop", u"stop.svg", u"ミュージック再生の停止"},
    {&Controls::nextSongButton, u"nextSongButton", 461, 29, 40, 40, T, u"", u"media-skip-forward", u"next.svg", u"ミュージック・リストでの再生曲を一つ下へ移動"},
    {&Controls::repeatOneButton, u"repeatOneButton", 799, 29, 40, 40, TR, u"", u"", u"repeat-one.svg", u"ミュージック再生の繰り返し"},
    {&Controls::inOrderButton, u"inOrderButton", 840, 29, 40, 40, TR, u"", u"", u"in-order.svg", u"ミュージック・リストでの選択開始曲から順次再生"},
    {&Controls::inOrderLoopButton, u"inOrderLoopButton", 881, 29, 40, 40, TR, u"", u"", u"in-order-loop.svg", u"ミュージック・リストでの選択開始曲から順次ループ再生"},
    {&Controls::randomPlayButton, u"randomPlayButton", 922, 29, 40, 40, TR, u"", u"", u"random.svg", u"ミュージック・リストでの選択開始曲からランダムに再生"},
    {&Controls::allListButton, u"allListButton", 1, 72, 45, 22, TL, u"All", u"", u"", u"ミュージック名およびテキスト名、同期テキスト名の表示"},
    {&Controls::textListButton, u"textListButton", 45, 72, 45, 22, TL, u"Text", u"", u"", u"テキスト名および同期テキスト名の表示"},
    {&Controls::musicListButton, u"musicListButton", 89, 72, 45, 22, TL, u"Music", u"", u"", u"ミュージック名の表示"},
    {&Controls::artViewButton, u"artViewButton", 336, 72, 42, 22, TL, u"Art", u"", u"", u"画像の表示"},
    {&Controls::textViewButton, u"textViewButton", 377, 72, 42, 22, TL, u"Text", u"", u"", u"テキスト・データの表示"},
    {&Controls::lrcViewButton, u"lrcViewButton", 418, 72, 42, 22, TL, u"Lrc", u"", u"", u"同期テキスト・データの表示"},
    {&Controls::lineEndCheckButton, u"lineEndCheckButton", 921, 91, 40, 40, TR, u"改行\n確認", u"", u"", u"他のソフトウェアで作成したテキストファイルの改行コード（CR+LF）が正しいか確認および修正"},   // repairs CR+LF line ends of a foreign text
    {&Controls::saveButton, u"saveButton", 921, 136, 40, 40, TR, u"", u"document-save", u"save.svg", u"テキストおよび同期テキストの上書き保存"},
    {&Controls::undoButton, u"undoButton", 921, 177, 40, 40, TR, u"", u"edit-undo", u"undo.svg", u"テキスト入力を一つ元に戻す"},
    {&Controls::loopCountButton, u"loopCountButton", 921, 218, 40, 40, TR, u"1", u"", u"", u"音声合成再生のループ回数を選択"},   // reading repetitions: 1, 2, 4, endless
    {&Controls::readingModeButton, u"readingModeButton", 921, 259, 40, 40, TR, u"一行", u"", u"", u"音声合成再生方法の選択"},   // reading mode: one line, range, all
    {&Controls::lineUpButton, u"lineUpButton", 921, 300, 40, 40, TR, u"↑", u"", u"", u"音声合成一行再生モードでの再生行を一つ上へ移動"},   // one-line mode: previous line
    {&Controls::readButton, u"readButton", 921, 341, 40, 40, TR, u"＞", u"", u"", u"音声合成再生の開始"},
    {&Controls::readPauseButton, u"readPauseButton", 921, 382, 40, 40, TR, u"| |", u"", u"", u"音声合成再生の一時停止"},
    {&Controls::readStopButton, u"readStopButton", 921, 423, 40, 40, TR, u"□", u"", u"", u"音声合成再生の停止"},
    {&Controls::lineDownButton, u"lineDownButton", 921, 464, 40, 40, TR, u"↓", u"", u"", u"音声合成一行再生モードでの再生行を一つ下へ移動"},   // one-line mode: next line
    {&Controls::speechSpeedButton, u"speechSpeedButton", 921, 505, 40, 40, TR, u"", u"", u"speech-speed.svg", u"音声合成スピーチの再生スピードを調整"},   // shows the speech speed slider
    {&Controls::speechVolumeButton, u"speechVolumeButton", 921, 546, 40, 40, TR, u"", u"", u"speech-volume.svg", u"音声合成スピーチの音量を調整"},   // shows the speech volume slider
    {&Controls::masterVolumeButton, u"masterVolumeButton", 921, 597, 40, 40, BR, u"", u"", u"master-volume.svg", u"ミキサーのメイン音量を調整"},   // shows the master volume slider
    {&Controls::rangePlayButton, u"rangePlayButton", 1, 617, 24, 24, BL, u"レ", u"", u"", u"再生範囲再生の有無（レ点で有効）を設定"},   // play range on/off
    {&Controls::rangeStartSetButton, u"rangeStartSetButton", 25, 617, 24, 24, BL, u"", u"", u"range-start-set.svg", u"ミュージック再生開始時間の設定"},
    {&Controls::rangeStartClearButton, u"rangeStartClearButton", 189, 617, 24, 24, BL, u"", u"", u"range-start-clear.svg", u"ミュージック再生開始時間のクリアー"},
    {&Controls::rangeEndClearButton, u"rangeEndClearButton", 729, 617, 24, 24, BR, u"", u"", u"range-end-clear.svg", u"ミュージック再生終了時間のクリアー"},
    {&Controls::rangeEndSetButton, u"rangeEndSetButton", 893, 617, 24, 24, BR, u"", u"", u"range-end-set.svg", u"ミュージック再生終了時間の設定"},
};

struct LabelSpec
{
    QLabel* Controls::*member;
    const char16_t* name;
    int x, y, w, h;
    A::Anchors anchors;
    const char16_t* text;
    const char16_t* tooltip;
    const char16_t* description;   // what a tooltip-less label shows
    const char16_t* family;
    double points;
};

const LabelSpec kLabels[] = {
    {&Controls::artSizeLabel, u"artSizeLabel", 511, 75, 300, 15, TLR, u"", u"", u"画像のサイズ", nullptr, 0},   // the picture's pixel size
    {&Controls::listFolderLabel, u"listFolderLabel", 1, 93, 336, 20, TL, u"", u"リスト表示のフォルダー場所", u"", u"Microsoft Sans Serif", 9.75},
    {&Controls::viewKindLabel, u"viewKindLabel", 336, 93, 89, 20, TL, u"テキスト", u"", u"表示中のデータの種類", u"MS UI Gothic", 9.75},   // which document is shown
    {&Controls::textFolderLabel, u"textFolderLabel", 424, 93, 497, 20, TLR, u"テキスト", u"", u"テキストのフォルダー", u"Microsoft Sans Serif", 9.75},   // the text's folder
    {&Controls::lrcFolderLabel, u"lrcFolderLabel", 424, 93, 497, 20, TLR, u"同期テキスト", u"", u"同期テキストのフォルダー", u"Microsoft Sans Serif", 9.75},   // the synchronized text's folder
    {&Controls::speechSpeedLabel, u"speechSpeedLabel", 846, 556, 24, 12, BR, u"0", u"", u"音声合成スピーチの再生スピード", u"MS UI Gothic", 9},   // the speed slider's value
    {&Controls::speechVolumeLabel, u"speechVolumeLabel", 876, 556, 24, 12, BR, u"100", u"", u"音声合成スピーチの音量", u"MS UI Gothic", 9},   // the volume slider's value
    {&Controls::masterVolumeLabel, u"masterVolumeLabel", 923, 580, 36, 12, BR, u"100", u"", u"ミキサーのメイン音量", u"MS UI Gothic", 9},   // the master slider's value
    {&Controls::rangeStartLabel, u"rangeStartLabel", 49, 617, 140, 24, BL, u"Start：0.00 sec", u"", u"再生範囲の開始時間", u"Microsoft Sans Serif", 11.25},
    {&Controls::songNameLabel, u"songNameLabel", 213, 617, 337, 24, BLR, u"", u"再生ファイル名", u"", u"Microsoft YaHei", 11.25},   // the song playing
    {&Controls::elapsedTimeLabel, u"elapsedTimeLabel", 549, 617, 180, 24, BR, u"", u"", u"経過時間", u"Microsoft Sans Serif", 11.25},   // elapsed / total time
    {&Controls::rangeEndLabel, u"rangeEndLabel", 753, 617, 140, 24, BR, u"End：0.00 sec", u"", u"再生範囲の終了時間", u"Microsoft Sans Serif", 11.25},
};

struct SliderSpec
{
    QSlider* Controls::*member;
    const char16_t* name;
    int x, y, w, h;
    A::Anchors anchors;
    Qt::Orientation orientation;
    int minimum, maximum, tickInterval;
    const char16_t* tooltip;
    const char16_t* accessibleName;
};

const SliderSpec kSliders[] = {
    {&Controls::speechSpeedSlider, u"speechSpeedSlider", 846, 443, 24, 113, BR, Qt::Vertical, -5, 5, 0, u"", u"音声合成スピーチの再生スピード"},
    {&Controls::speechVolumeSlider, u"speechVolumeSlider", 876, 362, 24, 194, BR, Qt::Vertical, 0, 100, 0, u"", u"音声合成スピーチの音量"},
    {&Controls::masterVolumeSlider, u"masterVolumeSlider", 923, 386, 36, 194, BR, Qt::Vertical, 0, 100, 10, u"", u"ミキサーのメイン音量"},
    {&Controls::musicPositionSlider, u"musicPositionSlider", 1, 596, 916, 21, BLR, Qt::Horizontal, 0, 0, 0, u"再生開始位置の設定", u"再生開始位置の設定"},
};

QString S(const char16_t* text) { return QString::fromUtf16(text); }

} // namespace

void MyForm::BuildControls()
{
    setObjectName(u"MyForm"_s);
    setWindowTitle(u"Murmelin"_s);
    resize(DesignSize);
    setMinimumSize(750, 300);
    SystemColors::SetBackColor(this, SystemColors::ControlLight());

    layout_ = new AnchorLayout(this, DesignSize);
    ui_.form = this;

    for (const ButtonSpec& b : kButtons) {
        auto* button = new QPushButton(this);
        button->setObjectName(S(b.name));
        button->setToolTip(S(b.tooltip));
        if (S(b.caption).isEmpty()) {
            const int side = qMin(b.w, b.h) - 10;
            button->setIcon(ThemeIcon(S(b.theme), S(b.iconFile)));
            button->setIconSize(QSize(side, side));
            NameForScreenReaders(button, S(b.tooltip));
        } else {
            button->setText(S(b.caption));
        }
        SystemColors::SetBackColor(button, SystemColors::ControlLight());
        layout_->addWidget(button, QRect(b.x, b.y, b.w, b.h), b.anchors);
        ui_.*b.member = button;
    }
    for (QPushButton* small : {ui_.readingModeButton, ui_.loopCountButton})
        small->setFont(DesignFont(u"MS UI Gothic"_s, 9));
    ui_.rangePlayButton->setFont(DesignFont(u"MS UI Gothic"_s, 9, true));
    {
        QPalette pal = ui_.rangePlayButton->palette();
        pal.setColor(QPalette::ButtonText, QColor(0xDB, 0x70, 0x93));   // pale violet red
        ui_.rangePlayButton->setPalette(pal);
    }
    SystemColors::SetBackColor(ui_.lineEndCheckButton, QColor(0xFF, 0xE4, 0xC4));   // bisque
    SystemColors::SetBackColor(ui_.allListButton, SystemColors::ActiveCaption());
    SystemColors::SetBackColor(ui_.artViewButton, SystemColors::ActiveCaption());

    for (const LabelSpec& l : kLabels) {
        auto* label = new QLabel(S(l.text), this);
        label->setObjectName(S(l.name));
        label->setToolTip(S(l.tooltip));
        if (!S(l.description).isEmpty())
            label->setAccessibleDescription(S(l.description));
        if (l.family)
            label->setFont(DesignFont(S(l.family), l.points));
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        layout_->addWidget(label, QRect(l.x, l.y, l.w, l.h), l.anchors);
        ui_.*l.member = label;
    }
    for (QLabel* folder : {ui_.textFolderLabel, ui_.listFolderLabel, ui_.lrcFolderLabel, ui_.viewKindLabel})
        SystemColors::SetBackColor(folder, SystemColors::Control());
    for (QLabel* number : {ui_.speechSpeedLabel, ui_.masterVolumeLabel, ui_.speechVolumeLabel}) {
        number->setAlignment(Qt::AlignCenter);
        SystemColors::SetBackColor(number, SystemColors::WindowFrame());
        QPalette pal = number->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        number->setPalette(pal);
    }

    for (const SliderSpec& s : kSliders) {
        auto* slider = new QSlider(s.orientation, this);
        slider->setObjectName(S(s.name));
        slider->setRange(s.minimum, s.maximum);
        slider->setSingleStep(1);
        slider->setToolTip(S(s.tooltip));
        slider->setTickPosition(s.tickInterval ? QSlider::TicksBothSides : QSlider::NoTicks);
        slider->setTickInterval(s.tickInterval);
        NameForScreenReaders(slider, S(s.accessibleName));
        SystemColors::SetBackColor(slider, SystemColors::WindowFrame());
        layout_->addWidget(slider, QRect(s.x, s.y, s.w, s.h), s.anchors);
        ui_.*s.member = slider;
    }
    ui_.masterVolumeSlider->setPageStep(1);
    ui_.musicPositionSlider->setPageStep(100);
    ui_.musicPositionSlider->setCursor(Qt::SizeHorCursor);
    ui_.musicPositionSlider->setEnabled(false);
    SystemColors::SetBackColor(ui_.musicPositionSlider, SystemColors::ControlLight());

    // The three lists share one place; the all-files list shows first.
    const struct {
        QTreeWidget* Controls::*member;
        const char16_t* objectName;
        const char16_t* accessibleName;
    } lists[] = {
        {&Controls::allFileList, u"allFileList", u"全ファイル・リスト"},
        {&Controls::textFileList, u"textFileList", u"テキスト・リスト"},
        {&Controls::musicList, u"musicList", u"ミュージック・リスト"},
    };
    for (const auto& [member, objectName, accessibleName] : lists) {
        auto* list = new QTreeWidget(this);
        list->setObjectName(S(objectName));
        NameForScreenReaders(list, S(accessibleName));
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        layout_->addWidget(list, QRect(1, 112, 335, 484), TBL);
        ui_.*member = list;
    }
    ui_.textFileList->hide();
    ui_.musicList->hide();

    // The two documents: name box and editor each.
    const struct {
        QLineEdit* Controls::*name;
        TextView* Controls::*editor;
        const char16_t* nameObject;
        const char16_t* editorObject;
        const char16_t* initialName;
        const char16_t* nameLabel;
        const char16_t* editorLabel;
        const char16_t* family;
    } documents[] = {
        {&Controls::textNameBox, &Controls::textView, u"textNameBox", u"textView", u"NewText", u"テキスト名", u"テキスト・データ", u"Microsoft YaHei"},
        {&Controls::lrcNameBox, &Controls::lrcView, u"lrcNameBox", u"lrcView", u"NewLrcText", u"同期テキスト名", u"同期テキスト・データ", u"ＭＳ ゴシック"},
    };
    for (const auto& d : documents) {
        auto* name = new QLineEdit(S(d.initialName), this);
        name->setObjectName(S(d.nameObject));
        name->setAlignment(Qt::AlignCenter);
        name->setFont(DesignFont(u"Microsoft Sans Serif"_s, 9.75));
        NameForScreenReaders(name, S(d.nameLabel));
        QPalette namePal = name->palette();
        namePal.setColor(QPalette::Base, SystemColors::ButtonHighlight());
        name->setPalette(namePal);
        layout_->addWidget(name, QRect(336, 112, 585, 22), TLR);
        name->hide();
        ui_.*d.name = name;

        auto* editor = new TextView(this);
        editor->setObjectName(S(d.editorObject));
        editor->setLineWrapMode(QPlainTextEdit::NoWrap);
        editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        editor->setTabChangesFocus(false);
        editor->setFont(DesignFont(S(d.family), 11.25));
        NameForScreenReaders(editor, S(d.editorLabel));
        QPalette pal = editor->palette();
        pal.setColor(QPalette::Base, QColor(0xF5, 0xF5, 0xF5));   // white smoke
        pal.setColor(QPalette::Text, QColor(0x80, 0x80, 0x80));   // grey
        editor->setPalette(pal);
        layout_->addWidget(editor, QRect(336, 132, 585, 465), A::All);
        editor->hide();
        ui_.*d.editor = editor;
    }
    ui_.viewKindLabel->hide();
    ui_.textFolderLabel->hide();
    ui_.lrcFolderLabel->hide();

    ui_.artPicture = new PictureBox(this);
    ui_.artPicture->setObjectName(u"artPicture"_s);
    ui_.artPicture->setBackgroundImage(QIcon(QPixmap(u":/pictures/inipic.jpg"_s)));
    NameForScreenReaders(ui_.artPicture, u"画像"_s);
    layout_->addWidget(ui_.artPicture, QRect(336, 93, 628, 504), A::All);

    ui_.artFitBox = new QComboBox(this);
    ui_.artFitBox->setObjectName(u"artFitBox"_s);
    ui_.artFitBox->addItems({u"CenterImage"_s, u"Normal"_s, u"StretchImage"_s, u"Zoom"_s});
    ui_.artFitBox->setEditable(false);
    ui_.artFitBox->setFont(DesignFont(u"MS UI Gothic"_s, 9));
    NameForScreenReaders(ui_.artFitBox, u"画像の表示サイズを選択"_s);
    layout_->addWidget(ui_.artFitBox, QRect(849, 73, 113, 20), TR);

    // The reading column and the sliders sit over the document area.
    for (QWidget* w : {static_cast<QWidget*>(ui_.lineUpButton), static_cast<QWidget*>(ui_.lineDownButton),
                       static_cast<QWidget*>(ui_.readButton), static_cast<QWidget*>(ui_.readPauseButton),
                       static_cast<QWidget*>(ui_.readStopButton), static_cast<QWidget*>(ui_.readingModeButton),
                       static_cast<QWidget*>(ui_.loopCountButton)}) {
        w->hide();
        w->setEnabled(false);
    }
    ui_.saveButton->setEnabled(false);
    ui_.undoButton->setEnabled(false);
    for (QPushButton* b : {ui_.rangeEndSetButton, ui_.rangeStartSetButton, ui_.rangeStartClearButton, ui_.rangeEndClearButton})
        b->setEnabled(false);
    for (QWidget* w : {static_cast<QWidget*>(ui_.speechVolumeSlider), static_cast<QWidget*>(ui_.speechSpeedSlider),
                       static_cast<QWidget*>(ui_.masterVolumeSlider), static_cast<QWidget*>(ui_.speechSpeedLabel),
                       static_cast<QWidget*>(ui_.masterVolumeLabel), static_cast<QWidget*>(ui_.speechVolumeLabel)}) {
        w->hide();
        w->raise();
    }

    ui_.musicPollTimer = new QTimer(this);
    ui_.musicPollTimer->setObjectName(u"musicPollTimer"_s);
    ui_.musicPollTimer->setInterval(200);
    ui_.lrcCloseTimer = new QTimer(this);
    ui_.lrcCloseTimer->setObjectName(u"lrcCloseTimer"_s);
    ui_.lrcCloseTimer->setInterval(400);
    ui_.lrcCloseTimer->setSingleShot(true);
    // Window timer 1: periodic until armed again or killed, on time to the ms.
    ui_.lineTimer = new QTimer(this);
    ui_.lineTimer->setObjectName(u"nTimerID"_s);
    ui_.lineTimer->setTimerType(Qt::PreciseTimer);

    BuildMenus();
}

void MyForm::BuildMenus()
{
    auto* bar = new QMenuBar(this);
    bar->setObjectName(u"menuBar"_s);
    bar->setNativeMenuBar(false);
    layout_->addWidget(bar, QRect(0, 0, DesignSize.width(), 26), TLR);
    ui_.menuBar = bar;

    auto item = [](QMenu* menu, const QString& text, const QString& name,
                       const QKeySequence& shortcut = {}) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        if (!shortcut.isEmpty())
            a->setShortcut(shortcut);
        return a;
    };

    QMenu* file = bar->addMenu(u"ファイル"_s);
    file->setObjectName(u"menuFile"_s);
    QMenu* newText = file->addMenu(u"新規テキスト"_s);
    newText->setObjectName(u"menuNewText"_s);
    ui_.menuNewText = newText->menuAction();
    ui_.menuNewText->setObjectName(u"menuNewTextItem"_s);
    ui_.menuNewTextText = item(newText, u"テキスト"_s, u"menuNewTextText"_s);
    ui_.menuNewTextLrc = item(newText, u"同期テキスト"_s, u"menuNewTextLrc"_s);
    file->addSeparator();
    ui_.menuOpen = item(file, u"開く"_s, u"menuOpen"_s, QKeySequence(u"Ctrl+O"_s));
    ui_.menuOverWrite = item(file, u"上書き保存"_s, u"menuOverWrite"_s);
    ui_.menuSaveAs = item(file, u"名前を付けて保存"_s, u"menuSaveAs"_s, QKeySequence(u"Ctrl+S"_s));
    file->addSeparator();
    ui_.menuPageSetup = item(file, u"ページ設定"_s, u"menuPageSetup"_s);
    ui_.menuPrint = item(file, u"印刷"_s, u"menuPrint"_s, QKeySequence(u"Ctrl+P"_s));
    ui_.menuPrintPreview = item(file, u"印刷プレビュー"_s, u"menuPrintPreview"_s);
    file->addSeparator();
    ui_.menuExit = item(file, u"終了"_s, u"menuExit"_s);

    QMenu* tools = bar->addMenu(u"ツール"_s);
    tools->setObjectName(u"menuTools"_s);
    ui_.menuBrowser = item(tools, u"簡易ブラウザー"_s, u"menuBrowser"_s);

    QMenu* edit = bar->addMenu(u"編集"_s);
    edit->setObjectName(u"menuEdit"_s);
    ui_.menuUndo = item(edit, u"元に戻す"_s, u"menuUndo"_s);
    edit->addSeparator();
    ui_.menuCut = item(edit, u"切り取り"_s, u"menuCut"_s);
    ui_.menuCopy = item(edit, u"コピー"_s, u"menuCopy"_s);
    ui_.menuPaste = item(edit, u"貼り付け"_s, u"menuPaste"_s);
    ui_.menuDelete = item(edit, u"削除"_s, u"menuDelete"_s);
    edit->addSeparator();
    ui_.menuSelectAll = item(edit, u"全て選択"_s, u"menuSelectAll"_s);

    QMenu* settings = bar->addMenu(u"設定"_s);
    settings->setObjectName(u"menuSettings"_s);
    ui_.menuFont = item(settings, u"フォント"_s, u"menuFont"_s);
    // For this run only: the stored settings have no place for it.
    ui_.menuWordWrap = item(settings, u"折り返し"_s, u"menuWordWrap"_s);
    ui_.menuWordWrap->setCheckable(true);
    ui_.menuVoice = item(settings, u"音声合成言語"_s, u"menuVoice"_s);

    QMenu* help = bar->addMenu(u"ヘルプ"_s);
    help->setObjectName(u"menuHelp"_s);
    ui_.menuManual = item(help, u"マニュアル"_s, u"menuManual"_s);
    ui_.menuVersion = item(help, u"バージョン情報"_s, u"menuVersion"_s);

    QMenu* study = bar->addMenu(u"学習"_s);
    study->setObjectName(u"menuStudy"_s);
    ui_.menuLinePractice = item(study, u"1行ずつ練習"_s, u"menuLinePractice"_s);
    ui_.menuLinePractice->setCheckable(true);
    study->addSeparator();
    ui_.menuSpeedUp = item(study, u"速く再生"_s, u"menuSpeedUp"_s, QKeySequence(u"Ctrl+Up"_s));
    ui_.menuSpeedDown = item(study, u"遅く再生"_s, u"menuSpeedDown"_s, QKeySequence(u"Ctrl+Down"_s));
    ui_.menuSpeedNormal = item(study, u"標準の速さ"_s, u"menuSpeedNormal"_s, QKeySequence(u"Ctrl+0"_s));
    study->addSeparator();
    ui_.menuLyricsEarlier = item(study, u"歌詞を早める"_s, u"menuLyricsEarlier"_s, QKeySequence(u"Alt+Left"_s));
    ui_.menuLyricsLater = item(study, u"歌詞を遅らせる"_s, u"menuLyricsLater"_s, QKeySequence(u"Alt+Right"_s));
    ui_.menuSaveTiming = item(study, u"タイミングを保存"_s, u"menuSaveTiming"_s);
    study->addSeparator();
    QMenu* pause = study->addMenu(u"練習の間"_s);
    pause->setObjectName(u"menuPause"_s);
    auto* pauses = new QActionGroup(pause);
    ui_.menuPauseNone = item(pause, u"なし"_s, u"menuPauseNone"_s);
    ui_.menuPauseHalf = item(pause, u"行の長さの0.5倍"_s, u"menuPauseHalf"_s);
    ui_.menuPauseOne = item(pause, u"行の長さの1倍"_s, u"menuPauseOne"_s);
    ui_.menuPauseOneHalf = item(pause, u"行の長さの1.5倍"_s, u"menuPauseOneHalf"_s);
    for (QAction* a : {ui_.menuPauseNone, ui_.menuPauseHalf, ui_.menuPauseOne, ui_.menuPauseOneHalf}) {
        a->setCheckable(true);
        pauses->addAction(a);
    }
    ui_.menuPauseNone->setChecked(true);
    ui_.menuFollowWord = item(study, u"話している単語を強調"_s, u"menuFollowWord"_s);
    ui_.menuFollowWord->setCheckable(true);
    ui_.menuFollowWord->setChecked(true);

    ui_.listContextMenu = new QMenu(this);
    ui_.listContextMenu->setObjectName(u"listContextMenu"_s);
    ui_.contextDelete = ui_.listContextMenu->addAction(u"削除(&D)"_s);
    ui_.contextDelete->setObjectName(u"contextDelete"_s);
    ui_.listContextMenu->addSeparator();
    ui_.contextClose = ui_.listContextMenu->addAction(u"終了(&X)"_s);
    ui_.contextClose->setObjectName(u"contextClose"_s);
}
