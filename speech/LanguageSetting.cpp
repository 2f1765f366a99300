#include "speech/LanguageSetting.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

LanguageSetting::LanguageSetting(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint)
    , label1(new QLabel(u"・音声言語"_s, this))
    , comboBox1(new QComboBox(this))
    , button1(new QPushButton(u"設定"_s, this))
    , button2(new QPushButton(u"キャンセル"_s, this))
{
    setObjectName(u"LanguageSetting"_s);
    setWindowTitle(u"音声合成言語設定"_s);
    setFixedSize(330, 96);

    label1->setObjectName(u"label1"_s);
    label1->setGeometry(12, 15, 80, 20);

    comboBox1->setObjectName(u"comboBox1"_s);
    comboBox1->setEditable(false);
    comboBox1->setGeometry(94, 12, 224, 24);
    comboBox1->setAccessibleName(u"音声言語"_s);
    comboBox1->setAccessibleDescription(u"読み上げに使う音声"_s);
    label1->setBuddy(comboBox1);

    button1->setObjectName(u"button1"_s);
    button1->setGeometry(146, 56, 80, 26);
    button1->setDefault(true);
    connect(button1, &QPushButton::clicked, this, &QDialog::accept);

    button2->setObjectName(u"button2"_s);
    button2->setGeometry(238, 56, 80, 26);
    connect(button2, &QPushButton::clicked, this, &QDialog::reject);
}
