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
    , nameLabel(new PictureLabel(this))
    , versionLabel(new QLabel(this))
    , companyLabel(new QLabel(this))
    , descriptionLabel(new QLabel(this))
{
    setWindowTitle(u"バージョン情報"_s);
    setAccessibleName(u"バージョン情報"_s);
    setFixedSize(439, 138);

    nameLabel->setObjectName(u"nameLabel"_s);
    nameLabel->setText(u"   Murmelin"_s);
    nameLabel->setFont(handwritingFont());
    setTextColor(nameLabel, QColor(0xB9, 0xD1, 0xEA)); // gradient active caption
    nameLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    nameLabel->setLineWidth(2);
    nameLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    nameLabel->setGeometry(66, 8, 309, 54);
    nameLabel->setPicture(u"murmelin.svg"_s, 44);
    nameLabel->setAccessibleDescription(u"製品名"_s);

    versionLabel->setObjectName(u"versionLabel"_s);
    versionLabel->setText(VersionText());
    versionLabel->setFont(uiFont(12));
    versionLabel->setGeometry(53, 67, 333, 20);
    versionLabel->setAccessibleDescription(u"バージョン"_s);

    companyLabel->setObjectName(u"companyLabel"_s);
    companyLabel->setText(u"Kestrow Software"_s);
    companyLabel->setAccessibleDescription(u"会社名"_s);

    descriptionLabel->setObjectName(u"descriptionLabel"_s);
    descriptionLabel->setText(u"音声合成とミュージック再生の学習ツール"_s);
    descriptionLabel->setAccessibleDescription(u"説明"_s);

    int y = 95;
    for (QLabel* label : {companyLabel, descriptionLabel}) {
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
