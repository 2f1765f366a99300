// Engine set-up: which engine, the voice walk of each, failures, and a
// speech service that takes its time to start.

#include "app/MyForm.h"
#include "documents/DocumentController.h"
#include "documents/TextView.h"
#include "SpeechRig.h"
#include "platform/SystemVersion.h"
#include "settings/SettingsController.h"
#include "speech/VoiceList.h"
#include "support/RecordingControllers.h"
#include "support/ScriptedPrompter.h"

#include <QAction>
#include <QPushButton>
#include <QtTest>

class TestSpeechSetup : public QObject
{
    Q_OBJECT

private slots:
    void engineChoiceFollowsTheVersion_data();
    void engineChoiceFollowsTheVersion();

    void builtInVoiceFirstRunKeepsTheDefaultVoice();
    void builtInVoiceFindsTheSavedVoiceEveryRun();
    void builtInVoiceFallsBackToTheFirstVoice();
    void builtInVoiceWithoutVoicesIsUnavailable();
    void builtInVoiceFailures_data();
    void builtInVoiceFailures();

    void synthesizerWalkStopsAtTheSavedVoice();
    void synthesizerWithoutMatchTakesItsCurrentVoice();
    void synthesizerWithoutVoicesKeepsTheName();
    void synthesizerFailures_data();
    void synthesizerFailures();
    void synthesizerStartingKeepsCommandsSensible();
    void windowAnswersWhileTheServiceStarts();

    void storedVoiceChoosesTheEngine_data();
    void storedVoiceChoosesTheEngine();
    void dialogOffersBothEnginesAndSwitchesAtOnce();
    void serviceVoiceThatFailsFallsBackToBuiltIn();
    void oldServiceNameTakesTheBuiltInVoiceOfItsLanguage_data();
    void oldServiceNameTakesTheBuiltInVoiceOfItsLanguage();

};

void TestSpeechSetup::engineChoiceFollowsTheVersion_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<bool>("synthesizer");
    QTest::newRow("6.3") << 6 << 3 << true;
    QTest::newRow("6.2") << 6 << 2 << true;
    QTest::newRow("6.1") << 6 << 1 << false;
    QTest::newRow("6.4") << 6 << 4 << false;
    QTest::newRow("10.0") << 10 << 0 << false;
    QTest::newRow("5.2") << 5 << 2 << false;
}

void TestSpeechSetup::engineChoiceFollowsTheVersion()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(bool, synthesizer);
    Rig rig(major, minor);
    // The choice does not look at the error flags.
    rig.state.synthesizerStatus = EngineStatus::Ready;
    rig.state.voiceStatus = EngineStatus::Ready;
    QCOMPARE(rig.speech.SynthesizerInUse(), synthesizer);
    rig.speech.SpeechPlatformInstallationCheck();
    QCOMPARE(rig.synthesizersMade, synthesizer ? 1 : 0);
    QCOMPARE(rig.voicesMade, synthesizer ? 0 : 1);
    QCOMPARE(rig.speech.synthesizer() != nullptr, synthesizer);
    QCOMPARE(rig.speech.voice() != nullptr, !synthesizer);
    // Only the flag of the engine in use is cleared.
    QCOMPARE(rig.state.synthesizerStatus, synthesizer ? EngineStatus::Ready : EngineStatus::Unavailable);
    QCOMPARE(rig.state.voiceStatus, synthesizer ? EngineStatus::Unavailable : EngineStatus::Ready);
}

void TestSpeechSetup::builtInVoiceFirstRunKeepsTheDefaultVoice()
{
    Rig rig;
    rig.state.OralSelectionNumber = 0;
    rig.speech.SpeechPlatformInstallationCheck();
    QCOMPARE(rig.state.voiceStatus, EngineStatus::Ready);
    QCOMPARE(rig.state.synthesizerStatus, EngineStatus::Unavailable);
    QVERIFY(rig.available());
    QCOMPARE(rig.state.oralNameText, kVoices[0]);
    QCOMPARE(rig.oralName(), kNone);
    // No voice given: the engine's default speaks.
    QCOMPARE(rig.voice->voiceIndex, -1);
    QVERIFY(!rig.voice->calls.join(u' ').contains(u"setVoice"_s));
    // The dialog then offers the first entry.
    rig.speech.SpeechSettingSub();
    QCOMPARE(rig.speech.asked.size(), 1);
    QCOMPARE(rig.speech.asked[0].names, kVoices);
    QCOMPARE(rig.speech.asked[0].preselected, 0);
}

