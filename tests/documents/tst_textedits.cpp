// Edits in the exact-text editor change only the breaks they touch: joins,
// pastes and deletes across lines, with undo and redo, checked against a
// plain model of the same edits on the document's characters.

#include "documents/TextView.h"

#include <QApplication>
#include <QClipboard>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The exact text as a run of atoms, each one character or one whole break
// (CR LF together), so an editor position is an index into it. Deleting
// removes exactly the atoms of the range; inserting splits the new text the
// same way.
class Model
{
public:
    explicit Model(const QString& text = {}) : atoms_(Split(text)) {}

    static QStringList Split(const QString& text)
    {
        QStringList atoms;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                atoms << text.mid(i++, 2);
            else
                atoms << QString(text[i]);
        }
        return atoms;
    }

    int Size() const { return int(atoms_.size()); }
    QString Text() const { return atoms_.join(QString()); }
    QString Mid(int from, int to) const { return atoms_.mid(from, to - from).join(QString()); }
    void Replace(int from, int to, const QString& text)
    {
        atoms_.remove(from, to - from);
        const QStringList inserted = Split(text);
        for (qsizetype i = 0; i < inserted.size(); ++i)
            atoms_.insert(from + i, inserted[i]);
    }
    // Position 0 and every position right after a break.
    QList<int> LineStarts() const
    {
        QList<int> starts{0};
        for (int i = 0; i < Size(); ++i) {
            const QString& a = atoms_[i];
            if (a == u"\r\n"_s || a == u"\r"_s || a == u"\n"_s || a == u"\u2029"_s)
                starts << i + 1;
        }
        return starts;
    }

private:
    QStringList atoms_;
};

QString Shown(const QString& text)
{
    QString out;
    for (QChar c : text) {
        if (c == u'\r')
            out += u"\\r"_s;
        else if (c == u'\n')
            out += u"\\n"_s;
        else if (c == QChar(0x2029))
            out += u"\\u2029"_s;
        else
            out += c;
    }
    return u'"' + out + u'"';
}

void Select(TextView& view, int anchor, int position)
{
    QTextCursor c(view.document());
    c.setPosition(anchor);
    c.setPosition(position, QTextCursor::KeepAnchor);
    view.setTextCursor(c);
}

// One key event per character, carrying it as an input method would.
void Type(TextView& view, const QString& text)
{
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(&view, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(&view, &release);
    }
}

QString RandomText(QRandomGenerator& rng, int maxAtoms, bool withSeparator)
{
    static const QString pieces[] = {u"a"_s, u"b"_s, u"あ"_s, u"\r\n"_s, u"\n"_s, u"\r"_s, u"\u2029"_s};
    const int kinds = withSeparator ? 7 : 6;
    QString text;
    const int n = int(rng.bounded(maxAtoms + 1));
    for (int i = 0; i < n; ++i)
        text += pieces[rng.bounded(kinds)];
    return text;
}

} // namespace

class TestTextEdits : public QObject
{
    Q_OBJECT

private slots:
    void joinsKeepTheOtherBreaks_data();
    void joinsKeepTheOtherBreaks();
    void pastedLinesDeletedAgain_data();
    void pastedLinesDeletedAgain();
    void randomEditsFollowTheModel_data();
    void randomEditsFollowTheModel();
};

