#include "app/MyForm.h"

#include "app/AnchorLayout.h"
#include "art/ArtController.h"
#include "browser/BrowserController.h"
#include "core/Prompter.h"
#include "core/StartupTrace.h"
#include "documents/DocumentController.h"
#include "library/LibraryController.h"
#include "lrc/LrcController.h"
#include "music/MusicController.h"
#include "platform/SystemColors.h"
#include "printing/PrintController.h"
#include "settings/SettingsController.h"
#include "speech/SpeechController.h"
#include "study/StudyController.h"
#include "study/TapTimingController.h"
#include "speech/SpeechMessages.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QTimer>
#include <QTreeWidget>
#include <QHeaderView>
#include <QKeyEvent>

#include <climits>
#include <functional>
#include <utility>

using namespace Qt::StringLiterals;

namespace {
// Mouse wheel and focus changes of the position slider reach the player.
class SliderEvents : public QObject
{
public:
    SliderEvents(QSlider* slider, std::function<void(int)> wheel, std::function<void(bool)> focus)
        : QObject(slider), wheel_(std::move(wheel)), focus_(std::move(focus))
    {
        slider->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Wheel:
            // The player moves the slider itself; the slider's own step
            // must not add to it. A slider that is off takes no turn at all.
            if (static_cast<QWidget*>(parent())->isEnabled())
                wheel_(static_cast<QWheelEvent*>(event)->angleDelta().y());
            return true;
        case QEvent::FocusIn:
            focus_(true);
            break;
        case QEvent::FocusOut:
            focus_(false);
            break;
        default:
            break;
        }
        return false;
    }

private:
    std::function<void(int)> wheel_;
    std::function<void(bool)> focus_;
};

// A left click on the groove moves the handle there at once and drags it
// from there, instead of stepping a page towards the click.
class ClickPlacesHandle : public QProxyStyle
{
public:
    explicit ClickPlacesHandle(QWidget* slider)
    {
        setParent(slider);
        slider->setStyle(this);
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == QStyle::SH_Slider_AbsoluteSetButtons)
            return Qt::LeftButton;
        if (hint == QStyle::SH_Slider_PageSetButtons)
            return Qt::NoButton;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
} // namespace

MyForm::MyForm(Prompter& prompter, QWidget* parent)
    : QWidget(parent), prompter_(prompter)
{
    BuildControls();
    BuildKeyboardAndNames();

    settings_ = std::make_unique<SettingsController>(context_);
    peers_.settings = settings_.get();
    library_ = std::make_unique<LibraryController>(context_);
    peers_.library = library_.get();
    documents_ = std::make_unique<DocumentController>(context_);
    peers_.documents = documents_.get();
    speech_ = std::make_unique<SpeechController>(context_);
    peers_.speech = speech_.get();
    music_ = std::make_unique<MusicController>(context_, *audioDevice_, *mixer_);
    peers_.music = music_.get();
    lrc_ = std::make_unique<LrcController>(context_);
    peers_.lrc = lrc_.get();
    // The lyric lines wait for the audio when the output starts late.
    lrc_->setPositionSource([this](std::int64_t& ms) {
        return audioDevice_->IsOpen() && audioDevice_->Position(ms) == 0;
    });
    art_ = std::make_unique<ArtController>(context_);
    peers_.art = art_.get();
    printing_ = std::make_unique<PrintController>(context_);
    peers_.printing = printing_.get();
    browser_ = std::make_unique<BrowserController>(context_);
    peers_.browser = browser_.get();

    WireCommands();
    SetUpStudy();
    WireShadowing();

    // The message hook: every press over a child is seen before the child
    // handles it (and before a list changes its selection).
    qApp->installEventFilter(this);
}

MyForm::~MyForm()
{
    qApp->removeEventFilter(this);
    // The controls go with the window, after the controllers: a focus lost
    // or a signal sent while they go must reach no controller.
    delete sliderEvents_;
    for (QObject* control : findChildren<QObject*>())
        disconnect(control, nullptr, this, nullptr);
    // Disposal: the engines go first, then the rest of the window.
    speech_->ReleaseEngines();
}

void MyForm::setSettings(std::unique_ptr<SettingsController> c)
{
    settings_ = std::move(c);
    peers_.settings = settings_.get();
}

void MyForm::setLibrary(std::unique_ptr<LibraryController> c)
{
    library_ = std::move(c);
    peers_.library = library_.get();
}

void MyForm::setDocuments(std::unique_ptr<DocumentController> c)
{
    documents_ = std::move(c);
    peers_.documents = documents_.get();
}

void MyForm::setSpeech(std::unique_ptr<SpeechController> c)
{
    speech_ = std::move(c);
    peers_.speech = speech_.get();
}

