// The reader against engines that only record: what is spoken, in which
// state the reading is, what the view shows selected, for every button and
// completion event.

#include "app/MyForm.h"
#include "documents/DocumentController.h"
#include "documents/TextView.h"
#include "platform/PcmVoice.h"
#include "platform/SpeechSynthesizer.h"
#include "platform/SpeechVoice.h"
#include "platform/SystemColors.h"
#include "speech/SpeechReader.h"
#include "speech/SpeechController.h"
#include "study/StudyLadder.h"
#include "support/FakeSpeechEngines.h"
#include "support/ScriptedPrompter.h"

#include <QAction>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QScrollBar>
#include <QtTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString kUnsupported = u"この音声言語はサポートされていない可能性が有ります。"_s;

// A built-in voice whose player is never built: what the reader asks of it
// is recorded instead.
class FakeVoice : public PcmVoice
{
public:
    QStringList spoken;       // every non-empty text, in order
    QList<double> speeds;     // the speed each of them was said at
    QStringList calls;        // every call, in order
    int running = SRSEDone;
    bool fail = false;
    int rate = 99, volume = -1;

    bool Speak(const QString& text, int flags) override
    {
        calls << u"Speak(%1,%2)"_s.arg(text).arg(flags);
        if (fail)
            return false;
        running = text.isEmpty() ? SRSEDone : SRSEIsSpeaking;
        if (!text.isEmpty()) {
            spoken << text;
            speeds << speed();
        }
        return true;
    }
    bool Pause() override { calls << u"Pause"_s; running = SRSEPaused; return true; }
    bool Resume() override { calls << u"Resume"_s; if (running == SRSEPaused) running = SRSEIsSpeaking; return true; }
    bool setRate(int r) override { rate = r; PcmVoice::setRate(r); return !fail; }
    bool setVolume(int v) override { volume = v; return !fail; }
    int RunningState() const override { return running; }
    QStringList GetVoices() const override { return {u"English (en)"_s}; }
    bool setVoice(int) override { return true; }

protected:
    bool EngineReady() const override { return true; }
    int SampleRateFor(const QString&) const override { return 16000; }
    void Render(const QString&, std::shared_ptr<PcmUtterance>) override {}

public:

    // The current stream plays to its end.
    void Finish()
    {
        running = SRSEDone;
        emit EndStream();
    }
};

class FakeSynthesizer : public SpeechSynthesizer
{
public:
    QStringList spoken;
    QStringList calls;
    QStringList voices{u"Alice"_s, u"Kyoko"_s};
    int state = Ready;
    int rate = 0;

    bool Starting() const override { return false; }
    bool Available() const override { return true; }
    bool SpeakAsync(const QString& text) override { calls << u"SpeakAsync"_s; spoken << text; state = Speaking; return true; }
    bool SpeakAsyncCancelAll() override { calls << u"Cancel"_s; state = Ready; return true; }
    bool Pause() override { calls << u"Pause"_s; state = Paused; return true; }
    bool Resume() override { calls << u"Resume"_s; if (state == Paused) state = Speaking; return true; }
    bool setRate(int r) override { rate = r; return true; }
    bool setVolume(int) override { return true; }
    int State() const override { return state; }
    QStringList GetInstalledVoices() const override { return voices; }
    bool SelectVoice(const QString& name) override { calls << u"Select(%1)"_s.arg(name); return voices.contains(name); }
    QString VoiceName() const override { return voices.value(0); }
    bool SetOutputToDefaultAudioDevice() override { return true; }

    void Finish()
    {
        state = Ready;
        emit SpeakCompleted();
    }
};

struct TestEngines : SpeechEngines
{
    FakeVoice voice_;
    FakeSynthesizer synthesizer_;
    bool synth = false;
    SpeechVoice* voice() const override { return const_cast<FakeVoice*>(&voice_); }
    SpeechSynthesizer* synthesizer() const override { return const_cast<FakeSynthesizer*>(&synthesizer_); }
    bool SynthesizerInUse() const override { return synth; }
};

// The real controller with the voice dialog answered by the test.
class VoiceChoosingSpeech : public SpeechController
{
public:
    using SpeechController::SpeechController;
    QList<int> answers;
    int asked = 0;

protected:
    std::optional<int> ChooseVoice(const QList<VoiceList::Entry>&, int) override
    {
        ++asked;
        if (answers.isEmpty())
            return std::nullopt;
        return answers.takeFirst();
    }
};

} // namespace

class TestReader : public QObject
{
    Q_OBJECT

    // A main window showing the text view with a document, and a reader
    // speaking through fake engines.
    struct Fixture
    {
        ScriptedPrompter prompter;
        MyForm form{prompter};
        TestEngines engines;
        SpeechReader reader{form.context(), engines};

