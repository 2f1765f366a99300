#include "study/StudyController.h"

#include "documents/DocumentController.h"
#include "documents/DocumentFile.h"
#include "lrc/LrcController.h"
#include "lrc/LrcRules.h"
#include "music/MusicController.h"
#include "music/MusicTimes.h"
#include "study/StudyLadder.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QWidget>

#include <algorithm>

using namespace Qt::StringLiterals;

StudyController::StudyController(const Context& context, const TextCodec& codec)
    : Controller(context), codec_(codec), gap_(std::make_unique<QTimer>())
{
    gap_->setObjectName(u"studyGapTimer"_s);
    gap_->setSingleShot(true);
    gap_->setTimerType(Qt::PreciseTimer);
    QObject::connect(gap_.get(), &QTimer::timeout, gap_.get(), [this] { GapEnded(); });
    if (ui.form)
        formTitle_ = ui.form->windowTitle();
}

StudyController::~StudyController() = default;

bool StudyController::HasTimedLines() const
{
    return !state.LrcText.isEmpty() && LrcRules::FirstTimedLine(state.LrcText).start.has_value();
}

void StudyController::UpdateCommands()
{
    const bool timed = HasTimedLines();
    for (QAction* a : {ui.menuLyricsEarlier, ui.menuLyricsLater, skipBack_, skipOn_}) {
        if (a)
            a->setEnabled(timed);
    }
    if (ui.menuSaveTiming)
        ui.menuSaveTiming->setEnabled(timed && state.StudyLyricShiftMs != 0);
    if (ui.menuLinePractice)
        ui.menuLinePractice->setChecked(state.StudyLinePractice == Switch::On);
    // Any other count than the menu's own is endless, as the practice takes
    // it; a ladder (its preset as a negative count) stands for its passes.
    const int count = Repetitions() == 0 ? 1000 : Repetitions();
    const bool ladder = !StudyLadder::Speeds(state.StudyLadderPreset).empty();
    for (QAction* a : counts_) {
        const int data = a->data().toInt();
        a->setChecked(data < 0 ? ladder && -data == state.StudyLadderPreset : !ladder && data == count);
    }
    ShowSpeed();
}

void StudyController::setCountActions(const QList<QAction*>& counts)
{
    counts_ = counts;
    UpdateCommands();
}

void StudyController::SetRepetitions(int count)
{
    SetLadder(0);
    state.LoopModeCount = count;
    if (ui.loopCountButton)
        ui.loopCountButton->setText(count == 1000 ? u"∞"_s : QString::number(count));
    UpdateCommands();
}

void StudyController::setSkipActions(QAction* back, QAction* on)
{
    skipBack_ = back;
    skipOn_ = on;
    UpdateCommands();
}

// --- line practice ----------------------------------------------------------------------

void StudyController::SetLadder(std::int32_t preset)
{
    state.StudyLadderPreset = StudyLadder::Speeds(preset).empty() ? 0 : preset;
    if (line_ >= 0)
        SetPassSpeed();   // the pass playing goes on at its step's speed
    else
        RestoreSpeed();
    UpdateCommands();
}

int StudyController::PassSpeed() const
{
    const int learners = speedBeforeLadder_.value_or(state.StudySpeedPercent);
    const int speed = StudyLadder::SpeedOfPass(StudyLadder::Speeds(state.StudyLadderPreset), passes_, learners);
    return std::clamp(speed, MinSpeed, MaxSpeed);
}

void StudyController::SetPassSpeed()
{
    if (StudyLadder::Speeds(state.StudyLadderPreset).empty()) {
        RestoreSpeed();
        return;
    }
    // The learner's own speed comes back when the ladder ends.
    if (!speedBeforeLadder_)
        speedBeforeLadder_ = state.StudySpeedPercent;
    ChangeSpeed(PassSpeed());
}

void StudyController::StartPass(bool fromHold)
{
    MusicController* music = peers.music;
    if (!music)
        return;
    // A pass is heard at its speed from its first sample: the speed is set
    // while nothing sounds, before the range restarts, so the restart's seek
    // already runs at it. Changed while the pass plays, its start would be
    // heard at the old speed and the flush of the change would cut it.
    if (fromHold || PassSpeed() == state.StudySpeedPercent || !Playing()) {
        SetPassSpeed();
        music->MusicRangePlay();
        return;
    }
    music->MusicRangeHold();
    SetPassSpeed();
    music->MusicRangeRelease();
}

void StudyController::RestoreSpeed()
{
    if (const auto speed = std::exchange(speedBeforeLadder_, std::nullopt))
        ChangeSpeed(*speed);
}

