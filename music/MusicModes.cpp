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
    QTreeWidgetItem* entry = ui.listView3->topLevelItem(state.ListIndexMusic);
    if (!entry)
        return;
    // The list's selection handler starts the entry when it is checked. It
    // becomes the one selected row: a row the user clicked meanwhile (an
    // unticked one plays nothing) must not stay selected beside it, or the
    // handler would read that one.
    ui.listView3->setCurrentItem(entry, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ui.listView3->scrollToItem(entry);
}

void MusicController::ClearMusicEntrySelection()
{
    // The list may have been filled anew since the index was set.
    if (QTreeWidgetItem* entry = ui.listView3->topLevelItem(state.ListIndexMusic))
        entry->setSelected(false);
}

void MusicController::MusicLoopControl()
{
    const bool partOfTrack = state.StartTime != 0 || state.EndingTime != state.PlayTimeMiriSecond;
    if (state.RangeEn == 1 && partOfTrack) {
        if (onRangeEnd && onRangeEnd())
            return;
        MusicRangePlay();
        return;
    }
    switch (state.MusicPlayMode) {
    case 1:
        MusicPlay();
        break;
    case 2:
        ClearMusicEntrySelection();
        state.ListIndexMusic += 1;
        if (state.ListIndexMusic >= state.MusicListCount) {
            state.ListIndexMusic = state.MusicListCount - 1;
            ui.timer1->stop();
            MusicStop();
        } else {
            SelectMusicEntry();
        }
        break;
    case 3:
        ClearMusicEntrySelection();
        state.ListIndexMusic += 1;
        if (state.ListIndexMusic >= state.MusicListCount)
            state.ListIndexMusic = 0;
        SelectMusicEntry();
        break;
    case 4: {
        ClearMusicEntrySelection();
        for (int skip = ClockMillisecond() / 10; skip > 0; --skip)
            rand_.Next();
        const std::int32_t r = rand_.Next();
        state.ListIndexMusic = std::int32_t(std::int64_t(r) * state.MusicListCount / 32768);
        SelectMusicEntry();
        break;
    }
    default:
        ui.timer1->stop();
        MusicStop();
        break;
    }
}

void MusicController::MoveToCheckedEntry(int step)
{
    if (state.MusicListCount < 1)
        return;
    if (Paused())
        SystemColors::SetBackColor(ui.button22, SystemColors::ControlLight());
    ClearMusicEntrySelection();
    for (int i = 0; i < state.MusicListCount; ++i) {
        state.ListIndexMusic += step;
        if (state.ListIndexMusic >= state.MusicListCount)
            state.ListIndexMusic = 0;
        else if (state.ListIndexMusic < 0)
            state.ListIndexMusic = state.MusicListCount - 1;
        QTreeWidgetItem* entry = ui.listView3->topLevelItem(state.ListIndexMusic);
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
    state.MusicPlayMode = state.MusicPlayMode == mode ? 0 : mode;
    ShowPlayMode();
}

void MusicController::button26_Click() { ToggleMode(1); }
void MusicController::button27_Click() { ToggleMode(2); }
void MusicController::button28_Click() { ToggleMode(3); }
void MusicController::button29_Click() { ToggleMode(4); }

void MusicController::button30_Click()
{
    if (state.RangeEn == 0) {
        state.RangeEn = 1;
        ui.button30->setText(u"レ"_s);
    } else {
        state.RangeEn = 0;
        ui.button30->setText(QString());
    }
    ArmRangeEnd();
}

void MusicController::button15_Click()
{
    std::int32_t v = ui.trackBar3->value();
    if (state.LrcMp3TrakBar0StartFlag == 0)
        v += state.LrcMp3TimeAdjustment;
    if (v < state.EndingTime) {
        state.StartTime = v;
        ui.label7->setText(MusicTimes::StartLabel((state.StartTime - state.LrcMp3TimeAdjustment) / 1000.0));
        ArmRangeEnd();
    } else {
        prompter.MessageInfoBox(u"エンディング時間よりスタート時間を早くしてください。"_s);
    }
}

void MusicController::button14_Click()
{
    const std::int32_t v = ui.trackBar3->value();
    if (state.StartTime < v) {
        state.EndingTime = v;
        ui.label9->setText(MusicTimes::EndLabel(state.EndingTime / 1000.0));
        ArmRangeEnd();
    } else {
        prompter.MessageInfoBox(u"スタート時間よりエンディング時間を遅くしてください。"_s);
    }
}

void MusicController::button16_Click()
{
    ui.label7->setText(MusicTimes::StartLabel(0));
    state.StartTime = 0;
    ArmRangeEnd();
}

void MusicController::button17_Click()
{
    ui.label9->setText(MusicTimes::EndLabel(state.Second));
    state.EndingTime = state.PlayTimeMiriSecond;
    ArmRangeEnd();
}

void MusicController::HighlightModeButton(QPushButton* active)
{
    for (QPushButton* b : {ui.button26, ui.button27, ui.button28, ui.button29})
        SystemColors::SetBackColor(b, b == active ? SystemColors::ActiveCaption() : SystemColors::ControlLight());
}

void MusicController::MusicPlayModeButtonColor() { HighlightModeButton(nullptr); }
void MusicController::MusicPlayModeButton26ActiveColor() { HighlightModeButton(ui.button26); }
void MusicController::MusicPlayModeButton27ActiveColor() { HighlightModeButton(ui.button27); }
void MusicController::MusicPlayModeButton28ActiveColor() { HighlightModeButton(ui.button28); }
void MusicController::MusicPlayModeButton29ActiveColor() { HighlightModeButton(ui.button29); }

void MusicController::ShowPlayMode()
{
    switch (state.MusicPlayMode) {
    case 1: MusicPlayModeButton26ActiveColor(); break;
    case 2: MusicPlayModeButton27ActiveColor(); break;
    case 3: MusicPlayModeButton28ActiveColor(); break;
    case 4: MusicPlayModeButton29ActiveColor(); break;
    default: MusicPlayModeButtonColor(); break;
    }
}