        explicit Fixture(const QString& text, bool synthesizer = false)
        {
            engines.synth = synthesizer;
            State& s = state();
            s.synthesizerStatus = synthesizer ? EngineStatus::Ready : EngineStatus::Unavailable;
            s.voiceStatus = synthesizer ? EngineStatus::Unavailable : EngineStatus::Ready;
            s.OralName = "Kyoko";
            s.SpeechRate = 2;
            s.SpeechVol = 70;
            s.LoopModeCount = 1;
            form.documents().TextDisplaySwitch();
            view()->SetText(text);
            QObject::connect(&engines.voice_, &SpeechVoice::EndStream, &form, [this] { reader.SpeechVoiceEndEvent(); });
            QObject::connect(&engines.synthesizer_, &SpeechSynthesizer::SpeakCompleted, &form,
                             [this] { reader.SpeechSynthesizerEndEvent(); });
        }

        State& state() { return form.state(); }
        TextView* view() { return form.ui().textView; }
        QStringList& spoken() { return engines.synth ? engines.synthesizer_.spoken : engines.voice_.spoken; }
        void caretAt(int offset)
        {
            QTextCursor c = view()->textCursor();
            c.setPosition(view()->ToEditorPosition(offset));
            view()->setTextCursor(c);
        }
        QString selected() { return view()->SelectedText(); }
        void finish()
        {
            if (engines.synth)
                engines.synthesizer_.Finish();
            else
                engines.voice_.Finish();
        }
    };

private slots:
    void oneLineReadsTheLineAtTheCaret()
    {
        Fixture f(u"first\r\nsecond\r\nthird\r\nfourth"_s);
        const int endOfLine3 = 7 + 8 + 5;   // just after "third"
        f.caretAt(endOfLine3);
        f.reader.SpeechPlay();
        QCOMPARE(f.spoken(), QStringList{u"third"_s});
        QCOMPARE(f.selected(), u"third"_s);
        QCOMPARE(f.state().speechState, SpeechState::VoiceSpeaking);
        QCOMPARE(f.state().OneLineSelectionStart, 15);
        QCOMPARE(f.state().OneLineSelectionLength, 5);
        QCOMPARE(f.state().repeatText, u"third"_s);
        QCOMPARE(f.engines.voice_.rate, 2);
        QCOMPARE(f.engines.voice_.volume, 70);
        QVERIFY(f.engines.voice_.calls.last().endsWith(u",3)"_s));

        f.finish();
        QCOMPARE(f.state().speechState, SpeechState::VoiceStopped);
        f.caretAt(endOfLine3 + 2);   // the start of line 4
        f.reader.SpeechPlay();
        QCOMPARE(f.spoken().last(), u"fourth"_s);
    }

    void commentsAreSelectedButNotRead()
    {
        Fixture f(u"今日は；メモ\r\n;only a comment"_s);
        f.caretAt(0);
        f.reader.SpeechPlay();
        QCOMPARE(f.spoken(), QStringList{u"今日は"_s});
        QCOMPARE(f.selected(), u"今日は"_s);
        f.finish();

        f.caretAt(8);
        f.reader.SpeechPlay();
        QCOMPARE(f.spoken().size(), 1);   // nothing more was read
        QCOMPARE(f.state().OneLineSelectionStart, 8);
        QCOMPARE(f.state().speechState, SpeechState::VoiceStopped);
    }

    void markCharacterCountsAsEmpty()
    {
        {
            Fixture f(u"\uFEFF\r\nnext"_s);
            f.state().TextCodeKindLength = 1;
            f.caretAt(0);
            f.reader.SpeechPlay();
            QVERIFY(f.spoken().isEmpty());
            QCOMPARE(f.state().speechState, SpeechState::Idle);
        }
        {
            Fixture f(u"\uFEFFa\r\nnext"_s);
            f.state().TextCodeKindLength = 1;
            f.caretAt(0);
            f.reader.SpeechPlay();
            QCOMPARE(f.spoken(), QStringList{u"\uFEFFa"_s});
        }
    }

    void skipsMoveLineByLine()
    {
        Fixture f(u"one\r\ntwo\r\nthree"_s);
        f.caretAt(5);
        f.reader.SpeechPlay();
        QCOMPARE(f.spoken(), QStringList{u"two"_s});
        // A skip while speaking discards the line and starts the next.
        f.reader.SpeechSkipForward();
        QCOMPARE(f.spoken().last(), u"three"_s);
        QCOMPARE(f.selected(), u"three"_s);
        f.reader.SpeechSkipForward();   // on the last line: nothing
        QCOMPARE(f.spoken().size(), 2);
        f.reader.SpeechSkipBackward();
        f.reader.SpeechSkipBackward();
        QCOMPARE(f.spoken().mid(2), (QStringList{u"two"_s, u"one"_s}));
        f.reader.SpeechSkipBackward();   // on the first line: read again
        QCOMPARE(f.spoken().last(), u"one"_s);
        QCOMPARE(f.spoken().size(), 5);
        QCOMPARE(f.state().speechState, SpeechState::VoiceSpeaking);
    }