void TestSpeechSetup::builtInVoiceFindsTheSavedVoiceEveryRun()
{
    QByteArray saved = kVoices[2].toLocal8Bit();
    for (int run = 0; run < 3; ++run) {
        Rig rig;
        // Start-up reads OralName into both variables.
        rig.state.oralNameText = QString::fromLocal8Bit(saved);
        rig.state.OralName = saved;
        rig.speech.SpeechPlatformInstallationCheck();
        QCOMPARE(rig.state.voiceStatus, EngineStatus::Ready);
        QCOMPARE(rig.voice->voiceIndex, 2);
        QCOMPARE(rig.state.OralSelectionNumber, 2);
        QCOMPARE(rig.oralName(), kVoices[2]);
        saved = rig.state.OralName;   // written at exit
    }
}

void TestSpeechSetup::builtInVoiceFallsBackToTheFirstVoice()
{
    Rig rig;
    rig.state.oralNameText = u"Uninstalled (zz)"_s;
    rig.state.OralName = "Uninstalled (zz)";
    rig.state.OralSelectionNumber = 2;
    rig.speech.SpeechPlatformInstallationCheck();
    QCOMPARE(rig.state.voiceStatus, EngineStatus::Ready);
    QCOMPARE(rig.voice->voiceIndex, 0);
    QCOMPARE(rig.state.OralSelectionNumber, 0);
    QCOMPARE(rig.oralName(), kVoices[0]);   // what is saved at exit
}

void TestSpeechSetup::builtInVoiceWithoutVoicesIsUnavailable()
{
    for (const QString& saved : {kNone, kVoices[1]}) {
        Rig rig;
        rig.voiceList.clear();
        rig.state.oralNameText = saved;
        rig.state.OralName = saved.toLocal8Bit();
        rig.speech.SpeechPlatformInstallationCheck();
        QCOMPARE(rig.state.voiceStatus, EngineStatus::Unavailable);
        QVERIFY(!rig.available());
        QCOMPARE(rig.oralName(), saved);
        QCOMPARE(rig.state.SpeechRate, 2);
    }
}

void TestSpeechSetup::builtInVoiceFailures_data()
{
    QTest::addColumn<bool>("missing");
    QTest::addColumn<QString>("failing");
    QTest::newRow("not installed") << true << QString();
    QTest::newRow("voice refused") << false << u"setVoice"_s;
}

void TestSpeechSetup::builtInVoiceFailures()
{
    QFETCH(bool, missing);
    QFETCH(QString, failing);
    Rig rig;
    rig.voiceMissing = missing;
    if (!failing.isEmpty())
        rig.voiceFailures.names << failing;
    rig.state.oralNameText = kVoices[1];
    rig.state.OralName = kVoices[1].toLocal8Bit();
    rig.state.OralSelectionNumber = 1;
    rig.speechSpeedSlider->setValue(2);   // as the settings showed the stored rate
    rig.speechSpeedLabel->setText(u"2"_s);
    rig.speech.SpeechPlatformInstallationCheck();
    QCOMPARE(rig.state.voiceStatus, EngineStatus::Unavailable);
    QCOMPARE(rig.state.synthesizerStatus, EngineStatus::Unavailable);
    QCOMPARE(rig.state.OralSelectionNumber, 0);
    QCOMPARE(rig.state.SpeechRate, 0);
    // The slider and its number show the rate that now holds.
    QCOMPARE(rig.speechSpeedSlider->value(), 0);
    QCOMPARE(rig.speechSpeedLabel->text(), u"0"_s);
    QCOMPARE(rig.oralName(), kNone);
    // The commands then say the engine is missing.
    rig.speech.SpeechSettingSub();
    QCOMPARE(rig.prompter.texts(), QStringList{kInstall});
    QVERIFY(rig.speech.asked.isEmpty());
}

void TestSpeechSetup::synthesizerWalkStopsAtTheSavedVoice()
{
    Rig rig(6, 3);
    rig.state.oralNameText = kVoices[1];
    rig.speech.SpeechPlatformInstallationCheck();
    QCOMPARE(rig.state.synthesizerStatus, EngineStatus::Ready);
    QCOMPARE(rig.state.voiceStatus, EngineStatus::Unavailable);
    QVERIFY(rig.available());
    QCOMPARE(rig.oralName(), kVoices[1]);
    QCOMPARE(rig.synthesizer->voiceName, kVoices[1]);
    // The first voice did not match: output to the default device; the
    // second matched and ended the walk; then the rate.
    QCOMPARE(rig.synthesizer->calls, (QStringList{u"SetOutputToDefaultAudioDevice"_s,
                                                  u"SelectVoice(%1)"_s.arg(kVoices[1]),
                                                  u"setRate(2)"_s}));
}

