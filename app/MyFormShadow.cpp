// The study menu's reading aids: the silence after each read line and the
// mark on the word being heard.

#include "app/MyForm.h"

#include "speech/SpeechController.h"
#include "speech/SpeechReader.h"

#include <QAction>

#include <array>
#include <utility>

namespace {
// Each item of "練習の間" and the share of a line's length it waits.
std::array<std::pair<QAction*, int>, 4> PauseItems(const Controls& ui)
{
    return {{{ui.menuPauseNone, 0}, {ui.menuPauseHalf, 50}, {ui.menuPauseOne, 100}, {ui.menuPauseOneHalf, 150}}};
}
} // namespace

void MyForm::WireShadowing()
{
    for (const auto& [action, percent] : PauseItems(ui_)) {
        connect(action, &QAction::triggered, this, [this, percent = percent] {
            state_.StudyPausePercent = percent;
        });
    }
    connect(ui_.menuFollowWord, &QAction::toggled, this, [this](bool on) {
        state_.StudyFollowWord = on ? Switch::On : Switch::Off;
        speech_->Reader().FollowWordChanged();
    });
}

void MyForm::ShowShadowingSettings()
{
    for (const auto& [action, percent] : PauseItems(ui_))
        action->setChecked(state_.StudyPausePercent == percent);
    ui_.menuFollowWord->setChecked(state_.StudyFollowWord == Switch::On);
}
