// The voice-language command and its dialog, the speed and volume
// sliders, the completion events and closing, against recording engines.

#include "SpeechRig.h"
#include "speech/LanguageSetting.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class TestSpeechCommands : public QObject
{
    Q_OBJECT

private slots:
    void voiceCommandWithoutEngines();
    void voiceCommandOnTheSynthesizer();
    void voiceCommandOnTheBuiltInVoice();
    void voiceCommandShowsTheDialog();
    void languageSettingDialog();

    void slidersGiveTheEngineRateAndVolume_data();
    void slidersGiveTheEngineRateAndVolume();
    void slidersReportEngineFailures();

    void completionEventsReachTheHandlers();
    void closingCancelsAndReleases();
};

void TestSpeechCommands::voiceCommandWithoutEngines()
{
    Rig rig;
    rig.state.synthesizerStatus = EngineStatus::Unavailable;
    rig.state.voiceStatus = EngineStatus::Unavailable;
    rig.speech.SpeechSettingSub();
    QCOMPARE(rig.prompter.texts(), QStringList{kInstall});
    QVERIFY(rig.speech.asked.isEmpty());
}


void TestSpeechCommands::voiceCommandOnTheSynthesizer()
{
    Rig rig(6, 3);
    rig.installed = {u"A"_s, u"B"_s, u"A"_s, u"C"_s};
    rig.state.oralNameText = u"A"_s;
    rig.speech.SpeechPlatformInstallationCheck();
    QCOMPARE(rig.oralName(), u"A"_s);

    // The built-in voices come first, then the service's, a name listed
    // once; the voice in use is preselected.
    rig.speech.answers << 5;
    rig.speech.SpeechSettingSub();
    const QStringList offered = kVoices + QStringList{u"A（デスクトップ）"_s, u"B（デスクトップ）"_s, u"C（デスクトップ）"_s};
    QCOMPARE(rig.speech.asked.last().names, offered);
    QCOMPARE(rig.speech.asked.last().preselected, 3);
    QCOMPARE(rig.state.OralSelectionNumber, 5);
    QCOMPARE(rig.oralName(), u"C"_s);

    // A name not in the list preselects the first entry; cancel keeps all.
    rig.state.OralName = "Elsewhere";
    rig.speech.answers << std::nullopt;
    rig.speech.SpeechSettingSub();
    QCOMPARE(rig.speech.asked.last().preselected, 0);
    QCOMPARE(rig.state.OralSelectionNumber, 5);
    QCOMPARE(rig.oralName(), u"Elsewhere"_s);

    // The synthesiser unavailable while the other flag is clear: silence.
    rig.state.synthesizerStatus = EngineStatus::Unavailable;
    rig.state.voiceStatus = EngineStatus::Ready;
    rig.speech.SpeechSettingSub();
    QCOMPARE(rig.speech.asked.size(), 2);
    QVERIFY(rig.prompter.texts().isEmpty());
}


void TestSpeechCommands::voiceCommandOnTheBuiltInVoice()
{
    Rig rig;
    rig.state.oralNameText = kVoices[1];
    rig.speech.SpeechPlatformInstallationCheck();
    QCOMPARE(rig.state.OralSelectionNumber, 1);

    rig.speech.answers << 2;
    rig.speech.SpeechSettingSub();
    QCOMPARE(rig.speech.asked.last().names, kVoices);
    QCOMPARE(rig.speech.asked.last().preselected, 1);
    QCOMPARE(rig.state.OralSelectionNumber, 2);
    QCOMPARE(rig.oralName(), kVoices[2]);
    QCOMPARE(rig.voice->voiceIndex, 2);

    // A position outside the list preselects the first entry; cancel
    // neither changes the choice nor gives the voice anything.
    rig.state.OralSelectionNumber = 7;
    const int given = int(rig.voice->calls.size());
    rig.speech.answers << std::nullopt;
    rig.speech.SpeechSettingSub();
    QCOMPARE(rig.speech.asked.last().preselected, 0);
    QCOMPARE(rig.state.OralSelectionNumber, 7);
    QCOMPARE(rig.oralName(), kVoices[2]);
    QCOMPARE(rig.voice->calls.size(), given);

    // The voice unavailable while the other flag is clear: silence.
    rig.state.voiceStatus = EngineStatus::Unavailable;
    rig.state.synthesizerStatus = EngineStatus::Ready;
    rig.speech.SpeechSettingSub();
    QCOMPARE(rig.speech.asked.size(), 2);
    QVERIFY(rig.prompter.texts().isEmpty());
}


