// Reading aloud with the study aids on the real built-in voice and the
// private PulseAudio session: the silence after a line as the sink's monitor
// records it, and the word mark moving through a line as it is heard.

#include "app/MyForm.h"
#include "documents/DocumentController.h"
#include "documents/TextView.h"
#include "platform/EspeakEngine.h"
#include "platform/SpeechVoice.h"
#include "speech/SpeechController.h"
#include "speech/SpeechReader.h"
#include "study/StudyLadder.h"
#include "support/EventWait.h"
#include "support/MonitorRecorder.h"
#include "support/ScriptedPrompter.h"

#include <QStandardPaths>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString kLine = u"Please read this short line out loud now"_s;

QString EnglishVoice()
{
    for (const EspeakEngine::Voice& v : EspeakEngine::Instance().voices())
        if (v.languages.value(0) == u"en-us"_s)
            return v.description;
    return {};
}

// The main window reading the text view on the built-in voice.
struct Reading
{
    ScriptedPrompter prompter;
    MyForm form{prompter};

    explicit Reading(const QString& text)
    {
        State& s = form.state();
        s.OsMajor = 6;
        s.OsMinor = 1;
        s.oralNameText = EnglishVoice();
        s.readingMode = ReadingMode::OneLine;
        s.SpeechVol = 100;   // the start-up value is 0 until the settings are read
        form.speech().SpeechPlatformInstallationCheck();
        form.documents().TextDisplaySwitch();
        view()->SetText(text);
    }
    State& state() { return form.state(); }
    TextView* view() { return form.ui().textView; }
    bool finished(int timeoutMs) { return WaitFor([this] { return state().speechState == SpeechState::VoiceStopped; }, timeoutMs, 5); }
};

} // namespace

class TestReadAlong : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
            QFAIL("needs the private sound session: run through scripts/test or after "
                  "eval \"$(scripts/audio-session)\"");
        QVERIFY2(!QStandardPaths::findExecutable(u"parec"_s).isEmpty(), "parec (pulseaudio-utils) is missing");
        QVERIFY2(!EnglishVoice().isEmpty(), "espeak-ng has no en-us voice");
    }

    // Read twice with a gap of once the line: the monitor hears the line,
    // a silence about as long, then the line again.
    void gapIsSilenceAsLongAsTheLine()
    {
        MonitorRecorder monitor;
        QVERIFY(monitor.start());
        Reading r(kLine);
        QCOMPARE(r.state().voiceStatus, EngineStatus::Ready);
        r.state().LoopModeCount = 2;
        r.state().StudyPausePercent = 100;
        const qsizetype from = monitor.samples();
        r.form.speech().SpeechPlay();
        QVERIFY(r.finished(30000));
        Wait(600);   // the monitor's last block

        const qsizetype start1 = monitor.soundFrom(from);
        QVERIFY(start1 >= 0);
        // Words are apart by far less than this; the gap by far more.
        const qsizetype end1 = monitor.silenceFrom(start1, 300);
        QVERIFY(end1 > start1);
        const qsizetype start2 = monitor.soundFrom(end1);
        QVERIFY(start2 > end1);
        const qsizetype end2 = monitor.silenceFrom(start2, 300);
        QVERIFY(end2 > start2);

        const double line1 = double(end1 - start1) * 1000 / MonitorRecorder::Rate;
        const double line2 = double(end2 - start2) * 1000 / MonitorRecorder::Rate;
        const double gap = double(start2 - end1) * 1000 / MonitorRecorder::Rate;
        qInfo("line %.0f ms, gap %.0f ms, second reading %.0f ms; the reader measured %d ms and waited %d ms",
              line1, gap, line2, r.form.speech().Reader().Gap().LineMs(), r.form.speech().Reader().Gap().GapMs());
        QVERIFY2(line1 > 1000, "the line is too short to tell a gap from the pauses between words");
        QVERIFY2(qAbs(line2 - line1) < 200, "the two readings should sound alike");
        // Without the pause the next reading follows within ~100 ms; a
        // doubled pause would take twice the line.
        QVERIFY2(gap > 0.75 * line1 && gap < 1.4 * line1, qPrintable(u"gap %1 ms for a line of %2 ms"_s.arg(gap).arg(line1)));
    }

    // The ladder 0.75× → 1.0× → 1.25× reads the line three times, each
    // reading at its own rate (-3, 0, +2): each is shorter than the one before.
    void ladderReadingsShrinkAsTheRateRises()
    {
        MonitorRecorder monitor;
        QVERIFY(monitor.start());
        Reading r(kLine);
        QCOMPARE(r.state().voiceStatus, EngineStatus::Ready);
        r.state().SpeechRate = 0;
        r.state().StudyLadderPreset = std::int32_t(StudyLadder::Preset::SlowToFast);
        r.state().StudyPausePercent = 50;   // apart, so each reading is heard alone
        const qsizetype from = monitor.samples();
        r.form.speech().SpeechPlay();
        QVERIFY(r.finished(40000));
        Wait(600);

        QList<double> readings;
        qsizetype at = monitor.soundFrom(from);
        while (at >= 0 && readings.size() < 4) {
            qsizetype quiet = monitor.silenceFrom(at, 300);
            if (quiet < 0)
                quiet = monitor.samples();
            readings << double(quiet - at) * 1000 / MonitorRecorder::Rate;
            at = monitor.soundFrom(quiet);
        }
        qInfo() << "readings (ms):" << readings;
        QCOMPARE(readings.size(), 3);
        // 3^(-0.3) = 0.72× and 3^(0.2) = 1.25× of the learner's rate.
        QVERIFY2(readings[0] > readings[1] * 1.15, "the slow reading should take longer");
        QVERIFY2(readings[2] < readings[1] * 0.92, "the fast reading should take less");
        QCOMPARE(r.state().SpeechRate, 0);   // the learner's rate stays
    }

    // The mark goes through the words of the line, each once, in order.
    void wordMarkMovesThroughTheLine()
    {
        MonitorRecorder monitor;
        QVERIFY(monitor.start());
        Reading r(u"intro\r\n"_s + kLine + u"；not read"_s);
        QCOMPARE(r.state().voiceStatus, EngineStatus::Ready);
        r.state().LoopModeCount = 1;
        r.state().StudyFollowWord = Switch::On;
        QTextCursor c = r.view()->textCursor();
        c.setPosition(r.view()->ToEditorPosition(9));
        r.view()->setTextCursor(c);

        QStringList marked;
        SpeechVoice* voice = r.form.speech().voice();
        QVERIFY(voice);
        QObject::connect(voice, &SpeechVoice::WordStarted, voice, [&] {
            const auto [start, length] = r.view()->WordHighlight();
            const QString word = start < 0 ? QString() : r.view()->Text().mid(start, length);
            if (marked.isEmpty() || marked.last() != word)
                marked << word;
        });
        r.form.speech().SpeechPlay();
        QVERIFY(WaitFor([&] { return marked.size() == 2; }, 10000, 5));
        QCOMPARE(r.view()->SelectedText(), kLine);   // the line stays selected under the mark
        QVERIFY(r.finished(30000));
        QCOMPARE(marked, kLine.split(u' '));
        QCOMPARE(r.view()->WordHighlight().first, -1);   // gone with the end of the line
    }
};

QTEST_MAIN(TestReadAlong)
#include "tst_readalong.moc"
