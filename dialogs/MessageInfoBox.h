#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

// The program's message window: one message on bisque and an "OK" button,
// with no title bar and nothing else of the window visible. Enter and
// Escape both close it; the result is always Rejected.
class MessageInfoBox : public QDialog
{
    Q_OBJECT
public:
    explicit MessageInfoBox(QWidget* parent = nullptr);

    // Shows text in messageLabel: the label grows with it from 440 x 24 to at
    // most 440 x 46, and what still does not fit ends in "…".
    void setText(const QString& text);

    // The whole message, also when messageLabel shows it shortened.
    QString fullText() const { return m_fullText; }
    bool isElided() const { return m_elided; }

    QLabel* messageLabel;
    QPushButton* okButton;

    static constexpr int LabelWidth = 440;
    static constexpr int MinLabelHeight = 24;
    static constexpr int MaxLabelHeight = 46;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString m_fullText;
    QString m_shownText;
    bool m_elided = false;
};
