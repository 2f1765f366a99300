#include "lrc/LrcController.h"

#include "documents/DocumentFile.h"
#include "lrc/LrcDisplay.h"
#include "platform/Clock.h"
#include "platform/FileErrors.h"
#include "platform/TextCodec.h"
#include "speech/SpeechController.h"

#include <QHash>
#include <QLabel>
#include <QTimer>

#include <climits>

using namespace Qt::StringLiterals;

namespace {

const MonotonicClock& SystemClock()
{
    static const MonotonicClock clock;
    return clock;
}

// A tick this close to its line shows it; the timer's own grain.
constexpr std::int32_t kEarlyMs = 1;

// Differences of clock readings wrap like the 32-bit counters they are.
std::int32_t Sub(std::int32_t a, std::int32_t b)
{
    return std::int32_t(std::uint32_t(a) - std::uint32_t(b));
}

} // namespace

LrcController::LrcController(const Context& context)
    : Controller(context), clock_(&SystemClock())
{
}

LrcController::~LrcController()
{
    delete display_.data();
}

void LrcController::setClock(const Clock* clock)
{
    clock_ = clock ? clock : &SystemClock();
}

std::int32_t LrcController::TimeOfDay() const
{
    return clock_->TimeOfDay();
}

// --- reading --------------------------------------------------------------------------

void LrcController::LrcTextTempLabel(const QString& path)
{
    lrcPath_ = LrcRules::CompanionPath(path);
    // Regular files only, read without blocking: a FIFO or a device under
    // the name would hold the window for good. A song whose lyrics cannot
    // be read plays without them, as one without an .lrc does.
    const DocumentFile::ReadResult read = DocumentFile::ReadWhole(lrcPath_);
    if (!read.ok) {
        state.LrcText.clear();
        return;
    }
    const QString text = LrcRules::Decode(read.bytes, TextCodec::System());
    if (LrcRules::Unreadable(text)) {
        // Shown as it decodes it would be garbage; the song plays without
        // it, and a song played again does not ask for the same OK again.
        state.LrcText.clear();
        const QString seen = lrcPath_ + u'|' + QString::number(qHash(read.bytes));
        if (seen != unreadableReported_) {
            unreadableReported_ = seen;
            prompter.MessageInfoBox(FileErrors::Message(FileErrors::Doing::Read, lrcPath_,
                                                        u"対応している文字コードのどれでも正しく読めない内容です"_s));
        }
        return;
    }
    state.LrcText = text;
}

// --- the labels -----------------------------------------------------------------------

void LrcController::SetLabels(const QString& l1, const QString& l2, const QString& l3, const QString& l4)
{
    shown_.fill(-1);
    if (!display_)
        return;
    display_->previousLineLabel->setText(l1);
    display_->currentLineLabel->setText(l2);
    display_->nextLineLabel->setText(l3);
    display_->afterNextLineLabel->setText(l4);
}

QString LrcController::Label(int i) const
{
    return display_ ? display_->labels()[size_t(i)]->text() : QString();
}

QString LrcController::TextOrBlank(std::int32_t i) const
{
    return i >= 0 && i < state.LrcEndArrayCunt && i < table_.size() ? table_.TextAt(i) : QString();
}

void LrcController::LrcTextClear()
{
    if (state.LrcDisplayShowFlag != 0)
        SetLabels({}, {}, {}, {});
}

// --- the line timer -------------------------------------------------------------------

void LrcController::LrcTimerOnStart(std::uint32_t delay)
{
    // Delays count in track time; slower playback stretches them.
    const std::uint64_t wall = std::uint64_t(delay) * 100u / std::uint64_t(qMax(1, state.StudySpeedPercent));
    if (ui.lineTimer)
        ui.lineTimer->start(int(qMin<std::uint64_t>(wall, INT_MAX)));
}

void LrcController::LrcTimerOnStop()
{
    if (ui.lineTimer)
        ui.lineTimer->stop();
}

