#pragma once

#include <QLabel>

// A line of the lyric window: its text, and when the song gives them a
// translation in smaller type under it and the word being sung in another
// colour. text() stays the line itself, which is what is read aloud.
class LyricLineLabel : public QLabel
{
public:
    explicit LyricLineLabel(QWidget* parent = nullptr);

    void setSecondLine(const QString& text);
    QString secondLine() const { return second_; }
    // A span of text(); length 0 for none.
    void setWordHighlight(qsizetype start, qsizetype length);
    std::pair<qsizetype, qsizetype> wordHighlight() const { return {wordStart_, wordLength_}; }

    // The colour of the word being sung.
    static QColor WordColour();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString second_;
    qsizetype wordStart_ = 0;
    qsizetype wordLength_ = 0;
};
