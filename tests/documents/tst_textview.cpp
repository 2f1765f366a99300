// The editor keeps the document's exact text: every break's form through
// loads, typing, pastes, deletes, undo and redo, and offsets that count a
// CR LF as two characters.

#include "documents/TextView.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestTextView : public QObject
{
    Q_OBJECT

private slots:
    void exactTextSurvivesTheEditor_data();
    void exactTextSurvivesTheEditor();
    void randomTextsRoundTrip();
    void setTextOfTheSameTextChangesNothing();
    void enterInsertsCrLf();
    void pasteKeepsTheClipboardsBreaks();
    void copyGivesTheExactSelection();
    void deletingBreaksAndUndoRedo();
    void replaceAllIsOneUndoableEdit();
    void offsetsCountCrLfAsTwo();
};

void TestTextView::exactTextSurvivesTheEditor_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("CR LF") << u"一行目\r\n二行目\r\n"_s;
    QTest::newRow("LF") << u"a\nb\n\nc"_s;
    QTest::newRow("CR") << u"a\rb\r"_s;
    QTest::newRow("mixed") << u"a\r\nb\nc\rd\r\r\n\n\re"_s;
    QTest::newRow("mark") << u"\uFEFFabc\r\n"_s;
    QTest::newRow("mark alone") << u"\uFEFF"_s;
    QTest::newRow("only breaks") << u"\n\n\r\n\r"_s;
    QTest::newRow("characters the editor treats specially") << u"a\u00A0b\u2028c\u2029d\tf\uFDD0g"_s;
    QTest::newRow("surrogates") << u"😀\r\n😀"_s;
}

void TestTextView::exactTextSurvivesTheEditor()
{
    QFETCH(QString, text);
    TextView view;
    view.SetText(u"something else\n"_s);
    view.SetText(text);
    QCOMPARE(view.Text(), text);
    QCOMPARE(view.TextLength(), text.size());
    QCOMPARE(view.textCursor().position(), 0);
    QVERIFY(!view.document()->isUndoAvailable());   // a load is no edit to undo
}

void TestTextView::randomTextsRoundTrip()
{
    const QChar alphabet[] = {u'a', u'あ', u'\r', u'\n', QChar(0x2029), QChar(0xFEFF), QChar(0xA0)};
    QRandomGenerator rng(12345);
    TextView view;
    for (int round = 0; round < 200; ++round) {
        QString text;
        const int n = int(rng.bounded(30));
        for (int i = 0; i < n; ++i)
            text += alphabet[rng.bounded(int(std::size(alphabet)))];
        view.SetText(text);
        QCOMPARE(view.Text(), text);
        // Inserting a second random text in the middle gives the spliced text.
        const int at = int(rng.bounded(text.size() + 1));
        const int editorAt = view.ToEditorPosition(at);
        const int exactAt = view.ToTextOffset(editorAt);   // inside a CR LF it moves before the CR
        QTextCursor c(view.document());
        c.setPosition(editorAt);
        view.setTextCursor(c);
        const QString insert = text.left(int(rng.bounded(text.size() + 1)));
        view.InsertText(insert);
        QCOMPARE(view.Text(), text.left(exactAt) + insert + text.mid(exactAt));
        view.undo();
        QCOMPARE(view.Text(), text);
    }
}

void TestTextView::setTextOfTheSameTextChangesNothing()
{
    TextView view;
    QSignalSpy changes(&view, &QPlainTextEdit::textChanged);
    QVERIFY(view.SetText(u"a\nb"_s));
    QCOMPARE(changes.size(), 1);   // one notification for the whole load
    QVERIFY(!view.SetText(u"a\nb"_s));
    QCOMPARE(changes.size(), 1);
    QVERIFY(view.SetText(u"a\r\nb"_s));   // only the break differs
    QCOMPARE(changes.size(), 2);
    QVERIFY(!view.SetText(u"a\r\nb"_s));
    QVERIFY(!view.SetText(u"a\r\nb"_s) && view.Text() == u"a\r\nb"_s);
    TextView empty;
    QSignalSpy none(&empty, &QPlainTextEdit::textChanged);
    QVERIFY(!empty.SetText(QString()));
    QCOMPARE(none.size(), 0);
}

