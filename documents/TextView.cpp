#include "documents/TextView.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {
// The block format property holding the form of the break before a paragraph.
constexpr int BreakProperty = QTextFormat::UserProperty + 0x4D42;
constexpr char16_t EditorBreak = 0x2029;   // how the editor's raw text shows a paragraph break
} // namespace

TextView::TextView(QWidget* parent)
    : QPlainTextEdit(parent)
{
    connect(document(), &QTextDocument::contentsChange, this, [this] { mapValid_ = false; });
}

LineBreaks::Kind TextView::BreakBefore(const QTextBlock& block) const
{
    const QVariant v = block.blockFormat().property(BreakProperty);
    return v.isValid() ? LineBreaks::Kind(v.toInt()) : defaultBreak_;
}

const OffsetMap& TextView::Map() const
{
    if (!mapValid_) {
        QTextDocument* doc = document();
        std::vector<int> lengths;
        std::vector<LineBreaks::Kind> breaks;
        lengths.reserve(size_t(doc->blockCount()));
        breaks.reserve(size_t(doc->blockCount()));
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
            if (b != doc->begin())
                breaks.push_back(BreakBefore(b));
            lengths.push_back(b.length() - 1);
        }
        map_ = OffsetMap(lengths, breaks);
        mapValid_ = true;
    }
    return map_;
}

QString TextView::Text() const
{
    const QString raw = document()->toRawText();
    const OffsetMap& map = Map();
    if (map.AllCrLf() && map.Paragraphs() <= 1)
        return raw;
    QString out;
    out.reserve(map.TextLength());
    qsizetype from = 0;
    int paragraph = 1;
    for (;;) {
        const qsizetype at = raw.indexOf(QChar(EditorBreak), from);
        if (at < 0)
            break;
        out.append(QStringView(raw).mid(from, at - from));
        out.append(LineBreaks::Text(map.BreakBefore(paragraph++)));
        from = at + 1;
    }
    out.append(QStringView(raw).mid(from));
    return out;
}

int TextView::TextLength() const
{
    return Map().TextLength();
}

void TextView::ApplyBreaks(int firstBlock, const QList<LineBreaks::Kind>& kinds)
{
    QTextDocument* doc = document();
    const LineBreaks::Kind inherited = BreakBefore(doc->findBlockByNumber(firstBlock));
    // Runs of equal forms take one format change each.
    qsizetype i = 0;
    while (i < kinds.size()) {
        if (kinds[i] == inherited) {
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j + 1 < kinds.size() && kinds[j + 1] == kinds[i])
            ++j;
        QTextCursor run(doc->findBlockByNumber(firstBlock + 1 + int(i)));
        if (j > i)
            run.setPosition(doc->findBlockByNumber(firstBlock + 1 + int(j)).position(), QTextCursor::KeepAnchor);
        QTextBlockFormat format;
        format.setProperty(BreakProperty, int(kinds[i]));
        run.mergeBlockFormat(format);
        i = j + 1;
    }
}

void TextView::InsertAt(QTextCursor& cursor, const QString& text)
{
    // Inside one edit block: one undo step and one change notification.
    cursor.beginEditBlock();
    const int firstBlock = document()->findBlock(cursor.selectionStart()).blockNumber();
    cursor.insertText(text);
    ApplyBreaks(firstBlock, LineBreaks::Kinds(text));
    cursor.endEditBlock();
}

bool TextView::SetText(const QString& text)
{
    QTextDocument* doc = document();
    if (text.size() == TextLength() && text == Text()) {
        doc->clearUndoRedoStacks();
        return false;
    }
    const QList<LineBreaks::Kind> kinds = LineBreaks::Kinds(text);
    doc->setUndoRedoEnabled(false);
    defaultBreak_ = LineBreaks::MostCommon(kinds);
    QTextCursor cursor(doc);
    cursor.select(QTextCursor::Document);
    InsertAt(cursor, text);
    doc->setUndoRedoEnabled(true);
    setTextCursor(QTextCursor(doc));
    return true;
}

void TextView::ReplaceAll(const QString& text)
{
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    InsertAt(cursor, text);
    setTextCursor(QTextCursor(document()));
}

void TextView::InsertText(const QString& text)
{
    QTextCursor cursor = textCursor();
    InsertAt(cursor, text);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void TextView::ClearUndo()
{
    document()->clearUndoRedoStacks();
}

int TextView::ToTextOffset(int editorPosition) const
{
    return Map().ToTextOffset(editorPosition);
}

int TextView::ToEditorPosition(int textOffset) const
{
    return Map().ToEditorPosition(textOffset);
}

int TextView::SelectionStart() const
{
    return ToTextOffset(textCursor().selectionStart());
}

int TextView::SelectionLength() const
{
    const QTextCursor c = textCursor();
    return ToTextOffset(c.selectionEnd()) - ToTextOffset(c.selectionStart());
}

QString TextView::SelectedText() const
{
    const QTextCursor c = textCursor();
    QString text = c.selectedText();
    if (!text.contains(QChar(EditorBreak)))
        return text;
    const OffsetMap& map = Map();
    int paragraph = document()->findBlock(c.selectionStart()).blockNumber() + 1;
    QString out;
    out.reserve(text.size() * 2);
    for (QChar ch : std::as_const(text)) {
        if (ch == QChar(EditorBreak))
            out.append(LineBreaks::Text(map.BreakBefore(paragraph++)));
        else
            out.append(ch);
    }
    return out;
}

void TextView::Select(int start, int length)
{
    QTextCursor c(document());
    c.setPosition(ToEditorPosition(start));
    c.setPosition(ToEditorPosition(start + qMax(0, length)), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

bool TextView::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && (mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier))) {
            const bool forward = key->key() == Qt::Key_Tab && !(mods & Qt::ShiftModifier);
            // The editor itself refuses to give the focus away while Tab types.
            QWidget::focusNextPrevChild(forward);
            key->accept();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

void TextView::keyPressEvent(QKeyEvent* event)
{
    // Enter writes CR LF, as the document's own breaks are.
    if (!isReadOnly()
        && (event->matches(QKeySequence::InsertParagraphSeparator)
            || event->matches(QKeySequence::InsertLineSeparator))) {
        InsertText(QStringLiteral("\r\n"));
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

QMimeData* TextView::createMimeDataFromSelection() const
{
    auto* data = new QMimeData;
    data->setText(SelectedText());
    return data;
}

void TextView::insertFromMimeData(const QMimeData* source)
{
    if (!isReadOnly() && source && source->hasText())
        InsertText(source->text());
}