    void repetitions()
    {
        Fixture f(u"again"_s);
        f.state().LoopModeCount = 4;
        f.reader.SpeechPlay();
        for (int i = 0; i < 5; ++i)
            f.finish();   // the fifth arrives after the end: ignored
        QCOMPARE(f.spoken().size(), 4);
        QCOMPARE(f.state().speechState, SpeechState::VoiceStopped);

        Fixture endless(u"loop"_s, true);
        endless.state().LoopModeCount = 1000;
        endless.reader.SpeechPlay();
        for (int i = 0; i < 1100; ++i)
            endless.finish();
        QCOMPARE(endless.spoken().size(), 1000);
        QCOMPARE(endless.state().speechState, SpeechState::SynthesizerStopped);
    }

    void pauseResumeAndStop()
    {
        Fixture f(u"line"_s);
        f.state().LoopModeCount = 4;
        f.reader.SpeechPlay();
        f.finish();
        QCOMPARE(f.state().SpeechLoopCount, 1);

        // The pause button resumes and keeps the count.
        f.reader.SpeechPause();
        QCOMPARE(f.state().speechState, SpeechState::VoicePaused);
        QCOMPARE(SystemColors::BackColor(f.form.ui().readPauseButton), SystemColors::ActiveCaption());
        f.reader.SpeechPause();
        QCOMPARE(f.state().speechState, SpeechState::VoiceSpeaking);
        QCOMPARE(f.state().SpeechLoopCount, 1);
        QCOMPARE(SystemColors::BackColor(f.form.ui().readPauseButton), SystemColors::ControlLight());

        // Play while speaking does nothing; play while paused resumes and
        // starts the count again.
        f.reader.SpeechPlay();
        QCOMPARE(f.spoken().size(), 2);
        f.reader.SpeechPause();
        f.reader.SpeechPlay();
        QCOMPARE(f.state().speechState, SpeechState::VoiceSpeaking);
        QCOMPARE(f.state().SpeechLoopCount, 0);
        QCOMPARE(f.spoken().size(), 2);

        // Stop while paused resumes, then discards everything.
        f.reader.SpeechPause();
        f.engines.voice_.calls.clear();
        f.reader.SpeechStop();
        QCOMPARE(f.engines.voice_.calls, (QStringList{u"Resume"_s, u"Speak(,3)"_s}));
        QCOMPARE(f.state().speechState, SpeechState::VoiceStopped);
        QCOMPARE(SystemColors::BackColor(f.form.ui().readPauseButton), SystemColors::ControlLight());
        // A completion that arrives after the stop changes nothing.
        f.finish();
        QCOMPARE(f.spoken().size(), 2);
        QCOMPARE(f.state().speechState, SpeechState::VoiceStopped);
    }

    void wholeTextPassesOverEmptyAndCommentLines()
    {
        Fixture f(u"\r\n;note\r\nalpha\r\n\r\n；skip\r\nbeta；tail\r\n"_s);
        f.reader.SpeechReproductionModeSetting();
        f.reader.SpeechReproductionModeSetting();
        QCOMPARE(f.state().readingMode, ReadingMode::All);
        QCOMPARE(f.form.ui().readingModeButton->text(), u"全て"_s);
        QVERIFY(!f.form.ui().loopCountButton->isEnabled());

        f.reader.SpeechPlay();
        QCOMPARE(f.spoken(), QStringList{u"alpha"_s});
        QCOMPARE(f.selected(), u"alpha"_s);
        QVERIFY(!f.view()->isEnabled());
        QVERIFY(!f.form.ui().readingModeButton->isEnabled());
        f.finish();
        QCOMPARE(f.spoken().last(), u"beta"_s);
        QCOMPARE(f.selected(), u"beta"_s);
        QCOMPARE(f.state().speechState, SpeechState::VoiceSpeaking);
        f.finish();
        QCOMPARE(f.state().speechState, SpeechState::VoiceStopped);
        QVERIFY(f.view()->isEnabled());
        QVERIFY(f.form.ui().readingModeButton->isEnabled());
        QCOMPARE(f.spoken().size(), 2);
        QVERIFY(f.prompter.entries.isEmpty());
    }

    void wholeTextWithNothingToRead()
    {
        Fixture f(u";only a comment"_s);
        f.state().readingMode = ReadingMode::All;
        f.reader.SpeechPlay();
        QVERIFY(f.spoken().isEmpty());
        QCOMPARE(f.state().speechState, SpeechState::Idle);
        QVERIFY(f.prompter.entries.isEmpty());
        f.reader.SpeechStop();
        QVERIFY(f.form.ui().readingModeButton->isEnabled());
    }

