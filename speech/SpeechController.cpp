#include "speech/SpeechController.h"

#include "speech/SpeechMessages.h"
#include "speech/SpeechReader.h"

#include "platform/BuiltInVoice.h"
#include "platform/QtSpeechSynthesizer.h"
#include "platform/SystemVersion.h"
#include "speech/KanaReadings.h"
#include "speech/LanguageSetting.h"
#include "speech/VoiceList.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString kNone = u"なし"_s;
constexpr int kOralNameCapacity = 511;   // bytes

// OralName is kept in the system's 8-bit code page, as it is saved.
QByteArray OralNameOf(const QString& name)
{
    return name.toLocal8Bit().left(kOralNameCapacity);
}

// How long the voice dialog waits for a desktop service that is starting.
constexpr int kServiceListWaitMs = 3000;

std::unique_ptr<SpeechVoice> MakeBuiltInVoice()
{
    auto voice = std::make_unique<BuiltInVoice>();
    if (!voice->ok())
        return nullptr;
    return voice;
}

std::unique_ptr<SpeechSynthesizer> MakeSpeechService()
{
    return std::make_unique<QtSpeechSynthesizer>();
}

} // namespace

SpeechController::SpeechController(const Context& context)
    : Controller(context)
{
}

SpeechController::~SpeechController() = default;

void SpeechController::setEngineFactories(VoiceFactory voice, SynthesizerFactory synthesizer)
{
    voiceFactory_ = std::move(voice);
    synthesizerFactory_ = std::move(synthesizer);
}

bool SpeechController::SynthesizerInUse() const
{
    return state.OsMajor == 6 && (state.OsMinor == 2 || state.OsMinor == 3);
}

void SpeechController::SpeechPlatformInstallationCheck()
{
    state.synthesizerStatus = EngineStatus::Unavailable;
    state.voiceStatus = EngineStatus::Unavailable;
    if (!SynthesizerInUse()) {
        VoiceSetUp();
        return;
    }

    if (!MakeSynthesizer()) {
        SynthesizerSetUpFailed();
        return;
    }
    SpeechSynthesizer* engine = synthesizer_.get();
    if (!engine->Starting()) {
        SynthesizerSetUp(engine->Available());
        return;
    }
    // The service may take seconds to come up: the window goes on, and the
    // voice walk runs when it is there.
    waitingForService_ = true;
    QObject::connect(engine, &SpeechSynthesizer::Started, engine, [this](bool ok) {
        if (!waitingForService_)
            return;
        waitingForService_ = false;
        SynthesizerSetUp(ok);
        if (std::exchange(settingAsked_, false))
            SpeechSettingSub();
        // The built-in voice may stand in for a voice the service lacks.
        if (std::exchange(playAsked_, false)
            && (state.synthesizerStatus == EngineStatus::Ready || state.voiceStatus == EngineStatus::Ready))
            SpeechPlay();
    });
}

bool SpeechController::MakeSynthesizer()
{
    if (synthesizer_)
        return true;
    synthesizer_ = synthesizerFactory_ ? synthesizerFactory_() : MakeSpeechService();
    if (!synthesizer_)
        return false;
    SpeechSynthesizer* engine = synthesizer_.get();
    QObject::connect(engine, &SpeechSynthesizer::SpeakCompleted, engine,
                     [this] {
                         if (speaker == Speaker::Reader && SynthesizerInUse())
                             SpeechSynthesizerEndEvent();
                         else if (speaker == Speaker::Display && SynthesizerInUse())
                             SpeakNextDisplayPart();
                     });
    return true;
}

bool SpeechController::MakeVoice()
{
    if (voice_)
        return true;
    voice_ = voiceFactory_ ? voiceFactory_() : MakeBuiltInVoice();
    if (!voice_)
        return false;
    SpeechVoice* engine = voice_.get();
    QObject::connect(engine, &SpeechVoice::EndStream, engine, [this] {
        if (speaker == Speaker::Reader && !SynthesizerInUse())
            SpeechVoiceEndEvent();
        else if (speaker == Speaker::Display && !SynthesizerInUse())
            SpeakNextDisplayPart();
    });
    QObject::connect(engine, &SpeechVoice::AudioStarted, engine, [this] {
        if (speaker == Speaker::Reader && !SynthesizerInUse())
            Reader().AudioStarted();
    });
    QObject::connect(engine, &SpeechVoice::WordStarted, engine, [this](int start, int length) {
        if (speaker == Speaker::Reader && !SynthesizerInUse())
            Reader().WordStarted(start, length);
    });
    if (auto* builtIn = qobject_cast<BuiltInVoice*>(engine)) {
        std::shared_ptr<KanaReader> readings = MakeKanaReader();
        if (readings) {
            // A missing dictionary is said once; the other voices go on.
            QObject::connect(readings.get(), &KanaReader::Problem, engine, [this](const QString& message) {
                if (!std::exchange(readingProblemShown_, true))
                    prompter.MessageInfoBox(message);
            });
            builtIn->setKanaReader(std::move(readings));
        }
        // Open JTalk failing is said once per choice of voice; the other voices go on.
        QObject::connect(builtIn, &BuiltInVoice::Problem, engine,
                         [this](const QString& message) { prompter.MessageInfoBox(message); });
    }
    return true;
}

