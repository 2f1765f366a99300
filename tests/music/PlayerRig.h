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
        for (QPushButton** b : {&ui.button11, &ui.button14, &ui.button15, &ui.button16, &ui.button17, &ui.button22,
                                &ui.button26, &ui.button27, &ui.button28, &ui.button29, &ui.button30})
            *b = new QPushButton(&form);
        ui.button30->setText(QStringLiteral("レ"));
        for (QLabel** l : {&ui.label6, &ui.label7, &ui.label9, &ui.label13})
            *l = new QLabel(&form);
        ui.trackBar3 = new QSlider(Qt::Horizontal, &form);
        ui.trackBar3->setEnabled(false);
        ui.trackBar4 = new QSlider(Qt::Vertical, &form);
        ui.trackBar4->setRange(0, 100);
        ui.timer1 = new QTimer(&form);
        ui.timer1->setInterval(200);
        ui.timer2 = new QTimer(&form);
        ui.timer2->setInterval(400);
        ui.timer2->setSingleShot(true);
        ui.listView3 = new QTreeWidget(&form);
        lrc = std::make_unique<LrcLog>(context);
        peers.lrc = lrc.get();
        music = std::make_unique<TestPlayer>(context, device, mixer, rand);
        peers.music = music.get();
    }

    // A music list of count entries, those in checked ticked.
    void FillList(int count, const QList<int>& checked)
    {
        ui.listView3->clear();
        for (int i = 0; i < count; ++i) {
            auto* item = new QTreeWidgetItem(ui.listView3, {QStringLiteral("song%1.mp3").arg(i)});
            item->setCheckState(0, checked.contains(i) ? Qt::Checked : Qt::Unchecked);
        }
        state.MusicListCount = count;
    }

    int SelectedRow() const
    {
        const auto items = ui.listView3->selectedItems();
        return items.size() == 1 ? ui.listView3->indexOfTopLevelItem(items.first()) : -1 - int(items.size());
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
        ui.trackBar3->setValue(end);
        music->button14_Click();
        ui.trackBar3->setValue(start);
        music->button15_Click();
    }
};