    void rangeReadsTheSelectionWithoutComments()
    {
        Fixture f(u"a\r\n\r\nb；c\r\nd"_s);
        f.state().readingMode = ReadingMode::Range;
        f.reader.SpeechPlay();
        QCOMPARE(f.prompter.texts(), QStringList{u"音声合成再生範囲を選択してください。"_s});
        QVERIFY(f.spoken().isEmpty());

        f.view()->Select(0, 8);   // "a", an empty line and "b；c"
        f.reader.SpeechPlay();
        QCOMPARE(f.spoken(), QStringList{u"a\r\nb\r\n"_s});
        QCOMPARE(f.state().repeatText, u"a\r\nb\r\n"_s);

        Fixture breaks(u"x\r\n\r\n\r\ny"_s);
        breaks.state().readingMode = ReadingMode::Range;
        breaks.view()->Select(1, 6);
        breaks.reader.SpeechPlay();
        QVERIFY(breaks.spoken().isEmpty());
    }

    void synthesizerSelectsTheVoiceBeforeEveryPrompt()
    {
        Fixture f(u"hello"_s, true);
        f.state().LoopModeCount = 2;
        f.reader.SpeechPlay();
        QCOMPARE(f.state().speechState, SpeechState::SynthesizerSpeaking);
        QCOMPARE(f.engines.synthesizer_.calls, (QStringList{u"Cancel"_s, u"Select(Kyoko)"_s, u"SpeakAsync"_s}));
        f.finish();
        QCOMPARE(f.engines.synthesizer_.calls.mid(3), (QStringList{u"Cancel"_s, u"Select(Kyoko)"_s, u"SpeakAsync"_s}));
        f.finish();
        QCOMPARE(f.state().speechState, SpeechState::SynthesizerStopped);

        // A voice that is not installed: the reader says so and stays put.
        f.state().OralName = "Nobody";
        f.reader.SpeechPlay();
        QCOMPARE(f.prompter.texts(), QStringList{kUnsupported});
        QCOMPARE(f.state().speechState, SpeechState::SynthesizerStopped);
    }

    void failingVoiceKeepsTheState()
    {
        Fixture f(u"text"_s);
        f.engines.voice_.fail = true;
        f.reader.SpeechPlay();
        QCOMPARE(f.prompter.texts(), QStringList{kUnsupported});
        QCOMPARE(f.state().speechState, SpeechState::Idle);
    }

    void withoutAnyEngineASkipOnlyMoves()
    {
        Fixture f(u"one\r\ntwo"_s);
        f.state().voiceStatus = EngineStatus::Unavailable;
        f.reader.SpeechPlay();
        QVERIFY(f.spoken().isEmpty());
        // Nothing read yet: the first skip lands on the first line.
        f.reader.SpeechSkipForward();
        QCOMPARE(f.selected(), u"one"_s);
        f.reader.SpeechSkipForward();
        QCOMPARE(f.selected(), u"two"_s);
        QVERIFY(f.spoken().isEmpty());
        QCOMPARE(f.state().speechState, SpeechState::Idle);
        f.reader.SpeechPause();
        f.reader.SpeechStop();
        QVERIFY(f.engines.voice_.calls.isEmpty());
    }

    // With a ladder each reading of a line or range has its own rate (the
    // learner's 2 moved by the step nearest 0.75×, 1.0×, 1.25×), as many
    // readings as the ladder has steps; the whole text reads at the rate.
    void ladderGivesEachReadingItsRate_data()
    {
        QTest::addColumn<bool>("synthesizer");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QList<int>>("rates");
        QTest::newRow("one line, built-in voice") << false << int(ReadingMode::OneLine) << QList<int>{-1, 2, 4};
        QTest::newRow("range, speech service") << true << int(ReadingMode::Range) << QList<int>{-1, 2, 4};
        QTest::newRow("whole text") << false << int(ReadingMode::All) << QList<int>{2, 2};
    }
    void ladderGivesEachReadingItsRate()
    {
        QFETCH(bool, synthesizer);
        QFETCH(int, mode);
        QFETCH(QList<int>, rates);
        Fixture f(u"first\r\nsecond"_s, synthesizer);
        f.state().readingMode = mode;
        f.state().LoopModeCount = 1000;   // the ladder's steps count instead
        f.state().StudyLadderPreset = std::int32_t(StudyLadder::Preset::SlowToFast);
        if (mode == ReadingMode::Range)
            f.view()->Select(0, 5);
        auto rate = [&] { return synthesizer ? f.engines.synthesizer_.rate : f.engines.voice_.rate; };
        QList<int> heard;
        f.reader.SpeechPlay();
        for (int i = 0; i < 6 && f.spoken().size() > heard.size(); ++i) {
            heard << rate();
            f.finish();
        }
        QCOMPARE(heard, rates);
        QCOMPARE(f.state().speechState, synthesizer ? SpeechState::SynthesizerStopped : SpeechState::VoiceStopped);
        QCOMPARE(f.state().SpeechRate, 2);

        // The repetition button picks a fixed count again.
        f.reader.SpeechLoopModeSetting();
        QCOMPARE(f.state().StudyLadderPreset, 0);
    }