void TestTextEdits::joinsKeepTheOtherBreaks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("anchor");     // exact offsets
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("keys");   // "BS", "DEL", or text to type
    QTest::addColumn<QString>("expected");
    // a0 \n1 b2 \r3 \n4 c5
    QTest::newRow("line start to line start") << u"a\nb\r\nc"_s << 2 << 5 << u"BS"_s << u"a\nc"_s;
    QTest::newRow("the same, selected upwards") << u"a\nb\r\nc"_s << 5 << 2 << u"BS"_s << u"a\nc"_s;
    QTest::newRow("the same with Delete") << u"a\nb\r\nc"_s << 2 << 5 << u"DEL"_s << u"a\nc"_s;
    QTest::newRow("typed over") << u"a\nb\r\nc\rd"_s << 2 << 7 << u"X"_s << u"a\nXd"_s;
    QTest::newRow("Return over") << u"a\nb\rc\nd"_s << 2 << 6 << u"\n"_s << u"a\n\r\nd"_s;
    QTest::newRow("from the first line's start") << u"a\nb\r\nc"_s << 0 << 2 << u"BS"_s << u"b\r\nc"_s;
    QTest::newRow("mid line to line start") << u"ab\rc\nd"_s << 1 << 5 << u"BS"_s << u"ad"_s;
    QTest::newRow("line start to mid line") << u"a\rbc\nde\r\nf"_s << 2 << 6 << u"BS"_s << u"a\re\r\nf"_s;
    QTest::newRow("line start to the end") << u"a\rb\nc"_s << 2 << 5 << u"BS"_s << u"a\r"_s;
    // Backspace at a line's start and Delete at a line's end, no selection.
    QTest::newRow("Backspace after an empty line") << u"a\n\r\nb"_s << 4 << 4 << u"BS"_s << u"a\nb"_s;
    QTest::newRow("Backspace after a line with text") << u"a\rb\nc\r\nd"_s << 4 << 4 << u"BS"_s << u"a\rbc\r\nd"_s;
    QTest::newRow("Delete at an empty line") << u"a\r\n\nb\rc"_s << 3 << 3 << u"DEL"_s << u"a\r\nb\rc"_s;
    QTest::newRow("Delete at a line with text") << u"a\nb\rc\r\nd"_s << 3 << 3 << u"DEL"_s << u"a\nbc\r\nd"_s;
    QTest::newRow("Backspace between empty lines") << u"\r\n\n\r"_s << 3 << 3 << u"BS"_s << u"\r\n\r"_s;
}

void TestTextEdits::joinsKeepTheOtherBreaks()
{
    QFETCH(QString, text);
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    TextView view;
    view.SetText(text);
    Select(view, view.ToEditorPosition(anchor), view.ToEditorPosition(position));
    if (keys == u"BS"_s)
        QTest::keyClick(&view, Qt::Key_Backspace);
    else if (keys == u"DEL"_s)
        QTest::keyClick(&view, Qt::Key_Delete);
    else if (keys == u"\n"_s)
        QTest::keyClick(&view, Qt::Key_Return);
    else
        Type(view, keys);
    QCOMPARE(view.Text(), expected);
    view.undo();
    QCOMPARE(view.Text(), text);   // the join and its breaks are one step
    view.redo();
    QCOMPARE(view.Text(), expected);
}

void TestTextEdits::pastedLinesDeletedAgain_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("pasted");
    QTest::newRow("LF lines at a CR LF line's start") << u"a\r\nb\r\nc"_s << 3 << 3 << u"x\ny\n"_s;
    QTest::newRow("LF lines inside a CR LF line") << u"a\r\nbb\r\nc"_s << 4 << 4 << u"x\ny\n"_s;
    QTest::newRow("LF lines at a CR LF line's end") << u"a\r\nb\r\nc"_s << 4 << 4 << u"\nx\ny"_s;
    QTest::newRow("over whole lines") << u"a\r\nb\r\nc\r\nd"_s << 3 << 9 << u"x\ny\rz\n"_s;
    QTest::newRow("CR LF lines into an LF text") << u"a\nb\nc"_s << 2 << 2 << u"x\r\ny\r\n"_s;
    QTest::newRow("mixed into mixed") << u"a\rb\nc\r\nd"_s << 2 << 7 << u"\r\n\r\n\n"_s;
}

void TestTextEdits::pastedLinesDeletedAgain()
{
    QFETCH(QString, text);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, pasted);
    TextView view;
    view.SetText(text);
    view.Select(from, to - from);
    QApplication::clipboard()->setText(pasted);
    view.paste();
    QCOMPARE(view.Text(), text.left(from) + pasted + text.mid(to));
    view.Select(from, int(pasted.size()));
    QTest::keyClick(&view, Qt::Key_Backspace);
    QCOMPARE(view.Text(), text.left(from) + text.mid(to));
    view.undo();
    view.undo();
    QCOMPARE(view.Text(), text);
}

void TestTextEdits::randomEditsFollowTheModel_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 300; ++seed)
        QTest::addRow("seed %u", seed) << seed;
}

