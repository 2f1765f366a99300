// The study aids of the reader, against engines that only record: the
// silence after each read line (its length, and what pause, play, stop and
// the skips do to it) and the mark on the word being heard.

#include "app/MyForm.h"
#include "documents/DocumentController.h"
#include "documents/TextView.h"
#include "platform/Clock.h"
#include "platform/SystemColors.h"
#include "speech/SpeechReader.h"
#include "support/EventWait.h"
#include "support/FakeSpeechEngines.h"
#include "support/ScriptedPrompter.h"

#include <QAction>
#include <QElapsedTimer>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Time stands still unless the test moves it.
class TestClock : public Clock
{
public:
    std::int32_t now = 5'000;
    std::int32_t TimeOfDay() const override { return now; }
};

struct TestEngines : SpeechEngines
{
    FakeSpeechVoice voice_;
    FakeSpeechSynthesizer synthesizer_;
    bool synth = false;
    SpeechVoice* voice() const override { return const_cast<FakeSpeechVoice*>(&voice_); }
    SpeechSynthesizer* synthesizer() const override { return const_cast<FakeSpeechSynthesizer*>(&synthesizer_); }
    bool SynthesizerInUse() const override { return synth; }
};

// A main window showing the text view with a document, and a reader
// speaking through fake engines, measuring lines on a clock of the test's.
struct Fixture
{
    ScriptedPrompter prompter;
    MyForm form{prompter};
    TestEngines engines;
    SpeechReader reader{form.context(), engines};
    TestClock* clock = new TestClock;

    explicit Fixture(const QString& text, int pausePercent = 100, bool synthesizer = false)
    {
        engines.synth = synthesizer;
        engines.synthesizer_.voices = {u"Kyoko"_s};
        State& s = state();
        s.synthesizerStatus = synthesizer ? EngineStatus::Ready : EngineStatus::Unavailable;
        s.voiceStatus = synthesizer ? EngineStatus::Unavailable : EngineStatus::Ready;
        s.OralName = "Kyoko";
        s.LoopModeCount = 2;
        s.StudyPausePercent = pausePercent;
        reader.Gap().setClock(std::unique_ptr<Clock>(clock));
        form.documents().TextDisplaySwitch();
        view()->SetText(text);
        QObject::connect(&engines.voice_, &SpeechVoice::EndStream, &form, [this] { reader.SpeechVoiceEndEvent(); });
        QObject::connect(&engines.voice_, &SpeechVoice::AudioStarted, &form, [this] { reader.AudioStarted(); });
        QObject::connect(&engines.voice_, &SpeechVoice::WordStarted, &form,
                         [this](int start, int length) { reader.WordStarted(start, length); });
        QObject::connect(&engines.synthesizer_, &SpeechSynthesizer::SpeakCompleted, &form,
                         [this] { reader.SpeechSynthesizerEndEvent(); });
    }

    State& state() { return form.state(); }
    TextView* view() { return form.ui().textView; }
    QStringList& spoken() { return engines.synth ? engines.synthesizer_.spoken : engines.voice_.spoken; }
    void finish()
    {
        if (engines.synth)
            engines.synthesizer_.finishUtterance();
        else
            engines.voice_.finishUtterance();
    }
    // Reads the current line, `ms` long on the clock, to its end.
    void readLine(int ms)
    {
        clock->now += ms;
        finish();
    }
    QString marked()
    {
        const auto [start, length] = view()->WordHighlight();
        return start < 0 ? QString() : view()->Text().mid(start, length);
    }
};

} // namespace

class TestShadowing : public QObject
{
    Q_OBJECT

private slots:
    // The gap is the line's length, from its first sound and without its
    // pauses, times the chosen factor.
    void gapLength_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("heardAfterMs");   // -1: the engine never says
        QTest::addColumn<int>("pausedMs");       // a pause inside the line
        QTest::addColumn<int>("lineMs");         // from the speak call to its end, pauses left out
        QTest::addColumn<int>("expectedGapMs");