int StudyController::Repetitions() const
{
    if (const std::vector<int> speeds = StudyLadder::Speeds(state.StudyLadderPreset); !speeds.empty())
        return int(speeds.size());
    switch (state.LoopModeCount) {
    case 1:
    case 2:
    case 4:
        return state.LoopModeCount;
    default:
        return 0;
    }
}

bool StudyController::RangeIsPractised() const
{
    return line_ >= 0 && range_ && state.playRange == PlayRange::On && state.StartTime == range_->start
           && state.EndingTime == range_->end;
}

bool StudyController::SetRange(std::int32_t line)
{
    if (state.audioState == AudioState::Closed || state.LrcText.isEmpty())
        return false;
    // Lines are in track time; an MP3 started past 0 counts device time
    // with its adjustment, and a range start past 0 is such a start.
    const std::int32_t a = state.audioState >= AudioState::Mp3Playing ? state.LrcMp3TimeAdjustment : 0;
    const LrcRules::Table table = LrcRules::FirstTimedLine(state.LrcText);
    const auto range = LrcTiming::RangeFromLine(table, line, state.PlayTimeMiriSecond - a);
    if (!range)
        return false;
    const std::int32_t start = std::clamp(range->start + a, 0, state.PlayTimeMiriSecond);
    const std::int32_t end = std::clamp(range->end + a, start, state.PlayTimeMiriSecond);
    if (end <= start)
        return false;
    state.playRange = PlayRange::On;
    ui.rangePlayButton->setText(u"レ"_s);
    state.StartTime = start;
    state.EndingTime = end;
    ui.rangeStartLabel->setText(MusicTimes::StartLabel((state.StartTime - state.LrcMp3TimeAdjustment) / 1000.0));
    ui.rangeEndLabel->setText(MusicTimes::EndLabel(state.EndingTime / 1000.0));
    line_ = line;
    range_ = LrcTiming::Range{start, end};
    return true;
}

void StudyController::PlayRange()
{
    MusicController* music = peers.music;
    if (!music)
        return;
    if (Paused())
        music->MusicPause();   // resumes, then the range restarts below
    if (Playing()) {
        music->MusicRangePlay();
    } else {
        state.PositionTimeMiriSecond = 0;
        music->MusicPlay();
    }
}

void StudyController::PracticeLine(std::int32_t line)
{
    gap_->stop();
    nextLine_ = -1;
    if (!SetRange(line))
        return;
    passes_ = 0;
    if (Playing())
        StartPass(false);
    else {
        SetPassSpeed();
        PlayRange();
    }
}

void StudyController::EndPractice()
{
    gap_->stop();
    line_ = -1;
    range_.reset();
    passes_ = 0;
    RestoreSpeed();
}

bool StudyController::RangeEnded()
{
    if (!RangeIsPractised()) {
        EndPractice();
        return false;
    }
    if (gap_->isActive()) {
        // Whatever set the sound going in the gap, it stays silent.
        if (peers.music)
            peers.music->MusicRangeHold();
        return true;
    }
    ++passes_;
    std::int32_t next = -1;
    const int n = Repetitions();
    if (state.StudyLinePractice == Switch::On && n != 0 && passes_ >= n) {
        const LrcRules::Table table = LrcRules::FirstTimedLine(state.LrcText);
        const std::int32_t a = state.audioState >= AudioState::Mp3Playing ? state.LrcMp3TimeAdjustment : 0;
        // Lines of equal time are one place in the song: practised once.
        const auto following = LrcTiming::StepLine(table, line_, +1);
        if (!following || !LrcTiming::RangeFromLine(table, *following, state.PlayTimeMiriSecond - a)) {
            // The last line has been practised: the song ends here, and
            // the range is the whole song again, so the next Play practises
            // from the first line instead of looping the last.
            EndPractice();
            if (peers.music) {
                peers.music->MusicStop();
                peers.music->RangeStartClear();
                peers.music->RangeEndClear();
            }
            return true;
        }
        next = *following;
    }
    // The learner repeats the line aloud in a gap as long as the line took.
    const std::int64_t lineMs = std::int64_t(range_->end - range_->start) * 100 / std::max(1, state.StudySpeedPercent);
    const std::int64_t gapMs = lineMs * std::max(0, state.StudyPausePercent) / 100;
    if (gapMs > 0 && peers.music) {
        nextLine_ = next;
        peers.music->MusicRangeHold();
        gap_->start(int(std::min<std::int64_t>(gapMs, INT32_MAX)));
        return true;
    }
    if (next >= 0) {
        PracticeLine(next);
        return true;
    }
    if (StudyLadder::Speeds(state.StudyLadderPreset).empty() || !peers.music)
        return false;   // the player replays the range
    StartPass(false);
    return true;
}