void SpeechController::SynthesizerSetUp(bool started)
{
    SpeechSynthesizer* engine = synthesizer_.get();
    if (!started) {
        SynthesizerSetUpFailed();
        return;
    }
    const QStringList voices = engine->GetInstalledVoices();
    const QString standIn = BuiltInVoice::StandInFor(state.oralNameText);
    if (!standIn.isEmpty() && !voices.contains(state.oralNameText)) {
        // A Japanese or English voice the service does not have: the
        // built-in voice of that language speaks instead.
        state.OsMinor = 1;
        state.oralNameText = standIn;
        state.OralName = OralNameOf(standIn);
        VoiceSetUp();
        return;
    }
    for (const QString& name : voices) {
        if (name == state.oralNameText) {
            if (!engine->SelectVoice(name)) {
                SynthesizerSetUpFailed();
                return;
            }
            state.OralName = OralNameOf(name);
            break;
        }
        if (!engine->SetOutputToDefaultAudioDevice()) {
            SynthesizerSetUpFailed();
            return;
        }
        state.OralName = OralNameOf(engine->VoiceName());
    }
    if (!engine->setRate(state.SpeechRate)) {
        SynthesizerSetUpFailed();
        return;
    }
    state.synthesizerStatus = EngineStatus::Ready;
}

void SpeechController::SynthesizerSetUpFailed()
{
    state.OralSelectionNumber = 0;
    state.synthesizerStatus = EngineStatus::Unavailable;
    state.OralName = OralNameOf(kNone);
    ShowRate(0);
}

void SpeechController::VoiceSetUp()
{
    if (!MakeVoice()) {
        VoiceSetUpFailed();
        return;
    }
    SpeechVoice* engine = voice_.get();

    const QStringList voices = engine->GetVoices();
    if (!voices.isEmpty() && state.oralNameText == kNone) {
        // First run: the engine keeps its default voice.
        state.voiceStatus = EngineStatus::Ready;
        state.oralNameText = voices.first();
        return;
    }
    qsizetype index = voices.indexOf(state.oralNameText);
    if (const QString standIn = BuiltInVoice::StandInFor(state.oralNameText); index < 0 && !standIn.isEmpty())
        index = voices.indexOf(standIn);   // a desktop voice of earlier versions
    if (index < 0 && !voices.isEmpty())
        index = 0;   // the saved voice is gone
    if (index < 0)
        return;      // no voice at all: unavailable
    if (!engine->setVoice(int(index))) {
        VoiceSetUpFailed();
        return;
    }
    state.OralSelectionNumber = std::int32_t(index);
    state.OralName = OralNameOf(voices.at(index));
    state.voiceStatus = EngineStatus::Ready;
}

void SpeechController::VoiceSetUpFailed()
{
    state.OralSelectionNumber = 0;
    state.voiceStatus = EngineStatus::Unavailable;
    state.OralName = OralNameOf(kNone);
    ShowRate(0);
}

void SpeechController::ShowRate(std::int32_t rate)
{
    // The slider and its number always show the rate that holds.
    state.SpeechRate = rate;
    if (ui.speechSpeedSlider)
        ui.speechSpeedSlider->setValue(rate);
    if (ui.speechSpeedLabel)
        ui.speechSpeedLabel->setText(QString::number(rate));
}

