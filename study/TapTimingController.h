#pragma once

#include "core/Controller.h"
#include "lrc/TapTiming.h"

#include <QPointer>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

#include "study/TapTimingDialog.h"

// Timing by tapping: the lyric text of the synchronized-text editor gets a
// time on each line as the song playing reaches it, and is saved as the
// song's .lrc, which the lyric window then shows.
class TapTimingController : public Controller
{
public:
    explicit TapTimingController(const Context& context);
    ~TapTimingController() override;

    // "タイミング作成": opens the window over the editor's text.
    virtual void Open();
    virtual void Stamp();
    virtual void Undo();
    virtual void Nudge(int row, int deltaMs);
    virtual void Save();
    void SetCompensation(int ms);

    TapTimingDialog* dialog() const { return dialog_.data(); }
    const TapTiming::Session* session() const { return session_.get(); }

private:
    void Show(int selected);

    QPointer<TapTimingDialog> dialog_;
    std::unique_ptr<TapTiming::Session> session_;
    std::vector<TapTiming::SourceLine> source_;
    QStringList lyricLines_;
    QString songLrcPath_;
};