void TestSpeechSetup::synthesizerWithoutMatchTakesItsCurrentVoice()
{
    Rig rig(6, 2);
    rig.state.oralNameText = u"Uninstalled"_s;
    rig.state.OralName = "Uninstalled";
    rig.speech.SpeechPlatformInstallationCheck();
    QCOMPARE(rig.state.synthesizerStatus, EngineStatus::Ready);
    QCOMPARE(rig.oralName(), u"Current"_s);
    QCOMPARE(rig.synthesizer->calls.count(u"SetOutputToDefaultAudioDevice"_s), 3);
    QVERIFY(!rig.synthesizer->calls.join(u' ').contains(u"SelectVoice"_s));
}

void TestSpeechSetup::synthesizerWithoutVoicesKeepsTheName()
{
    Rig rig(6, 3);
    rig.installed.clear();
    rig.state.oralNameText = u"Saved voice"_s;
    rig.state.OralName = "Saved voice";
    rig.speech.SpeechPlatformInstallationCheck();
    QCOMPARE(rig.state.synthesizerStatus, EngineStatus::Ready);
    QCOMPARE(rig.oralName(), u"Saved voice"_s);
    // Speaking then fails: the voice cannot be selected.
    QVERIFY(!rig.synthesizer->SelectVoice(rig.oralName()));
}

void TestSpeechSetup::synthesizerFailures_data()
{
    QTest::addColumn<bool>("missing");
    QTest::addColumn<bool>("startFails");
    QTest::addColumn<QString>("failing");
    QTest::newRow("not installed") << true << false << QString();
    QTest::newRow("service does not start") << false << true << QString();
    QTest::newRow("voice refused") << false << false << u"SelectVoice"_s;
    QTest::newRow("output refused") << false << false << u"SetOutputToDefaultAudioDevice"_s;
    QTest::newRow("rate refused") << false << false << u"setRate"_s;
}

void TestSpeechSetup::synthesizerFailures()
{
    QFETCH(bool, missing);
    QFETCH(bool, startFails);
    QFETCH(QString, failing);
    Rig rig(6, 3);
    rig.synthesizerMissing = missing;
    rig.starting = startFails;
    if (!failing.isEmpty())
        rig.synthesizerFailures.names << failing;
    rig.state.oralNameText = kVoices[2];
    rig.state.OralName = kVoices[2].toLocal8Bit();
    rig.state.OralSelectionNumber = 2;
    rig.speechSpeedSlider->setValue(2);   // as the settings showed the stored rate
    rig.speechSpeedLabel->setText(u"2"_s);
    rig.speech.SpeechPlatformInstallationCheck();
    if (startFails)
        rig.synthesizer->finishStart(false);
    QCOMPARE(rig.state.synthesizerStatus, EngineStatus::Unavailable);
    QCOMPARE(rig.state.voiceStatus, EngineStatus::Unavailable);
    QCOMPARE(rig.state.OralSelectionNumber, 0);
    QCOMPARE(rig.state.SpeechRate, 0);
    QCOMPARE(rig.speechSpeedSlider->value(), 0);
    QCOMPARE(rig.speechSpeedLabel->text(), u"0"_s);
    QCOMPARE(rig.oralName(), kNone);
    QVERIFY(!rig.speech.EngineStarting());
    QCOMPARE(rig.voicesMade, 0);
}

void TestSpeechSetup::synthesizerStartingKeepsCommandsSensible()
{
    Rig rig(6, 3);
    rig.starting = true;
    rig.state.oralNameText = kVoices[2];
    rig.speech.SpeechPlatformInstallationCheck();
    // The set-up returned at once and waits; nothing is available yet.
    QVERIFY(rig.speech.EngineStarting());
    QCOMPARE(rig.state.synthesizerStatus, EngineStatus::Unavailable);
    QCOMPARE(rig.state.voiceStatus, EngineStatus::Unavailable);
    QVERIFY(rig.synthesizer->calls.isEmpty());

    // Meanwhile the voice command waits for the service instead of telling
    // the user to install one, and the speed reaches the engine.
    rig.speech.SpeechSettingSub();
    rig.speechSpeedSlider->setSliderPosition(-3);
    rig.speech.SpeechRateSetting();
    QVERIFY(rig.prompter.texts().isEmpty());
    QVERIFY(rig.speech.asked.isEmpty());
    QCOMPARE(rig.synthesizer->rate, -3);

    // The service comes up: the walk runs, then the waiting command, which
    // lists the built-in voices first.
    rig.speech.answers << kVoices.size();
    rig.synthesizer->finishStart(true);
    QVERIFY(!rig.speech.EngineStarting());
    QCOMPARE(rig.state.synthesizerStatus, EngineStatus::Ready);
    QCOMPARE(rig.synthesizer->voiceName, kVoices[2]);
    QCOMPARE(rig.speech.asked.size(), 1);
    QCOMPARE(rig.speech.asked[0].preselected, kVoices.size() + 2);
    QCOMPARE(rig.oralName(), kVoices[0]);
    QVERIFY(rig.prompter.texts().isEmpty());

    // A second start report changes nothing.
    rig.synthesizer->finishStart(true);
    QCOMPARE(rig.speech.asked.size(), 1);
}

