#include "lrc/LrcController.h"

#include "documents/DocumentFile.h"
#include "lrc/LrcDisplay.h"
#include "platform/Clock.h"
#include "platform/FileErrors.h"
#include "platform/TextCodec.h"
#include "speech/SpeechController.h"

#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
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
    : Controller(context), clock_(&SystemClock()), wordTimer_(std::make_unique<QTimer>())
{
    wordTimer_->setObjectName(u"lyricWordTimer"_s);
    wordTimer_->setSingleShot(true);
    wordTimer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(wordTimer_.get(), &QTimer::timeout, wordTimer_.get(), [this] { ShowWord(); });
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
    words_.clear();
    wordTimer_->stop();
    if (!display_)
        return;
    display_->previousLineLabel->setText(l1);
    display_->currentLineLabel->setText(l2);
    display_->nextLineLabel->setText(l3);
    display_->afterNextLineLabel->setText(l4);
    for (LyricLineLabel* label : display_->lines()) {
        label->setSecondLine({});
        label->setWordHighlight(0, 0);
    }
}

std::int32_t LrcController::NextGroup(std::int32_t entry) const
{
    return LrcWordTags::GroupEnd(table_, entry);
}

void LrcController::ShowEntries(const std::array<std::int32_t, 4>& entries)
{
    std::array<LrcWordTags::GroupText, 4> texts;
    for (size_t k = 0; k < 4; ++k) {
        const std::int32_t i = entries[k];
        if (i >= 0 && i < state.LrcEndArrayCunt && i < table_.size())
            texts[k] = LrcWordTags::TextOfGroup(table_, i);
    }
    SetLabels(texts[0].main, texts[1].main, texts[2].main, texts[3].main);
    for (size_t k = 0; k < 4; ++k) {
        const std::int32_t i = entries[k];
        shown_[k] = i >= 0 && i < state.LrcEndArrayCunt && i < table_.size() ? i : -1;
    }
    if (display_) {
        for (size_t k = 0; k < 4; ++k)
            display_->lines()[k]->setSecondLine(texts[k].second);
    }
    FollowWords();
}

void LrcController::FollowWords()
{
    wordTimer_->stop();
    words_.clear();
    const std::int32_t entry = shown_[1];
    if (!display_ || entry < 0 || entry >= table_.size() || state.StudyFollowWord != Switch::On)
        return;
    words_ = LrcWordTags::Words(table_.lines.at(table_.Line(entry)), table_.Time(entry), table_.offset);
    ShowWord();
}