void MyForm::setMusic(std::unique_ptr<MusicController> c)
{
    music_ = std::move(c);
    peers_.music = music_.get();
    HookStudy();
}

void MyForm::setLrc(std::unique_ptr<LrcController> c)
{
    lrc_ = std::move(c);
    peers_.lrc = lrc_.get();
    HookStudy();
}

void MyForm::setArt(std::unique_ptr<ArtController> c)
{
    art_ = std::move(c);
    peers_.art = art_.get();
}

void MyForm::WireCommands()
{
    // Each command calls through the member at the time of the click, so a
    // controller replaced by a test receives it.
    auto on = [this](QAction* action, auto fn) { connect(action, &QAction::triggered, this, fn); };
    auto click = [this](QPushButton* button, auto fn) { connect(button, &QPushButton::clicked, this, fn); };

    // File menu
    on(ui_.menuNewTextText, [this] { documents_->NewText(); });
    on(ui_.menuNewTextLrc, [this] { documents_->NewLrcText(); });
    on(ui_.menuOpen, [this] { library_->FileOpen(); });
    on(ui_.menuOverWrite, [this] { documents_->OverWrite(); });
    click(ui_.saveButton, [this] { documents_->OverWrite(); });
    on(ui_.menuSaveAs, [this] { documents_->FileNameSpecifiedSave(); });
    on(ui_.menuPageSetup, [this] { printing_->PrintMiriInch(); printing_->PrintPageSetting(); });
    on(ui_.menuPrint, [this] { printing_->PrintMiriInch(); printing_->PrintStart(); });
    on(ui_.menuPrintPreview, [this] { printing_->PrintMiriInch(); printing_->PrintPreview(); });
    on(ui_.menuExit, [this] { close(); });

    // Tools and help
    on(ui_.menuBrowser, [this] { browser_->ManualDialog(u"ホーム"_s); });
    on(ui_.menuManual, [this] { browser_->ManualDialog(BrowserController::ManualFirstPage()); });
    // The browser program starts as the pointer comes onto the help menu's
    // title, or the menu opens, so マニュアル finds its page loaded.
    if (auto* help = ui_.menuBar->findChild<QMenu*>(u"menuHelp"_s)) {
        connect(help, &QMenu::aboutToShow, this, [this] { browser_->StartAhead(); });
        connect(ui_.menuBar, &QMenuBar::hovered, this, [this, help](QAction* title) {
            if (title == help->menuAction())
                browser_->StartAhead();
        });
    }
    on(ui_.menuVersion, [this] { prompter_.VersionInfo(); });

    // Edit menu, and undo by button
    on(ui_.menuUndo, [this] { documents_->Undo(); });
    click(ui_.undoButton, [this] { documents_->Undo(); });
    on(ui_.menuCut, [this] { documents_->Cut(); });
    on(ui_.menuCopy, [this] { documents_->Copy(); });
    on(ui_.menuPaste, [this] { documents_->Paste(); });
    on(ui_.menuDelete, [this] { documents_->Delete(); });
    on(ui_.menuSelectAll, [this] { documents_->SelectAll(); });

    // Settings menu
    on(ui_.menuFont, [this] { documents_->FontSetting(); });
    connect(ui_.menuWordWrap, &QAction::toggled, this, [this](bool wrap) { documents_->WordWrapSetting(wrap); });
    on(ui_.menuVoice, [this] { speech_->SpeechSettingSub(); });

    // File lists
    on(ui_.contextDelete, [this] { library_->DeleteFile(); });
    click(ui_.listFolderButton, [this] { library_->FolderSetting(); });
    click(ui_.allListButton, [this] { library_->ShowList(0); });
    click(ui_.textListButton, [this] { library_->ShowList(1); });
    click(ui_.musicListButton, [this] { library_->ShowList(2); });
    int list = 0;
    for (QTreeWidget* view : {ui_.allFileList, ui_.textFileList, ui_.musicList}) {
        connect(view->header(), &QHeaderView::sectionClicked, this,
                [this, list](int column) { library_->ColumnClick(list, column); });
        connect(view, &QTreeWidget::itemSelectionChanged, this,
                [this, list] { library_->SelectionChanged(list); });
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
            ui_.listContextMenu->popup(view->viewport()->mapToGlobal(pos));
        });
        ++list;
    }

    // Views and documents
    click(ui_.textViewButton, [this] { if (SpeechGuard()) documents_->TextDisplaySwitch(); });
    click(ui_.lrcViewButton, [this] { if (SpeechGuard()) documents_->LrcTextDisplaySwitch(); });
    click(ui_.artViewButton, [this] { documents_->ArtDisplaySwitch(); });
    connect(ui_.textView, &QPlainTextEdit::textChanged, this, [this] { documents_->TextViewChanged(); });
    connect(ui_.lrcView, &QPlainTextEdit::textChanged, this, [this] { documents_->LrcViewChanged(); });
    click(ui_.lineEndCheckButton, [this] { documents_->LineEndCheck(); });

    // Reading aloud
    click(ui_.readButton, [this] { ReadButtonPressed(); });
    click(ui_.readPauseButton, [this] { speech_->SpeechPause(); });
    click(ui_.readStopButton, [this] { speech_->SpeechStop(); });
    click(ui_.lineUpButton, [this] { speech_->SpeechSkipBackward(); });
    click(ui_.lineDownButton, [this] { speech_->SpeechSkipForward(); });
    click(ui_.readingModeButton, [this] { speech_->SpeechReproductionModeSetting(); });
    click(ui_.loopCountButton, [this] { speech_->SpeechLoopModeSetting(); });
    click(ui_.speechVolumeButton, [this] { speech_->SpeechVolTrackBarDisp(); });
    click(ui_.speechSpeedButton, [this] { speech_->SpeechRateTrackBarDisp(); });
    connect(ui_.speechVolumeSlider, &QSlider::actionTriggered, this, [this] { speech_->SpeechVolSetting(); });
    connect(ui_.speechSpeedSlider, &QSlider::actionTriggered, this, [this] { speech_->SpeechRateSetting(); });

    // Music
    click(ui_.musicPlayButton, [this] { music_->MusicPlay(); });
    click(ui_.musicPauseButton, [this] { music_->MusicPause(); });
    click(ui_.musicStopButton, [this] { music_->MusicStop(); });
    connect(ui_.musicPositionSlider, &QSlider::sliderPressed, this, [this] { music_->trackBarMovementStart(); });
    connect(ui_.musicPositionSlider, &QSlider::actionTriggered, this, [this] { music_->trackBarMovement(); });
    connect(ui_.musicPositionSlider, &QSlider::sliderReleased, this, [this] { music_->trackBarMovementEnd(); });
    sliderEvents_ = new SliderEvents(ui_.musicPositionSlider,
                                     [this](int delta) { music_->PositionSliderWheel(delta); },
                                     [this](bool entered) { music_->PositionSliderFocus(entered); });
    new ClickPlacesHandle(ui_.musicPositionSlider);
    connect(ui_.musicPollTimer, &QTimer::timeout, this, [this] { music_->MusicPollTick(); });
    click(ui_.nextSongButton, [this] { music_->NextMusicPlay(); });
    click(ui_.previousSongButton, [this] { music_->BackMusicPlay(); });
    click(ui_.repeatOneButton, [this] { music_->RepeatOneModeChosen(); });
    click(ui_.inOrderButton, [this] { music_->InOrderModeChosen(); });
    click(ui_.inOrderLoopButton, [this] { music_->InOrderLoopModeChosen(); });
    click(ui_.randomPlayButton, [this] { music_->RandomModeChosen(); });
    click(ui_.rangeEndSetButton, [this] { music_->RangeEndSet(); });
    click(ui_.rangeStartSetButton, [this] { music_->RangeStartSet(); });
    click(ui_.rangeStartClearButton, [this] { music_->RangeStartClear(); });
    click(ui_.rangeEndClearButton, [this] { music_->RangeEndClear(); });
    click(ui_.rangePlayButton, [this] { music_->RangePlayToggled(); });
    click(ui_.masterVolumeButton, [this] { music_->MixerVolTrackBarDisp(); });
    connect(ui_.masterVolumeSlider, &QSlider::actionTriggered, this, [this] { music_->MixerVolSetting(); });

    // Synchronized text and picture
    connect(ui_.lrcCloseTimer, &QTimer::timeout, this, [this] { lrc_->LrcCloseTick(); });
    connect(ui_.lineTimer, &QTimer::timeout, this, [this] { WndProcTimer(State::nTimerID); });
    connect(ui_.artFitBox, &QComboBox::currentIndexChanged, this,
            [this] { art_->ArtFitChanged(); });
}

