#pragma once

#include "core/Controller.h"
#include "lrc/LrcRules.h"
#include "lrc/LrcWordTags.h"

#include <QPointer>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <functional>
#include <memory>
#include <vector>

class QTimer;

class Clock;
#include "lrc/LrcDisplay.h"

// The synchronized-text window and its line timer: the player synchronises
// it at every start, seek and resume, and each tick of the line timer moves
// the four lines up by one.
class LrcController : public Controller
{
public:
    explicit LrcController(const Context& context);
    ~LrcController() override;

    // Where the audio is now, in ms; false when the device cannot tell. With
    // it each tick measures from the audio itself, which may start later
    // than the timer (the sound server's start-up) or drift from the clock.
    using PositionSource = std::function<bool(std::int64_t& ms)>;
    void setPositionSource(PositionSource source) { position_ = std::move(source); }
    // The clock the line timer measures with; tests give a fake one.
    void setClock(const Clock* clock);

    virtual void LrcTextTempLabel(const QString& path);
    virtual void TrackBarLrcTextTimerIni();
    virtual void LrcTextDisplay();
    // Aims the line timer from the device position the player has just read.
    virtual void LrcTextDisplayRestart(std::int64_t position);
    virtual void LrcTextClear();
    virtual void LrcTimerOnStart(std::uint32_t delay);
    virtual void LrcTimerOnStop();
    virtual void LrcCloseTick();

    // The player's opening (modeless, owned by the main window) and closing
    // of the window.
    virtual void LrcDisplayOpen();
    virtual void LrcDisplayClose();
    LrcDisplay* dlgLrcDisplay() const { return display_.data(); }

    // For the study tools: the lines as last synchronised, the .lrc file the
    // text was read from, a click on a shown line (its index), re-aiming at a
    // device position after the text's times have moved, and a note after
    // the window's title.
    const LrcRules::Table& table() const { return table_; }
    QString lrcPath() const { return lrcPath_; }
    std::function<void(std::int32_t line)> onLineClicked;
    // Told each time the window has been made, before it shows.
    std::function<void(QWidget* window)> onDisplayOpened;
    virtual void LrcTextResync(std::int64_t position);
    void setTitleNote(const QString& note);
    // The timer that moves the sung word's colour along the current line.
    QTimer* wordTimer() const { return wordTimer_.get(); }

private:
    void SetLabels(const QString& l1, const QString& l2, const QString& l3, const QString& l4);
    // The four labels show these entries' groups (-1: blank); a lyric and
    // its translation of one time are one group, shown as one line.
    void ShowEntries(const std::array<std::int32_t, 4>& entries);
    std::int32_t NextGroup(std::int32_t entry) const;
    // The word timing of the current line, and the word sung now.
    void FollowWords();
    void ShowWord();
    QString Label(int i) const;
    QString TextOrBlank(std::int32_t i) const;
    std::int32_t TimeOfDay() const;
    void ArmWithAdjustment(std::int32_t delay);
    // A speak button of the window: label 0 to 3 from the top.
    void Speak(int label);

    const Clock* clock_;
    PositionSource position_;
    LrcRules::Table table_;
    // Whether a line is still ahead for the line timer to aim at.
    bool aimed_ = false;
    QPointer<LrcDisplay> display_;
    // The line each label shows, -1 for none.
    std::array<std::int32_t, 4> shown_{-1, -1, -1, -1};
    std::vector<LrcWordTags::Word> words_;
    std::unique_ptr<QTimer> wordTimer_;
    std::optional<std::int64_t> resyncAt_;
    QString lrcPath_;
    QString titleNote_;
    // The unreadable file last reported, with a hash of its bytes.
    QString unreadableReported_;
};
