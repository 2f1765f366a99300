#include "speech/LanguageSetting.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

LanguageSetting::LanguageSetting(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint)
    , voiceLabel(new QLabel(u"・音声言語"_s, this))
    , voiceBox(new QComboBox(this))
    , speakerLabel(new QLabel(u"・声"_s, this))
    , speakerBox(new QComboBox(this))
    , variantLabel(new QLabel(u"・種類"_s, this))
    , variantBox(new QComboBox(this))
    , applyButton(new QPushButton(u"設定"_s, this))
    , cancelButton(new QPushButton(u"キャンセル"_s, this))
{
    setObjectName(u"LanguageSetting"_s);
    setWindowTitle(u"音声合成言語設定"_s);
    setFixedSize(330, 162);

    voiceLabel->setObjectName(u"voiceLabel"_s);
    voiceLabel->setGeometry(12, 15, 80, 20);

    voiceBox->setObjectName(u"voiceBox"_s);
    voiceBox->setEditable(false);
    voiceBox->setGeometry(94, 12, 224, 24);
    voiceBox->setAccessibleName(u"音声言語"_s);
    voiceBox->setAccessibleDescription(u"読み上げに使う音声"_s);
    voiceLabel->setBuddy(voiceBox);

    speakerLabel->setObjectName(u"speakerLabel"_s);
    speakerLabel->setGeometry(12, 49, 80, 20);

    speakerBox->setObjectName(u"speakerBox"_s);
    speakerBox->setEditable(false);
    speakerBox->setGeometry(94, 46, 224, 24);
    speakerBox->setAccessibleName(u"声"_s);
    speakerBox->setAccessibleDescription(u"選んだ言語の音声"_s);
    speakerLabel->setBuddy(speakerBox);

    variantLabel->setObjectName(u"variantLabel"_s);
    variantLabel->setGeometry(12, 83, 80, 20);

    variantBox->setObjectName(u"variantBox"_s);
    variantBox->setEditable(false);
    variantBox->setGeometry(94, 80, 224, 24);
    variantBox->setAccessibleName(u"種類"_s);
    variantBox->setAccessibleDescription(u"選んだ声の種類"_s);
    variantLabel->setBuddy(variantBox);

    applyButton->setObjectName(u"applyButton"_s);
    applyButton->setGeometry(146, 122, 80, 26);
    applyButton->setDefault(true);
    connect(applyButton, &QPushButton::clicked, this, &QDialog::accept);

    cancelButton->setObjectName(u"cancelButton"_s);
    cancelButton->setGeometry(238, 122, 80, 26);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}
