#include "study/AudioExportController.h"

#include "documents/TextView.h"
#include "library/LibraryController.h"
#include "platform/BuiltInVoice.h"
#include "speech/KanaReadings.h"
#include "speech/SpeechController.h"
#include "study/AudioExport.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressDialog>

using namespace Qt::StringLiterals;

namespace {

AudioExportRules::Format FormatOf(ExportFormat::Code format)
{
    return format == ExportFormat::Wav ? AudioExportRules::Format::Wav : AudioExportRules::Format::Mp3;
}

} // namespace

AudioExportController::AudioExportController(const Context& context) : Controller(context)
{
}

AudioExportController::~AudioExportController() = default;

BuiltInVoice* AudioExportController::Voices()
{
    // The reader's own voice when it speaks with one; else one of our own,
    // made once, whose list and choice rules are the same.
    if (peers.speech && !peers.speech->SynthesizerInUse())
        if (auto* voice = qobject_cast<BuiltInVoice*>(peers.speech->voice()))
            return voice;
    if (!ownVoices_)
        ownVoices_ = std::make_unique<BuiltInVoice>();
    return ownVoices_.get();
}

QString AudioExportController::SourcePath(bool lrcView) const
{
    const int stored = lrcView ? state.lrcDocumentState : state.textDocumentState;
    if (stored != DocumentState::Stored && stored != DocumentState::StoredEdited)
        return {};
    QLineEdit* name = lrcView ? ui.lrcNameBox : ui.textNameBox;
    const QString folder = lrcView ? state.lrcTextFolder : state.textFolder;
    if (!name || name->text().isEmpty() || folder.isEmpty())
        return {};
    return folder + u'/' + name->text() + (lrcView ? u".lrc"_s : u".txt"_s);
}

