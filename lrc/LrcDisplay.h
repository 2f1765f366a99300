#pragma once

#include "lrc/LyricLineLabel.h"

#include <QElapsedTimer>
#include <QPixmap>
#include <QWidget>

#include <array>

class QLabel;
class QPushButton;

// The synchronized-text window: the line just passed, the current line and
// the next two, each with a button that reads it aloud. Only its width
// changes; the labels widen with it.
class LrcDisplay : public QWidget
{
    Q_OBJECT

public:
    explicit LrcDisplay(QWidget* owner);

    LyricLineLabel* previousLineLabel = nullptr;
    LyricLineLabel* currentLineLabel = nullptr;
    LyricLineLabel* nextLineLabel = nullptr;
    LyricLineLabel* afterNextLineLabel = nullptr;
    QPushButton* previousLineSpeakButton = nullptr;
    QPushButton* currentLineSpeakButton = nullptr;
    QPushButton* nextLineSpeakButton = nullptr;
    QPushButton* afterNextLineSpeakButton = nullptr;

    // A press on a line this soon after the window came to the front was
    // the click that brought it there.
    static constexpr int ActivationClickMs = 250;

    std::array<QLabel*, 4> labels() const { return {previousLineLabel, currentLineLabel, nextLineLabel, afterNextLineLabel}; }
    std::array<LyricLineLabel*, 4> lines() const { return {previousLineLabel, currentLineLabel, nextLineLabel, afterNextLineLabel}; }
    std::array<QPushButton*, 4> buttons() const { return {previousLineSpeakButton, currentLineSpeakButton, nextLineSpeakButton, afterNextLineSpeakButton}; }
    void Clear();

    // Where a window of `size` (frame included) goes so that it hides none
    // of its owner's frame: below it, else above it, centred on it and kept
    // on the screen; when neither fits, the screen's centre.
    static QPoint PlaceBeside(const QRect& screen, const QRect& owner, const QSize& size);

signals:
    // A speak button was pressed for the text its label shows.
    void speakRequested(const QString& text);
    // A line's label (0 to 3 from the top) was clicked.
    void lineClicked(int label);
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPixmap background_;
    QElapsedTimer activatedAt_;
};
