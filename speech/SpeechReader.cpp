// Reading aloud: the play, pause, stop and skip buttons, the mode and
// repetition buttons, and what each engine's completion event does next.

#include "speech/SpeechReader.h"

#include "documents/TextView.h"
#include "platform/PcmVoice.h"
#include "platform/SpeechSynthesizer.h"
#include "platform/SpeechVoice.h"
#include "platform/SystemColors.h"
#include "speech/ReaderText.h"
#include "speech/SpeechMessages.h"
#include "study/StudyLadder.h"

#include <QPushButton>

using namespace Qt::StringLiterals;

SpeechReader::SpeechReader(const Context& context, SpeechEngines& engines)
    : Controller(context), engines_(engines)
{
}

SpeechVoice* SpeechReader::voice() const
{
    return engines_.voice();
}

SpeechSynthesizer* SpeechReader::synthesizer() const
{
    return engines_.synthesizer();
}

bool SpeechReader::SynthesizerInUse() const
{
    return engines_.SynthesizerInUse();
}

// --- the view being read -------------------------------------------------------

TextView* SpeechReader::VisibleView() const
{
    return ui.textView->isVisibleTo(ui.form) ? ui.textView : ui.lrcView;
}

bool SpeechReader::ReadingTextView() const
{
    return VisibleView() == ui.textView;
}

int SpeechReader::MarkFlag() const
{
    return ReadingTextView() ? state.TextCodeKindLength : state.LrcTextCodeKindLength;
}

bool SpeechReader::NoEngine() const
{
    return state.synthesizerStatus == EngineStatus::Unavailable && state.voiceStatus == EngineStatus::Unavailable;
}

void SpeechReader::ShowPaused(bool paused)
{
    SystemColors::SetBackColor(ui.readPauseButton, paused ? SystemColors::ActiveCaption() : SystemColors::ControlLight());
}

void SpeechReader::ShowReproductionMode()
{
    switch (state.readingMode) {
    case ReadingMode::Range:
        ui.readingModeButton->setText(u"範囲"_s);
        SystemColors::SetButtonEnabled(ui.lineUpButton, false);
        SystemColors::SetButtonEnabled(ui.lineDownButton, false);
        SystemColors::SetButtonEnabled(ui.loopCountButton, true);
        break;
    case ReadingMode::All:
        ui.readingModeButton->setText(u"全て"_s);
        SystemColors::SetButtonEnabled(ui.lineUpButton, false);
        SystemColors::SetButtonEnabled(ui.lineDownButton, false);
        SystemColors::SetButtonEnabled(ui.loopCountButton, false);
        break;
    default:
        ui.readingModeButton->setText(u"一行"_s);
        SystemColors::SetButtonEnabled(ui.lineUpButton, true);
        SystemColors::SetButtonEnabled(ui.lineDownButton, true);
        SystemColors::SetButtonEnabled(ui.loopCountButton, true);
        break;
    }
}

void SpeechReader::EnableViews(bool enabled)
{
    ui.readingModeButton->setEnabled(enabled);
    ui.textView->setEnabled(enabled);
    ui.lrcView->setEnabled(enabled);
}

// --- speaking one text -----------------------------------------------------------

bool SpeechReader::SpeakOnEngine(const QString& text)
{
    // A new text ends the silence after the last one and its word mark.
    ClearWord();
    gap_.LineStarted();
    engines_.speaker = SpeechEngines::Speaker::Reader;
    const int rate = PassRate();
    if (SynthesizerInUse()) {
        SpeechSynthesizer* s = synthesizer();
        return s && s->SpeakAsyncCancelAll() && s->SelectVoice(QString::fromLocal8Bit(state.OralName))
               && s->setRate(rate) && s->setVolume(state.SpeechVol) && s->SpeakAsync(text);
    }
    SpeechVoice* v = voice();
    if (!v || !v->setRate(rate) || !v->setVolume(state.SpeechVol))
        return false;
    // A ladder's 0.75× is three rate steps (0.72×): a voice that can takes
    // the step's speed exactly instead.
    const double speed = PassSpeed();
    if (speed > 0 && !v->setSpeed(speed))
        return false;
    return v->Speak(text, SpeechVoice::SVSFlagsAsync | SpeechVoice::SVSFPurgeBeforeSpeak);
}