void TestSpeechSetup::windowAnswersWhileTheServiceStarts()
{
    ScriptedPrompter prompter;
    CallLog log;
    MyForm form(prompter);
    form.setSettings(std::make_unique<RecordingSettings>(log, form.context()));
    form.setLibrary(std::make_unique<RecordingLibrary>(log, form.context()));
    auto owned = std::make_unique<TestSpeech>(form.context());
    TestSpeech* speech = owned.get();
    FakeSpeechSynthesizer* service = nullptr;
    speech->setEngineFactories(nullptr, [&service]() -> std::unique_ptr<SpeechSynthesizer> {
        auto s = std::make_unique<FakeSpeechSynthesizer>();
        s->voices = kVoices;
        s->voiceName = kVoices[0];
        s->starting = true;
        service = s.get();
        return s;
    });
    form.setSpeech(std::move(owned));
    form.state().OsMajor = 6;
    form.state().OsMinor = 3;
    form.state().oralNameText = kVoices[1];

    form.show();
    QTRY_VERIFY_WITH_TIMEOUT(service != nullptr, 5000);
    QVERIFY(speech->EngineStarting());
    // The window is up and its event loop turns while the service starts.
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(10);
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 5, 5000);
    QVERIFY(form.isVisible());
    // The voice command from the menu waits for the service.
    form.ui().menuVoice->trigger();
    QVERIFY(prompter.texts().isEmpty());
    // So does the play button: no install message, the line is read once
    // the service is up.
    form.documents().TextDisplaySwitch();
    form.ui().textView->SetText(QStringLiteral("hello"));
    QTest::mouseClick(form.ui().readButton, Qt::LeftButton);
    QVERIFY(prompter.texts().isEmpty());
    QVERIFY(service->spoken.isEmpty());

    speech->answers << std::nullopt;   // the user cancels the dialog
    service->finishStart(true);
    QCOMPARE(service->spoken, QStringList{QStringLiteral("hello")});
    QCOMPARE(form.state().speechState, SpeechState::SynthesizerSpeaking);
    QCOMPARE(form.state().synthesizerStatus, EngineStatus::Ready);
    QCOMPARE(QString::fromLocal8Bit(form.state().OralName), kVoices[1]);
    QCOMPARE(speech->asked.size(), 1);
    // The built-in voices come first; the saved service voice is chosen.
    QCOMPARE(speech->asked[0].names.value(speech->asked[0].preselected), VoiceList::DesktopLabel(kVoices[1]));
    form.close();
}

void TestSpeechSetup::storedVoiceChoosesTheEngine_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("serviceUsable");
    QTest::addColumn<int>("minor");
    // New users and a stored "なし" get the built-in automatic voice.
    QTest::newRow("first run") << u"なし"_s << true << 1;
    QTest::newRow("automatic") << u"自動（英語・日本語）"_s << true << 1;
    QTest::newRow("built-in English") << u"英語・男性（内蔵）"_s << true << 1;
    QTest::newRow("built-in other language") << u"ドイツ語（内蔵）"_s << true << 1;
    // A voice of the desktop service, as stored by earlier versions.
    QTest::newRow("desktop voice") << u"English (America)+Max"_s << true << 3;
    QTest::newRow("desktop voice, no service") << u"English (America)+Max"_s << false << 1;
}

void TestSpeechSetup::storedVoiceChoosesTheEngine()
{
    QFETCH(QString, stored);
    QFETCH(bool, serviceUsable);
    QFETCH(int, minor);
    ScriptedPrompter prompter;
    MyForm form(prompter);
    form.settings().setSystemVersion(std::make_shared<LinuxSystemVersion>(serviceUsable));
    form.settings().SystemVersionProbe();
    form.state().oralNameText = stored;
    form.settings().SpeechEngineForVoice();
    QCOMPARE(form.state().OsMajor, std::int16_t(6));
    QCOMPARE(form.state().OsMinor, std::int16_t(minor));
}

