#include "speech/LanguageSetting.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

LanguageSetting::LanguageSetting(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint)
    , voiceLabel(new QLabel(u"・音声言語"_s, this))
    , voiceBox(new QComboBox(this))
    , applyButton(new QPushButton(u"設定"_s, this))
    , cancelButton(new QPushButton(u"キャンセル"_s, this))
{
    setObjectName(u"LanguageSetting"_s);
    setWindowTitle(u"音声合成言語設定"_s);
    setFixedSize(330, 96);

    voiceLabel->setObjectName(u"voiceLabel"_s);
    voiceLabel->setGeometry(12, 15, 80, 20);

    voiceBox->setObjectName(u"voiceBox"_s);
    voiceBox->setEditable(false);
    voiceBox->setGeometry(94, 12, 224, 24);
    voiceBox->setAccessibleName(u"音声言語"_s);
    voiceBox->setAccessibleDescription(u"読み上げに使う音声"_s);
    voiceLabel->setBuddy(voiceBox);

    applyButton->setObjectName(u"applyButton"_s);
    applyButton->setGeometry(146, 56, 80, 26);
    applyButton->setDefault(true);
    connect(applyButton, &QPushButton::clicked, this, &QDialog::accept);

    cancelButton->setObjectName(u"cancelButton"_s);
    cancelButton->setGeometry(238, 56, 80, 26);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}