void AudioExportController::Open()
{
    TextView* view = ui.textView && !ui.textView->isHidden() ? ui.textView
                     : ui.lrcView && !ui.lrcView->isHidden() ? ui.lrcView : nullptr;
    if (!view) {
        prompter.MessageInfoBox(u"テキストか同期テキストを表示してから行ってください。"_s);
        return;
    }
    const bool range = view->SelectionLength() > 0;
    const QStringList lines = AudioExportRules::SpokenLines(range ? view->SelectedText() : view->Text());
    if (lines.isEmpty()) {
        prompter.MessageInfoBox(u"読み上げる文字がないため、書き出せません。文字のあるテキストを開くか、文字のある範囲を選択してから行ってください。"_s);
        return;
    }
    BuiltInVoice* voices = Voices();
    if (!voices || voices->entries().isEmpty()) {
        prompter.MessageInfoBox(u"内蔵の音声を使えないため、書き出せません。"_s);
        return;
    }

    const bool lrcView = view == ui.lrcView;
    const QString source = SourcePath(lrcView);
    const QString folder = QFileInfo(state.listFolderPath).isDir() ? state.listFolderPath : state.murmelinFolder;
    Prompter::AudioExportChoices question;
    question.contents = u"%1（%2行）を、内蔵の音声で読み上げて書き出します。"_s
                            .arg(range ? u"選択した範囲"_s : u"テキスト全体"_s)
                            .arg(lines.size());
    const int count = state.LoopModeCount;
    question.repetitionsPossible = count > 1 && count < AudioExportRules::kEndlessCount;
    question.repetitionsText = question.repetitionsPossible ? u"繰り返しを入れる(&R)（各行 %1 回）"_s.arg(count)
                               : count >= AudioExportRules::kEndlessCount
                                   ? u"繰り返しを入れる(&R)（無限の繰り返しはファイルでは 1 回）"_s
                                   : u"繰り返しを入れる(&R)（今の回数は 1 回）"_s;
    question.pausePossible = state.StudyPausePercent > 0;
    question.pauseText = question.pausePossible
                             ? u"練習の間を入れる(&P)（行の長さの %1 倍の無音）"_s.arg(state.StudyPausePercent / 100.0)
                             : u"練習の間を入れる(&P)（今の設定は「なし」）"_s;
    question.voices = voices->GetVoices();
    question.voice = peers.speech && !peers.speech->SynthesizerInUse() ? state.OralSelectionNumber : 0;
    question.format = state.StudyExportFormat == ExportFormat::Wav ? ExportFormat::Wav : ExportFormat::Mp3;
    question.withRepetitions = state.StudyExportRepetitions == Switch::On;
    question.withPause = state.StudyExportPause == Switch::On;
    question.path = AudioExportRules::DefaultPath(source, folder, FormatOf(question.format));
    question.withSuffix = [](const QString& path, ExportFormat::Code format) {
        return AudioExportRules::WithSuffix(path, FormatOf(format));
    };
    question.lrcPathFor = &AudioExportRules::LrcPathFor;

    QString audioPath;
    Prompter::AudioExportChoices answer;
    for (;;) {
        const std::optional<Prompter::AudioExportChoices> given = prompter.AudioExportOptions(question);
        if (!given)
            return;
        answer = *given;
        question.voice = answer.voice;
        question.format = answer.format;
        if (question.repetitionsPossible)
            question.withRepetitions = answer.withRepetitions;
        if (question.pausePossible)
            question.withPause = answer.withPause;
        question.path = answer.path;
        if (answer.path.trimmed().isEmpty()) {
            prompter.MessageInfoBox(u"書き出すファイルの名前を入力してください。"_s);
            continue;
        }
        audioPath = QDir(folder).absoluteFilePath(AudioExportRules::WithSuffix(answer.path.trimmed(), FormatOf(answer.format)));
        if (AudioExportRules::LrcIsSource(audioPath, source)) {
            prompter.MessageInfoBox(u"「%1」は書き出すテキストそのものです。別のファイル名を指定してください。"_s
                                        .arg(QFileInfo(AudioExportRules::LrcPathFor(audioPath)).fileName()));
            continue;
        }
        const QString lrcPath = AudioExportRules::LrcPathFor(audioPath);
        QStringList existing;
        for (const QString& p : {audioPath, lrcPath})
            if (QFileInfo::exists(p))
                existing << u"「%1」"_s.arg(QFileInfo(p).fileName());
        if (!existing.isEmpty() && !prompter.YesNo(u"%1は既にあります。上書きしますか？"_s.arg(existing.join(u"と"_s))))
            continue;
        break;
    }
    // A box the reader's settings left greyed out keeps the user's last word.
    state.StudyExportFormat = answer.format;
    if (question.repetitionsPossible)
        state.StudyExportRepetitions = answer.withRepetitions ? Switch::On : Switch::Off;
    if (question.pausePossible)
        state.StudyExportPause = answer.withPause ? Switch::On : Switch::Off;

    // The voices' engines take one text after another: a reading in
    // progress would hold the file back to its own pace.
    if (peers.speech && state.SpeechBusy())
        peers.speech->SpeechStop();
    if (!kana_) {
        kana_ = MakeKanaReader();
        // Without the dictionary the Japanese lines are said as written; say why.
        if (kana_)
            QObject::connect(kana_.get(), &KanaReader::Problem, kana_.get(),
                             [this](const QString& message) { prompter.MessageInfoBox(message); });
    }

    AudioExportRules::Choice choice;
    choice.loopCount = count;
    choice.pausePercent = state.StudyPausePercent;
    choice.withRepetitions = answer.withRepetitions && question.repetitionsPossible;
    choice.withPause = answer.withPause && question.pausePossible;
    AudioExport::Job job;
    job.steps = AudioExportRules::Plan(lines, choice);
    job.audioPath = audioPath;
    job.format = FormatOf(answer.format);
    job.rate = state.SpeechRate;
    const int voiceIndex = answer.voice;
    job.voiceFor = [voices, voiceIndex](const QString& text) { return voices->VoiceFor(voiceIndex, text); };
    job.kana = kana_;
    job.spareFolder = state.murmelinFolder;

    AudioExport writer;
    if (!writer.Start(std::move(job))) {
        prompter.MessageInfoBox(writer.message());
        return;
    }
    Run(writer);
    switch (writer.outcome()) {
    case AudioExport::Outcome::Written:
        // A file in the listed folder shows in the lists at once.
        if (peers.library && QFileInfo(audioPath).absolutePath() == QFileInfo(state.listFolderPath).absoluteFilePath()) {
            peers.library->ListViewAllFileNameWriting(state.listFolderPath);
            peers.library->ListViewTextFileNameWriting(state.listFolderPath);
            peers.library->ListViewMusicFileNameWriting(state.listFolderPath);
        }
        prompter.MessageInfoBox(u"「%1」と「%2」を書き出しました。"_s.arg(QFileInfo(audioPath).fileName(),
                                                                     QFileInfo(AudioExportRules::LrcPathFor(audioPath)).fileName()));
        break;
    case AudioExport::Outcome::Failed:
        prompter.MessageInfoBox(writer.message());
        break;
    default:
        break;
    }
}

void AudioExportController::Run(AudioExport& writer)
{
    QProgressDialog progress(u"音声ファイルに書き出しています..."_s, u"キャンセル"_s, 0, 1000, ui.form);
    progress.setObjectName(u"exportProgressDialog"_s);
    progress.setWindowTitle(u"音声ファイルに書き出す"_s);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0);
    QEventLoop wait;
    QObject::connect(&writer, &AudioExport::progress, &progress, &QProgressDialog::setValue);
    QObject::connect(&progress, &QProgressDialog::canceled, &writer, &AudioExport::Cancel);
    QObject::connect(&writer, &AudioExport::finished, &wait, &QEventLoop::quit);
    if (writer.outcome() == AudioExport::Outcome::Running)
        wait.exec();
}