void MyForm::ReadButtonPressed()
{
    if (state_.synthesizerStatus == EngineStatus::Unavailable && state_.voiceStatus == EngineStatus::Unavailable) {
        if (speech_->PlayWhenReady())
            return;
        prompter_.MessageInfoBox(SpeechMessages::InstallVoices());
        return;
    }
    speech_->SpeechPlay();
}

bool MyForm::SpeechGuard()
{
    if (!state_.SpeechBusy())
        return true;
    prompter_.MessageInfoBox(u"音声合成再生を停止してから行ってください。"_s);
    return false;
}

void MyForm::ResetRunTimeState()
{
    state_.ResetRunTime();
    ui_.allFileList->show();
    ui_.textFileList->hide();
    ui_.musicList->hide();
    for (QPushButton* b : {ui_.lineUpButton, ui_.lineDownButton, ui_.readButton, ui_.readPauseButton, ui_.readStopButton,
                           ui_.speechVolumeButton, ui_.speechSpeedButton, ui_.readingModeButton, ui_.loopCountButton,
                           ui_.saveButton, ui_.undoButton, ui_.lineEndCheckButton})
        b->hide();
    for (QPushButton* b : {ui_.lineUpButton, ui_.lineDownButton, ui_.readButton, ui_.readPauseButton, ui_.readStopButton,
                           ui_.readingModeButton, ui_.loopCountButton, ui_.saveButton, ui_.undoButton})
        SystemColors::SetButtonEnabled(b, false);
}

