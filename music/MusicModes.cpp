#include "music/MusicController.h"

#include "music/MusicTimes.h"
#include "platform/SystemColors.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTime>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

int MusicController::ClockMillisecond() const
{
    return QTime::currentTime().msec();
}

void MusicController::SelectMusicEntry()
{
    QTreeWidgetItem* entry = ui.musicList->topLevelItem(state.ListIndexMusic);
    if (!entry)
        return;
    // The list's selection handler starts the entry when it is checked. It
    // becomes the one selected row: a row the user clicked meanwhile (an
    // unticked one plays nothing) must not stay selected beside it, or the
    // handler would read that one.
    ui.musicList->setCurrentItem(entry, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ui.musicList->scrollToItem(entry);
}

void MusicController::ClearMusicEntrySelection()
{
    // The list may have been filled anew since the index was set.
    if (QTreeWidgetItem* entry = ui.musicList->topLevelItem(state.ListIndexMusic))
        entry->setSelected(false);
}

void MusicController::MusicLoopControl()
{
    const bool partOfTrack = state.StartTime != 0 || state.EndingTime != state.PlayTimeMiriSecond;
    if (state.playRange == PlayRange::On && partOfTrack) {
        if (onRangeEnd && onRangeEnd())
            return;
        MusicRangePlay();
        return;
    }
    switch (state.playMode) {
    case PlayMode::RepeatOne:
        MusicPlay();
        break;
    case PlayMode::InOrder:
        ClearMusicEntrySelection();
        state.ListIndexMusic += 1;
        if (state.ListIndexMusic >= state.MusicListCount) {
            state.ListIndexMusic = state.MusicListCount - 1;
            ui.musicPollTimer->stop();
            MusicStop();
        } else {
            SelectMusicEntry();
        }
        break;
    case PlayMode::InOrderLoop:
        ClearMusicEntrySelection();
        state.ListIndexMusic += 1;
        if (state.ListIndexMusic >= state.MusicListCount)
            state.ListIndexMusic = 0;
        SelectMusicEntry();
        break;
    case PlayMode::Random: {
        ClearMusicEntrySelection();
        for (int skip = ClockMillisecond() / 10; skip > 0; --skip)
            rand_.Next();
        const std::int32_t r = rand_.Next();
        state.ListIndexMusic = std::int32_t(std::int64_t(r) * state.MusicListCount / 32768);
        SelectMusicEntry();
        break;
    }
    default:
        ui.musicPollTimer->stop();
        MusicStop();
        break;
    }
}

void MusicController::MoveToCheckedEntry(int step)
{
    if (state.MusicListCount < 1)
        return;
    if (Paused())
        SystemColors::SetBackColor(ui.musicPauseButton, SystemColors::ControlLight());
    ClearMusicEntrySelection();
    for (int i = 0; i < state.MusicListCount; ++i) {
        state.ListIndexMusic += step;
        if (state.ListIndexMusic >= state.MusicListCount)
            state.ListIndexMusic = 0;
        else if (state.ListIndexMusic < 0)
            state.ListIndexMusic = state.MusicListCount - 1;
        QTreeWidgetItem* entry = ui.musicList->topLevelItem(state.ListIndexMusic);
        if (entry && entry->checkState(0) == Qt::Checked) {
            SelectMusicEntry();
            return;
        }
    }
}

void MusicController::NextMusicPlay()
{
    MoveToCheckedEntry(+1);
}

void MusicController::BackMusicPlay()
{
    MoveToCheckedEntry(-1);
}

void MusicController::ToggleMode(int mode)
{
    // Pressing the active mode again turns the modes off.
    state.playMode = state.playMode == mode ? PlayMode::None : mode;
    ShowPlayMode();
}

void MusicController::RepeatOneModeChosen() { ToggleMode(1); }
void MusicController::InOrderModeChosen() { ToggleMode(2); }
void MusicController::InOrderLoopModeChosen() { ToggleMode(3); }
void MusicController::RandomModeChosen() { ToggleMode(4); }

void MusicController::RangePlayToggled()
{
    if (state.playRange == PlayRange::Off) {
        state.playRange = PlayRange::On;
        ui.rangePlayButton->setText(u"レ"_s);
    } else {
        state.playRange = PlayRange::Off;
        ui.rangePlayButton->setText(QString());
    }
    ArmRangeEnd();
}

void MusicController::RangeStartSet()
{
    std::int32_t v = ui.musicPositionSlider->value();
    if (state.lrcAdjustment == Switch::Off)
        v += state.LrcMp3TimeAdjustment;
    if (v < state.EndingTime) {
        state.StartTime = v;
        ui.rangeStartLabel->setText(MusicTimes::StartLabel((state.StartTime - state.LrcMp3TimeAdjustment) / 1000.0));
        ArmRangeEnd();
    } else {
        prompter.MessageInfoBox(u"エンディング時間よりスタート時間を早くしてください。"_s);
    }
}

void MusicController::RangeEndSet()
{
    const std::int32_t v = ui.musicPositionSlider->value();
    if (state.StartTime < v) {
        state.EndingTime = v;
        ui.rangeEndLabel->setText(MusicTimes::EndLabel(state.EndingTime / 1000.0));
        ArmRangeEnd();
    } else {
        prompter.MessageInfoBox(u"スタート時間よりエンディング時間を遅くしてください。"_s);
    }
}

void MusicController::RangeStartClear()
{
    ui.rangeStartLabel->setText(MusicTimes::StartLabel(0));
    state.StartTime = 0;
    ArmRangeEnd();
}

void MusicController::RangeEndClear()
{
    ui.rangeEndLabel->setText(MusicTimes::EndLabel(state.Second));
    state.EndingTime = state.PlayTimeMiriSecond;
    ArmRangeEnd();
}

void MusicController::HighlightModeButton(QPushButton* active)
{
    for (QPushButton* b : {ui.repeatOneButton, ui.inOrderButton, ui.inOrderLoopButton, ui.randomPlayButton})
        SystemColors::SetBackColor(b, b == active ? SystemColors::ActiveCaption() : SystemColors::ControlLight());
}

void MusicController::MusicPlayModeButtonColor() { HighlightModeButton(nullptr); }
void MusicController::RepeatOneButtonActiveColor() { HighlightModeButton(ui.repeatOneButton); }
void MusicController::InOrderButtonActiveColor() { HighlightModeButton(ui.inOrderButton); }
void MusicController::InOrderLoopButtonActiveColor() { HighlightModeButton(ui.inOrderLoopButton); }
void MusicController::RandomPlayButtonActiveColor() { HighlightModeButton(ui.randomPlayButton); }

void MusicController::ShowPlayMode()
{
    switch (state.playMode) {
    case PlayMode::RepeatOne: RepeatOneButtonActiveColor(); break;
    case PlayMode::InOrder: InOrderButtonActiveColor(); break;
    case PlayMode::InOrderLoop: InOrderLoopButtonActiveColor(); break;
    case PlayMode::Random: RandomPlayButtonActiveColor(); break;
    default: MusicPlayModeButtonColor(); break;
    }
}
