#pragma once

// The player on a fake device with the real synchronized-text window and
// the study tools hooked in as the main window hooks them.

#include "lrc/LrcController.h"
#include "lrc/LrcDisplay.h"
#include "music/PlayerRig.h"
#include "study/StudyController.h"

#include <QAction>

struct StudyRig : PlayerRig
{
    QTimer* lineTimer = new QTimer(&form);
    std::unique_ptr<LrcController> lyrics;
    std::unique_ptr<StudyController> study;

    explicit StudyRig(const QString& lrcText, std::int64_t length = 6000)
    {
        device.length = length;
        ui.lineTimer = lineTimer;
        lineTimer->setTimerType(Qt::PreciseTimer);
        for (QAction** a : {&ui.menuLinePractice, &ui.menuLyricsEarlier, &ui.menuLyricsLater, &ui.menuSaveTiming})
            *a = new QAction(&form);
        ui.menuLinePractice->setCheckable(true);
        lyrics = std::make_unique<LrcController>(context);
        peers.lrc = lyrics.get();
        lyrics->setPositionSource([this](std::int64_t& ms) { return device.Position(ms) == 0; });
        QObject::connect(lineTimer, &QTimer::timeout, &form, [this] { lyrics->LrcTextDisplay(); });
        QObject::connect(ui.timer1, &QTimer::timeout, &form, [this] { music->timer1_Tick(); });
        study = std::make_unique<StudyController>(context);
        music->onTrackStart = [this] { study->TrackStarting(); };
        music->onRangeEnd = [this] { return study->RangeEnded(); };
        music->onHalt = [this] { study->Halted(); };
        lyrics->onLineClicked = [this](std::int32_t line) { study->PracticeLine(line); };
        state.LrcText = lrcText;
        state.LoopModeCount = 1;
    }

    void Start() { music->MusicStart(QStringLiteral("/m/a.wav"), QString()); }

    // Seeks with the slider, as the user does.
    void SeekTo(int ms)
    {
        ui.trackBar3->setValue(ms);
        music->trackBarMovementEnd();
    }

    int SeeksTo(int ms) const { return int(device.Commands().count(QStringLiteral("Seek(%1)").arg(ms))); }
};