void TestSpeechSetup::dialogOffersBothEnginesAndSwitchesAtOnce()
{
    Rig rig;
    rig.serviceUsable = true;
    rig.installed = {u"English (America)"_s, u"English (America)+Max"_s, u"Japanese"_s};
    rig.speech.SpeechPlatformInstallationCheck();
    QVERIFY(!rig.speech.SynthesizerInUse());

    // Built-in first, then the service's voices grouped, Japanese first.
    rig.speech.answers << 3;
    rig.speech.SpeechSettingSub();
    QCOMPARE(rig.speech.asked.size(), 1);
    const QStringList offered = kVoices + QStringList{u"Japanese（デスクトップ）"_s, u"English (America)（デスクトップ）"_s,
                                                      u"English (America)+Max（デスクトップ）"_s};
    QCOMPARE(rig.speech.asked[0].names, offered);
    QCOMPARE(rig.speech.asked[0].preselected, 0);
    // Picking a service voice switches to the service now, with that voice.
    QVERIFY(rig.speech.SynthesizerInUse());
    QCOMPARE(rig.state.OsMinor, std::int16_t(3));
    QCOMPARE(rig.state.synthesizerStatus, EngineStatus::Ready);
    QCOMPARE(rig.oralName(), u"Japanese"_s);
    QCOMPARE(rig.synthesizer->voiceName, u"Japanese"_s);
    QCOMPARE(rig.synthesizersMade, 1);

    // And back: a built-in voice is chosen, the service no longer speaks.
    rig.speech.answers << 2;
    rig.speech.SpeechSettingSub();
    QCOMPARE(rig.speech.asked[1].preselected, 3);
    QVERIFY(!rig.speech.SynthesizerInUse());
    QCOMPARE(rig.state.voiceStatus, EngineStatus::Ready);
    QCOMPARE(rig.state.OralSelectionNumber, 2);
    QCOMPARE(rig.oralName(), kVoices[2]);
    QCOMPARE(rig.voice->voiceIndex, 2);
    QCOMPARE(rig.voicesMade, 1);
    QVERIFY(rig.prompter.texts().isEmpty());
}

void TestSpeechSetup::serviceVoiceThatFailsFallsBackToBuiltIn()
{
    Rig rig;
    rig.serviceUsable = true;
    rig.synthesizerFailures.names << u"setRate"_s;
    rig.speech.SpeechPlatformInstallationCheck();
    rig.speech.answers << kVoices.size();
    rig.speech.SpeechSettingSub();
    QCOMPARE(rig.prompter.texts(), QStringList{kUnsupported});
    QVERIFY(!rig.speech.SynthesizerInUse());
    QCOMPARE(rig.state.voiceStatus, EngineStatus::Ready);
    QVERIFY(rig.available());
}

void TestSpeechSetup::oldServiceNameTakesTheBuiltInVoiceOfItsLanguage_data()
{
    QTest::addColumn<int>("minor");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("spoken");   // the voice set up
    QTest::newRow("Japanese, built-in voices in use") << 1 << u"Japanese (ja)"_s << u"日本語（内蔵）"_s;
    QTest::newRow("Japanese, the service lacks it") << 3 << u"Japanese (ja)"_s << u"日本語（内蔵）"_s;
    QTest::newRow("English, built-in voices in use") << 1 << u"English (en-us)"_s << u"英語・男性（内蔵）"_s;
    QTest::newRow("English, the service lacks it") << 3 << u"English (en-us)"_s << u"英語・男性（内蔵）"_s;
}

void TestSpeechSetup::oldServiceNameTakesTheBuiltInVoiceOfItsLanguage()
{
    QFETCH(int, minor);
    QFETCH(QString, stored);
    QFETCH(QString, spoken);
    Rig rig(6, minor);
    const QStringList builtIn{u"自動（英語・日本語）"_s, u"英語・男性（内蔵）"_s, u"英語・女性（内蔵）"_s, u"日本語（内蔵）"_s};
    rig.voiceList = builtIn;
    rig.installed = {u"English (America)"_s, u"Japanese"_s};
    rig.state.oralNameText = stored;
    rig.state.OralName = stored.toLocal8Bit();
    rig.speech.SpeechPlatformInstallationCheck();
    QVERIFY(!rig.speech.SynthesizerInUse());
    QCOMPARE(rig.state.voiceStatus, EngineStatus::Ready);
    QCOMPARE(rig.oralName(), spoken);
    QCOMPARE(rig.voice->voiceIndex, int(builtIn.indexOf(spoken)));
    QCOMPARE(rig.state.OralSelectionNumber, std::int32_t(builtIn.indexOf(spoken)));
}

QTEST_MAIN(TestSpeechSetup)
#include "tst_speechsetup.moc"