bool SpeechReader::Repeating() const
{
    return state.readingMode == ReadingMode::OneLine || state.readingMode == ReadingMode::Range;
}

int SpeechReader::Repetitions() const
{
    const std::vector<int> speeds = StudyLadder::Speeds(state.StudyLadderPreset);
    return speeds.empty() ? state.LoopModeCount : int(speeds.size());
}

int SpeechReader::PassRate() const
{
    // A ladder gives each reading of the repeated text its own rate; the
    // whole text reads at the learner's.
    if (!Repeating())
        return state.SpeechRate;
    return StudyLadder::RateOfPass(StudyLadder::Speeds(state.StudyLadderPreset), state.SpeechLoopCount, state.SpeechRate);
}

double SpeechReader::PassSpeed() const
{
    const std::vector<int> speeds = StudyLadder::Speeds(state.StudyLadderPreset);
    if (!Repeating() || speeds.empty())
        return 0;
    const int rate = std::clamp<int>(state.SpeechRate, StudyLadder::MinRate, StudyLadder::MaxRate);
    return PcmVoice::SpeedOfRate(rate) * StudyLadder::SpeedOfPass(speeds, state.SpeechLoopCount, 100) / 100.0;
}

void SpeechReader::SpeakAsyncOut(const QString& text)
{
    const bool synth = SynthesizerInUse();
    if (synth ? state.synthesizerStatus == EngineStatus::Unavailable : state.voiceStatus == EngineStatus::Unavailable)
        return;
    if (!SpeakOnEngine(text)) {
        prompter.MessageInfoBox(SpeechMessages::Unsupported());
        return;
    }
    state.speechState = synth ? SpeechState::SynthesizerSpeaking : SpeechState::VoiceSpeaking;
}

void SpeechReader::SpeakAsyncOutRange(const QString& text)
{
    SpeakAsyncOut(text);
}

// --- the engine's word on the state ----------------------------------------------

std::optional<SpeechReader::Sound> SpeechReader::EngineSound() const
{
    if (SynthesizerInUse()) {
        const SpeechSynthesizer* s = synthesizer();
        if (!s)
            return std::nullopt;
        const int now = s->State();
        return now == SpeechSynthesizer::Speaking ? Sound::Speaking
               : now == SpeechSynthesizer::Paused ? Sound::Paused : Sound::Done;
    }
    const SpeechVoice* v = voice();
    if (!v)
        return std::nullopt;
    const int now = v->RunningState();
    return now == SpeechVoice::SRSEDone ? Sound::Done
           : now == SpeechVoice::SRSEIsSpeaking ? Sound::Speaking : Sound::Paused;
}

void SpeechReader::FollowEngine()
{
    // In the silence after a line nothing sounds by design; while a speak
    // button of the synchronized-text window holds the engine, what sounds
    // is not the reader's.
    if (NoEngine() || gap_.Waiting() || engines_.speaker != SpeechEngines::Speaker::Reader)
        return;
    const std::optional<Sound> sound = EngineSound();
    if (!sound)
        return;
    const int speaking = SynthesizerInUse() ? SpeechState::SynthesizerSpeaking : SpeechState::VoiceSpeaking;
    const int paused = speaking + 1;
    const int s = state.speechState;
    const bool reading = s == speaking || s == paused;
    if (reading && *sound == Sound::Done) {
        // The engine finished or dropped the text without an end event: no
        // end will ever come, so the reading is over, as after Stop.
        ClearWord();
        ShowPaused(false);
        EnableViews(true);
        state.SpeechLoopCount = 0;
        state.speechState = speaking + 2;
    } else if (*sound != Sound::Done && (s != (*sound == Sound::Speaking ? speaking : paused))) {
        // The reader's text sounds (or waits paused) while the state says
        // otherwise; its end would be ignored and Stop would not reach it.
        state.speechState = *sound == Sound::Speaking ? speaking : paused;
        ShowPaused(*sound == Sound::Paused);
    }
}

