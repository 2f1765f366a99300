#pragma once

#include "core/Controller.h"
#include "lrc/LrcRules.h"

#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>

class Clock;
#include "lrc/LrcDisplay.h"

// The synchronized-text window and its line timer: the player synchronises
// it at every start, seek and resume, and each tick of the line timer moves
// the four lines up by one.
class LrcController : public Controller
{
public:
    explicit LrcController(const Context& context);
    ~LrcController() override;

    // The device position in ms for a resume; answers the device's error
    // code, 0 for success. The player gives it.
    using PositionSource = std::function<int(std::int64_t& ms)>;
    void setPositionSource(PositionSource source) { position_ = std::move(source); }
    // Called with the code when the position cannot be read on a resume.
    std::function<void(int code)> onPositionError;
    // The clock the line timer measures with; tests give a fake one.
    void setClock(const Clock* clock);

    virtual void LrcTextTempLabel(const QString& path);
    virtual void TrackBarLrcTextTimerIni();
    virtual void LrcTextDisplay();
    virtual void LrcTextDisplayRestart();
    virtual void LrcTextClear();
    virtual void LrcTimerOnStart(std::uint32_t delay);
    virtual void LrcTimerOnStop();
    virtual void timer2_Tick();

    // The player's opening and closing of the window.
    virtual void LrcDisplayShow();
    virtual void LrcDisplayClose();
    LrcDisplay* dlgLrcDisplay() const { return display_.data(); }

private:
    void SetLabels(const QString& l1, const QString& l2, const QString& l3, const QString& l4);
    QString Label(int i) const;
    QString TextOrBlank(std::int32_t i) const;
    std::int32_t TimeOfDay() const;
    void ArmWithAdjustment(std::int32_t delay);
    void Speak(const QString& text);

    const Clock* clock_;
    PositionSource position_;
    LrcRules::Table table_;
    // Whether a line is still ahead for the line timer to aim at.
    bool aimed_ = false;
    QPointer<LrcDisplay> display_;
};
