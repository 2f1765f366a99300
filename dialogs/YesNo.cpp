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
    , label1(new PictureLabel(this))
    , button1(new QPushButton(u"はい"_s, this))
    , button2(new QPushButton(u"いいえ"_s, this))
{
    setFixedSize(376, 66);
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(u"確認"_s);

    label1->setObjectName(u"label1"_s);
    DialogParts::SetMessageLabelLook(label1);
    label1->setText(u"メッセージ"_s);
    label1->setAccessibleDescription(u"質問"_s);
    label1->setGeometry(10, 9, 355, 24);
    label1->setFixedSize(355, 24);
    label1->setPicture(u"question.svg"_s, 18);

    button1->setObjectName(u"button1"_s);
    button1->setGeometry(106, 41, 70, 21);
    DialogParts::SetFlatButtonLook(button1, MistyRose, OrangeRed);
    connect(button1, &QPushButton::clicked, this, &QDialog::accept);

    button2->setObjectName(u"button2"_s);
    button2->setGeometry(192, 41, 70, 21);
    DialogParts::SetFlatButtonLook(button2, ActiveCaption, DarkOliveGreen);
    connect(button2, &QPushButton::clicked, this, &QDialog::reject);

    DialogParts::ReturnActsLikeSpace(button1);
    DialogParts::ReturnActsLikeSpace(button2);

    // "いいえ" first: the safe answer is the one Enter gives.
    setTabOrder(button2, button1);
    button2->setDefault(true);
    button2->setFocus();
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
    const int textWidth = label1->fontMetrics().horizontalAdvance(label1->text());
    const int room = designLabel - (label1->width() - label1->contentsRect().width()) - 8;
    int width = designWidth;
    if (textWidth > room) {
        const QScreen* screen = this->screen();
        const int most = screen ? screen->availableGeometry().width() - 40 : 1200;
        width = std::clamp(designWidth + textWidth - room, designWidth, std::max(designWidth, most));
    }
    setFixedSize(width, height());
    label1->setFixedSize(width - side, label1->height());
    button1->move(width / 2 - 82, button1->y());
    button2->move(width / 2 + 4, button2->y());
}

void YesNo::showEvent(QShowEvent* event)
{
    FitToQuestion();
    DialogParts::ShapeToControls(this);
    QDialog::showEvent(event);
    if (!event->spontaneous())
        DialogParts::CentreOnScreen(this);
}