void LrcController::ShowWord()
{
    if (!display_ || words_.empty())
        return;
    // Where the song is in track time: the audio itself when it can tell.
    const std::int32_t adjustment = state.lrcAdjustment == Switch::On ? state.LrcMp3TimeAdjustment : 0;
    std::int64_t audio = 0;
    std::int64_t track = 0;
    if (position_ && position_(audio))
        track = audio - adjustment;
    else
        track = std::int64_t(Sub(TimeOfDay(), state.LrcStartTime)) * qMax(1, state.StudySpeedPercent) / 100 - adjustment;
    const int w = LrcWordTags::WordAt(words_, std::int32_t(track));
    if (w >= 0)
        display_->currentLineLabel->setWordHighlight(words_[size_t(w)].start, words_[size_t(w)].length);
    else
        display_->currentLineLabel->setWordHighlight(0, 0);
    const bool playing = state.audioState == AudioState::WavePlaying || state.audioState == AudioState::Mp3Playing;
    if (!playing || w + 1 >= int(words_.size()))
        return;
    // Aimed at the next word; a tick that comes early looks again.
    const std::int64_t ahead = words_[size_t(w + 1)].time - track;
    const std::int64_t wall = ahead * 100 / qMax(1, state.StudySpeedPercent);
    wordTimer_->start(int(std::clamp<std::int64_t>(wall, 1, INT_MAX)));
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
    if (state.lyricWindowState != LyricWindowState::Hidden)
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
    if (state.lrcAdjustment == Switch::On)
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
        a = state.lrcAdjustment == Switch::On ? state.LrcMp3TimeAdjustment : 0;
    } else if (mp3
               && (state.PositionTimeMiriSecond != 0 || (state.playRange == PlayRange::On && state.StartTime != 0))) {
        state.lrcAdjustment = Switch::On;
        a = state.LrcMp3TimeAdjustment;
    } else {
        state.lrcAdjustment = Switch::Off;
    }
    const std::int32_t b = resyncAt_ ? std::int32_t(*resyncAt_)
                           : state.playRange != PlayRange::Off && state.StartTime >= state.PositionTimeMiriSecond
                               ? state.StartTime : state.PositionTimeMiriSecond;
    const std::int32_t r = b - a;

    // A position on a line's time makes that line current; with equal
    // times the later line is current, the earlier having passed at once.
    bool current = false;
    std::int32_t following = s;
    for (std::int32_t i = s; i < table_.size(); i = following) {
        following = NextGroup(i);
        const std::int32_t tc = table_.Time(i);
        const bool last = following >= table_.size();
        const std::int32_t tn = last ? 0 : table_.Time(following);
        if (last ? tc == r : (tc <= r && r < tn)) {
            state.LrcDspArrayCunt = i;
            ShowEntries({-1, i, following, NextGroup(following)});
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
            state.LrcDspArrayCunt = following;
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
        const std::int32_t adjustment = state.lrcAdjustment == Switch::On ? state.LrcMp3TimeAdjustment : 0;
        const std::int32_t ahead = table_.Time(i) + adjustment - p;
        if (ahead > kEarlyMs) {
            // The audio is behind the timer: wait for it, looking again
            // half-way, since a starting output moves in uneven steps.
            LrcTimerOnStart(std::uint32_t(qMax(1, ahead / 2)));
            return;
        }
    }
    const std::int32_t before = shown_[1];
    const std::int32_t following = NextGroup(i);
    ShowEntries({before, i, following, NextGroup(following)});
    state.LrcDspArrayCunt = following;
    if (state.LrcDspArrayCunt >= state.LrcEndArrayCunt) {
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
    if (state.LrcText.isEmpty())
        return;
    if (!aimed_) {
        ShowWord();   // the last line's words go on
        return;   // past the last line: nothing to aim at
    }
    const auto p = std::int32_t(position);
    state.LrcStartTime = Sub(TimeOfDay(), p);
    ArmWithAdjustment(state.LrcTime_mSec - p);
    ShowWord();
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
    if (state.LrcText.isEmpty() || state.lyricWindowState != LyricWindowState::Hidden)
        return;
    delete display_.data();
    display_ = new LrcDisplay(ui.form);
    // Each button says its label's line with the lines sharing its time.
    for (size_t k = 0; k < 4; ++k)
        QObject::connect(display_->buttons()[k], &QPushButton::clicked, display_, [this, k] { Speak(int(k)); });
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
    state.lyricWindowState = LyricWindowState::Shown;
}

void LrcController::LrcDisplayClose()
{
    if (display_) {
        display_->close();
        display_->deleteLater();
        display_ = nullptr;
    }
    state.lyricWindowState = LyricWindowState::Hidden;
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
    if (state.lyricWindowState != LyricWindowState::Hidden)
        LrcDisplayClose();
    state.lyricWindowState = LyricWindowState::Hidden;
}

void LrcController::Speak(int label)
{
    if (!peers.speech || !display_)
        return;
    // The label's own text first (what it shows), then the other lines of
    // its group, one part each.
    QStringList parts{display_->lines()[size_t(label)]->text()};
    const std::int32_t entry = shown_[size_t(label)];
    if (entry >= 0 && entry < table_.size())
        for (std::int32_t i = entry + 1; i < NextGroup(entry); ++i)
            parts << table_.TextAt(i);
    peers.speech->DispSpeakParts(parts);
}