void SpeechController::SpeechSettingSub()
{
    Reader().FollowEngine();
    if (state.synthesizerStatus == EngineStatus::Unavailable && state.voiceStatus == EngineStatus::Unavailable) {
        if (waitingForService_) {
            // Not an installation problem yet: open it once the service is up.
            settingAsked_ = true;
            return;
        }
        prompter.MessageInfoBox(SpeechMessages::InstallVoices());
        return;
    }

    // Every voice in one list, built-in first: the engine in use gives its
    // voices, the other one is asked too, so either can be chosen here.
    const bool onService = SynthesizerInUse();
    if (onService ? state.synthesizerStatus != EngineStatus::Ready || !synthesizer_
                  : state.voiceStatus != EngineStatus::Ready || !voice_)
        return;
    const QString current = QString::fromLocal8Bit(state.OralName);
    const QStringList builtIn = (onService ? MakeVoice() : true) ? voice_->GetVoices() : QStringList();
    const QStringList desktop = onService ? synthesizer_->GetInstalledVoices() : DesktopVoices();
    const QList<VoiceList::Entry> entries = VoiceList::Make(builtIn, desktop);
    int preselected = -1;
    for (int i = 0; i < entries.size(); ++i) {
        const VoiceList::Entry& e = entries[i];
        if (onService ? e.desktop && e.name == current : !e.desktop && e.builtInIndex == state.OralSelectionNumber)
            preselected = i;
    }
    const std::optional<int> picked = ChooseVoice(entries, std::max(0, preselected));
    if (!picked || *picked < 0 || *picked >= entries.size())
        return;
    const VoiceList::Entry& chosen = entries.at(*picked);
    if (chosen.desktop != onService) {
        SwitchEngine(chosen.desktop, chosen.name);
        return;
    }
    if (onService) {
        state.OralSelectionNumber = *picked;
        state.OralName = OralNameOf(chosen.name);
        return;
    }
    state.OralSelectionNumber = chosen.builtInIndex;
    state.OralName = OralNameOf(chosen.name);
    voice_->setVoice(state.OralSelectionNumber);
}

QStringList SpeechController::DesktopVoices()
{
    const bool usable = serviceUsable_ ? serviceUsable_() : LinuxSystemVersion::SpeechServiceUsable();
    if (!usable || !MakeSynthesizer())
        return {};
    SpeechSynthesizer* engine = synthesizer_.get();
    if (engine->Starting()) {
        // Only when the dialog opens, and briefly: the list shows without
        // the service's voices if it is slower.
        QEventLoop wait;
        QTimer::singleShot(kServiceListWaitMs, &wait, &QEventLoop::quit);
        QObject::connect(engine, &SpeechSynthesizer::Started, &wait, &QEventLoop::quit);
        wait.exec();
    }
    return engine->Starting() || !engine->Available() ? QStringList() : engine->GetInstalledVoices();
}

void SpeechController::SwitchEngine(bool toSynthesizer, const QString& name)
{
    // The other engine takes over at once: a reading in progress is stopped
    // first, so no completion of the old engine is waited for.
    if (state.SpeechBusy())
        Reader().SpeechStop();
    state.OsMajor = 6;
    state.OsMinor = toSynthesizer ? 3 : 1;
    state.oralNameText = name;
    state.OralName = OralNameOf(name);
    const std::int32_t rate = state.SpeechRate;
    SpeechPlatformInstallationCheck();
    if (toSynthesizer && state.synthesizerStatus != EngineStatus::Ready && !waitingForService_) {
        // The service failed after all: back to the built-in voices.
        prompter.MessageInfoBox(SpeechMessages::Unsupported());
        state.OsMinor = 1;
        state.oralNameText = kNone;
        state.OralName = OralNameOf(kNone);
        SpeechPlatformInstallationCheck();
    }
    ShowRate(rate);
}