void MyForm::MyForm_Load()
{
    if (loaded_)
        return;
    loaded_ = true;
    settings_->SystemVersionProbe();
    if (!settings_->ProgramFolderSetting())
        return;   // without the program folder the window keeps its design values
    library_->iniListView();
    ResetRunTimeState();
    browser_->PrepareBrowserEngine();
    settings_->iniRead();
    UpdateStudyCommands();
    ShowShadowingSettings();
}

void MyForm::MyForm_Shown()
{
    speech_->SpeechPlatformInstallationCheck();
    if (!startFiles_.isEmpty())
        library_->CommandLineOpen(std::exchange(startFiles_, {}));
}

bool MyForm::MyForm_FormClosing()
{
    if (State::HasUnsavedChanges(state_.textDocumentState)
        && !prompter_.YesNo(u"テキスト・データを保存せずに終了しても良いですか？"_s))
        return false;
    if (State::HasUnsavedChanges(state_.lrcDocumentState)
        && !prompter_.YesNo(u"同期テキスト・データを保存せずに終了しても良いですか？"_s))
        return false;
    return true;
}

void MyForm::MyForm_FormClosed()
{
    if (closed_)
        return;
    closed_ = true;
    settings_->iniWrite();
    speech_->CancelQueuedSpeech();
    emit closed();
}

void MyForm::WndProcTimer(std::uint32_t timerId)
{
    if (timerId == State::nTimerID)
        lrc_->LrcTextDisplay();
}

void MyForm::SetTimer(std::uint32_t timerId, std::uint32_t elapseMs)
{
    if (timerId == State::nTimerID)
        ui_.lineTimer->start(int(qMin<std::uint32_t>(elapseMs, INT_MAX)));
}

void MyForm::KillTimer(std::uint32_t timerId)
{
    if (timerId == State::nTimerID)
        ui_.lineTimer->stop();
}

bool MyForm::eventFilter(QObject* watched, QEvent* event)
{
    // The first paint has been handed over once the events in hand are done.
    if (awaitingFirstPaint_ && watched == this && event->type() == QEvent::Paint) {
        awaitingFirstPaint_ = false;
        QTimer::singleShot(0, this, [this] { StartShown(); });
    }
    if (event->type() == QEvent::MouseButtonPress) {
        auto* child = qobject_cast<QWidget*>(watched);
        // Only presses over the window's own child controls count; the menu
        // bar is the window's frame, not a child control.
        if (child && child != this && isAncestorOf(child)
            && !ui_.menuBar->isAncestorOf(child) && child != ui_.menuBar) {
            const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
            if (button == Qt::LeftButton)
                state_.lastClickButton = ClickButton::Left;
            else if (button == Qt::RightButton)
                state_.lastClickButton = ClickButton::Right;
        }
    }
    // Keys the window's controls leave alone: Return on a button or a list
    // row, Escape on a popup slider.
    if (event->type() == QEvent::KeyPress) {
        auto* target = qobject_cast<QWidget*>(watched);
        if (target && target != this && isAncestorOf(target)
            && KeyboardEvent(target, static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MyForm::showEvent(QShowEvent* event)
{
    // Load runs before the window first appears; Shown once it is on screen
    // and painted, so the engines it starts never hold up the first picture.
    if (!loaded_ && !event->spontaneous()) {
        MyForm_Load();
        StartupTrace::Mark("settings read");
        awaitingFirstPaint_ = true;
        // A window never painted (shown minimised, covered) still gets going.
        QTimer::singleShot(kShownLatestMs, this, [this] { StartShown(); });
    }
    QWidget::showEvent(event);
}

void MyForm::StartShown()
{
    if (shown_)
        return;
    shown_ = true;
    awaitingFirstPaint_ = false;
    StartupTrace::Mark("first paint");
    MyForm_Shown();
    StartupTrace::Mark("engines started");
}

void MyForm::closeEvent(QCloseEvent* event)
{
    if (closed_) {
        event->accept();
        return;
    }
    if (!MyForm_FormClosing()) {
        event->ignore();
        return;
    }
    event->accept();
    MyForm_FormClosed();
}
