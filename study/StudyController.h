#pragma once

#include "core/Controller.h"
#include "lrc/LrcTiming.h"
#include "platform/TextCodec.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class QAction;
class QTimer;

// The study tools for songs: practising lyric lines one by one with a
// pause to repeat each aloud, slower or faster playback, and lyric timing
// moved while listening and saved into the .lrc file. It drives the player
// and the synchronized-text window through their operations.
class StudyController : public Controller
{
public:
    explicit StudyController(const Context& context, const TextCodec& codec = TextCodec::System());
    ~StudyController() override;

    // A lyric line becomes the play range and plays (a click on it, a skip).
    virtual void PracticeLine(std::int32_t line);
    virtual void menuLinePractice_Toggled(bool on);
    // One line back (-1) or on (+1) from the line practised or sounding.
    virtual void SkipLine(int step);

    virtual void SpeedUp();
    virtual void SpeedDown();
    virtual void SpeedNormal();

    virtual void LyricsEarlier();
    virtual void LyricsLater();
    virtual void SaveTiming();

    // The player's hooks: a track start begins; a range has ended (true
    // when the practice takes over); a pause, stop or close.
    void TrackStarting();
    bool RangeEnded();
    void Halted();
    // The song has started or played on from a stop.
    void PlayStarted();
    // The range was set, cleared or switched by its buttons.
    void RangeChangedByHand();
    // Passes per line, the repetition button's count (1000: endless).
    void SetRepetitions(int count);
    // A speed per pass (StudyLadder::Preset; 0: none): the passes per line
    // are then the ladder's steps.
    void SetLadder(std::int32_t preset);

    // The lyric commands need timed lines; saving needs a shift. The skip
    // commands are the window's own, handed over here.
    void UpdateCommands();
    void setSkipActions(QAction* back, QAction* on);
    // The menu's counts, each with its count as data.
    void setCountActions(const QList<QAction*>& counts);
    bool HasTimedLines() const;

    std::int32_t practisedLine() const { return line_; }
    int passes() const { return passes_; }
    QTimer* gapTimer() const { return gap_.get(); }

    static constexpr int MinSpeed = 50;
    static constexpr int MaxSpeed = 150;
    static constexpr int SpeedStep = 5;
    static constexpr int ShiftStep = 100;

private:
    bool Playing() const { return state.audioState == AudioState::WavePlaying || state.audioState == AudioState::Mp3Playing; }
    bool Paused() const { return state.audioState == AudioState::WavePaused || state.audioState == AudioState::Mp3Paused; }
    // Passes per line: 1, 2 or 4 as the repetition button says, 0 endless.
    int Repetitions() const;
    bool RangeIsPractised() const;
    bool SetRange(std::int32_t line);
    void PlayRange();
    void EndPractice();
    // Ends the practice of a line; a gap after it ends in play.
    void LeaveLine();
    void GapEnded();
    void ChangeSpeed(int percent);
    // The ladder's speed for the pass about to play (the learner's without
    // a ladder), and setting it; without a ladder the learner's speed again.
    int PassSpeed() const;
    void SetPassSpeed();
    // The range plays again as the next pass, at its speed; `fromHold`
    // when the song waits silent at the range start (after a gap).
    void StartPass(bool fromHold);
    void RestoreSpeed();
    void ShowSpeed();
    void ShiftBy(int deltaMs);
    void TakeNewLyrics();
    void ShowShift();

    const TextCodec& codec_;
    std::unique_ptr<QTimer> gap_;
    std::int32_t line_ = -1;     // the line practised, -1 for none
    std::optional<LrcTiming::Range> range_;   // its range in device time
    int passes_ = 0;
    std::int32_t nextLine_ = -1; // where the gap goes on to, -1 for the same line
    QString baseText_;           // the lyrics as read, before any shift
    QString shownText_;          // the lyrics as shifted
    QString formTitle_;
    QAction* skipBack_ = nullptr;
    QAction* skipOn_ = nullptr;
    QList<QAction*> counts_;
    std::optional<int> speedBeforeLadder_;
};
