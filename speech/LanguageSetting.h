#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// The voice-language dialog. It has no logic of its own: the caller fills
// the lists, shows it, and reads the choice when it returns OK. The first
// list holds languages and groups, the second the voices of the line picked
// in the first, the third the variants of the voice picked in the second.
class LanguageSetting : public QDialog
{
    Q_OBJECT
public:
    explicit LanguageSetting(QWidget* parent = nullptr);

    QLabel* voiceLabel;        // ・音声言語
    QComboBox* voiceBox;  // pick from the list only
    QLabel* speakerLabel;      // ・声
    QComboBox* speakerBox;     // the voices of the line picked in voiceBox
    QLabel* variantLabel;      // ・種類
    QComboBox* variantBox;     // the variants of the voice picked in speakerBox
    QPushButton* applyButton;  // 設定
    QPushButton* cancelButton;  // キャンセル
};
