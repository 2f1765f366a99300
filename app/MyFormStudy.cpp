#include "app/MyForm.h"

#include "lrc/LrcController.h"
#include "music/MusicController.h"
#include "study/AudioExportController.h"
#include "study/StudyController.h"
#include "study/StudyLadder.h"
#include "study/TapTimingController.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <utility>

using namespace Qt::StringLiterals;

// The study menu's commands, and the player's and the lyric window's hooks
// that line practice and the lyric timing hang on.
void MyForm::SetUpStudy()
{
    study_ = std::make_unique<StudyController>(context_);
    tapTiming_ = std::make_unique<TapTimingController>(context_);

    // Skipping lines is practice's own pair of keys, in the study menu.
    if (auto* menu = ui_.menuBar->findChild<QMenu*>(u"menuStudy"_s)) {
        // Right after the practice toggle.
        const QList<QAction*> items = menu->actions();
        const qsizetype at = items.indexOf(ui_.menuLinePractice) + 1;
        QAction* before = at > 0 && at < items.size() ? items.at(at) : nullptr;
        skipBack_ = new QAction(u"前の行を練習"_s, this);
        skipBack_->setObjectName(u"menuPracticeBack"_s);
        skipBack_->setShortcut(QKeySequence(u"Alt+Up"_s));
        skipOn_ = new QAction(u"次の行を練習"_s, this);
        skipOn_->setObjectName(u"menuPracticeOn"_s);
        skipOn_->setShortcut(QKeySequence(u"Alt+Down"_s));
        menu->insertActions(before, {skipBack_, skipOn_});
        connect(menu, &QMenu::aboutToShow, this, [this] { study_->UpdateCommands(); });

        // The passes per line are the repetition button's count; the button
        // stands in the reading column, which the picture view hides, so the
        // menu offers the count in every view.
        auto* counts = new QMenu(u"練習の回数"_s, menu);
        counts->setObjectName(u"menuPracticeCount"_s);
        auto* group = new QActionGroup(counts);
        const std::pair<const char16_t*, int> countItems[] = {{u"1回", 1}, {u"2回", 2}, {u"4回", 4}, {u"無限に繰り返す", 1000}};
        for (const auto& [text, count] : countItems) {
            QAction* a = counts->addAction(QString::fromUtf16(text));
            a->setObjectName(u"menuPracticeCount%1"_s.arg(count));
            a->setCheckable(true);
            a->setData(count);
            group->addAction(a);
            practiceCounts_ << a;
            connect(a, &QAction::triggered, this, [this, count = count] { study_->SetRepetitions(count); });
        }
        // A ladder plays each pass at its own speed; its passes are the count.
        counts->addSeparator();
        for (std::int32_t preset = 1; preset <= StudyLadder::kLastPreset; ++preset) {
            QAction* a = counts->addAction(u"%1 (%2回)"_s.arg(StudyLadder::Name(preset))
                                               .arg(StudyLadder::Speeds(preset).size()));
            a->setObjectName(u"menuPracticeLadder%1"_s.arg(preset));
            a->setCheckable(true);
            a->setData(-preset);
            group->addAction(a);
            practiceCounts_ << a;
            connect(a, &QAction::triggered, this, [this, preset] { study_->SetLadder(preset); });
        }
        menu->insertMenu(before, counts);

        // Timing by tapping, after the other lyric timing commands.
        tapTimingAction_ = new QAction(u"タイミング作成..."_s, this);
        tapTimingAction_->setObjectName(u"menuTapTiming"_s);
        tapTimingAction_->setShortcut(QKeySequence(u"Ctrl+T"_s));
        const QList<QAction*> now = menu->actions();
        const qsizetype after = now.indexOf(ui_.menuSaveTiming) + 1;
        menu->insertAction(after > 0 && after < now.size() ? now.at(after) : nullptr, tapTimingAction_);
        connect(tapTimingAction_, &QAction::triggered, this, [this] { tapTiming_->Open(); });
        connect(counts, &QMenu::aboutToShow, this, [this] { study_->UpdateCommands(); });

        // The text read aloud into a sound file with its lyrics, last.
        menu->addSeparator();
        auto* exportAction = menu->addAction(u"音声ファイルに書き出す..."_s);
        exportAction->setObjectName(u"menuExportAudio"_s);
        exportAction->setShortcut(QKeySequence(u"Ctrl+E"_s));
        // The command keeps its controller; both go with the window.
        auto exporter = std::make_shared<AudioExportController>(context_);
        connect(exportAction, &QAction::triggered, this, [exporter] { exporter->Open(); });
    }

    auto on = [this](QAction* action, auto fn) {
        if (action)
            connect(action, &QAction::triggered, this, fn);
    };
    on(ui_.menuLinePractice, [this](bool checked) { study_->menuLinePractice_Toggled(checked); });
    on(skipBack_, [this] { study_->SkipLine(-1); });
    on(skipOn_, [this] { study_->SkipLine(+1); });
    on(ui_.menuSpeedUp, [this] { study_->SpeedUp(); });
    on(ui_.menuSpeedDown, [this] { study_->SpeedDown(); });
    on(ui_.menuSpeedNormal, [this] { study_->SpeedNormal(); });
    on(ui_.menuLyricsEarlier, [this] { study_->LyricsEarlier(); });
    on(ui_.menuLyricsLater, [this] { study_->LyricsLater(); });
    on(ui_.menuSaveTiming, [this] { study_->SaveTiming(); });
    study_->setSkipActions(skipBack_, skipOn_);
    study_->setCountActions(practiceCounts_);
    // After the player has taken each range button's click.
    for (QPushButton* b : {ui_.rangeEndSetButton, ui_.rangeStartSetButton, ui_.rangeStartClearButton, ui_.rangeEndClearButton, ui_.rangePlayButton})
        connect(b, &QPushButton::clicked, this, [this] { study_->RangeChangedByHand(); });
    HookStudy();
}

void MyForm::HookStudy()
{
    if (!study_)
        return;
    if (music_) {
        // The window's parts go in reverse order: the player may outlive the study tools.
        music_->onTrackStart = [this] {
            if (study_)
                study_->TrackStarting();
        };
        music_->onRangeEnd = [this] { return study_ && study_->RangeEnded(); };
        music_->onHalt = [this] {
            if (study_)
                study_->Halted();
        };
        music_->onPlayStarted = [this] {
            if (study_)
                study_->PlayStarted();
        };
    }
    if (lrc_) {
        lrc_->onLineClicked = [this](std::int32_t line) {
            if (study_)
                study_->PracticeLine(line);
        };
        // A click on a line makes the lyric window the active one: the
        // study keys work there too.
        lrc_->onDisplayOpened = [this](QWidget* window) {
            for (QAction* a : {ui_.menuLinePractice, skipBack_, skipOn_, ui_.menuSpeedUp, ui_.menuSpeedDown,
                               ui_.menuSpeedNormal, ui_.menuLyricsEarlier, ui_.menuLyricsLater, ui_.menuSaveTiming}) {
                if (a)
                    window->addAction(a);
            }
        };
    }
}

void MyForm::UpdateStudyCommands()
{
    study_->UpdateCommands();
}
