#include "documents/TextView.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QPainter>

namespace {
// The block format properties holding the forms of the breaks around a paragraph.
constexpr int BreakBeforeProperty = QTextFormat::UserProperty + 0x4D42;
constexpr int BreakAfterProperty = QTextFormat::UserProperty + 0x4D43;
constexpr char16_t EditorBreak = 0x2029;   // how the editor's raw text shows a paragraph break
} // namespace

TextView::TextView(QWidget* parent)
    : QPlainTextEdit(parent)
{
    connect(document(), &QTextDocument::contentsChange, this, [this](int position, int, int added) {
        mapValid_ = false;
        if (!settingBreaks_)
            RepairBreaks(position, added);
    });
}

LineBreaks::Kind TextView::BreakBefore(const QTextBlock& block) const
{
    const QVariant v = block.blockFormat().property(BreakBeforeProperty);
    return v.isValid() ? LineBreaks::Kind(v.toInt()) : defaultBreak_;
}

LineBreaks::Kind TextView::BreakAfter(const QTextBlock& block) const
{
    const QVariant v = block.blockFormat().property(BreakAfterProperty);
    return v.isValid() ? LineBreaks::Kind(v.toInt()) : defaultBreak_;
}

TextView::Ends TextView::EndsOf(const QTextBlock& block) const
{
    const QTextBlockFormat format = block.blockFormat();
    const QVariant before = format.property(BreakBeforeProperty);
    const QVariant after = format.property(BreakAfterProperty);
    return {before.isValid() ? LineBreaks::Kind(before.toInt()) : defaultBreak_,
            after.isValid() ? LineBreaks::Kind(after.toInt()) : defaultBreak_};
}

void TextView::SetEnds(QTextBlock first, const std::vector<Ends>& wanted)
{
    QTextBlock b = first;
    size_t i = 0;
    while (i < wanted.size() && b.isValid()) {
        if (EndsOf(b) == wanted[i]) {
            b = b.next();
            ++i;
            continue;
        }
        QTextCursor run(b);
        size_t j = i;
        QTextBlock last = b;
        while (j + 1 < wanted.size() && wanted[j + 1] == wanted[i] && last.next().isValid()
               && EndsOf(last.next()) != wanted[i]) {
            last = last.next();
            ++j;
        }
        if (last != b)
            run.setPosition(last.position(), QTextCursor::KeepAnchor);
        QTextBlockFormat format;
        format.setProperty(BreakBeforeProperty, int(wanted[i].before));
        format.setProperty(BreakAfterProperty, int(wanted[i].after));
        run.mergeBlockFormat(format);
        b = last.next();
        i = j + 1;
    }
}