// --- play, pause, stop -----------------------------------------------------------

void SpeechReader::SpeakLine(const ReaderText::TextLines& lines, int index)
{
    TextView* view = VisibleView();
    const QString& line = lines.at(index);
    state.OneLineSelectionStart = lines.Start(index);
    state.OneLineSelectionLength = int(line.size());
    const QString cut = ReaderText::CommentsCut(line);
    view->SelectShowingStart(state.OneLineSelectionStart, int(cut.size()));
    ReadFrom(view, SpokenText::Line(state.OneLineSelectionStart, int(cut.size())));
    (ReadingTextView() ? state.repeatText : state.repeatLrcText) = cut;
    const int mark = index == 0 ? MarkFlag() : 0;
    if (cut.size() - mark < 1)
        return;
    SpeakAsyncOut(cut);
}

void SpeechReader::SpeechPlay()
{
    FollowEngine();
    state.SpeechLoopCount = 0;
    TextView* view = VisibleView();
    const QString text = view->Text();
    if (text.isEmpty() || NoEngine())
        return;
    const ReaderText::TextLines lines(text);
    state.AllLinesCount = lines.size();

    // Play during a pause resumes it; in the silence after a line, the rest
    // of the silence goes on.
    if ((state.speechState == SpeechState::VoicePaused || state.speechState == SpeechState::SynthesizerPaused) && gap_.Waiting()) {
        ShowPaused(false);
        gap_.Release();
        state.speechState -= 1;
        return;
    }
    if (state.speechState == SpeechState::SynthesizerPaused) {
        if (synthesizer() && synthesizer()->State() == SpeechSynthesizer::Paused) {
            ShowPaused(false);
            synthesizer()->Resume();
            gap_.Release();
            state.speechState = SpeechState::SynthesizerSpeaking;
        }
        return;
    }
    if (state.speechState == SpeechState::VoicePaused) {
        if (voice() && voice()->RunningState() != SpeechVoice::SRSEDone) {
            ShowPaused(false);
            voice()->Resume();
            gap_.Release();
            state.speechState = SpeechState::VoiceSpeaking;
        }
        return;
    }
    if (state.speechState == SpeechState::VoiceSpeaking || state.speechState == SpeechState::SynthesizerSpeaking)
        return;

    switch (state.readingMode) {
    case ReadingMode::OneLine: {
        const int caret = view->ToTextOffset(view->textCursor().position());
        const int index = lines.At(caret);
        if (index >= 0)
            SpeakLine(lines, index);
        break;
    }
    case ReadingMode::Range: {
        if (view->SelectionLength() == 0) {
            prompter.MessageInfoBox(u"音声合成再生範囲を選択してください。"_s);
            return;
        }
        const QString cut = ReaderText::RangeCommentsCut(view->SelectedText());
        if (cut.size() < 2)
            return;
        (ReadingTextView() ? state.repeatText : state.repeatLrcText) = cut;
        view->ensureCursorVisible();
        ReadFrom(view, SpokenText::Range(view->SelectedText(), view->SelectionStart()));
        SpeakAsyncOutRange(cut);
        break;
    }
    case ReadingMode::All: {
        state.OneLineSelectionStart = 0;
        state.SpeakLinesNo = 0;
        ui.readingModeButton->setEnabled(false);
        if (int(ReaderText::CommentsCut(lines.at(0)).size()) - MarkFlag() < 1) {
            state.OneLineSelectionStart = lines.End(0);
            state.SpeakLinesNo = 1;
            SkipEmptyLines(lines);
        }
        if (state.SpeakLinesNo >= lines.size() || lines.at(state.SpeakLinesNo).isEmpty())
            return;
        view->setEnabled(false);
        const QString cut = ReaderText::CommentsCut(lines.at(state.SpeakLinesNo));
        view->SelectShowingStart(state.OneLineSelectionStart, int(cut.size()));
        ReadFrom(view, SpokenText::Line(state.OneLineSelectionStart, int(cut.size())));
        state.OneLineSelectionStart = lines.End(state.SpeakLinesNo);
        SpeakAsyncOut(cut);
        break;
    }
    default:
        break;
    }
}