std::optional<int> SpeechController::ChooseVoice(const QList<VoiceList::Entry>& entries, int preselected)
{
    LanguageSetting dialog(ui.form);
    const QList<VoiceList::Group> groups = VoiceList::Groups(entries);
    // The lists open wide enough for their longest name and show many at once.
    for (QComboBox* box : {dialog.voiceBox, dialog.speakerBox, dialog.variantBox}) {
        box->setStyleSheet(u"QComboBox { combobox-popup: 0; }"_s);
        box->setMaxVisibleItems(20);
    }
    const auto fitPopup = [](QComboBox* box) {
        box->view()->setMinimumWidth(box->view()->sizeHintForColumn(0) + 24);
    };
    // Each list holds what the list above it picked; a list with one line
    // leaves nothing to pick.
    const auto showVariants = [&dialog, &groups, &entries, fitPopup](int speaker) {
        dialog.variantBox->clear();
        const int g = dialog.voiceBox->currentIndex();
        if (g < 0 || g >= groups.size() || speaker < 0 || speaker >= groups[g].speakers.size())
            return;
        const QList<int>& members = groups[g].speakers[speaker].members;
        for (int member : members)
            dialog.variantBox->addItem(entries[member].variant, member);
        dialog.variantBox->setEnabled(members.size() > 1);
        fitPopup(dialog.variantBox);
    };
    const auto showSpeakers = [&dialog, &groups, fitPopup](int g) {
        const QSignalBlocker quiet(dialog.speakerBox);
        dialog.speakerBox->clear();
        if (g < 0 || g >= groups.size())
            return;
        for (const VoiceList::Speaker& speaker : groups[g].speakers)
            dialog.speakerBox->addItem(speaker.label);
        dialog.speakerBox->setEnabled(groups[g].speakers.size() > 1);
        fitPopup(dialog.speakerBox);
    };
    int preselectedGroup = 0;
    int preselectedSpeaker = 0;
    for (int g = 0; g < groups.size(); ++g) {
        dialog.voiceBox->addItem(groups[g].label);
        for (int s = 0; s < groups[g].speakers.size(); ++s)
            if (groups[g].speakers[s].members.contains(preselected))
                preselectedGroup = g, preselectedSpeaker = s;
    }
    fitPopup(dialog.voiceBox);
    dialog.voiceBox->setCurrentIndex(preselectedGroup);
    showSpeakers(preselectedGroup);
    dialog.speakerBox->setCurrentIndex(preselectedSpeaker);
    showVariants(preselectedSpeaker);
    if (const int at = dialog.variantBox->findData(preselected); at >= 0)
        dialog.variantBox->setCurrentIndex(at);
    QObject::connect(dialog.voiceBox, &QComboBox::currentIndexChanged, &dialog, [&](int g) {
        showSpeakers(g);
        showVariants(dialog.speakerBox->currentIndex());
    });
    QObject::connect(dialog.speakerBox, &QComboBox::currentIndexChanged, &dialog, showVariants);
    if (dialog.exec() != QDialog::Accepted || dialog.variantBox->currentIndex() < 0)
        return std::nullopt;
    return dialog.variantBox->currentData().toInt();
}

void SpeechController::SpeechPlay()
{
    Reader().SpeechPlay();
}

void SpeechController::SpeechPause()
{
    Reader().SpeechPause();
}

void SpeechController::SpeechStop()
{
    Reader().SpeechStop();
}

void SpeechController::SpeechSkipBackward()
{
    Reader().SpeechSkipBackward();
}

void SpeechController::SpeechSkipForward()
{
    Reader().SpeechSkipForward();
}

void SpeechController::SpeechReproductionModeSetting()
{
    Reader().SpeechReproductionModeSetting();
}

void SpeechController::SpeechLoopModeSetting()
{
    Reader().SpeechLoopModeSetting();
}

void SpeechController::SpeechRateTrackBarDisp()
{
    // The slider and its number show and hide together.
    state.rateSliderShown = state.rateSliderShown ? Switch::Off : Switch::On;
    ui.speechSpeedSlider->setVisible(state.rateSliderShown);
    ui.speechSpeedLabel->setVisible(state.rateSliderShown);
}

void SpeechController::SpeechVolTrackBarDisp()
{
    state.volumeSliderShown = state.volumeSliderShown ? Switch::Off : Switch::On;
    ui.speechVolumeSlider->setVisible(state.volumeSliderShown);
    ui.speechVolumeLabel->setVisible(state.volumeSliderShown);
}

void SpeechController::SpeechRateSetting()
{
    state.SpeechRate = ui.speechSpeedSlider->sliderPosition();
    ui.speechSpeedLabel->setText(QString::number(state.SpeechRate));
    const bool given = SynthesizerInUse() ? synthesizer_ && synthesizer_->setRate(state.SpeechRate)
                                          : voice_ && voice_->setRate(state.SpeechRate);
    if (!given)
        NotSupported();
}

void SpeechController::SpeechVolSetting()
{
    state.SpeechVol = ui.speechVolumeSlider->sliderPosition();
    ui.speechVolumeLabel->setText(QString::number(state.SpeechVol));
    const bool given = SynthesizerInUse() ? synthesizer_ && synthesizer_->setVolume(state.SpeechVol)
                                          : voice_ && voice_->setVolume(state.SpeechVol);
    if (!given)
        NotSupported();
}

void SpeechController::NotSupported()
{
    prompter.MessageInfoBox(SpeechMessages::Unsupported());
}