void TestTextEdits::randomEditsFollowTheModel()
{
    QFETCH(quint32, seed);
    QRandomGenerator rng(seed);
    TextView view;
    int newSteps = 0;
    connect(view.document(), &QTextDocument::undoCommandAdded, this, [&] { ++newSteps; });

    const QString start = RandomText(rng, 12, false);
    view.SetText(start);
    Model model(start);
    // The model after each undo step; current is where undo and redo stand.
    QList<Model> history{model};
    int current = 0;
    QStringList log{u"SetText(%1)"_s.arg(Shown(start))};
    // Each edit is one undo step, or joins the one before as the editor
    // joins consecutive typing. (The signal comes again when an edit block
    // is reopened, so it only tells new from joined; the undo checks find an
    // edit split in two.)
    Model before;
    const auto Record = [&] {
        if (newSteps > 0) {
            history.resize(current + 1);
            history << model;
            ++current;
        } else if (model.Text() != before.Text()) {
            history.resize(current + 1);
            history[current] = model;
        }
        newSteps = 0;
        before = model;
    };

    for (int step = 0; step < 40; ++step) {
        QCOMPARE(view.document()->characterCount() - 1, model.Size());
        // A caret, any range, or a range from one line's start to another's.
        int anchor = int(rng.bounded(model.Size() + 1));
        int position = anchor;
        const int shape = int(rng.bounded(3));
        if (shape == 1) {
            position = int(rng.bounded(model.Size() + 1));
        } else if (shape == 2) {
            const QList<int> starts = model.LineStarts();
            anchor = starts[rng.bounded(int(starts.size()))];
            position = starts[rng.bounded(int(starts.size()))];
        }
        const int from = qMin(anchor, position);
        const int to = qMax(anchor, position);
        const QString range = u"select %1..%2: "_s.arg(anchor).arg(position);
        Select(view, anchor, position);
        newSteps = 0;
        before = model;
        bool edit = true;

        switch (rng.bounded(8)) {
        case 0: {
            const QString typed = QStringList{u"x"_s, u"あ"_s, u"yz"_s}[rng.bounded(3)];
            log << range + u"type "_s + typed;
            // Each key is an edit of its own for the undo steps.
            Type(view, typed.left(1));
            model.Replace(from, to, typed.left(1));
            if (typed.size() > 1) {
                Record();
                Type(view, typed.mid(1));
                model.Replace(from + 1, from + 1, typed.mid(1));
            }
            break;
        }
        case 1:
            log << range + u"Return"_s;
            QTest::keyClick(&view, Qt::Key_Return);
            model.Replace(from, to, u"\r\n"_s);
            break;
        case 2: {
            QString pasted = RandomText(rng, 6, true);
            if (pasted.isEmpty())
                pasted = u"\n"_s;
            log << range + u"paste "_s + Shown(pasted);
            QApplication::clipboard()->setText(pasted);
            view.paste();
            model.Replace(from, to, pasted);
            break;
        }
        case 3:
            log << range + u"Backspace"_s;
            QTest::keyClick(&view, Qt::Key_Backspace);
            model.Replace(from == to ? qMax(0, from - 1) : from, to, QString());
            break;
        case 4:
            log << range + u"Delete"_s;
            QTest::keyClick(&view, Qt::Key_Delete);
            model.Replace(from, from == to ? qMin(model.Size(), to + 1) : to, QString());
            break;
        case 5:
            if (from == to) {
                edit = false;
                break;
            }
            log << range + u"cut"_s;
            view.cut();
            QVERIFY2(QApplication::clipboard()->text() == model.Mid(from, to), qPrintable(log.join(u'\n')));
            model.Replace(from, to, QString());
            break;
        case 6:
            edit = false;
            log << u"undo"_s;
            QVERIFY2(view.document()->isUndoAvailable() == (current > 0), qPrintable(log.join(u'\n')));
            if (current > 0) {
                view.undo();
                model = history[--current];
            }
            break;
        default:
            edit = false;
            log << u"redo"_s;
            QVERIFY2(view.document()->isRedoAvailable() == (current + 1 < history.size()),
                     qPrintable(log.join(u'\n')));
            if (current + 1 < history.size()) {
                view.redo();
                model = history[++current];
            }
            break;
        }

        if (edit)
            Record();
        const QString message = log.join(u'\n') + u"\nview  "_s + Shown(view.Text()) + u"\nmodel "_s
            + Shown(model.Text());
        QVERIFY2(view.Text() == model.Text(), qPrintable(message));
        QVERIFY2(view.TextLength() == model.Text().size(), qPrintable(message));
    }
}

QTEST_MAIN(TestTextEdits)
#include "tst_textedits.moc"
