#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// The voice-language dialog. It has no logic of its own: the caller fills
// the list, shows it, and reads the choice when it returns OK.
class LanguageSetting : public QDialog
{
    Q_OBJECT
public:
    explicit LanguageSetting(QWidget* parent = nullptr);

    QLabel* voiceLabel;        // ・音声言語
    QComboBox* voiceBox;  // pick from the list only
    QPushButton* applyButton;  // 設定
    QPushButton* cancelButton;  // キャンセル
};
