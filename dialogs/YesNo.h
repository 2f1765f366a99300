#pragma once

#include "dialogs/DialogParts.h"

#include <QDialog>

class QPushButton;

// The program's yes/no question: "はい" accepts, "いいえ" rejects. The focus
// starts on "いいえ", so Enter right after opening answers no; Escape gives
// the same safe answer.
class YesNo : public QDialog
{
    Q_OBJECT
public:
    explicit YesNo(QWidget* parent = nullptr);

    PictureLabel* messageLabel;
    QPushButton* yesButton; // はい
    QPushButton* noButton; // いいえ

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FitToQuestion();
};
