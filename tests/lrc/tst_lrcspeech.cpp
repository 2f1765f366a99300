// The synchronized-text window's speak buttons share the main window's
// engine: what they say must never drive the reader's repetitions, and the
// reader's completions must still reach it after the window has spoken.

#include "app/MyForm.h"
#include "documents/DocumentController.h"
#include "documents/TextView.h"
#include "lrc/LrcController.h"
#include "lrc/LrcDisplay.h"
#include "platform/BuiltInVoice.h"
#include "speech/SpeechController.h"
#include "support/FakeSpeechEngines.h"
#include "support/ScriptedPrompter.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct Fixture
{
    ScriptedPrompter prompter;
    MyForm form{prompter};
    FakeSpeechVoice* voice = nullptr;
    FakeSpeechSynthesizer* synthesizer = nullptr;
    bool synth;

    explicit Fixture(bool useSynthesizer, const QString& voiceName = u"Kyoko"_s) : synth(useSynthesizer)
    {
        State& s = form.state();
        s.OsMajor = 6;
        s.OsMinor = synth ? 3 : 1;
        s.oralNameText = voiceName;
        s.LoopModeCount = 2;
        form.speech().setEngineFactories(
            [this] {
                auto v = std::make_unique<FakeSpeechVoice>();
                v->voices = QStringList{form.state().oralNameText};
                voice = v.get();
                return v;
            },
            [this] {
                auto e = std::make_unique<FakeSpeechSynthesizer>();
                e->voices = QStringList{u"Kyoko"_s};
                synthesizer = e.get();
                return e;
            });
        form.speech().SpeechPlatformInstallationCheck();
        form.documents().TextDisplaySwitch();
        form.ui().textView->SetText(u"first line"_s);
        s.LrcText = u"[00:01.00]x"_s;
        form.lrc().LrcDisplayOpen();
    }

    QStringList spoken() const { return synth ? synthesizer->spoken : voice->spoken; }
    void finish() { synth ? synthesizer->finishUtterance() : voice->finishUtterance(); }
    int speaking() const { return synth ? SpeechState::SynthesizerSpeaking : SpeechState::VoiceSpeaking; }
    LrcDisplay* window() { return form.lrc().dlgLrcDisplay(); }
};

} // namespace

class TestLrcSpeech : public QObject
{
    Q_OBJECT

private slots:
    void engines_data()
    {
        QTest::addColumn<bool>("synthesizer");
        QTest::newRow("built-in voice") << false;
        QTest::newRow("speech service") << true;
    }


    void windowSpeechNeverDrivesTheReader_data() { engines_data(); }
    void windowSpeechNeverDrivesTheReader()
    {
        QFETCH(bool, synthesizer);
        Fixture f(synthesizer);
        QVERIFY(f.form.state().synthesizerStatus == EngineStatus::Ready || f.form.state().voiceStatus == EngineStatus::Ready);
        f.form.speech().SpeechPlay();
        QCOMPARE(f.spoken(), QStringList{u"first line"_s});
        QCOMPARE(f.form.state().speechState, f.speaking());

        // The reading is stopped cleanly, then the line is said with its
        // comment cut.
        f.window()->currentLineLabel->setText(u"歌詞；メモ"_s);
        f.window()->currentLineSpeakButton->click();
        QCOMPARE(f.spoken(), (QStringList{u"first line"_s, u"歌詞\r\n"_s}));
        QCOMPARE(f.form.state().speechState, f.speaking() + 2);

        f.finish();   // the window's line ends: no repetition of the reader's
        QCOMPARE(f.spoken().size(), 2);
        QCOMPARE(f.form.state().SpeechLoopCount, 0);
        QCOMPARE(f.form.state().speechState, f.speaking() + 2);

        f.window()->nextLineLabel->clear();
        f.window()->nextLineSpeakButton->click();   // an empty line is not spoken
        QCOMPARE(f.spoken().size(), 2);
    }

    void readerCompletionsStillReachTheReader_data() { engines_data(); }
    void readerCompletionsStillReachTheReader()
    {
        QFETCH(bool, synthesizer);
        Fixture f(synthesizer);
        // Whole-text mode takes any completion as the cue for its next line.
        f.form.state().readingMode = ReadingMode::All;
        f.window()->previousLineLabel->setText(u"前の行"_s);
        f.window()->previousLineSpeakButton->click();
        f.finish();
        QCOMPARE(f.spoken(), QStringList{u"前の行"_s});
        QCOMPARE(f.form.state().speechState, SpeechState::Idle);   // the window touched no reading state

        f.form.state().readingMode = ReadingMode::OneLine;

        f.form.speech().SpeechPlay();
        f.finish();   // the reader's own completion: one repetition follows
        QCOMPARE(f.spoken(), (QStringList{u"前の行"_s, u"first line"_s, u"first line"_s}));
        QCOMPARE(f.form.state().speechState, f.speaking());
        f.finish();
        QCOMPARE(f.form.state().speechState, f.speaking() + 2);
    }

    // A lyric and its translation share one time: the automatic voice says
    // each part in turn, a voice of one language only its part, a voice of
    // the speech service the lyric.
    void bilingualLineSaysItsParts_data()
    {
        QTest::addColumn<bool>("synthesizer");
        QTest::addColumn<QString>("voice");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("automatic") << false << BuiltInVoice::kAutomaticName << QStringList{u"こんにちは"_s, u"Hello"_s};
        QTest::newRow("English") << false << BuiltInVoice::kEnglishFemaleName << QStringList{u"Hello"_s};
        QTest::newRow("Japanese") << false << BuiltInVoice::kJapaneseName << QStringList{u"こんにちは"_s};
        QTest::newRow("speech service") << true << u"Kyoko"_s << QStringList{u"こんにちは"_s};
    }
    void bilingualLineSaysItsParts()
    {
        QFETCH(bool, synthesizer);
        QFETCH(QString, voice);
        QFETCH(QStringList, said);
        Fixture f(synthesizer, voice);
        f.form.state().LrcText = u"[00:01.00]こんにちは\r\n[00:01.00]Hello\r\n[00:04.00]次\r\n"_s;
        f.form.state().PositionTimeMiriSecond = 1000;
        f.form.lrc().TrackBarLrcTextTimerIni();
        QCOMPARE(f.window()->currentLineLabel->text(), u"こんにちは"_s);
        QCOMPARE(f.window()->currentLineLabel->secondLine(), u"Hello"_s);
        f.window()->currentLineSpeakButton->click();
        for (int i = 0; i < 3; ++i)
            f.finish();
        QCOMPARE(f.spoken(), said);
        QCOMPARE(f.form.state().speechState, SpeechState::Idle);   // never the reader's
    }

    // Closing the window silences only what the window said.
    void closingCancelsOnlyTheWindowsSpeech()
    {
        {
            Fixture f(true);
            f.form.speech().SpeechPlay();
            const int cancels = f.synthesizer->cancels;
            f.window()->close();
            QCOMPARE(f.synthesizer->cancels, cancels);
        }
        {
            Fixture f(true);
            f.window()->currentLineLabel->setText(u"今"_s);
            f.window()->currentLineSpeakButton->click();
            const int cancels = f.synthesizer->cancels;
            f.window()->close();
            QCOMPARE(f.synthesizer->cancels, cancels + 1);
        }
    }
};

QTEST_MAIN(TestLrcSpeech)
#include "tst_lrcspeech.moc"
