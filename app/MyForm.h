#pragma once

#include "core/Controller.h"
#include "core/Controls.h"
#include "core/State.h"
#include "platform/AudioDevice.h"
#include "platform/Mixer.h"

#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <memory>

class AnchorLayout;
class QAction;
class StudyController;
class TapTimingController;
class QKeyEvent;

// The main window: builds every control, routes every command to its
// controller, and runs start-up (Load, Shown) and the closing order.
class MyForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize DesignSize{964, 642};

    // The prompter is shared by every controller; the form does not own it.
    explicit MyForm(Prompter& prompter, QWidget* parent = nullptr);
    ~MyForm() override;

    State& state() { return state_; }
    Controls& ui() { return ui_; }
    const Context& context() const { return context_; }
    AnchorLayout* anchorLayout() const { return layout_; }

    // The controllers, replaceable by tests before the window is first shown.
    SettingsController& settings() { return *settings_; }
    LibraryController& library() { return *library_; }
    DocumentController& documents() { return *documents_; }
    SpeechController& speech() { return *speech_; }
    MusicController& music() { return *music_; }
    LrcController& lrc() { return *lrc_; }
    ArtController& art() { return *art_; }
    PrintController& printing() { return *printing_; }
    BrowserController& browser() { return *browser_; }
    void setSettings(std::unique_ptr<SettingsController> c);
    void setLibrary(std::unique_ptr<LibraryController> c);
    void setDocuments(std::unique_ptr<DocumentController> c);
    void setSpeech(std::unique_ptr<SpeechController> c);
    void setMusic(std::unique_ptr<MusicController> c);
    void setLrc(std::unique_ptr<LrcController> c);
    void setArt(std::unique_ptr<ArtController> c);
    StudyController& study() { return *study_; }
    TapTimingController& tapTiming() { return *tapTiming_; }

    // Files from the command line, opened once the window is shown and the
    // settings are read.
    void setStartFiles(const QStringList& paths) { startFiles_ = paths; }

    // Window events, in the order the program sees them.
    void MyForm_Load();
    void MyForm_Shown();
    bool MyForm_FormClosing();   // false cancels the closing
    void MyForm_FormClosed();

    // The window-message hook: a timer message with its identifier. Only the
    // line timer (identifier 1) advances the synchronized-text display.
    void WndProcTimer(std::uint32_t timerId);

    // Window timer 1, the line timer: armed again with a new delay, or killed.
    void SetTimer(std::uint32_t timerId, std::uint32_t elapseMs);
    void KillTimer(std::uint32_t timerId);

signals:
    // The window has closed and the Closed steps have run.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();      // MyFormLayout.cpp
    void BuildMenus();         // MyFormLayout.cpp
    void BuildKeyboardAndNames();                       // MyFormAccess.cpp
    bool KeyboardEvent(QWidget* target, QKeyEvent* key);   // MyFormAccess.cpp
    void OpenListRow(int list);                         // MyFormAccess.cpp
    void WireCommands();
    void WireShadowing();          // MyFormShadow.cpp
    void ShowShadowingSettings();  // MyFormShadow.cpp
    void ResetRunTimeState();
    void ReadButtonPressed();
    void SetUpStudy();            // MyFormStudy.cpp
    void HookStudy();             // MyFormStudy.cpp
    void UpdateStudyCommands();   // MyFormStudy.cpp
    bool SpeechGuard();
    void StartShown();

    Prompter& prompter_;
    State state_;
    Controls ui_;
    Peers peers_;
    Context context_{state_, prompter_, ui_, peers_};
    AnchorLayout* layout_ = nullptr;

    // The sound services outlive the player that drives them.
    std::unique_ptr<AudioDevice> audioDevice_ = CreateAudioDevice();
    std::unique_ptr<Mixer> mixer_ = CreateMixer();

    std::unique_ptr<SettingsController> settings_;
    std::unique_ptr<LibraryController> library_;
    std::unique_ptr<DocumentController> documents_;
    std::unique_ptr<SpeechController> speech_;
    std::unique_ptr<MusicController> music_;
    std::unique_ptr<LrcController> lrc_;
    std::unique_ptr<ArtController> art_;
    std::unique_ptr<PrintController> printing_;
    std::unique_ptr<BrowserController> browser_;
    std::unique_ptr<StudyController> study_;
    std::unique_ptr<TapTimingController> tapTiming_;
    QAction* tapTimingAction_ = nullptr;
    QAction* skipBack_ = nullptr;
    QAction* skipOn_ = nullptr;
    QList<QAction*> practiceCounts_;
    QObject* sliderEvents_ = nullptr;

    QStringList startFiles_;
    bool loaded_ = false;
    bool closed_ = false;
    // Shown follows the first paint, or this long after Load at the latest.
    static constexpr int kShownLatestMs = 1000;
    bool awaitingFirstPaint_ = false;
    bool shown_ = false;
};