void SpeechReader::SkipEmptyLines(const ReaderText::TextLines& lines)
{
    while (state.SpeakLinesNo < lines.size()
           && ReaderText::CommentsCut(lines.at(state.SpeakLinesNo)).isEmpty()) {
        state.OneLineSelectionStart = lines.End(state.SpeakLinesNo);
        ++state.SpeakLinesNo;
    }
}

void SpeechReader::SpeechPause()
{
    if (NoEngine())
        return;
    FollowEngine();
    if (gap_.Waiting()) {
        // Nothing sounds in the silence after a line: only the wait stops.
        const int s = state.speechState;
        if (s == SpeechState::VoiceSpeaking || s == SpeechState::SynthesizerSpeaking) {
            gap_.Hold();
            state.speechState = s + 1;
            ShowPaused(true);
        } else if (s == SpeechState::VoicePaused || s == SpeechState::SynthesizerPaused) {
            gap_.Release();
            state.speechState = s - 1;
            ShowPaused(false);
        }
        return;
    }
    switch (state.speechState) {
    case SpeechState::SynthesizerSpeaking:
        if (synthesizer() && synthesizer()->Pause()) {
            state.speechState = SpeechState::SynthesizerPaused;
            ShowPaused(true);
            gap_.Hold();
        }
        break;
    case SpeechState::SynthesizerPaused:
        if (synthesizer() && synthesizer()->Resume()) {
            state.speechState = SpeechState::SynthesizerSpeaking;
            ShowPaused(false);
            gap_.Release();
        }
        break;
    case SpeechState::VoiceSpeaking:
        if (voice() && voice()->Pause()) {
            state.speechState = SpeechState::VoicePaused;
            ShowPaused(true);
            gap_.Hold();
        }
        break;
    case SpeechState::VoicePaused:
        if (voice() && voice()->Resume()) {
            state.speechState = SpeechState::VoiceSpeaking;
            ShowPaused(false);
            gap_.Release();
        }
        break;
    default:
        break;
    }
}

void SpeechReader::SpeechStop()
{
    FollowEngine();
    EnableViews(true);
    state.SpeechLoopCount = 0;
    gap_.Cancel();
    ClearWord();
    if (NoEngine())
        return;
    switch (state.speechState) {
    case SpeechState::SynthesizerPaused:
        if (synthesizer())
            synthesizer()->Resume();
        [[fallthrough]];
    case SpeechState::SynthesizerSpeaking:
        if (synthesizer())
            synthesizer()->SpeakAsyncCancelAll();
        state.speechState = SpeechState::SynthesizerStopped;
        ShowPaused(false);
        break;
    case SpeechState::VoicePaused:
        if (voice())
            voice()->Resume();
        [[fallthrough]];
    case SpeechState::VoiceSpeaking:
        if (voice())
            voice()->Speak(QString(), SpeechVoice::SVSFlagsAsync | SpeechVoice::SVSFPurgeBeforeSpeak);
        state.speechState = SpeechState::VoiceStopped;
        ShowPaused(false);
        break;
    default:
        break;
    }
}

// --- skips, modes, repetitions -------------------------------------------------------