void TestSpeechCommands::voiceCommandShowsTheDialog()
{
    // The real dialog, answered by a timer; a second timer closes it should
    // the first not find it, so the test cannot hang.
    State state;
    ScriptedPrompter prompter;
    Controls ui;
    Peers peers;
    QWidget form;
    ui.form = &form;
    SpeechController speech(Context{state, prompter, ui, peers});
    FakeSpeechVoice* voice = nullptr;
    speech.setEngineFactories([&voice]() -> std::unique_ptr<SpeechVoice> {
        auto v = std::make_unique<FakeSpeechVoice>();
        v->voices = kVoices;
        voice = v.get();
        return v;
    }, nullptr);
    // The built-in voices alone: the dialog shows without asking the service.
    speech.setDesktopServiceCheck([] { return false; });
    state.OsMajor = 6;
    state.OsMinor = 1;
    state.oralNameText = kVoices[1];
    speech.SpeechPlatformInstallationCheck();

    int preselected = -1;
    QTimer::singleShot(0, this, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<LanguageSetting*>(w); dialog && dialog->isVisible()) {
                preselected = dialog->voiceBox->currentIndex();
                dialog->voiceBox->setCurrentIndex(2);
                dialog->applyButton->click();
            }
    });
    QTimer::singleShot(5000, this, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<LanguageSetting*>(w))
                dialog->reject();
    });
    speech.SpeechSettingSub();
    QCOMPARE(preselected, 1);
    QCOMPARE(state.OralSelectionNumber, 2);
    QCOMPARE(QString::fromLocal8Bit(state.OralName), kVoices[2]);
    QCOMPARE(voice->voiceIndex, 2);
}


void TestSpeechCommands::languageSettingDialog()
{
    LanguageSetting dialog;
    QCOMPARE(dialog.windowTitle(), u"音声合成言語設定"_s);
    QCOMPARE(dialog.voiceLabel->text(), u"・音声言語"_s);
    QCOMPARE(dialog.voiceBox->objectName(), u"voiceBox"_s);
    QVERIFY(!dialog.voiceBox->isEditable());
    QCOMPARE(dialog.applyButton->text(), u"設定"_s);
    QCOMPARE(dialog.cancelButton->text(), u"キャンセル"_s);
    QVERIFY(dialog.windowFlags().testFlag(Qt::Tool));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    dialog.voiceBox->addItems(kVoices);
    dialog.show();
    dialog.cancelButton->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    dialog.show();
    dialog.applyButton->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}


void TestSpeechCommands::slidersGiveTheEngineRateAndVolume_data()
{
    QTest::addColumn<int>("minor");
    QTest::newRow("built-in voice") << 1;
    QTest::newRow("synthesizer") << 3;
}


void TestSpeechCommands::slidersGiveTheEngineRateAndVolume()
{
    QFETCH(int, minor);
    Rig rig(6, minor);
    rig.speech.SpeechPlatformInstallationCheck();
    rig.speechSpeedSlider->setSliderPosition(-5);
    rig.speech.SpeechRateSetting();
    rig.speechVolumeSlider->setSliderPosition(30);
    rig.speech.SpeechVolSetting();
    QCOMPARE(rig.state.SpeechRate, -5);
    QCOMPARE(rig.speechSpeedLabel->text(), u"-5"_s);
    QCOMPARE(rig.state.SpeechVol, 30);
    QCOMPARE(rig.speechVolumeLabel->text(), u"30"_s);
    if (minor == 3) {
        QCOMPARE(rig.synthesizer->rate, -5);
        QCOMPARE(rig.synthesizer->volume, 30);
    } else {
        QCOMPARE(rig.voice->rate, -5);
        QCOMPARE(rig.voice->volume, 30);
    }
    QVERIFY(rig.prompter.texts().isEmpty());
}