void SpeechController::CancelQueuedSpeech()
{
    if (synthesizer_ && state.synthesizerStatus == EngineStatus::Ready)
        synthesizer_->SpeakAsyncCancelAll();
}

void SpeechController::ReleaseEngines()
{
    waitingForService_ = false;
    synthesizer_.reset();
    voice_.reset();
}

void SpeechController::SpeechVoiceEndEvent()
{
    Reader().SpeechVoiceEndEvent();
}

void SpeechController::SpeechSynthesizerEndEvent()
{
    Reader().SpeechSynthesizerEndEvent();
}

SpeechReader& SpeechController::Reader()
{
    if (!reader_)
        reader_ = std::make_unique<SpeechReader>(Context{state, prompter, ui, peers}, *this);
    return *reader_;
}

void SpeechController::ShowReproductionMode()
{
    Reader().ShowReproductionMode();
}

bool SpeechController::PlayWhenReady()
{
    if (!waitingForService_)
        return false;
    // Not an installation problem yet: read as soon as the service is up.
    playAsked_ = true;
    return true;
}

bool SpeechController::DisplayEngineAvailable() const
{
    return SynthesizerInUse() ? state.synthesizerStatus == EngineStatus::Ready && synthesizer_
                              : state.voiceStatus == EngineStatus::Ready && voice_;
}

BilingualLine::Voice SpeechController::VoiceInUse() const
{
    using Kind = BilingualLine::Voice::Kind;
    // The desktop service's voices do not say their language here.
    if (SynthesizerInUse())
        return {};
    const QString name = QString::fromLocal8Bit(state.OralName);
    if (name == BuiltInVoice::kAutomaticName || name == kNone)
        return {Kind::Automatic, {}};
    if (name == BuiltInVoice::kEnglishMaleName || name == BuiltInVoice::kEnglishFemaleName)
        return {Kind::OneLanguage, u"en"_s};
    if (name == BuiltInVoice::kJapaneseName)
        return {Kind::OneLanguage, u"ja"_s};
    if (const auto* builtIn = qobject_cast<const BuiltInVoice*>(voice_.get())) {
        for (const BuiltInVoice::Entry& e : builtIn->entries()) {
            // espeak-ng's identifiers end with the language: "roa/fr".
            if (e.name == name && e.kind == BuiltInVoice::Kind::Espeak)
                return {Kind::OneLanguage, QString::fromLatin1(e.espeakVoice.mid(e.espeakVoice.lastIndexOf('/') + 1))};
            // Open JTalk says the Japanese lines, the automatic choice the rest.
            if (e.name == name && e.kind == BuiltInVoice::Kind::NaturalJapanese)
                return {Kind::Automatic, {}};
        }
    }
    return {};
}

void SpeechController::DispSpeakParts(const QStringList& parts)
{
    const QStringList say = BilingualLine::PartsToSay(parts, VoiceInUse());
    if (say.isEmpty() || !DisplayEngineAvailable())
        return;
    DispSpeakAsyncOut(say.first());
    displayParts_ = say.mid(1);
}

void SpeechController::SpeakNextDisplayPart()
{
    if (displayParts_.isEmpty() || !DisplayEngineAvailable())
        return;
    // Every engine says one text at a time: the next part follows the end
    // of the one before.
    const QString next = displayParts_.takeFirst();
    SpeechReader::DispSpeakAsyncOut(next, state, voice_.get(), synthesizer_.get(), SynthesizerInUse());
}

void SpeechController::DispSpeakAsyncOut(const QString& text)
{
    displayParts_.clear();
    if (text.isEmpty())
        return;
    if (!DisplayEngineAvailable())
        return;
    // The window shares the reader's engine, which says one text at a time:
    // a reading in progress is stopped properly rather than left waiting for
    // a completion that will never come.
    const int s = state.speechState;
    if (s == SpeechState::VoiceSpeaking || s == SpeechState::VoicePaused
        || s == SpeechState::SynthesizerSpeaking || s == SpeechState::SynthesizerPaused)
        Reader().SpeechStop();
    speaker = Speaker::Display;
    SpeechReader::DispSpeakAsyncOut(text, state, voice_.get(), synthesizer_.get(), SynthesizerInUse());
}

void SpeechController::DisplayClosed()
{
    displayParts_.clear();
    if (speaker == Speaker::Display && synthesizer_ && state.synthesizerStatus == EngineStatus::Ready)
        synthesizer_->SpeakAsyncCancelAll();
}
