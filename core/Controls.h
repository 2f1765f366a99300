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
    QMenuBar* menuBar = nullptr;
    QMenu* listContextMenu = nullptr;   // the file lists' context menu

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
    QPushButton* listFolderButton = nullptr;
    QPushButton* musicPlayButton = nullptr;
    QPushButton* musicPauseButton = nullptr;
    QPushButton* musicStopButton = nullptr;
    QPushButton* nextSongButton = nullptr;
    QPushButton* previousSongButton = nullptr;
    QPushButton* repeatOneButton = nullptr;
    QPushButton* inOrderButton = nullptr;
    QPushButton* inOrderLoopButton = nullptr;
    QPushButton* randomPlayButton = nullptr;

    // list and view switches
    QPushButton* allListButton = nullptr;
    QPushButton* musicListButton = nullptr;
    QPushButton* textListButton = nullptr;
    QPushButton* textViewButton = nullptr;
    QPushButton* lrcViewButton = nullptr;
    QPushButton* artViewButton = nullptr;

    // lists, labels, documents, picture
    QTreeWidget* allFileList = nullptr;
    QTreeWidget* textFileList = nullptr;
    QTreeWidget* musicList = nullptr;
    QLabel* textFolderLabel = nullptr;
    QLabel* listFolderLabel = nullptr;
    QLabel* lrcFolderLabel = nullptr;
    QLabel* songNameLabel = nullptr;
    QLabel* speechSpeedLabel = nullptr;
    QLabel* masterVolumeLabel = nullptr;
    QLabel* rangeStartLabel = nullptr;
    QLabel* speechVolumeLabel = nullptr;
    QLabel* rangeEndLabel = nullptr;
    QLabel* viewKindLabel = nullptr;
    QLabel* elapsedTimeLabel = nullptr;
    QLabel* artSizeLabel = nullptr;
    QLineEdit* textNameBox = nullptr;
    QLineEdit* lrcNameBox = nullptr;
    TextView* textView = nullptr;
    TextView* lrcView = nullptr;
    PictureBox* artPicture = nullptr;
    QComboBox* artFitBox = nullptr;

    // the column of reading and editing buttons
    QPushButton* lineUpButton = nullptr;
    QPushButton* lineDownButton = nullptr;
    QPushButton* readButton = nullptr;
    QPushButton* readPauseButton = nullptr;
    QPushButton* readStopButton = nullptr;
    QPushButton* speechVolumeButton = nullptr;
    QPushButton* speechSpeedButton = nullptr;
    QPushButton* readingModeButton = nullptr;
    QPushButton* loopCountButton = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* undoButton = nullptr;
    QPushButton* lineEndCheckButton = nullptr;

    // sliders
    QSlider* speechVolumeSlider = nullptr;   // reading volume
    QSlider* speechSpeedSlider = nullptr;   // reading speed
    QSlider* musicPositionSlider = nullptr;   // playback position
    QSlider* masterVolumeSlider = nullptr;   // master volume
    QPushButton* masterVolumeButton = nullptr;

    // play range along the bottom
    QPushButton* rangeEndSetButton = nullptr;
    QPushButton* rangeStartSetButton = nullptr;
    QPushButton* rangeStartClearButton = nullptr;
    QPushButton* rangeEndClearButton = nullptr;
    QPushButton* rangePlayButton = nullptr;

    // timers: the music poll, the delayed close of the lyrics window, and the
    // line timer (window timer 1) that paces the synchronized text
    QTimer* musicPollTimer = nullptr;
    QTimer* lrcCloseTimer = nullptr;
    QTimer* lineTimer = nullptr;
};