void TestSpeechCommands::slidersReportEngineFailures()
{
    // The engine refuses: the message, and the new value stays.
    {
        Rig rig;
        rig.speech.SpeechPlatformInstallationCheck();
        rig.voice->fail.names = {u"setRate"_s, u"setVolume"_s};
        rig.speechSpeedSlider->setSliderPosition(4);
        rig.speech.SpeechRateSetting();
        rig.speechVolumeSlider->setSliderPosition(70);
        rig.speech.SpeechVolSetting();
        QCOMPARE(rig.prompter.texts(), (QStringList{kUnsupported, kUnsupported}));
        QCOMPARE(rig.speechSpeedLabel->text(), u"4"_s);
        QCOMPARE(rig.state.SpeechRate, 4);
        QCOMPARE(rig.speechVolumeLabel->text(), u"70"_s);
    }
    // No engine was ever created (set-up not run, or it failed).
    {
        Rig rig(6, 3);
        rig.speechSpeedSlider->setSliderPosition(1);
        rig.speech.SpeechRateSetting();
        QCOMPARE(rig.prompter.texts(), QStringList{kUnsupported});
        QCOMPARE(rig.speechSpeedLabel->text(), u"1"_s);
    }
    {
        Rig rig;
        rig.voiceMissing = true;
        rig.speech.SpeechPlatformInstallationCheck();
        rig.speechVolumeSlider->setSliderPosition(10);
        rig.speech.SpeechVolSetting();
        QCOMPARE(rig.prompter.texts(), QStringList{kUnsupported});
        QCOMPARE(rig.state.SpeechVol, 10);
    }
}


void TestSpeechCommands::completionEventsReachTheHandlers()
{
    Rig voiceRig;
    voiceRig.speech.SpeechPlatformInstallationCheck();
    voiceRig.voice->finishUtterance();
    QCOMPARE(voiceRig.speech.voiceEnds, 1);
    QCOMPARE(voiceRig.speech.synthesizerEnds, 0);

    Rig serviceRig(6, 3);
    serviceRig.speech.SpeechPlatformInstallationCheck();
    serviceRig.synthesizer->finishUtterance();
    serviceRig.synthesizer->finishUtterance();
    QCOMPARE(serviceRig.speech.synthesizerEnds, 2);
    QCOMPARE(serviceRig.speech.voiceEnds, 0);
}


void TestSpeechCommands::closingCancelsAndReleases()
{
    {
        Rig rig(6, 3);
        rig.speech.SpeechPlatformInstallationCheck();
        rig.speech.CancelQueuedSpeech();
        QCOMPARE(rig.synthesizer->cancels, 1);
        // An unavailable synthesiser is left alone.
        rig.state.synthesizerStatus = EngineStatus::Unavailable;
        rig.speech.CancelQueuedSpeech();
        QCOMPARE(rig.synthesizer->cancels, 1);
        rig.speech.ReleaseEngines();
        QCOMPARE(rig.synthesizer, nullptr);
        QCOMPARE(rig.speech.synthesizer(), nullptr);
        rig.speech.CancelQueuedSpeech();   // nothing left to cancel
    }
    {
        Rig rig;
        rig.speech.SpeechPlatformInstallationCheck();
        rig.speech.CancelQueuedSpeech();
        QVERIFY(rig.voice->calls.isEmpty());
        rig.speech.ReleaseEngines();
        QCOMPARE(rig.voice, nullptr);
        QCOMPARE(rig.speech.voice(), nullptr);
    }
    // Released while the service is still starting: a late start report
    // goes nowhere.
    {
        Rig rig(6, 3);
        rig.starting = true;
        rig.speech.SpeechPlatformInstallationCheck();
        rig.speech.ReleaseEngines();
        QVERIFY(!rig.speech.EngineStarting());
        QCOMPARE(rig.state.synthesizerStatus, EngineStatus::Unavailable);
    }
}


QTEST_MAIN(TestSpeechCommands)
#include "tst_speechcommands.moc"
