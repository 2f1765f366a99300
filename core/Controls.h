#pragma once

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class PictureBox;
class TextView;
class QPushButton;
class QSlider;
class QTimer;
class QTreeWidget;
class QWidget;

// Every control of the main window under its own name. MyForm builds them
// and hands this table to the controllers, each of which drives its own.
struct Controls
{
    QWidget* form = nullptr;
    QMenuBar* menuStrip1 = nullptr;
    QMenu* contextMenuStrip1 = nullptr;   // the file lists' context menu

    // menu items
    QAction* menuNewText = nullptr;          // 新規テキスト (submenu)
    QAction* menuNewTextText = nullptr;      // 新規テキスト > テキスト
    QAction* menuNewTextLrc = nullptr;       // 新規テキスト > 同期テキスト
    QAction* menuOpen = nullptr;
    QAction* menuOverWrite = nullptr;
    QAction* menuSaveAs = nullptr;
    QAction* menuPageSetup = nullptr;
    QAction* menuPrint = nullptr;
    QAction* menuPrintPreview = nullptr;
    QAction* menuExit = nullptr;
    QAction* menuBrowser = nullptr;
    QAction* menuUndo = nullptr;
    QAction* menuCut = nullptr;
    QAction* menuCopy = nullptr;
    QAction* menuPaste = nullptr;
    QAction* menuDelete = nullptr;
    QAction* menuSelectAll = nullptr;
    QAction* menuFont = nullptr;
    QAction* menuWordWrap = nullptr;         // checkable, off: long lines run on
    QAction* menuVoice = nullptr;
    QAction* menuManual = nullptr;
    QAction* menuVersion = nullptr;
    // The study menu, last in the bar.
    QAction* menuLinePractice = nullptr;   // checkable
    QAction* menuSpeedUp = nullptr;
    QAction* menuSpeedDown = nullptr;
    QAction* menuSpeedNormal = nullptr;
    QAction* menuLyricsEarlier = nullptr;
    QAction* menuLyricsLater = nullptr;
    QAction* menuSaveTiming = nullptr;
    QAction* menuPauseNone = nullptr;      // these four are exclusive and checkable
    QAction* menuPauseHalf = nullptr;
    QAction* menuPauseOne = nullptr;
    QAction* menuPauseOneHalf = nullptr;
    QAction* menuFollowWord = nullptr;     // checkable
    QAction* contextDelete = nullptr;        // 削除(D)
    QAction* contextClose = nullptr;         // 終了(X)

    // music controls along the top
    QPushButton* button1 = nullptr;
    QPushButton* button21 = nullptr;
    QPushButton* button22 = nullptr;
    QPushButton* button23 = nullptr;
    QPushButton* button24 = nullptr;
    QPushButton* button25 = nullptr;
    QPushButton* button26 = nullptr;
    QPushButton* button27 = nullptr;
    QPushButton* button28 = nullptr;
    QPushButton* button29 = nullptr;

    // list and view switches
    QPushButton* button18 = nullptr;
    QPushButton* button19 = nullptr;
    QPushButton* button20 = nullptr;
    QPushButton* button12 = nullptr;
    QPushButton* button13 = nullptr;
    QPushButton* button31 = nullptr;

    // lists, labels, documents, picture
    QTreeWidget* listView1 = nullptr;
    QTreeWidget* listView2 = nullptr;
    QTreeWidget* listView3 = nullptr;
    QLabel* label1 = nullptr;
    QLabel* label2 = nullptr;
    QLabel* label3 = nullptr;
    QLabel* label4 = nullptr;
    QLabel* label5 = nullptr;
    QLabel* label6 = nullptr;
    QLabel* label7 = nullptr;
    QLabel* label8 = nullptr;
    QLabel* label9 = nullptr;
    QLabel* label12 = nullptr;
    QLabel* label13 = nullptr;
    QLabel* label15 = nullptr;
    QLineEdit* textBox3 = nullptr;
    QLineEdit* textBox4 = nullptr;
    TextView* textBox1 = nullptr;
    TextView* textBox2 = nullptr;
    PictureBox* pictureBox1 = nullptr;
    QComboBox* comboBox3 = nullptr;

    // the column of reading and editing buttons
    QPushButton* button2 = nullptr;
    QPushButton* button3 = nullptr;
    QPushButton* button4 = nullptr;
    QPushButton* button5 = nullptr;
    QPushButton* button6 = nullptr;
    QPushButton* button7 = nullptr;
    QPushButton* button8 = nullptr;
    QPushButton* button9 = nullptr;
    QPushButton* button10 = nullptr;
    QPushButton* button32 = nullptr;
    QPushButton* button33 = nullptr;
    QPushButton* button34 = nullptr;

    // sliders
    QSlider* trackBar1 = nullptr;   // reading volume
    QSlider* trackBar2 = nullptr;   // reading speed
    QSlider* trackBar3 = nullptr;   // playback position
    QSlider* trackBar4 = nullptr;   // master volume
    QPushButton* button11 = nullptr;

    // play range along the bottom
    QPushButton* button14 = nullptr;
    QPushButton* button15 = nullptr;
    QPushButton* button16 = nullptr;
    QPushButton* button17 = nullptr;
    QPushButton* button30 = nullptr;

    // timers: the music poll, the delayed close of the lyrics window, and the
    // line timer (window timer 1) that paces the synchronized text
    QTimer* timer1 = nullptr;
    QTimer* timer2 = nullptr;
    QTimer* lineTimer = nullptr;
};