void LrcController::ArmWithAdjustment(std::int32_t delay)
{
    if (state.LrcMp3TrakBar0StartFlag == 1)
        delay += state.LrcMp3TimeAdjustment;
    LrcTimerOnStart(std::uint32_t(qMax(0, delay)));
}

void LrcController::TrackBarLrcTextTimerIni()
{
    if (state.LrcText.isEmpty())
        return;
    state.LrcLineStartTime = 0;
    table_ = LrcRules::FirstTimedLine(state.LrcText);
    state.LrcEndArrayCunt = table_.size();
    state.OffsetTime = table_.offset;
    aimed_ = false;
    if (!table_.start) {
        // No line has a time: show nothing and aim at nothing.
        LrcTimerOnStop();
        SetLabels({}, {}, {}, {});
        return;
    }
    const std::int32_t s = state.LrcStartArrayCunt = *table_.start;

    const bool mp3 = state.audioState >= AudioState::Mp3Playing && state.audioState <= AudioState::Mp3Stopped;
    std::int32_t a = 0;
    if (resyncAt_) {
        a = state.LrcMp3TrakBar0StartFlag == 1 ? state.LrcMp3TimeAdjustment : 0;
    } else if (mp3 && (state.PositionTimeMiriSecond != 0 || (state.RangeEn == 1 && state.StartTime != 0))) {
        state.LrcMp3TrakBar0StartFlag = 1;
        a = state.LrcMp3TimeAdjustment;
    } else {
        state.LrcMp3TrakBar0StartFlag = 0;
    }
    const std::int32_t b = resyncAt_ ? std::int32_t(*resyncAt_)
                           : state.RangeEn != 0 && state.StartTime >= state.PositionTimeMiriSecond
                               ? state.StartTime : state.PositionTimeMiriSecond;
    const std::int32_t r = b - a;

    // A position on a line's time makes that line current; with equal
    // times the later line is current, the earlier having passed at once.
    bool current = false;
    for (std::int32_t i = s; i < table_.size(); ++i) {
        const std::int32_t tc = table_.Time(i);
        const bool last = i == table_.size() - 1;
        const std::int32_t tn = last ? 0 : table_.Time(i + 1);
        if (last ? tc == r : (tc <= r && r < tn)) {
            state.LrcDspArrayCunt = i;
            SetLabels({}, table_.TextAt(i), TextOrBlank(i + 1), TextOrBlank(i + 2));
            shown_ = {-1, i, i + 1, i + 2};
            current = true;
            if (last) {
                // The last line is reached: nothing follows it.
                LrcTimerOnStop();
                return;
            }
            state.LrcTime_mSec = tn;
            aimed_ = true;
            break;
        }
        if (tc > r) {
            state.LrcDspArrayCunt = s;
            SetLabels({}, {}, {}, {});
            state.LrcTime_mSec = tc;
            aimed_ = true;
            break;
        }
    }
    if (!aimed_) {
        // Past the last line.
        LrcTimerOnStop();
        SetLabels({}, {}, {}, {});
        return;
    }
    state.LrcTimerCount = qMax(0, state.LrcTime_mSec - b + a);
    if (state.audioState == AudioState::WavePlaying || state.audioState == AudioState::Mp3Playing) {
        state.LrcStartTime = Sub(TimeOfDay(), b);
        LrcTimerOnStart(std::uint32_t(state.LrcTimerCount));
        if (current)
            ++state.LrcDspArrayCunt;
    } else {
        // Paused or stopped: the lines are placed, nothing ticks until a resume.
        LrcTimerOnStop();
    }
}