        QTest::newRow("half") << 50 << -1 << 0 << 400 << 200;
        QTest::newRow("once") << 100 << -1 << 0 << 400 << 400;
        QTest::newRow("one and a half") << 150 << -1 << 0 << 400 << 600;
        QTest::newRow("counted from the first sound") << 100 << 150 << 0 << 450 << 300;
        QTest::newRow("pause inside the line left out") << 100 << -1 << 2000 << 300 << 300;
        QTest::newRow("heard after a pause") << 100 << 100 << 700 << 500 << 400;
    }

    void gapLength()
    {
        QFETCH(int, percent);
        QFETCH(int, heardAfterMs);
        QFETCH(int, pausedMs);
        QFETCH(int, lineMs);
        QFETCH(int, expectedGapMs);

        Fixture f(u"one line"_s, percent);
        f.reader.SpeechPlay();
        int told = 0;
        if (pausedMs > 0) {
            f.clock->now += 50;
            told += 50;
            f.reader.SpeechPause();
            f.clock->now += pausedMs;
            f.reader.SpeechPause();
            QCOMPARE(f.state().speechState, SpeechState::VoiceSpeaking);
        }
        if (heardAfterMs >= 0) {
            f.clock->now += heardAfterMs - told;
            told = heardAfterMs;
            emit f.engines.voice_.AudioStarted();
        }
        f.readLine(lineMs - told);
        QCOMPARE(f.reader.Gap().GapMs(), expectedGapMs);

        // The next reading waits that long in real time, and no longer.
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(f.spoken().size(), 1);
        QCOMPARE(f.state().speechState, SpeechState::VoiceSpeaking);   // still reading: the views stay locked
        QVERIFY(WaitFor([&] { return f.spoken().size() == 2; }, expectedGapMs + 3000));
        QVERIFY2(waited.elapsed() >= expectedGapMs - 1, qPrintable(QString::number(waited.elapsed())));
        QVERIFY2(waited.elapsed() < expectedGapMs + 400, qPrintable(QString::number(waited.elapsed())));
    }

    void noGapKeepsTodaysTiming()
    {
        Fixture f(u"a\r\nb\r\nc"_s, 0);
        f.state().readingMode = ReadingMode::All;
        f.reader.SpeechPlay();
        f.readLine(500);
        QCOMPARE(f.spoken(), (QStringList{u"a"_s, u"b"_s}));   // at once, within the completion
        f.readLine(500);
        f.readLine(500);
        QCOMPARE(f.state().speechState, SpeechState::VoiceStopped);
    }

    // After the last reading nothing follows: the reading ends at once.
    void lastReadingEndsAtOnce_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("readings");
        QTest::newRow("one line, twice") << int(ReadingMode::OneLine) << u"line"_s << 2;
        QTest::newRow("all, comment line last") << int(ReadingMode::All) << u"a\r\nb\r\n；note"_s << 2;
    }

    void lastReadingEndsAtOnce()
    {
        QFETCH(int, mode);
        QFETCH(QString, text);
        QFETCH(int, readings);
        Fixture f(text, 150);
        f.state().readingMode = mode;
        f.reader.SpeechPlay();
        for (int k = 1; k < readings; ++k) {
            f.readLine(100);
            QVERIFY(f.reader.Gap().Waiting());
            QVERIFY(WaitFor([&] { return f.spoken().size() == k + 1; }, 3000));
        }
        f.readLine(100);
        QVERIFY(!f.reader.Gap().Waiting());
        QCOMPARE(f.state().speechState, SpeechState::VoiceStopped);
        QCOMPARE(f.spoken().size(), readings);
    }

    // Pause holds the gap; the pause button or play goes on with its rest.
    void pauseHoldsTheGap_data()
    {
        QTest::addColumn<bool>("synthesizer");
        QTest::addColumn<bool>("byPlay");
        QTest::newRow("built-in voice, pause button") << false << false;
        QTest::newRow("built-in voice, play button") << false << true;
        QTest::newRow("desktop service, pause button") << true << false;
        QTest::newRow("desktop service, play button") << true << true;
    }

    void pauseHoldsTheGap()
    {
        QFETCH(bool, synthesizer);
        QFETCH(bool, byPlay);
        Fixture f(u"line"_s, 100, synthesizer);
        const int speaking = synthesizer ? 20 : 10;
        f.reader.SpeechPlay();
        f.readLine(300);
        Wait(100);
        f.reader.SpeechPause();
        QCOMPARE(f.state().speechState, speaking + 1);
        QCOMPARE(SystemColors::BackColor(f.form.ui().readPauseButton), SystemColors::ActiveCaption());
        Wait(600);
        QCOMPARE(f.spoken().size(), 1);

        QElapsedTimer rest;
        rest.start();
        if (byPlay)
            f.reader.SpeechPlay();
        else
            f.reader.SpeechPause();
        QCOMPARE(f.state().speechState, speaking);
        QCOMPARE(SystemColors::BackColor(f.form.ui().readPauseButton), SystemColors::ControlLight());
        QVERIFY(WaitFor([&] { return f.spoken().size() == 2; }, 3000));
        // What was left of it, not a new gap (about 200 of 300 ms).
        QVERIFY2(rest.elapsed() < 290, qPrintable(QString::number(rest.elapsed())));
        QCOMPARE(f.spoken(), (QStringList{u"line"_s, u"line"_s}));
        QCOMPARE(f.state().speechState, speaking);
    }

    void stopEndsTheGap_data()
    {
        QTest::addColumn<bool>("paused");
        QTest::newRow("in the gap") << false;
        QTest::newRow("gap held by a pause") << true;
    }

    void stopEndsTheGap()
    {
        QFETCH(bool, paused);
        Fixture f(u"line"_s, 100);
        f.reader.SpeechPlay();
        f.readLine(200);
        if (paused)
            f.reader.SpeechPause();
        f.reader.SpeechStop();
        QCOMPARE(f.state().speechState, SpeechState::VoiceStopped);
        QVERIFY(!f.reader.Gap().Waiting());
        Wait(500);
        QCOMPARE(f.spoken().size(), 1);
        QCOMPARE(f.state().speechState, SpeechState::VoiceStopped);
    }

    void skipsGoAtOnce_data()
    {
        QTest::addColumn<bool>("forward");
        QTest::addColumn<QString>("expected");
        QTest::newRow("next line") << true << u"third"_s;
        QTest::newRow("previous line") << false << u"first"_s;
    }

    void skipsGoAtOnce()
    {
        QFETCH(bool, forward);
        QFETCH(QString, expected);
        Fixture f(u"first\r\nsecond\r\nthird"_s, 100);
        QTextCursor c = f.view()->textCursor();
        c.setPosition(f.view()->ToEditorPosition(8));
        f.view()->setTextCursor(c);
        f.reader.SpeechPlay();
        f.readLine(200);
        QVERIFY(f.reader.Gap().Waiting());
        if (forward)
            f.reader.SpeechSkipForward();
        else
            f.reader.SpeechSkipBackward();
        QCOMPARE(f.spoken(), (QStringList{u"second"_s, expected}));
        QVERIFY(!f.reader.Gap().Waiting());
        // The silence of the old line does not come back to read it again.
        Wait(400);
        QCOMPARE(f.spoken().size(), 2);
    }

    // The word being heard is marked in the view, through the comments and
    // the line breaks the reading drops.
    void wordFollowsTheVoice_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selectFrom");   // range mode: the selection
        QTest::addColumn<int>("selectLength");
        QTest::addColumn<int>("wordStart");    // in the spoken text
        QTest::addColumn<int>("wordLength");
        QTest::addColumn<QString>("expected");

        QTest::newRow("one line") << int(ReadingMode::OneLine) << u"intro\r\nsay it again；note"_s << 7 << 0 << 4 << 2 << u"it"_s;
        QTest::newRow("all, second line") << int(ReadingMode::All) << u"；c\r\n今日は 晴れ"_s << 0 << 0 << 4 << 2 << u"晴れ"_s;
        QTest::newRow("range across a comment") << int(ReadingMode::Range) << u"x\r\naa；bb\r\ncc dd"_s << 3 << 12 << 7 << 2 << u"dd"_s;
    }

    void wordFollowsTheVoice()
    {
        QFETCH(int, mode);
        QFETCH(QString, text);
        QFETCH(int, selectFrom);
        QFETCH(int, selectLength);
        QFETCH(int, wordStart);
        QFETCH(int, wordLength);
        QFETCH(QString, expected);

        Fixture f(text, 0);
        f.state().readingMode = mode;
        f.view()->Select(selectFrom, selectLength);
        f.view()->document()->setModified(false);
        const int flag = f.state().textDocumentState;
        f.reader.SpeechPlay();
        QCOMPARE(f.state().speechState, SpeechState::VoiceSpeaking);
        const int selStart = f.view()->SelectionStart();
        const int selLength = f.view()->SelectionLength();

        emit f.engines.voice_.WordStarted(wordStart, wordLength);
        QCOMPARE(f.marked(), expected);
        // Only marked: the line stays selected, the text and its history untouched.
        QCOMPARE(f.view()->SelectionStart(), selStart);
        QCOMPARE(f.view()->SelectionLength(), selLength);
        QVERIFY(!f.view()->document()->isUndoAvailable());
        QVERIFY(!f.view()->document()->isModified());
        QCOMPARE(f.state().textDocumentState, flag);
        QCOMPARE(f.view()->Text(), text);

        // The end of the reading takes the mark away.
        f.finish();
        QCOMPARE(f.marked(), QString());
    }

    void wordMarkOnlyWhenWantedAndSpeaking()
    {
        Fixture f(u"one two three"_s, 0);
        f.reader.SpeechPlay();
        f.state().StudyFollowWord = Switch::Off;
        emit f.engines.voice_.WordStarted(4, 3);
        QCOMPARE(f.marked(), QString());

        // Switched off while a word is marked: the mark goes at once.
        f.state().StudyFollowWord = Switch::On;
        emit f.engines.voice_.WordStarted(4, 3);
        QCOMPARE(f.marked(), u"two"_s);
        f.state().StudyFollowWord = Switch::Off;
        f.reader.FollowWordChanged();
        QCOMPARE(f.marked(), QString());

        // Stopped: a late word is not shown.
        f.state().StudyFollowWord = Switch::On;
        f.reader.SpeechStop();
        emit f.engines.voice_.WordStarted(8, 5);
        QCOMPARE(f.marked(), QString());
    }

    // The study menu sets the gap and the word mark.
    void menuItems()
    {
        ScriptedPrompter prompter;
        MyForm form(prompter);
        const Controls& ui = form.ui();
        const QList<std::pair<QAction*, int>> items{
            {ui.menuPauseOneHalf, 150}, {ui.menuPauseHalf, 50}, {ui.menuPauseOne, 100}, {ui.menuPauseNone, 0}};
        for (const auto& [action, percent] : items) {
            action->trigger();
            QCOMPARE(form.state().StudyPausePercent, percent);
            QVERIFY(action->isChecked());
        }
        ui.menuFollowWord->trigger();
        QCOMPARE(form.state().StudyFollowWord, Switch::Off);
        ui.menuFollowWord->trigger();
        QCOMPARE(form.state().StudyFollowWord, Switch::On);
    }
};

QTEST_MAIN(TestShadowing)
#include "tst_shadowing.moc"
