#pragma once

// A speech controller with its own state, controls and recording engines,
// for the set-up and command tests.

#include "core/Controls.h"
#include "core/State.h"
#include "speech/SpeechController.h"
#include "support/FakeSpeechEngines.h"
#include "support/ScriptedPrompter.h"

#include <QLabel>
#include <QSlider>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace SpeechRig {

const QString kNone = u"なし"_s;
const QString kInstall = u"マニュアルを参照して、音声合成言語のインストールをしてください。\n"
                         u"Windows7/8.1/10では、インストール方法が異なりますので注意してください。"_s;
const QString kUnsupported = u"この音声言語はサポートされていない可能性が有ります。"_s;
const QStringList kVoices{u"Alpha (aa)"_s, u"Beta (bb)"_s, u"Gamma (cc)"_s};

// The controller with the dialog answered by the test.
class TestSpeech : public SpeechController
{
public:
    using SpeechController::SpeechController;

    struct Asked
    {
        QStringList names;
        int preselected;
    };
    QList<Asked> asked;
    QList<std::optional<int>> answers;
    int voiceEnds = 0;
    int synthesizerEnds = 0;

    void SpeechVoiceEndEvent() override { ++voiceEnds; }
    void SpeechSynthesizerEndEvent() override { ++synthesizerEnds; }

protected:
    std::optional<int> ChooseVoice(const QList<VoiceList::Entry>& entries, int preselected) override
    {
        QStringList names;
        for (const VoiceList::Entry& e : entries)
            names << e.label;
        asked.append({names, preselected});
        return answers.isEmpty() ? std::nullopt : answers.takeFirst();
    }
};

// A controller with its own state, controls and engine makers. The engines
// made are kept in `voice` and `synthesizer` for the test to look at.
struct Rig
{
    State state;
    ScriptedPrompter prompter;
    Controls ui;
    Peers peers;
    QWidget form;
    QSlider* speechVolumeSlider = new QSlider(&form);
    QSlider* speechSpeedSlider = new QSlider(&form);
    QLabel* speechSpeedLabel = new QLabel(&form);
    QLabel* speechVolumeLabel = new QLabel(&form);
    TestSpeech speech{Context{state, prompter, ui, peers}};

    QStringList voiceList = kVoices;
    QStringList installed = kVoices;
    QString currentVoice = u"Current"_s;
    bool voiceMissing = false;
    bool synthesizerMissing = false;
    bool starting = false;
    bool serviceUsable = false;   // the dialog asks the desktop service too
    FakeFailures voiceFailures;
    FakeFailures synthesizerFailures;
    FakeSpeechVoice* voice = nullptr;
    FakeSpeechSynthesizer* synthesizer = nullptr;
    int voicesMade = 0;
    int synthesizersMade = 0;

    explicit Rig(int major = 6, int minor = 1)
    {
        ui.form = &form;
        ui.speechVolumeSlider = speechVolumeSlider;
        ui.speechSpeedSlider = speechSpeedSlider;
        ui.speechSpeedLabel = speechSpeedLabel;
        ui.speechVolumeLabel = speechVolumeLabel;
        speechVolumeSlider->setRange(0, 100);
        speechSpeedSlider->setRange(-5, 5);
        state.OsMajor = std::int16_t(major);
        state.OsMinor = std::int16_t(minor);
        state.oralNameText = kNone;
        state.OralName = kNone.toLocal8Bit();
        state.SpeechRate = 2;
        state.SpeechVol = 100;
        speech.setDesktopServiceCheck([this] { return serviceUsable; });
        speech.setEngineFactories(
            [this]() -> std::unique_ptr<SpeechVoice> {
                ++voicesMade;
                if (voiceMissing)
                    return nullptr;
                auto v = std::make_unique<FakeSpeechVoice>();
                v->voices = voiceList;
                v->fail = voiceFailures;
                voice = v.get();
                v->destroyed = [this] { voice = nullptr; };
                return v;
            },
            [this]() -> std::unique_ptr<SpeechSynthesizer> {
                ++synthesizersMade;
                if (synthesizerMissing)
                    return nullptr;
                auto s = std::make_unique<FakeSpeechSynthesizer>();
                s->voices = installed;
                s->voiceName = currentVoice;
                s->starting = starting;
                s->fail = synthesizerFailures;
                synthesizer = s.get();
                s->destroyed = [this] { synthesizer = nullptr; };
                return s;
            });
    }

    QString oralName() const { return QString::fromLocal8Bit(state.OralName); }
    bool available() const { return !(state.synthesizerStatus == EngineStatus::Unavailable && state.voiceStatus == EngineStatus::Unavailable); }
};

} // namespace SpeechRig

using namespace SpeechRig;