    // The built-in voices say each ladder step at its speed (the learner's
    // rate times the step) within 2 %, though the rate has whole steps of
    // 3^(1/10) only; without a ladder the rate's step holds.
    void ladderStepIsExactOnTheBuiltInVoice_data()
    {
        QTest::addColumn<int>("preset");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QList<double>>("speeds");
        const double up2 = std::pow(3.0, 0.2);
        QTest::newRow("0.75, 1.0, 1.25 at the normal rate")
            << int(StudyLadder::Preset::SlowToFast) << 0 << int(ReadingMode::OneLine) << QList<double>{0.75, 1.0, 1.25};
        QTest::newRow("0.5, 0.75, 1.0 at rate 2")
            << int(StudyLadder::Preset::SlowToNormal) << 2 << int(ReadingMode::Range)
            << QList<double>{0.5 * up2, 0.75 * up2, up2};
        QTest::newRow("1.0, 1.25, 1.5 at rate -3")
            << int(StudyLadder::Preset::NormalToFast) << -3 << int(ReadingMode::OneLine)
            << QList<double>{std::pow(3.0, -0.3), 1.25 * std::pow(3.0, -0.3), 1.5 * std::pow(3.0, -0.3)};
        QTest::newRow("no ladder: the rate's step")
            << int(StudyLadder::Preset::None) << 2 << int(ReadingMode::OneLine) << QList<double>{up2};
    }
    void ladderStepIsExactOnTheBuiltInVoice()
    {
        QFETCH(int, preset);
        QFETCH(int, rate);
        QFETCH(int, mode);
        QFETCH(QList<double>, speeds);
        Fixture f(u"first\r\nsecond"_s);
        f.state().readingMode = mode;
        f.state().SpeechRate = rate;
        f.state().StudyLadderPreset = preset;
        if (mode == ReadingMode::Range)
            f.view()->Select(0, 5);
        f.reader.SpeechPlay();
        for (int i = 0; i < 6 && f.engines.voice_.spoken.size() < speeds.size(); ++i)
            f.finish();
        const QList<double> heard = f.engines.voice_.speeds.mid(0, speeds.size());
        QCOMPARE(heard.size(), speeds.size());
        for (qsizetype i = 0; i < speeds.size(); ++i)
            QVERIFY2(std::abs(heard[i] / speeds[i] - 1.0) <= 0.02,
                     qPrintable(u"reading %1: %2× for %3×"_s.arg(i).arg(heard[i]).arg(speeds[i])));
    }

    void modeAndRepetitionButtonsCycle()
    {
        Fixture f(u"x"_s);
        Controls& c = f.form.ui();
        const QStringList faces{u"範囲"_s, u"全て"_s, u"一行"_s};
        for (const QString& face : faces) {
            f.reader.SpeechReproductionModeSetting();
            QCOMPARE(c.readingModeButton->text(), face);
        }
        QVERIFY(c.lineUpButton->isEnabled());
        QVERIFY(c.lineDownButton->isEnabled());
        f.state().readingMode = 7;
        f.reader.SpeechReproductionModeSetting();
        QCOMPARE(f.state().readingMode, ReadingMode::OneLine);

        const QList<std::pair<int, QString>> counts{{2, u"2"_s}, {4, u"4"_s}, {1000, u"∞"_s}, {1, u"1"_s}};
        for (const auto& [count, face] : counts) {
            f.reader.SpeechLoopModeSetting();
            QCOMPARE(f.state().LoopModeCount, count);
            QCOMPARE(c.loopCountButton->text(), face);
        }
    }

