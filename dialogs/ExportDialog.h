#pragma once

#include "core/Prompter.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The choices of writing a text to a sound file: the voice, WAV or MP3,
// whether the repetitions and the learner's pause go in, and the file's
// name. It only shows and asks; the export's controller does the work.
class ExportDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ExportDialog(QWidget* owner);

    // What is written and the choices as they stand; a choice that is not
    // possible shows greyed out and unticked.
    void SetChoices(const Prompter::AudioExportChoices& choices);
    // The choices as the user has left them.
    Prompter::AudioExportChoices Choices() const;

    void SetFormat(ExportFormat::Code format);
    void SetPath(const QString& path);

    int voice() const;
    ExportFormat::Code format() const;
    bool withRepetitions() const;
    bool withPause() const;
    // The name as typed, with the format's suffix.
    QString path() const;

    QComboBox* voiceBox() const { return voiceBox_; }
    QRadioButton* mp3Button() const { return mp3Button_; }
    QRadioButton* wavButton() const { return wavButton_; }
    QCheckBox* repetitionsBox() const { return repetitionsBox_; }
    QCheckBox* pauseBox() const { return pauseBox_; }
    QLineEdit* fileNameBox() const { return fileNameBox_; }
    QPushButton* exportButton() const { return exportButton_; }

signals:
    void browseRequested();

private:
    void ShowLrcName();

    Prompter::AudioExportChoices choices_;
    QLabel* contentsLabel_ = nullptr;
    QComboBox* voiceBox_ = nullptr;
    QRadioButton* mp3Button_ = nullptr;
    QRadioButton* wavButton_ = nullptr;
    QCheckBox* repetitionsBox_ = nullptr;
    QCheckBox* pauseBox_ = nullptr;
    QLineEdit* fileNameBox_ = nullptr;
    QLabel* lrcNameLabel_ = nullptr;
    QPushButton* exportButton_ = nullptr;
};
