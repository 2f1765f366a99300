#include "dialogs/VersionInfo.h"

#include "dialogs/DialogParts.h"

#include <QFont>
#include <QLabel>
#include <QShowEvent>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// Windows names first where the fonts are installed, then what Debian has.
QFont uiFont(qreal pointSize)
{
    QFont font;
    font.setFamilies({u"Microsoft Sans Serif"_s, u"DejaVu Sans"_s, u"IPAPGothic"_s, u"sans-serif"_s});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    return font;
}

// A pen-written name; any handwriting face will do where the first is missing,
// and fontconfig's "cursive" always answers with something.
QFont handwritingFont()
{
    QFont font;
    font.setFamilies({u"恋文ペン字"_s, u"Klee One"_s, u"Yozfont"_s, u"Comic Neue"_s,
                      u"Purisa"_s, u"Z003"_s, u"TeX Gyre Chorus"_s, u"URW Chancery L"_s,
                      u"cursive"_s});
    font.setStyleHint(QFont::Cursive);
    font.setPointSizeF(20.25);
    font.setBold(true);
    font.setItalic(true);
    return font;
}

void setTextColor(QLabel* label, const QColor& color)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
}

} // namespace

VersionInfo::VersionInfo(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , label1(new PictureLabel(this))
    , label2(new QLabel(this))
    , label3(new QLabel(this))
    , label4(new QLabel(this))
{
    setWindowTitle(u"バージョン情報"_s);
    setAccessibleName(u"バージョン情報"_s);
    setFixedSize(439, 138);

    label1->setObjectName(u"label1"_s);
    label1->setText(u"   Murmelin"_s);
    label1->setFont(handwritingFont());
    setTextColor(label1, QColor(0xB9, 0xD1, 0xEA)); // gradient active caption
    label1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label1->setLineWidth(2);
    label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label1->setGeometry(66, 8, 309, 54);
    label1->setPicture(u"murmelin.svg"_s, 44);
    label1->setAccessibleDescription(u"製品名"_s);

    label2->setObjectName(u"label2"_s);
    label2->setText(VersionText());
    label2->setFont(uiFont(12));
    label2->setGeometry(53, 67, 333, 20);
    label2->setAccessibleDescription(u"バージョン"_s);

    label3->setObjectName(u"label3"_s);
    label3->setText(u"Kestrow Software"_s);
    label3->setAccessibleDescription(u"会社名"_s);

    label4->setObjectName(u"label4"_s);
    label4->setText(u"音声合成とミュージック再生の学習ツール"_s);
    label4->setAccessibleDescription(u"説明"_s);

    int y = 95;
    for (QLabel* label : {label3, label4}) {
        label->setFont(uiFont(9.75));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setGeometry(94, y, 333, 20);
        y += 20;
    }
}

QString VersionInfo::VersionText()
{
    return u"Version:"_s + QStringLiteral(MURMELIN_VERSION);
}

void VersionInfo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        DialogParts::CentreOnScreen(this);
}