void LrcController::LrcTextDisplay()
{
    const std::int32_t i = state.LrcDspArrayCunt;
    if (i < 0 || i >= state.LrcEndArrayCunt || i >= table_.size()) {
        LrcTimerOnStop();
        aimed_ = false;
        return;
    }
    std::int64_t audio = 0;
    if (position_ && position_(audio)) {
        const auto p = std::int32_t(audio);
        state.LrcStartTime = Sub(TimeOfDay(), p);
        const std::int32_t adjustment = state.LrcMp3TrakBar0StartFlag == 1 ? state.LrcMp3TimeAdjustment : 0;
        const std::int32_t ahead = table_.Time(i) + adjustment - p;
        if (ahead > kEarlyMs) {
            // The audio is behind the timer: wait for it, looking again
            // half-way, since a starting output moves in uneven steps.
            LrcTimerOnStart(std::uint32_t(qMax(1, ahead / 2)));
            return;
        }
    }
    const std::int32_t before = shown_[1];
    SetLabels(Label(1), table_.TextAt(i), TextOrBlank(i + 1), TextOrBlank(i + 2));
    shown_ = {before, i, i + 1, i + 2};
    ++state.LrcDspArrayCunt;
    if (state.LrcDspArrayCunt == state.LrcEndArrayCunt) {
        LrcTimerOnStop();
        aimed_ = false;
        return;
    }
    state.LrcTime_mSec = table_.Time(state.LrcDspArrayCunt);
    state.LrcLineStartTime = TimeOfDay();
    const std::int32_t d = Sub(state.LrcLineStartTime, state.LrcStartTime);
    // A reading below the start means the clock wrapped past its day.
    state.CorrectTime = d > 0 ? d : d + Clock::kDay;
    state.LrcTimer_mSec = state.LrcTime_mSec - state.CorrectTime;
    state.LrcTimerCount += state.LrcTimer_mSec;
    ArmWithAdjustment(state.LrcTimer_mSec);
}

void LrcController::LrcTextDisplayRestart(std::int64_t position)
{
    if (state.LrcText.isEmpty() || !aimed_)
        return;   // nothing read, or past the last line: nothing to aim at
    const auto p = std::int32_t(position);
    state.LrcStartTime = Sub(TimeOfDay(), p);
    ArmWithAdjustment(state.LrcTime_mSec - p);
}

void LrcController::LrcTextResync(std::int64_t position)
{
    resyncAt_ = position;
    TrackBarLrcTextTimerIni();
    resyncAt_.reset();
}

// --- the window -----------------------------------------------------------------------

void LrcController::LrcDisplayOpen()
{
    if (state.LrcText.isEmpty() || state.LrcDisplayShowFlag != 0)
        return;
    delete display_.data();
    display_ = new LrcDisplay(ui.form);
    QObject::connect(display_, &LrcDisplay::speakRequested, display_, [this](const QString& text) { Speak(text); });
    QObject::connect(display_, &LrcDisplay::lineClicked, display_, [this](int label) {
        const std::int32_t line = shown_[size_t(label)];
        if (line >= 0 && line < table_.size() && onLineClicked)
            onLineClicked(line);
    });
    setTitleNote(titleNote_);
    QObject::connect(display_, &LrcDisplay::closed, display_, [this] {
        if (peers.speech)
            peers.speech->DisplayClosed();
    });
    if (onDisplayOpened)
        onDisplayOpened(display_);
    display_->Clear();
    display_->show();
    state.LrcDisplayShowFlag = 2;
}

void LrcController::LrcDisplayClose()
{
    if (display_) {
        display_->close();
        display_->deleteLater();
        display_ = nullptr;
    }
    state.LrcDisplayShowFlag = 0;
}

void LrcController::setTitleNote(const QString& note)
{
    titleNote_ = note;
    if (display_) {
        const QString title = u"同期テキスト・ディスプレイ"_s;
        display_->setWindowTitle(note.isEmpty() ? title : title + u" ("_s + note + u")"_s);
    }
}

void LrcController::LrcCloseTick()
{
    if (ui.lrcCloseTimer)
        ui.lrcCloseTimer->stop();
    if (state.LrcDisplayShowFlag != 0)
        LrcDisplayClose();
    state.LrcDisplayShowFlag = 0;
}

void LrcController::Speak(const QString& text)
{
    if (peers.speech)
        peers.speech->DispSpeakAsyncOut(text);
}
