#include "dialogs/YesNo.h"

#include "dialogs/DialogParts.h"

#include <algorithm>

#include <QColor>
#include <QFontMetrics>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

using namespace Qt::StringLiterals;

namespace {
const QColor MistyRose(0xFF, 0xE4, 0xE1);
const QColor OrangeRed(0xFF, 0x45, 0x00);
const QColor ActiveCaption(0x99, 0xB4, 0xD1);
const QColor DarkOliveGreen(0x55, 0x6B, 0x2F);
} // namespace

YesNo::YesNo(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , messageLabel(new PictureLabel(this))
    , yesButton(new QPushButton(u"はい"_s, this))
    , noButton(new QPushButton(u"いいえ"_s, this))
{
    setFixedSize(376, 66);
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(u"確認"_s);

    messageLabel->setObjectName(u"messageLabel"_s);
    DialogParts::SetMessageLabelLook(messageLabel);
    messageLabel->setText(u"メッセージ"_s);
    messageLabel->setAccessibleDescription(u"質問"_s);
    messageLabel->setGeometry(10, 9, 355, 24);
    messageLabel->setFixedSize(355, 24);
    messageLabel->setPicture(u"question.svg"_s, 18);

    yesButton->setObjectName(u"yesButton"_s);
    yesButton->setGeometry(106, 41, 70, 21);
    DialogParts::SetFlatButtonLook(yesButton, MistyRose, OrangeRed);
    connect(yesButton, &QPushButton::clicked, this, &QDialog::accept);

    noButton->setObjectName(u"noButton"_s);
    noButton->setGeometry(192, 41, 70, 21);
    DialogParts::SetFlatButtonLook(noButton, ActiveCaption, DarkOliveGreen);
    connect(noButton, &QPushButton::clicked, this, &QDialog::reject);

    DialogParts::ReturnActsLikeSpace(yesButton);
    DialogParts::ReturnActsLikeSpace(noButton);

    // "いいえ" first: the safe answer is the one Enter gives.
    setTabOrder(noButton, yesButton);
    noButton->setDefault(true);
    noButton->setFocus();
    DialogParts::ShapeToControls(this);
}

void YesNo::FitToQuestion()
{
    // The questions of the program fit the design's 355 pixels; one that
    // names a file may not, and a question must be read whole before it is
    // answered: the dialog widens for it, up to the screen's width, with
    // its buttons kept in the middle.
    constexpr int designWidth = 376, designLabel = 355;
    const int side = designWidth - designLabel;
    const int textWidth = messageLabel->fontMetrics().horizontalAdvance(messageLabel->text());
    const int room = designLabel - (messageLabel->width() - messageLabel->contentsRect().width()) - 8;
    int width = designWidth;
    if (textWidth > room) {
        const QScreen* screen = this->screen();
        const int most = screen ? screen->availableGeometry().width() - 40 : 1200;
        width = std::clamp(designWidth + textWidth - room, designWidth, std::max(designWidth, most));
    }
    setFixedSize(width, height());
    messageLabel->setFixedSize(width - side, messageLabel->height());
    yesButton->move(width / 2 - 82, yesButton->y());
    noButton->move(width / 2 + 4, noButton->y());
}

void YesNo::showEvent(QShowEvent* event)
{
    FitToQuestion();
    DialogParts::ShapeToControls(this);
    QDialog::showEvent(event);
    if (!event->spontaneous())
        DialogParts::CentreOnScreen(this);
}