void SpeechReader::Skip(bool forward)
{
    FollowEngine();
    state.SpeechLoopCount = 0;
    const ReaderText::TextLines lines(VisibleView()->Text());
    // Past the current line's break, or back over the one before it, as
    // many characters as that break has.
    const int current = lines.At(state.OneLineSelectionStart);
    const int target = forward ? state.OneLineSelectionStart + state.OneLineSelectionLength
                                     + (current >= 0 ? lines.BreakLength(current) : 2)
                               : qMax(0, state.OneLineSelectionStart - (current > 0 ? lines.BreakLength(current - 1) : 2));
    const int index = lines.At(target);
    if (index >= 0)
        SpeakLine(lines, index);
}

void SpeechReader::SpeechSkipBackward()
{
    Skip(false);
}

void SpeechReader::SpeechSkipForward()
{
    Skip(true);
}

void SpeechReader::SpeechReproductionModeSetting()
{
    FollowEngine();
    state.readingMode = state.readingMode == ReadingMode::OneLine ? ReadingMode::Range : state.readingMode == ReadingMode::Range ? ReadingMode::All : ReadingMode::OneLine;
    ShowReproductionMode();
}

void SpeechReader::SpeechLoopModeSetting()
{
    FollowEngine();
    // The button picks a fixed count: a ladder chosen in the menu ends.
    state.StudyLadderPreset = std::int32_t(StudyLadder::Preset::None);
    switch (state.LoopModeCount) {
    case 1:
        state.LoopModeCount = 2;
        ui.loopCountButton->setText(u"2"_s);
        break;
    case 2:
        state.LoopModeCount = 4;
        ui.loopCountButton->setText(u"4"_s);
        break;
    case 4:
        state.LoopModeCount = 1000;
        ui.loopCountButton->setText(u"∞"_s);
        break;
    default:
        state.LoopModeCount = 1;
        ui.loopCountButton->setText(u"1"_s);
        break;
    }
}

// --- completion events ---------------------------------------------------------------

void SpeechReader::SpeechVoiceEndEvent()
{
    EndOfSpeech(SpeechState::VoiceSpeaking);
}

void SpeechReader::SpeechSynthesizerEndEvent()
{
    EndOfSpeech(SpeechState::SynthesizerSpeaking);
}

void SpeechReader::EndOfSpeech(int speaking)
{
    if (state.speechState == speaking + 2 || gap_.Waiting())
        return;
    ClearWord();
    // The learner says the line again in the silence before the next one;
    // after the last one the reading simply ends.
    if (state.StudyPausePercent > 0 && SomethingFollows()
        && gap_.Wait(state.StudyPausePercent, [this, speaking] { ContinueReading(speaking); }))
        return;
    ContinueReading(speaking);
}

bool SpeechReader::SomethingFollows() const
{
    const int s = state.speechState;
    if (s != SpeechState::VoiceSpeaking && s != SpeechState::VoicePaused
        && s != SpeechState::SynthesizerSpeaking && s != SpeechState::SynthesizerPaused)
        return false;
    if (Repeating())
        return state.SpeechLoopCount + 1 < Repetitions();
    if (state.readingMode != ReadingMode::All)
        return false;
    const QList<QString> lines = ReaderText::Lines(VisibleView()->Text());
    for (qsizetype k = qsizetype(state.SpeakLinesNo) + 1; k < lines.size(); ++k)
        if (!ReaderText::CommentsCut(lines.at(k)).isEmpty())
            return true;
    return false;
}

void SpeechReader::ContinueReading(int speaking)
{
    const int paused = speaking + 1;
    const int stopped = speaking + 2;
    if (state.speechState == stopped)
        return;
    if (state.readingMode == ReadingMode::OneLine || state.readingMode == ReadingMode::Range) {
        if (state.speechState == speaking || state.speechState == paused)
            LoopStep(speaking, Repetitions());
        return;
    }
    if (state.readingMode != ReadingMode::All)
        return;

    TextView* view = VisibleView();
    const ReaderText::TextLines lines(view->Text());
    state.AllLinesCount = lines.size();
    ++state.SpeakLinesNo;
    SkipEmptyLines(lines);
    if (state.SpeakLinesNo >= lines.size()) {
        EnableViews(true);
        state.speechState = stopped;
        return;
    }
    const QString& line = lines.at(state.SpeakLinesNo);
    const QString cut = ReaderText::CommentsCut(line);
    view->SelectShowingStart(state.OneLineSelectionStart, int(cut.size()));
    ReadFrom(view, SpokenText::Line(state.OneLineSelectionStart, int(cut.size())));
    state.OneLineSelectionStart = lines.End(state.SpeakLinesNo);
    if (!SpeakOnEngine(cut))
        prompter.MessageInfoBox(SpeechMessages::Unsupported());
}