    void throughTheWindowsButtons()
    {
        // The real controller on a system that uses the built-in voice: set
        // up on first show, then the reading buttons of the text view.
        ScriptedPrompter prompter;
        MyForm form(prompter);
        FakeSpeechVoice* voice = nullptr;
        form.speech().setEngineFactories([&voice]() -> std::unique_ptr<SpeechVoice> {
            auto v = std::make_unique<FakeSpeechVoice>();
            v->voices = {u"English (en)"_s, u"Japanese (ja)"_s};
            voice = v.get();
            return v;
        }, [] { return std::unique_ptr<SpeechSynthesizer>(); });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Whatever this machine offers, read with the built-in voice.
        form.state().OsMajor = 6;
        form.state().OsMinor = 1;
        form.speech().SpeechPlatformInstallationCheck();
        QVERIFY(voice);
        QCOMPARE(form.state().voiceStatus, EngineStatus::Ready);

        Controls& c = form.ui();
        form.state().LoopModeCount = 2;
        form.documents().TextDisplaySwitch();
        c.textView->SetText(u"こんにちは\r\nさようなら；メモ"_s);
        QVERIFY(c.readButton->isVisible() && c.readButton->isEnabled());

        QTextCursor caret = c.textView->textCursor();
        caret.setPosition(c.textView->ToEditorPosition(8));
        c.textView->setTextCursor(caret);
        prompter.clear();
        QTest::mouseClick(c.readButton, Qt::LeftButton);
        QCOMPARE(voice->spoken, QStringList{u"さようなら"_s});
        QCOMPARE(form.state().speechState, SpeechState::VoiceSpeaking);
        // While reading, the views stay put.
        QTest::mouseClick(c.artViewButton, Qt::LeftButton);
        QCOMPARE(prompter.texts(), QStringList{u"音声合成再生を停止してから行ってください。"_s});
        QVERIFY(c.textView->isVisible());

        voice->finishUtterance();   // the first of two readings ends
        QCOMPARE(voice->spoken.size(), 2);
        QTest::mouseClick(c.readPauseButton, Qt::LeftButton);
        QCOMPARE(form.state().speechState, SpeechState::VoicePaused);
        QTest::mouseClick(c.readStopButton, Qt::LeftButton);
        QCOMPARE(form.state().speechState, SpeechState::VoiceStopped);
        QTest::mouseClick(c.lineDownButton, Qt::LeftButton);   // next line: none after the last
        QCOMPARE(voice->spoken.size(), 2);
        QTest::mouseClick(c.lineUpButton, Qt::LeftButton);
        QCOMPARE(voice->spoken.last(), u"こんにちは"_s);
        QCOMPARE(c.textView->SelectedText(), u"こんにちは"_s);

        // The mode button's face follows the mode, also when the view is shown again.
        QTest::mouseClick(c.readStopButton, Qt::LeftButton);
        QTest::mouseClick(c.readingModeButton, Qt::LeftButton);
        QCOMPARE(c.readingModeButton->text(), u"範囲"_s);
        QVERIFY(!c.lineUpButton->isEnabled());
        form.documents().TextDisplaySwitch();
        QCOMPARE(c.readingModeButton->text(), u"範囲"_s);
        QVERIFY(!c.lineDownButton->isEnabled());
    }

