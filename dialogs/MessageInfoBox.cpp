#include "dialogs/MessageInfoBox.h"

#include "dialogs/DialogParts.h"

#include <QFontMetrics>
#include <QLabel>
#include <QList>
#include <QPushButton>
#include <QShowEvent>
#include <QTextLayout>

using namespace Qt::StringLiterals;

namespace {

const QString Ellipsis = u"…"_s;

struct Line
{
    qsizetype start; // in the whole text
    QString text;
};

QString withoutTrailingSpace(QString s)
{
    while (!s.isEmpty() && s.back().isSpace())
        s.chop(1);
    return s;
}

// Breaks text into lines no wider than width: at word boundaries where
// there are any, anywhere else (Japanese has no spaces to break at).
QList<Line> wrapLines(const QString& text, const QFont& font, int width)
{
    QList<Line> lines;
    qsizetype paragraphStart = 0;
    const QStringList paragraphs = text.split(u'\n');
    for (const QString& rawParagraph : paragraphs) {
        QString paragraph = rawParagraph;
        if (paragraph.endsWith(u'\r'))
            paragraph.chop(1);
        if (paragraph.isEmpty()) {
            lines.append(Line{paragraphStart, QString()});
        } else {
            QTextLayout layout(paragraph, font);
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(width);
                lines.append(Line{paragraphStart + line.textStart(),
                              withoutTrailingSpace(paragraph.mid(line.textStart(), line.textLength()))});
            }
            layout.endLayout();
        }
        paragraphStart += rawParagraph.size() + 1;
    }
    return lines;
}

QString joined(const QList<Line>& lines, qsizetype count)
{
    QStringList texts;
    for (qsizetype i = 0; i < count; ++i)
        texts << lines[i].text;
    return texts.join(u'\n');
}

// The last line that still fits, filled with as much of the rest of the
// message as the width allows and closed with the ellipsis.
QString elidedLine(const QString& rest, const QFontMetrics& fm, int width)
{
    QString t = rest;
    t.replace(u'\n', u' ');
    t.remove(u'\r');
    // Never more characters than could ever fit; saves measuring a long tail.
    const int narrowest = qMax(1, qMin(fm.horizontalAdvance(u' '), fm.horizontalAdvance(u'.')));
    const qsizetype most = 2 * (width / narrowest) + 2;
    if (t.size() > most)
        t.truncate(t.at(most - 1).isHighSurrogate() ? most - 1 : most);
    while (!t.isEmpty() && fm.horizontalAdvance(t + Ellipsis) > width) {
        t.chop(1);
        if (!t.isEmpty() && t.back().isHighSurrogate())
            t.chop(1);
    }
    return withoutTrailingSpace(t) + Ellipsis;
}

} // namespace

MessageInfoBox::MessageInfoBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , messageLabel(new QLabel(this))
    , okButton(new QPushButton(u"OK"_s, this))
{
    setFixedSize(458, 79);
    // Only the message and the button show; the window itself is see-through.
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(u"メッセージ"_s);

    messageLabel->setObjectName(u"messageLabel"_s);
    DialogParts::SetMessageLabelLook(messageLabel);
    messageLabel->move(9, 6);

    okButton->setObjectName(u"okButton"_s);
    okButton->setGeometry(379, 54, 70, 21);
    DialogParts::SetFlatButtonLook(okButton, palette().color(QPalette::Button).darker(110),
                                   palette().color(QPalette::Button).darker(130));
    // Enter presses the button; Escape ends the dialog as rejected too.
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::reject);
    DialogParts::ReturnActsLikeSpace(okButton);
    okButton->setFocus();

    setText(u"メッセージ"_s);
}

void MessageInfoBox::setText(const QString& text)
{
    m_fullText = text;
    const int frame = messageLabel->frameWidth();
    const int width = LabelWidth - 2 * frame;
    const int maxTextHeight = MaxLabelHeight - 2 * frame;
    const QFontMetrics fm(messageLabel->font());
    // Measured the way the label draws it, so what fits here fits there.
    auto heightOf = [&](const QString& s) {
        return fm.boundingRect(QRect(0, 0, width, 10000), Qt::AlignCenter, s).height();
    };

    const QList<Line> lines = wrapLines(text, messageLabel->font(), width);
    qsizetype fitting = 0;
    while (fitting < lines.size() && heightOf(joined(lines, fitting + 1)) <= maxTextHeight)
        ++fitting;

    QString shown;
    m_elided = fitting < lines.size();
    if (!m_elided) {
        shown = joined(lines, lines.size());
    } else {
        const qsizetype kept = qMax<qsizetype>(fitting, 1);
        QStringList texts;
        for (qsizetype i = 0; i + 1 < kept; ++i)
            texts << lines[i].text;
        texts << elidedLine(text.mid(lines[kept - 1].start), fm, width);
        shown = texts.join(u'\n');
    }

    // The lines are already broken to the width; the label must not break them again.
    messageLabel->setWordWrap(false);
    messageLabel->setText(shown);
    m_shownText = shown;
    messageLabel->setFixedSize(LabelWidth, qBound(MinLabelHeight, heightOf(shown) + 2 * frame, MaxLabelHeight));
    // The whole message stays one hover away when it had to be cut.
    messageLabel->setToolTip(m_elided ? text : QString());
    messageLabel->setAccessibleDescription(m_elided ? text : u"メッセージ"_s);
    DialogParts::ShapeToControls(this);
}

void MessageInfoBox::showEvent(QShowEvent* event)
{
    // A caller may have put its text straight into messageLabel.
    if (messageLabel->text() != m_shownText)
        setText(messageLabel->text());
    DialogParts::ShapeToControls(this);
    QDialog::showEvent(event);
    if (!event->spontaneous())
        DialogParts::CentreOnScreen(this);
}
