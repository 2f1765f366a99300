#include "dialogs/ExportDialog.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

using namespace Qt::StringLiterals;

ExportDialog::ExportDialog(QWidget* owner) : QDialog(owner)
{
    setObjectName(u"ExportDialog"_s);
    setWindowTitle(u"音声ファイルに書き出す"_s);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    contentsLabel_ = new QLabel(this);
    contentsLabel_->setObjectName(u"exportContentsLabel"_s);
    contentsLabel_->setAccessibleDescription(u"書き出す内容"_s);
    contentsLabel_->setWordWrap(true);
    layout->addWidget(contentsLabel_);

    auto* form = new QFormLayout;
    voiceBox_ = new QComboBox(this);
    voiceBox_->setObjectName(u"exportVoiceBox"_s);
    voiceBox_->setToolTip(u"読み上げる内蔵の音声"_s);
    voiceBox_->setAccessibleName(u"音声"_s);
    auto* voiceLabel = new QLabel(u"音声(&V):"_s, this);
    voiceLabel->setBuddy(voiceBox_);
    form->addRow(voiceLabel, voiceBox_);

    auto* formats = new QHBoxLayout;
    mp3Button_ = new QRadioButton(u"MP3(&M)"_s, this);
    mp3Button_->setObjectName(u"exportMp3Button"_s);
    mp3Button_->setToolTip(u"スマートフォンや多くのプレーヤーで再生できる小さなファイル"_s);
    wavButton_ = new QRadioButton(u"WAV(&W)"_s, this);
    wavButton_->setObjectName(u"exportWavButton"_s);
    wavButton_->setToolTip(u"圧縮しない、音質の変わらないファイル"_s);
    auto* formatGroup = new QButtonGroup(this);
    formatGroup->addButton(mp3Button_);
    formatGroup->addButton(wavButton_);
    mp3Button_->setChecked(true);
    formats->addWidget(mp3Button_);
    formats->addWidget(wavButton_);
    formats->addStretch(1);
    form->addRow(new QLabel(u"形式:"_s, this), formats);
    layout->addLayout(form);

    repetitionsBox_ = new QCheckBox(this);
    repetitionsBox_->setObjectName(u"exportRepetitionsBox"_s);
    layout->addWidget(repetitionsBox_);
    pauseBox_ = new QCheckBox(this);
    pauseBox_->setObjectName(u"exportPauseBox"_s);
    layout->addWidget(pauseBox_);

    auto* fileRow = new QHBoxLayout;
    auto* fileLabel = new QLabel(u"ファイル名(&F):"_s, this);
    fileNameBox_ = new QLineEdit(this);
    fileNameBox_->setObjectName(u"exportFileNameBox"_s);
    fileNameBox_->setToolTip(u"書き出す音声ファイル。同じ名前の .lrc ファイルも書き出します"_s);
    fileNameBox_->setAccessibleName(u"ファイル名"_s);
    fileNameBox_->setMinimumWidth(360);
    fileLabel->setBuddy(fileNameBox_);
    auto* browse = new QPushButton(u"参照(&B)..."_s, this);
    browse->setObjectName(u"exportBrowseButton"_s);
    browse->setAutoDefault(false);
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(fileNameBox_, 1);
    fileRow->addWidget(browse);
    layout->addLayout(fileRow);
    lrcNameLabel_ = new QLabel(this);
    lrcNameLabel_->setObjectName(u"exportLrcNameLabel"_s);
    lrcNameLabel_->setAccessibleDescription(u"一緒に書き出す同期テキスト"_s);
    layout->addWidget(lrcNameLabel_);

    auto* buttons = new QDialogButtonBox(this);
    exportButton_ = buttons->addButton(u"書き出す"_s, QDialogButtonBox::AcceptRole);
    exportButton_->setObjectName(u"exportStartButton"_s);
    exportButton_->setDefault(true);
    QPushButton* cancel = buttons->addButton(u"キャンセル"_s, QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"exportCancelButton"_s);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, &ExportDialog::browseRequested);
    connect(fileNameBox_, &QLineEdit::textChanged, this, [this] { ShowLrcName(); });
    // The name follows the format.
    connect(mp3Button_, &QRadioButton::toggled, this, [this] {
        if (!fileNameBox_->text().trimmed().isEmpty())
            fileNameBox_->setText(path());
        ShowLrcName();
    });
}

void ExportDialog::SetChoices(const Prompter::AudioExportChoices& choices)
{
    choices_ = choices;
    contentsLabel_->setText(choices.contents);
    repetitionsBox_->setText(choices.repetitionsText);
    pauseBox_->setText(choices.pauseText);
    repetitionsBox_->setEnabled(choices.repetitionsPossible);
    pauseBox_->setEnabled(choices.pausePossible);
    voiceBox_->clear();
    voiceBox_->addItems(choices.voices);
    voiceBox_->setCurrentIndex(std::clamp(choices.voice, 0, std::max(0, int(choices.voices.size()) - 1)));
    SetFormat(choices.format);
    // What cannot go in shows unticked.
    repetitionsBox_->setChecked(choices.withRepetitions && choices.repetitionsPossible);
    pauseBox_->setChecked(choices.withPause && choices.pausePossible);
    SetPath(choices.path);
}

Prompter::AudioExportChoices ExportDialog::Choices() const
{
    Prompter::AudioExportChoices chosen = choices_;
    chosen.voice = voice();
    chosen.format = format();
    chosen.withRepetitions = withRepetitions();
    chosen.withPause = withPause();
    chosen.path = path();
    return chosen;
}

void ExportDialog::SetFormat(ExportFormat::Code format)
{
    (format == ExportFormat::Wav ? wavButton_ : mp3Button_)->setChecked(true);
}

void ExportDialog::SetPath(const QString& path)
{
    fileNameBox_->setText(path);
    ShowLrcName();
}

int ExportDialog::voice() const
{
    return voiceBox_->currentIndex();
}

ExportFormat::Code ExportDialog::format() const
{
    return wavButton_->isChecked() ? ExportFormat::Wav : ExportFormat::Mp3;
}

bool ExportDialog::withRepetitions() const
{
    return repetitionsBox_->isEnabled() && repetitionsBox_->isChecked();
}

bool ExportDialog::withPause() const
{
    return pauseBox_->isEnabled() && pauseBox_->isChecked();
}

QString ExportDialog::path() const
{
    const QString typed = fileNameBox_->text().trimmed();
    return typed.isEmpty() || !choices_.withSuffix ? typed : choices_.withSuffix(typed, format());
}

void ExportDialog::ShowLrcName()
{
    const QString audio = path();
    lrcNameLabel_->setText(audio.isEmpty() || !choices_.lrcPathFor
                               ? QString()
                               : u"同期テキスト: %1"_s.arg(QFileInfo(choices_.lrcPathFor(audio)).fileName()));
}