void SpeechReader::SpeechLoopSub(int count)
{
    LoopStep(SpeechState::VoiceSpeaking, count);
}

void SpeechReader::SpeechSynthesizerLoopSub(int count)
{
    LoopStep(SpeechState::SynthesizerSpeaking, count);
}

void SpeechReader::LoopStep(int speaking, int count)
{
    ++state.SpeechLoopCount;
    if (state.SpeechLoopCount >= count) {
        ShowPaused(false);
        state.speechState = speaking + 2;
        return;
    }
    if (state.speechState == speaking + 1) {
        ShowPaused(false);
        if (speaking == SpeechState::SynthesizerSpeaking && synthesizer())
            synthesizer()->Resume();
        else if (speaking == SpeechState::VoiceSpeaking && voice())
            voice()->Resume();
    }
    const QString& again = ReadingTextView() ? state.repeatText : state.repeatLrcText;
    if (!SpeakOnEngine(again)) {
        prompter.MessageInfoBox(SpeechMessages::Unsupported());
        return;
    }
    state.speechState = speaking;
}

// --- the display window's speak buttons ------------------------------------------------

void SpeechReader::DispSpeakAsyncOut(const QString& text, const State& state, SpeechVoice* voice,
                                         SpeechSynthesizer* synthesizer, bool synthesizerInUse)
{
    if (text.isEmpty())
        return;
    const QString spoken = ReaderText::DisplayLineText(text);
    if (synthesizerInUse) {
        if (state.synthesizerStatus == EngineStatus::Unavailable || !synthesizer)
            return;
        synthesizer->SpeakAsyncCancelAll();
        synthesizer->SelectVoice(QString::fromLocal8Bit(state.OralName));
        synthesizer->setRate(state.SpeechRate);
        synthesizer->setVolume(state.SpeechVol);
        synthesizer->SpeakAsync(spoken);
        return;
    }
    if (state.voiceStatus == EngineStatus::Unavailable || !voice)
        return;
    const int purge = SpeechVoice::SVSFlagsAsync | SpeechVoice::SVSFPurgeBeforeSpeak;
    voice->Speak(QString(), purge);
    voice->setRate(state.SpeechRate);
    voice->setVolume(state.SpeechVol);
    voice->Speak(spoken, purge);
}

// --- the word being heard -------------------------------------------------------

void SpeechReader::ReadFrom(TextView* view, SpokenText spoken)
{
    ClearWord();
    spokenView_ = view;
    spoken_ = std::move(spoken);
}

void SpeechReader::ClearWord()
{
    if (spokenView_)
        spokenView_->ClearWordHighlight();
}

void SpeechReader::AudioStarted()
{
    gap_.AudioStarted();
}

void SpeechReader::WordStarted(int start, int length)
{
    // Only while the reader's own text sounds; a late word of a stopped or
    // replaced text is not shown.
    if (state.StudyFollowWord != Switch::On || !spokenView_ || state.speechState != SpeechState::VoiceSpeaking || gap_.Waiting())
        return;
    const auto [from, count] = spoken_.ViewRange(start, length);
    if (from >= 0)
        spokenView_->SetWordHighlight(from, count);
}

void SpeechReader::FollowWordChanged()
{
    if (state.StudyFollowWord != Switch::On)
        ClearWord();
}
