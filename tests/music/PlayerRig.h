#pragma once

// The player's controls without the rest of the window, a fake device and
// mixer, and a synchronized-text controller that logs what the player asks.

#include "core/Context.h"
#include "lrc/LrcController.h"
#include "music/MusicController.h"
#include "support/FakeAudioDevice.h"
#include "support/FakeMixer.h"
#include "support/ScriptedPrompter.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>

#include <memory>

class LrcLog : public LrcController
{
public:
    using LrcController::LrcController;
    QStringList calls;
    void TrackBarLrcTextTimerIni() override { calls << QStringLiteral("Ini"); }
    void LrcTextDisplayRestart(std::int64_t p) override { calls << QStringLiteral("Restart(%1)").arg(p); }
    void LrcTextClear() override { calls << QStringLiteral("Clear"); }
    void LrcTimerOnStop() override { calls << QStringLiteral("TimerStop"); }
    void LrcDisplayOpen() override { calls << QStringLiteral("Open"); }
    void LrcDisplayClose() override { calls << QStringLiteral("Close"); }
};

// A player whose MP3 duration and clock a test chooses.
class TestPlayer : public MusicController
{
public:
    using MusicController::MusicController;
    std::int64_t duration = 245000;
    int millisecond = 0;
    std::int64_t TimeOfProperty(const QString& path) override
    {
        return path.contains(QStringLiteral(".mp3")) ? duration : 0;
    }

protected:
    int ClockMillisecond() const override { return millisecond; }
};

struct PlayerRig
{
    State state;
    ScriptedPrompter prompter;
    Controls ui;
    Peers peers;
    Context context{state, prompter, ui, peers};
    QWidget form;
    FakeAudioDevice device;
    FakeMixer mixer;
    CRand rand{1};
    std::unique_ptr<LrcLog> lrc;
    std::unique_ptr<TestPlayer> music;

    PlayerRig()
    {
        ui.form = &form;
        for (QPushButton** b : {&ui.masterVolumeButton, &ui.rangeEndSetButton, &ui.rangeStartSetButton, &ui.rangeStartClearButton, &ui.rangeEndClearButton, &ui.musicPauseButton,
                                &ui.repeatOneButton, &ui.inOrderButton, &ui.inOrderLoopButton, &ui.randomPlayButton, &ui.rangePlayButton})
            *b = new QPushButton(&form);
        ui.rangePlayButton->setText(QStringLiteral("レ"));
        for (QLabel** l : {&ui.masterVolumeLabel, &ui.rangeStartLabel, &ui.rangeEndLabel, &ui.elapsedTimeLabel})
            *l = new QLabel(&form);
        ui.musicPositionSlider = new QSlider(Qt::Horizontal, &form);
        ui.musicPositionSlider->setEnabled(false);
        ui.masterVolumeSlider = new QSlider(Qt::Vertical, &form);
        ui.masterVolumeSlider->setRange(0, 100);
        ui.musicPollTimer = new QTimer(&form);
        ui.musicPollTimer->setInterval(200);
        ui.lrcCloseTimer = new QTimer(&form);
        ui.lrcCloseTimer->setInterval(400);
        ui.lrcCloseTimer->setSingleShot(true);
        ui.musicList = new QTreeWidget(&form);
        lrc = std::make_unique<LrcLog>(context);
        peers.lrc = lrc.get();
        music = std::make_unique<TestPlayer>(context, device, mixer, rand);
        peers.music = music.get();
    }

    // A music list of count entries, those in checked ticked.
    void FillList(int count, const QList<int>& checked)
    {
        ui.musicList->clear();
        for (int i = 0; i < count; ++i) {
            auto* item = new QTreeWidgetItem(ui.musicList, {QStringLiteral("song%1.mp3").arg(i)});
            item->setCheckState(0, checked.contains(i) ? Qt::Checked : Qt::Unchecked);
        }
        state.MusicListCount = count;
    }

    int SelectedRow() const
    {
        const auto items = ui.musicList->selectedItems();
        return items.size() == 1 ? ui.musicList->indexOfTopLevelItem(items.first()) : -1 - int(items.size());
    }

    // Brings the player to one of its states: "closed", "playing", "paused", "stopped".
    void Reach(const QString& where, bool mp3 = false)
    {
        if (where == QStringLiteral("closed"))
            return;
        music->MusicStart(mp3 ? QStringLiteral("/m/a.mp3") : QStringLiteral("/m/a.wav"), QString());
        if (where == QStringLiteral("paused"))
            music->MusicPause();
        else if (where == QStringLiteral("stopped"))
            music->MusicStop();
    }

    // Sets a range with the slider and the two range buttons.
    void SetRange(int start, int end)
    {
        ui.musicPositionSlider->setValue(end);
        music->RangeEndSet();
        ui.musicPositionSlider->setValue(start);
        music->RangeStartSet();
    }
};