void TestTextView::enterInsertsCrLf()
{
    TextView view;
    view.SetText(u"ab\ncd"_s);   // LF is this text's usual form
    QTextCursor c(view.document());
    c.setPosition(1);
    view.setTextCursor(c);
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(&view, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(&view, u"x"_s);
    QCOMPARE(view.Text(), u"a\r\n\r\n\r\nxb\ncd"_s);
    QCOMPARE(view.SelectionStart(), 8);
    // At the very end and the very start too.
    view.moveCursor(QTextCursor::End);
    QTest::keyClick(&view, Qt::Key_Return);
    view.moveCursor(QTextCursor::Start);
    QTest::keyClick(&view, Qt::Key_Return);
    QCOMPARE(view.Text(), u"\r\na\r\n\r\n\r\nxb\ncd\r\n"_s);
}

void TestTextView::pasteKeepsTheClipboardsBreaks()
{
    TextView view;
    view.SetText(u"12\r\n34"_s);
    QApplication::clipboard()->setText(u"x\ny\rz\r\n"_s);
    QTextCursor c(view.document());
    c.setPosition(1);
    c.setPosition(4, QTextCursor::KeepAnchor);   // "2", the break and "3"
    view.setTextCursor(c);
    view.paste();
    QCOMPARE(view.Text(), u"1x\ny\rz\r\n4"_s);
    view.undo();
    QCOMPARE(view.Text(), u"12\r\n34"_s);
    view.redo();
    QCOMPARE(view.Text(), u"1x\ny\rz\r\n4"_s);
}

void TestTextView::copyGivesTheExactSelection()
{
    TextView view;
    view.SetText(u"\uFEFFa\nb\r\nc\rd"_s);
    view.Select(2, 6);   // from the LF after "a" to after the CR after "c"
    QCOMPARE(view.SelectedText(), u"\nb\r\nc\r"_s);
    view.copy();
    QCOMPARE(QApplication::clipboard()->text(), u"\nb\r\nc\r"_s);
    view.cut();
    QCOMPARE(view.Text(), u"\uFEFFad"_s);
    QCOMPARE(QApplication::clipboard()->text(), u"\nb\r\nc\r"_s);
    view.undo();
    QCOMPARE(view.Text(), u"\uFEFFa\nb\r\nc\rd"_s);
}

void TestTextView::deletingBreaksAndUndoRedo()
{
    TextView view;
    const QString text = u"aa\nbb\rcc\r\ndd"_s;
    view.SetText(text);
    // Backspace at the start of "cc" joins it to "bb"; the other breaks stay.
    view.Select(6, 0);
    QTest::keyClick(&view, Qt::Key_Backspace);
    QCOMPARE(view.Text(), u"aa\nbbcc\r\ndd"_s);
    // Delete at the end of "aa".
    view.Select(2, 0);
    QTest::keyClick(&view, Qt::Key_Delete);
    QCOMPARE(view.Text(), u"aabbcc\r\ndd"_s);
    // A selection across the last break.
    view.Select(5, 4);
    QTest::keyClicks(&view, u"Z"_s);
    QCOMPARE(view.Text(), u"aabbcZd"_s);
    while (view.document()->isUndoAvailable())
        view.undo();
    QCOMPARE(view.Text(), text);
    while (view.document()->isRedoAvailable())
        view.redo();
    QCOMPARE(view.Text(), u"aabbcZd"_s);
}

void TestTextView::replaceAllIsOneUndoableEdit()
{
    TextView view;
    view.SetText(u"a\nb"_s);
    QSignalSpy changes(&view, &QPlainTextEdit::textChanged);
    view.ReplaceAll(u"a\r\nb"_s);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(view.Text(), u"a\r\nb"_s);
    view.undo();
    QCOMPARE(view.Text(), u"a\nb"_s);
}

void TestTextView::offsetsCountCrLfAsTwo()
{
    TextView view;
    // mark, LF, CR LF, CR: editor positions drift from text offsets
    view.SetText(u"\uFEFFab\ncd\r\nef\rgh"_s);
    view.Select(8, 2);   // "ef"
    QCOMPARE(view.textCursor().selectedText(), u"ef"_s);
    QCOMPARE(view.SelectionStart(), 8);
    QCOMPARE(view.SelectionLength(), 2);
    view.Select(1, 2);   // "ab", after the invisible mark
    QCOMPARE(view.textCursor().selectedText(), u"ab"_s);
    view.Select(4, 5);   // "cd\r\ne"
    QCOMPARE(view.SelectedText(), u"cd\r\ne"_s);
    QCOMPARE(view.SelectionLength(), 5);
    view.Select(11, 100);   // "gh", clamped at the end
    QCOMPARE(view.SelectedText(), u"gh"_s);
    QCOMPARE(view.SelectionStart() + view.SelectionLength(), view.TextLength());
    // Offsets follow an edit at once.
    view.Select(0, 0);
    QTest::keyClick(&view, Qt::Key_Return);
    view.Select(10, 2);
    QCOMPARE(view.SelectedText(), u"ef"_s);
}

QTEST_MAIN(TestTextView)
#include "tst_textview.moc"