void StudyController::GapEnded()
{
    const std::int32_t next = std::exchange(nextLine_, -1);
    if (!Playing())
        return;
    if (!RangeIsPractised()) {
        // The range was changed by hand meanwhile: the song plays on from
        // where it waited.
        EndPractice();
        if (peers.music)
            peers.music->MusicRangeRelease();
        return;
    }
    if (next >= 0) {
        PracticeLine(next);
    } else {
        StartPass(true);
    }
}

void StudyController::LeaveLine()
{
    const bool held = gap_->isActive();
    EndPractice();
    if (held && peers.music)
        peers.music->MusicRangeRelease();   // the song plays on from where it waited
}

void StudyController::RangeChangedByHand()
{
    if (line_ < 0 || RangeIsPractised())
        return;
    // The range is the learner's own now: the practice has ended, and the
    // menu says so.
    LeaveLine();
    if (state.StudyLinePractice == Switch::On) {
        state.StudyLinePractice = Switch::Off;
        UpdateCommands();
    }
}

void StudyController::PlayStarted()
{
    // Practice on: what plays is a practised line.
    if (state.StudyLinePractice != Switch::On || !Playing() || RangeIsPractised())
        return;
    EndPractice();
    SkipLine(0);
}

void StudyController::Halted()
{
    // A pause, stop or close ends the gap at once; a resume plays the line.
    gap_->stop();
    nextLine_ = -1;
}

void StudyController::SkipLine(int step)
{
    if (!HasTimedLines() || state.audioState == AudioState::Closed)
        return;
    const LrcRules::Table table = LrcRules::FirstTimedLine(state.LrcText);
    std::optional<std::int32_t> from;
    if (RangeIsPractised()) {
        from = line_;
    } else {
        const std::int32_t a = state.lrcAdjustment == Switch::On ? state.LrcMp3TimeAdjustment : 0;
        from = LrcTiming::LineAt(table, (ui.musicPositionSlider ? ui.musicPositionSlider->value() : 0) - a);
    }
    // Before the first line any step goes to the first line; at either end
    // of the lyrics the line stays.
    const auto to = from ? LrcTiming::StepLine(table, *from, step) : table.start;
    PracticeLine(to ? *to : *from);
}

void StudyController::menuLinePractice_Toggled(bool on)
{
    state.StudyLinePractice = on ? Switch::On : Switch::Off;
    if (on) {
        // A line looped by a click goes on as the first practised line; a
        // range changed since then is left, and practice starts where the
        // song is.
        if (line_ >= 0 && !RangeIsPractised())
            LeaveLine();
        if (line_ < 0 && (Playing() || Paused()))
            SkipLine(0);
        return;
    }
    if (line_ < 0)
        return;
    // Off: the song plays on from the line, over the whole track.
    const bool held = gap_->isActive();
    EndPractice();
    if (held && peers.music)
        peers.music->MusicRangePlay();
    if (peers.music) {
        peers.music->RangeStartClear();
        peers.music->RangeEndClear();
    }
}

// --- speed ------------------------------------------------------------------------------

void StudyController::ChangeSpeed(int percent)
{
    percent = std::clamp(percent, MinSpeed, MaxSpeed);
    if (percent == state.StudySpeedPercent)
        return;
    state.StudySpeedPercent = percent;
    if (peers.music) {
        peers.music->MusicSpeedApply();
        if (gap_->isActive())
            peers.music->MusicRangeHold();   // the gap stays silent
    }
    ShowSpeed();
}

// A speed set by hand ends what the ladder would restore.
void StudyController::SpeedUp() { speedBeforeLadder_.reset(); ChangeSpeed(state.StudySpeedPercent + SpeedStep); }
void StudyController::SpeedDown() { speedBeforeLadder_.reset(); ChangeSpeed(state.StudySpeedPercent - SpeedStep); }
void StudyController::SpeedNormal() { speedBeforeLadder_.reset(); ChangeSpeed(100); }

void StudyController::ShowSpeed()
{
    if (!ui.form)
        return;
    const int s = state.StudySpeedPercent;
    ui.form->setWindowTitle(s == 100 ? formTitle_
                                     : u"%1 (速さ %2.%3倍)"_s.arg(formTitle_).arg(s / 100).arg(s % 100, 2, 10, QLatin1Char('0')));
}

// --- lyric timing -----------------------------------------------------------------------