void TextView::RepairBreaks(int position, int added)
{
    QTextDocument* doc = document();
    QTextBlock first = doc->findBlock(position);
    QTextBlock last = doc->findBlock(position + added);
    if (!first.isValid())
        first = doc->lastBlock();
    if (!last.isValid())
        last = doc->lastBlock();
    std::vector<Ends> wanted;
    for (QTextBlock b = first;; b = b.next()) {
        wanted.push_back(EndsOf(b));
        if (b == last)
            break;
    }
    // The paragraphs outside the change kept their formats, so they hold
    // the true forms of the breaks at its two ends.
    if (first.previous().isValid())
        wanted.front().before = BreakAfter(first.previous());
    if (last.next().isValid())
        wanted.back().after = BreakBefore(last.next());
    // A break the editor made itself inside the change is a typed one.
    for (size_t i = 0; i + 1 < wanted.size(); ++i) {
        if (wanted[i].after != wanted[i + 1].before)
            wanted[i].after = wanted[i + 1].before = LineBreaks::CrLf;
    }
    bool same = true;
    QTextBlock b = first;
    for (const Ends& e : wanted) {
        same = same && EndsOf(b) == e;
        b = b.next();
    }
    if (same)
        return;
    // Part of the edit that caused it, so one undo takes both back.
    const QScopedValueRollback<bool> busy(settingBreaks_, true);
    QTextCursor cursor(doc);
    cursor.joinPreviousEditBlock();
    SetEnds(first, wanted);
    cursor.endEditBlock();
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

void TextView::InsertAt(QTextCursor& cursor, const QString& text)
{
    QTextDocument* doc = document();
    const QScopedValueRollback<bool> busy(settingBreaks_, true);
    // Inside one edit block: one undo step and one change notification.
    cursor.beginEditBlock();
    const int firstNumber = doc->findBlock(cursor.selectionStart()).blockNumber();
    cursor.insertText(text);
    const QList<LineBreaks::Kind> kinds = LineBreaks::Kinds(text);
    const QTextBlock first = doc->findBlockByNumber(firstNumber);
    const QTextBlock last = doc->findBlockByNumber(firstNumber + int(kinds.size()));
    // The inserted breaks, between the break before the first touched line
    // and the one after the last, both kept by the untouched neighbours.
    std::vector<Ends> wanted(size_t(kinds.size()) + 1);
    wanted.front().before = first.previous().isValid() ? BreakAfter(first.previous()) : BreakBefore(first);
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        wanted[size_t(i)].after = kinds[i];
        wanted[size_t(i) + 1].before = kinds[i];
    }
    wanted.back().after = last.next().isValid() ? BreakBefore(last.next()) : BreakAfter(last);
    SetEnds(first, wanted);
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
    const QScopedValueRollback<bool> busy(settingBreaks_, true);
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    // A paragraph without marks has the new default form on both sides, so
    // the lines made from it need no format of their own.
    cursor.setBlockFormat(QTextBlockFormat());
    InsertAt(cursor, text);
    cursor.endEditBlock();
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

void TextView::SelectShowingStart(int start, int length)
{
    QTextCursor c(document());
    c.setPosition(ToEditorPosition(start + qMax(0, length)));
    c.setPosition(ToEditorPosition(start), QTextCursor::KeepAnchor);
    setTextCursor(c);
    ensureCursorVisible();
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
    // Backspace at a line's start or Delete at its end joins two lines, and
    // the joined line's breaks are put right afterwards: one edit block makes
    // the two one undo step.
    const QTextCursor caret = textCursor();
    const bool joins = !isReadOnly() && !caret.hasSelection()
        && ((event->key() == Qt::Key_Backspace && caret.atBlockStart() && !caret.atStart())
            || (event->key() == Qt::Key_Delete && caret.atBlockEnd() && !caret.atEnd()));
    QTextCursor group(document());
    if (joins)
        group.beginEditBlock();
    QPlainTextEdit::keyPressEvent(event);
    if (joins)
        group.endEditBlock();
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

void TextView::SetWordHighlight(int start, int length)
{
    const std::pair<int, int> word = length > 0 ? std::pair{start, length} : std::pair{-1, 0};
    if (word == word_)
        return;
    word_ = word;
    QList<QTextEdit::ExtraSelection> marks;
    if (word_.first >= 0) {
        // The colours show where nothing is selected; the line being read
        // stays selected, and the selection's colours cover these, so
        // paintEvent also frames the word.
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(document());
        mark.cursor.setPosition(ToEditorPosition(word_.first));
        mark.cursor.setPosition(ToEditorPosition(word_.first + word_.second), QTextCursor::KeepAnchor);
        mark.format.setBackground(QColor(0xFF, 0xD8, 0x4D));
        mark.format.setForeground(Qt::black);
        mark.format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        mark.format.setUnderlineColor(QColor(0xD0, 0x40, 0x00));
        marks.append(mark);
    }
    setExtraSelections(marks);
    viewport()->update();
}

void TextView::paintEvent(QPaintEvent* event)
{
    QPlainTextEdit::paintEvent(event);
    if (word_.first < 0)
        return;
    // One frame per visual line the word takes.
    QList<QRect> frames;
    QTextCursor at(document());
    const int from = ToEditorPosition(word_.first);
    const int to = ToEditorPosition(word_.first + word_.second);
    for (int position = from; position <= to; ++position) {
        at.setPosition(position);
        const QRect caret = cursorRect(at);
        if (frames.isEmpty() || caret.top() != frames.last().top())
            frames.append(caret);
        else
            frames.last() = frames.last().united(caret);
    }
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xD0, 0x40, 0x00), 2));
    painter.setBrush(QColor(0xFF, 0xD8, 0x4D, 70));
    for (const QRect& frame : frames)
        if (frame.width() > 1)
            painter.drawRoundedRect(QRectF(frame).adjusted(-1.5, 0.5, 1.5, -0.5), 3, 3);
}

std::pair<int, int> TextView::WordHighlight() const
{
    return word_;
}