    // A line longer than the view shows its start while it is read, not
    // its end: scrolled back to the left when lines run on, its first row
    // in sight when they wrap.
    void lineBeingReadShowsItsStart_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("wrap");
        QTest::newRow("one line, running on") << int(ReadingMode::OneLine) << false;
        QTest::newRow("whole text, running on") << int(ReadingMode::All) << false;
        QTest::newRow("one line, wrapped") << int(ReadingMode::OneLine) << true;
    }

    void lineBeingReadShowsItsStart()
    {
        QFETCH(int, mode);
        QFETCH(bool, wrap);
        QStringList lines(40, u"短い行"_s);
        const QString longLine = u"長い行の始まり"_s + QString(3000, u'あ');
        lines << longLine << longLine;
        Fixture f(lines.join(u"\r\n"_s));
        // Shown, so the view has its size; the window's own engines stay
        // out of it, and the fixture's voice is the one in use.
        f.form.speech().setEngineFactories([] { return std::unique_ptr<SpeechVoice>(); },
                                           [] { return std::unique_ptr<SpeechSynthesizer>(); });
        f.form.resize(1000, 700);
        f.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.form));
        QCoreApplication::processEvents();
        f.state().synthesizerStatus = EngineStatus::Unavailable;
        f.state().voiceStatus = EngineStatus::Ready;
        f.form.documents().WordWrapSetting(wrap);
        f.state().readingMode = mode;
        const int longStart = 40 * (3 + 2);
        if (mode == 0) {
            f.caretAt(longStart);
            f.reader.SpeechPlay();
        } else {
            f.reader.SpeechPlay();
            while (f.state().SpeakLinesNo < 40 && f.state().speechState == SpeechState::VoiceSpeaking)
                f.finish();
        }
        QCOMPARE(f.selected(), longLine);
        QCOMPARE(f.view()->SelectionStart(), longStart);
        QCoreApplication::processEvents();
        QTextCursor start(f.view()->document());
        start.setPosition(f.view()->ToEditorPosition(longStart));
        const QRect shown = f.view()->viewport()->rect();
        const QRect where = f.view()->cursorRect(start);
        QVERIFY2(shown.contains(where), qPrintable(u"start at %1,%2 outside %3x%4"_s.arg(where.x()).arg(where.y())
                                                       .arg(shown.width()).arg(shown.height())));
        QCOMPARE(f.view()->horizontalScrollBar()->value(), 0);
    }

    // Whatever breaks the text has, the line marked is the line being read:
    // at the caret, skipping, and through the whole text.
    void markedLineFollowsEveryLineEnd_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("read");   // each line as read; empty for nothing to read

        const QStringList three{u"一行目"_s, u"二行目"_s, u"三行目"_s};
        QTest::newRow("LF") << u"一行目\n二行目\n三行目"_s << three;
        QTest::newRow("CR LF") << u"一行目\r\n二行目\r\n三行目"_s << three;
        QTest::newRow("CR") << u"一行目\r二行目\r三行目"_s << three;
        QTest::newRow("mixed, ending with a break")
            << u"一行目\n二行目\r\n三行目\r四行目\n"_s
            << QStringList{u"一行目"_s, u"二行目"_s, u"三行目"_s, u"四行目"_s, QString()};
        QTest::newRow("LF with comment and empty lines")
            << u"；見出し\n本文；メモ\n\n;注\n最後"_s
            << QStringList{QString(), u"本文"_s, QString(), QString(), u"最後"_s};
        QTest::newRow("mixed with comments")
            << u"a；x\r\n；\nb\r\n\rc;y\r\nd"_s
            << QStringList{u"a"_s, QString(), u"b"_s, QString(), u"c"_s, u"d"_s};
    }

    void markedLineFollowsEveryLineEnd()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, read);
        Fixture f(text);
        const QTextDocument* document = f.view()->document();
        QCOMPARE(document->blockCount(), read.size());
        const auto lineStart = [&](int k) { return f.view()->ToTextOffset(document->findBlockByNumber(k).position()); };

        for (int k = 0; k < read.size(); ++k) {
            f.caretAt(lineStart(k));
            f.reader.SpeechPlay();
            QCOMPARE(f.view()->SelectionStart(), lineStart(k));
            QCOMPARE(f.selected(), read[k]);
            if (!read[k].isEmpty()) {
                QCOMPARE(f.spoken().last(), read[k]);
                f.finish();
            }
        }

        f.caretAt(0);
        f.reader.SpeechPlay();
        f.reader.SpeechStop();
        for (int k = 1; k < read.size(); ++k) {
            f.reader.SpeechSkipForward();
            QCOMPARE(f.view()->SelectionStart(), lineStart(k));
            QCOMPARE(f.selected(), read[k]);
        }
        for (int k = read.size() - 2; k >= 0; --k) {
            f.reader.SpeechSkipBackward();
            QCOMPARE(f.view()->SelectionStart(), lineStart(k));
            QCOMPARE(f.selected(), read[k]);
        }
        f.reader.SpeechStop();

        QStringList expected;
        for (const QString& line : read)
            if (!line.isEmpty())
                expected << line;
        f.state().readingMode = ReadingMode::All;
        f.reader.SpeechPlay();
        QStringList marked;
        for (int guard = 0; f.state().speechState == SpeechState::VoiceSpeaking && guard < 20; ++guard) {
            marked << f.selected();
            f.finish();
        }
        QCOMPARE(marked, expected);
        QCOMPARE(f.state().speechState, SpeechState::VoiceStopped);
    }

    // An engine that lets a text go without its end event (a failed stream,
    // a prompt the speech service dropped) must not leave the reader waiting
    // for that end: the next command finds the engine silent, and reading
    // goes on. The steps a user took when it happened: a Japanese text with
    // LF breaks repaired, two readings of the first line, and during the
    // second the voice changed and the count button pressed.
    void readerFollowsAnEngineThatLostItsEnd_data()
    {
        QTest::addColumn<bool>("service");
        QTest::newRow("built-in voice") << false;
        QTest::newRow("desktop speech service") << true;
    }

    void readerFollowsAnEngineThatLostItsEnd()
    {
        QFETCH(bool, service);
        ScriptedPrompter prompter;
        MyForm form(prompter);
        auto owned = std::make_unique<VoiceChoosingSpeech>(form.context());
        VoiceChoosingSpeech* speech = owned.get();
        form.setSpeech(std::move(owned));
        FakeSpeechVoice* voice = nullptr;
        FakeSpeechSynthesizer* synthesizer = nullptr;
        speech->setEngineFactories(
            [&voice]() -> std::unique_ptr<SpeechVoice> {
                auto v = std::make_unique<FakeSpeechVoice>();
                v->voices = {u"English (en)"_s, u"Japanese (ja)"_s};
                voice = v.get();
                return v;
            },
            [&synthesizer]() -> std::unique_ptr<SpeechSynthesizer> {
                auto s = std::make_unique<FakeSpeechSynthesizer>();
                s->voices = {u"English"_s, u"Japanese"_s};
                s->voiceName = u"English"_s;
                synthesizer = s.get();
                return s;
            });
        State& state = form.state();
        state.OsMajor = 6;
        state.OsMinor = service ? 3 : 1;
        state.oralNameText = u"English"_s;
        speech->SpeechPlatformInstallationCheck();
        QVERIFY(service ? synthesizer != nullptr : voice != nullptr);
        const auto spoken = [&] { return service ? synthesizer->spoken : voice->spoken; };
        const auto dropTheText = [&] {
            if (service)
                synthesizer->state = SpeechSynthesizer::Ready;
            else
                voice->running = SpeechVoice::SRSEDone;
        };
        const int speaking = service ? 20 : 10;

        Controls& c = form.ui();
        form.documents().TextDisplaySwitch();
        c.textView->SetText(u"日本語の一行目\n二行目\n"_s);
        prompter.answers = {true};
        QTest::mouseClick(c.lineEndCheckButton, Qt::LeftButton);
        QCOMPARE(c.textView->Text(), u"日本語の一行目\r\n二行目\r\n"_s);
        state.LoopModeCount = 1;
        QTest::mouseClick(c.loopCountButton, Qt::LeftButton);
        QCOMPARE(state.LoopModeCount, 2);
        c.textView->Select(0, 0);

        QTest::mouseClick(c.readButton, Qt::LeftButton);
        QCOMPARE(spoken(), QStringList{u"日本語の一行目"_s});
        service ? synthesizer->finishUtterance() : voice->finishUtterance();
        QCOMPARE(spoken().size(), 2);
        QCOMPARE(state.speechState, speaking);

        // Japanese: the built-in one, or the service's after the two built-in voices.
        speech->answers = {service ? 2 : 1};
        c.menuVoice->trigger();
        QCOMPARE(speech->asked, 1);
        dropTheText();
        QTest::mouseClick(c.loopCountButton, Qt::LeftButton);
        QCOMPARE(state.LoopModeCount, 4);
        QCOMPARE(state.speechState, speaking + 2);
        QVERIFY(c.textView->isEnabled() && c.readingModeButton->isEnabled());

        // Play reads again, with the voice chosen.
        QTest::mouseClick(c.readButton, Qt::LeftButton);
        QCOMPARE(spoken().size(), 3);
        QCOMPARE(state.speechState, speaking);
        if (service)
            QVERIFY(synthesizer->calls.contains(u"SelectVoice(Japanese)"_s));
        else
            QCOMPARE(voice->voiceIndex, 1);
        QVERIFY(!prompter.texts().contains(kUnsupported));
    }

    // The reader's own text sounding while the state says the reading is
    // over: its end would be ignored and Stop would not reach it.
    void readerTakesBackItsTextStillSounding()
    {
        Fixture f(u"line"_s, true);
        f.state().LoopModeCount = 2;
        f.reader.SpeechPlay();
        f.state().speechState = SpeechState::SynthesizerStopped;   // an end counted twice
        f.reader.SpeechStop();
        QCOMPARE(f.engines.synthesizer_.state, int(SpeechSynthesizer::Ready));
        QCOMPARE(f.engines.synthesizer_.calls.last(), u"Cancel"_s);
        QCOMPARE(f.state().speechState, SpeechState::SynthesizerStopped);
    }

    void displayWindowLines()
    {
        State s;
        s.voiceStatus = EngineStatus::Ready;
        s.synthesizerStatus = EngineStatus::Unavailable;
        FakeVoice voice;
        SpeechReader::DispSpeakAsyncOut(u"歌詞;注"_s, s, &voice, nullptr, false);
        QCOMPARE(voice.calls, (QStringList{u"Speak(,3)"_s, u"Speak(歌詞\r\n,3)"_s}));
        voice.calls.clear();
        SpeechReader::DispSpeakAsyncOut(QString(), s, &voice, nullptr, false);
        QVERIFY(voice.calls.isEmpty());

        s.synthesizerStatus = EngineStatus::Ready;
        s.OralName = "Alice";
        FakeSynthesizer synth;
        SpeechReader::DispSpeakAsyncOut(u"歌詞"_s, s, nullptr, &synth, true);
        QCOMPARE(synth.calls, (QStringList{u"Cancel"_s, u"Select(Alice)"_s, u"SpeakAsync"_s}));
        QCOMPARE(synth.spoken, QStringList{u"歌詞"_s});
        QCOMPARE(s.speechState, SpeechState::Idle);
    }
};

QTEST_MAIN(TestReader)
#include "tst_reader.moc"