void StudyController::TrackStarting()
{
    EndPractice();
    // Another song: its lyrics start where its file puts them.
    state.StudyLyricShiftMs = 0;
    baseText_ = shownText_ = state.LrcText;
    ShowShift();
    if (peers.music)
        peers.music->MusicSpeedApply();
    UpdateCommands();
}

void StudyController::TakeNewLyrics()
{
    if (state.LrcText != shownText_) {
        state.StudyLyricShiftMs = 0;
        baseText_ = shownText_ = state.LrcText;
    }
}

void StudyController::ShowShift()
{
    if (peers.lrc)
        peers.lrc->setTitleNote(state.StudyLyricShiftMs == 0 ? QString() : LrcTiming::ShiftText(state.StudyLyricShiftMs));
    if (ui.menuSaveTiming)
        ui.menuSaveTiming->setEnabled(HasTimedLines() && state.StudyLyricShiftMs != 0);
}

void StudyController::ShiftBy(int deltaMs)
{
    if (!HasTimedLines())
        return;
    TakeNewLyrics();
    const std::int32_t shift = state.StudyLyricShiftMs + deltaMs;
    // No tag is moved before 0, where its time would be lost.
    if (deltaMs < 0) {
        const auto earliest = LrcTiming::EarliestTag(baseText_);
        if (earliest && *earliest + shift < 0)
            return;
    }
    state.StudyLyricShiftMs = shift;
    state.LrcText = shownText_ = LrcTiming::ShiftTimeTags(baseText_, shift);
    ShowShift();
    if (RangeIsPractised()) {
        // The practised line moves with its lyrics.
        const int passes = passes_;
        PracticeLine(line_);
        passes_ = passes;
    } else if (peers.music) {
        peers.music->MusicLyricsMoved();
    }
}

void StudyController::LyricsEarlier() { ShiftBy(-ShiftStep); }
void StudyController::LyricsLater() { ShiftBy(ShiftStep); }

void StudyController::SaveTiming()
{
    TakeNewLyrics();
    const std::int32_t shift = state.StudyLyricShiftMs;
    const QString path = peers.lrc ? peers.lrc->lrcPath() : QString();
    if (shift == 0 || path.isEmpty() || !HasTimedLines())
        return;
    // The same file open in the editor: its edits are not written behind
    // its back, and an unedited copy is read again after the write.
    DocumentController* editor = peers.documents;
    const bool inEditor = editor && editor->HoldsLrcFile(path);
    if (inEditor && State::HasUnsavedChanges(state.lrcDocumentState)) {
        prompter.MessageInfoBox(u"「%1」は同期テキスト表示で編集中です。先に保存してから行ってください。"_s
                                    .arg(QFileInfo(path).fileName()));
        return;
    }
    if (!prompter.YesNo(u"「%1」の歌詞のタイミングを%2移して上書き保存しますか？"_s
                            .arg(QFileInfo(path).fileName(), LrcTiming::ShiftText(shift))))
        return;
    // The file as it is now: only its tags change, every other byte stays,
    // whether it forms a character or not.
    const DocumentFile::ReadResult read = DocumentFile::ReadWhole(path);
    if (!read.ok) {
        prompter.MessageInfoBox(read.error);
        return;
    }
    const LrcRules::Decoded decoded = LrcRules::DecodeFile(read.bytes, codec_);
    // A file emptied or changed past reading since the song started is
    // not written over with nothing.
    if (!LrcRules::FirstTimedLine(decoded.text).start) {
        prompter.MessageInfoBox(u"「%1」に時間タグのある行が見つからないため、保存できません。"_s
                                    .arg(QFileInfo(path).fileName()));
        return;
    }
    if (const auto earliest = LrcTiming::EarliestTag(decoded.text); earliest && *earliest + shift < 0) {
        prompter.MessageInfoBox(u"「%1」には%2移すと0秒より前になる時間タグがあるため、保存できません。"_s
                                    .arg(QFileInfo(path).fileName(), LrcTiming::ShiftText(shift)));
        return;
    }
    const QByteArray bytes = LrcTiming::ShiftTimeTagBytes(read.bytes, decoded.markBytes, decoded.encoding, shift);
    if (const QString failure = DocumentFile::WriteWhole(path, bytes, state.murmelinFolder);
        !failure.isEmpty()) {
        prompter.MessageInfoBox(failure);
        return;
    }
    if (inEditor)
        editor->ReloadLrcFile();
    // The file now holds what is shown: nothing is left to save.
    state.StudyLyricShiftMs = 0;
    baseText_ = shownText_ = state.LrcText;
    ShowShift();
}
