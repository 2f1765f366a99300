// The three views, the new-document commands, the document state machine
// and the edit commands, on a real main window; and the editor font.

#include "DocumentFixture.h"

#include "art/PictureBox.h"
#include "documents/DocumentRules.h"
#include "dialogs/DialogPrompter.h"
#include "platform/SystemColors.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFontDialog>
#include <QGroupBox>
#include <QIntValidator>
#include <QListView>
#include <QMenu>
#include <QScrollBar>
#include <QMessageBox>
#include <QTimer>
#include <QComboBox>
#include <QFontDatabase>
#include <QPushButton>

using namespace Qt::StringLiterals;
using Kind = ScriptedPrompter::Kind;

namespace {
const QString Busy = u"音声合成再生を停止してから行ってください。"_s;
}

class TestDocumentViews : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { UsePrivateHome(home_); }

    void viewTable_data();
    void viewTable();
    void switchingViewsKeepsBothDocuments();
    void speechGuard();
    void newDocumentCommands();
    void typingAfterStartUpAndTheClosingQuestion();
    void pasteOverASelection();
    void pasteQuestionInItsBox_data();
    void pasteQuestionInItsBox();
    void wordWrapForTheRun();
    void deleteCannotBeUndone();
    void editCommandsWithNothingToActOn();
    void undoByButton();
    void fontFromTheSettings();
    void fontCommand();
    void fontDialogOffersNineToTwentyFourPointsWithoutEffects();

private:
    QTemporaryDir home_;
};

void TestDocumentViews::viewTable_data()
{
    QTest::addColumn<int>("view");   // 0 text, 1 synchronized text, 2 picture
    QTest::addColumn<int>("mode");
    for (int view = 0; view < 3; ++view)
        for (int mode : {0, 1, 2, 7})
            QTest::addRow("view %d, mode %d", view, mode) << view << mode;
}

void TestDocumentViews::viewTable()
{
    QFETCH(int, view);
    QFETCH(int, mode);
    DocumentForm f;
    Controls& ui = f.ui();
    f.state().readingMode = mode;
    if (view == 2)
        f.docs().TextDisplaySwitch();   // leave a text view for the picture
    (view == 0 ? f.docs().TextDisplaySwitch() : view == 1 ? f.docs().LrcTextDisplaySwitch() : f.docs().ArtDisplaySwitch());

    const bool text = view == 0, lrc = view == 1, art = view == 2;
    QCOMPARE(!ui.textView->isHidden(), text);
    QCOMPARE(!ui.textNameBox->isHidden(), text);
    QCOMPARE(!ui.textFolderLabel->isHidden(), text);
    QCOMPARE(!ui.lrcView->isHidden(), lrc);
    QCOMPARE(!ui.lrcNameBox->isHidden(), lrc);
    QCOMPARE(!ui.lrcFolderLabel->isHidden(), lrc);
    QCOMPARE(!ui.viewKindLabel->isHidden(), !art);
    if (!art)
        QCOMPARE(ui.viewKindLabel->text(), text ? u"テキスト"_s : u"同期テキスト"_s);
    for (QWidget* w : {static_cast<QWidget*>(ui.artPicture), static_cast<QWidget*>(ui.artSizeLabel),
                       static_cast<QWidget*>(ui.artFitBox)})
        QCOMPARE(!w->isHidden(), art);
    const QPushButton* highlighted = text ? ui.textViewButton : lrc ? ui.lrcViewButton : ui.artViewButton;
    for (QPushButton* b : {ui.textViewButton, ui.lrcViewButton, ui.artViewButton})
        QCOMPARE(SystemColors::BackColor(b), b == highlighted ? SystemColors::ActiveCaption() : SystemColors::ControlLight());
    for (QPushButton* b : {ui.lineUpButton, ui.lineDownButton, ui.readButton, ui.readPauseButton, ui.readStopButton, ui.speechVolumeButton, ui.speechSpeedButton,
                           ui.readingModeButton, ui.loopCountButton, ui.saveButton, ui.undoButton, ui.lineEndCheckButton})
        QCOMPARE(!b->isHidden(), !art);

    const auto expectEnabled = [](QPushButton* b, bool on) {
        QCOMPARE(b->isEnabled(), on);
        QCOMPARE(SystemColors::BackColor(b), on ? SystemColors::ControlLight() : SystemColors::ControlDark());
    };
    for (QPushButton* b : {ui.readButton, ui.readPauseButton, ui.readStopButton, ui.readingModeButton, ui.saveButton, ui.undoButton})
        expectEnabled(b, !art);
    if (!art) {
        expectEnabled(ui.speechVolumeButton, true);
        expectEnabled(ui.speechSpeedButton, true);
    }
    const bool stepping = !art && mode != 1 && mode != 2;
    expectEnabled(ui.lineUpButton, stepping);
    expectEnabled(ui.lineDownButton, stepping);
    expectEnabled(ui.loopCountButton, !art && mode != 2);
    if (!art)
        QCOMPARE(ui.readingModeButton->text(), mode == 1 ? u"範囲"_s : mode == 2 ? u"全て"_s : u"一行"_s);
    QCOMPARE(SystemColors::BackColor(ui.lineEndCheckButton), QColor(0xFF, 0xE4, 0xC4));   // keeps its own colour
}

void TestDocumentViews::switchingViewsKeepsBothDocuments()
{
    DocumentForm f;
    f.docs().TextDisplaySwitch();
    DocumentForm::type(f.text(), u"本文"_s);
    f.ui().textNameBox->setText(u"name"_s);
    f.docs().ArtDisplaySwitch();
    f.docs().LrcTextDisplaySwitch();
    f.docs().TextDisplaySwitch();
    QCOMPARE(f.text()->Text(), u"本文"_s);
    QCOMPARE(f.ui().textNameBox->text(), u"name"_s);
    QCOMPARE(f.state().textDocumentState, DocumentState::NewEdited);
    QCOMPARE(f.state().lrcDocumentState, DocumentState::Untouched);
    QVERIFY(f.prompter.entries.isEmpty());
}

void TestDocumentViews::speechGuard()
{
    for (int busy : {SpeechState::VoiceSpeaking, SpeechState::VoicePaused, SpeechState::SynthesizerSpeaking, SpeechState::SynthesizerPaused}) {
        DocumentForm f;
        f.docs().TextDisplaySwitch();
        DocumentForm::type(f.text(), u"kept"_s);
        f.state().speechState = busy;
        f.docs().ArtDisplaySwitch();
        f.docs().NewText();
        f.docs().NewLrcText();
        QCOMPARE(f.prompter.texts(), (QStringList{Busy, Busy, Busy}));
        QVERIFY(!f.text()->isHidden());
        QVERIFY(f.ui().artPicture->isHidden());
        QCOMPARE(f.text()->Text(), u"kept"_s);
        QCOMPARE(f.state().textDocumentState, DocumentState::NewEdited);
        QCOMPARE(f.state().lrcDocumentState, DocumentState::Untouched);
    }
    // Stopped (12, 22) or never started (99): no refusal.
    for (int idle : {SpeechState::VoiceStopped, SpeechState::SynthesizerStopped, SpeechState::Idle}) {
        DocumentForm f;
        f.state().speechState = idle;
        f.docs().ArtDisplaySwitch();
        f.docs().NewLrcText();
        QVERIFY(f.prompter.entries.isEmpty());
        QCOMPARE(f.state().lrcDocumentState, DocumentState::New);
    }
}

void TestDocumentViews::newDocumentCommands()
{
    DocumentForm f;
    // On an empty editor in state 0: state 1, and closing asks nothing.
    f.docs().NewText();
    QVERIFY(!f.text()->isHidden());
    QCOMPARE(f.state().textDocumentState, DocumentState::New);
    QVERIFY(f.form->MyForm_FormClosing());
    QVERIFY(f.prompter.entries.isEmpty());

    // On an editor holding text that was never edited (state 3): emptied, state 2.
    f.ui().lrcNameBox->setText(u"old"_s);
    f.state().lrcLoadChange = LoadChange::Pending;
    f.state().lrcDocumentState = DocumentState::Stored;
    f.lrc()->SetText(u"[00:00.00]\r\n"_s);
    f.state().LrcTextCodeKindLength = 1;
    f.state().lrcEncoding = EncodingCode::Utf8;
    f.docs().NewLrcText();
    QVERIFY(f.prompter.entries.isEmpty());
    QCOMPARE(f.lrc()->Text(), QString());
    QCOMPARE(f.state().lrcDocumentState, DocumentState::NewEdited);
    QCOMPARE(f.ui().lrcNameBox->text(), u"NewLrcText"_s);
    QCOMPARE(f.state().LrcTextCodeKindLength, 0);
    QCOMPARE(f.state().lrcEncoding, EncodingCode::Utf8);   // only the mark flag is reset

    // Unsaved: asked; No leaves the view shown and the document as it was.
    DocumentForm::type(f.lrc(), u"x"_s);
    f.docs().TextDisplaySwitch();
    f.prompter.answers = {false};
    f.docs().NewLrcText();
    QCOMPARE(f.prompter.texts(), QStringList{u"同期テキスト・データを保存しなくてもよいですか？"_s});
    QVERIFY(!f.lrc()->isHidden());
    QCOMPARE(f.lrc()->Text(), u"x"_s);
    QCOMPARE(f.state().lrcDocumentState, DocumentState::NewEdited);
    // Yes: a fresh document.
    f.prompter.clear();
    f.prompter.answers = {true};
    DocumentForm::type(f.text(), u"t"_s);
    f.docs().NewText();
    QCOMPARE(f.prompter.texts(), QStringList{u"テキスト・データを保存しなくてもよいですか？"_s});
    QCOMPARE(f.text()->Text(), QString());
    QCOMPARE(f.state().textDocumentState, DocumentState::NewEdited);   // emptying held text is a change
    QVERIFY(!f.text()->document()->isUndoAvailable());
}

void TestDocumentViews::typingAfterStartUpAndTheClosingQuestion()
{
    DocumentForm f;
    f.docs().TextDisplaySwitch();
    DocumentForm::type(f.text(), u"a"_s);
    QCOMPARE(f.state().textDocumentState, DocumentState::NewEdited);
    f.prompter.answers = {false};
    QVERIFY(!f.form->MyForm_FormClosing());
    QCOMPARE(f.prompter.texts(), QStringList{u"テキスト・データを保存せずに終了しても良いですか？"_s});
}

void TestDocumentViews::pasteOverASelection()
{
    DocumentForm f;
    f.docs().TextDisplaySwitch();
    f.text()->SetText(u"abc\r\ndef"_s);
    QApplication::clipboard()->setText(u"XY\nZ"_s);
    f.text()->Select(1, 5);   // "bc\r\nd"
    f.prompter.answers = {false};
    f.docs().Paste();
    QCOMPARE(f.prompter.entries.size(), 1);
    QCOMPARE(f.prompter.entries[0].kind, Kind::StandardQuestion);
    QCOMPARE(f.prompter.entries[0].text, u"Do you want to paste over current selection?"_s);
    QCOMPARE(f.prompter.entries[0].title, u"Cut Example"_s);
    QCOMPARE(f.text()->Text(), u"abc\r\ndXY\nZef"_s);   // kept, clipboard right after it
    QCOMPARE(f.state().textDocumentState, DocumentState::NewEdited);

    f.text()->Select(0, 3);
    f.prompter.answers = {true};
    f.docs().Paste();
    QCOMPARE(f.text()->Text(), u"XY\nZ\r\ndXY\nZef"_s);
    // Without a selection: at the caret, no question.
    f.prompter.clear();
    f.text()->Select(0, 0);
    f.docs().Paste();
    QVERIFY(f.prompter.entries.isEmpty());
    QCOMPARE(f.text()->Text(), u"XY\nZXY\nZ\r\ndXY\nZef"_s);
}

// The paste question as the user meets it, in the desktop's question box:
// Escape or closing the box pastes nothing, as scripted answers say too.
void TestDocumentViews::pasteQuestionInItsBox_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("text");
    QTest::newRow("yes replaces") << u"yes"_s << u"aXYd"_s;
    QTest::newRow("no pastes after the selection") << u"no"_s << u"abcXYd"_s;
    QTest::newRow("escape pastes nothing") << u"escape"_s << u"abcd"_s;
    QTest::newRow("closing pastes nothing") << u"close"_s << u"abcd"_s;
}

void TestDocumentViews::pasteQuestionInItsBox()
{
    QFETCH(QString, action);
    QFETCH(QString, text);
    DialogPrompter prompter;
    MyForm form(prompter);
    form.documents().TextDisplaySwitch();
    TextView* view = form.ui().textView;
    view->SetText(u"abcd"_s);
    view->Select(1, 2);
    QApplication::clipboard()->setText(u"XY"_s);
    bool asked = false;
    QTimer answer;
    answer.setInterval(20);
    connect(&answer, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || asked)
            return;
        asked = box->windowTitle() == u"Cut Example"_s;
        if (action == u"yes")
            box->button(QMessageBox::Yes)->click();
        else if (action == u"no")
            box->button(QMessageBox::No)->click();
        else if (action == u"escape")
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->close();
        // A box that stayed open is ended so the test cannot hang.
        QTimer::singleShot(2000, box, [box] { box->done(QMessageBox::Yes); });
    });
    answer.start();
    form.documents().Paste();
    answer.stop();
    QVERIFY(asked);
    QCOMPARE(view->Text(), text);

    // The scripted prompter answers the same way.
    DocumentForm f;
    f.docs().TextDisplaySwitch();
    f.text()->SetText(u"abcd"_s);
    f.text()->Select(1, 2);
    const QHash<QString, Prompter::Answer> answers{{u"yes"_s, Prompter::Answer::Yes},
                                                   {u"no"_s, Prompter::Answer::No},
                                                   {u"escape"_s, Prompter::Answer::Dismissed},
                                                   {u"close"_s, Prompter::Answer::Dismissed}};
    f.prompter.standardAnswers = {answers.value(action)};
    f.docs().Paste();
    QCOMPARE(f.text()->Text(), text);
}

// "折り返し" in the settings menu wraps both editors; off at every start,
// since nothing stores it.
void TestDocumentViews::wordWrapForTheRun()
{
    DocumentForm f;
    QAction* wrap = f.form->findChild<QAction*>(u"menuWordWrap"_s);
    QVERIFY(wrap);
    QVERIFY(f.form->findChild<QMenu*>(u"menuSettings"_s)->actions().contains(wrap));
    QCOMPARE(wrap->text(), u"折り返し"_s);
    QVERIFY(wrap->isCheckable());
    QVERIFY(!wrap->isChecked());
    f.form->resize(1000, 700);
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    f.docs().TextDisplaySwitch();
    f.text()->SetText(QString(400, u'あ'));
    QCoreApplication::processEvents();
    QVERIFY(f.text()->horizontalScrollBar()->maximum() > 0);

    wrap->trigger();
    QCoreApplication::processEvents();
    for (TextView* editor : {f.text(), f.lrc()})
        QCOMPARE(editor->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(f.text()->horizontalScrollBar()->maximum(), 0);
    wrap->trigger();
    for (TextView* editor : {f.text(), f.lrc()})
        QCOMPARE(editor->lineWrapMode(), QPlainTextEdit::NoWrap);

    wrap->trigger();
    DocumentForm restarted;
    QVERIFY(!restarted.form->findChild<QAction*>(u"menuWordWrap"_s)->isChecked());
    QCOMPARE(restarted.text()->lineWrapMode(), QPlainTextEdit::NoWrap);
}

void TestDocumentViews::deleteCannotBeUndone()
{
    DocumentForm f;
    f.docs().LrcTextDisplaySwitch();
    f.lrc()->SetText(u"one\r\ntwo"_s);
    DocumentForm::type(f.lrc(), u"!"_s);
    f.lrc()->Select(0, 5);
    f.docs().Delete();
    QCOMPARE(f.lrc()->Text(), u"two!"_s);
    QCOMPARE(QApplication::clipboard()->text(), u"one\r\n"_s);
    f.docs().Undo();
    QCOMPARE(f.lrc()->Text(), u"two!"_s);
    // Cut, by contrast, can be undone.
    f.lrc()->Select(0, 3);
    f.docs().Cut();
    QCOMPARE(f.lrc()->Text(), u"!"_s);
    f.docs().Undo();
    QCOMPARE(f.lrc()->Text(), u"two!"_s);
    f.docs().SelectAll();
    QCOMPARE(f.lrc()->SelectionLength(), 4);
    f.docs().Copy();
    QCOMPARE(QApplication::clipboard()->text(), u"two!"_s);
}

void TestDocumentViews::editCommandsWithNothingToActOn()
{
    DocumentForm f;
    f.docs().TextDisplaySwitch();
    f.text()->SetText(u"text"_s);
    QApplication::clipboard()->setText(u"clip"_s);
    f.docs().Cut();
    f.docs().Copy();
    f.docs().Delete();
    QCOMPARE(f.text()->Text(), u"text"_s);
    QCOMPARE(QApplication::clipboard()->text(), u"clip"_s);
    QApplication::clipboard()->clear();
    f.docs().Paste();
    QCOMPARE(f.text()->Text(), u"text"_s);

    // The picture view: every edit command does nothing.
    QApplication::clipboard()->setText(u"clip"_s);
    f.text()->selectAll();
    f.docs().ArtDisplaySwitch();
    f.docs().Paste();
    f.docs().Delete();
    f.docs().Cut();
    f.docs().Undo();
    f.docs().SelectAll();
    QCOMPARE(f.text()->Text(), u"text"_s);
    QVERIFY(f.prompter.entries.isEmpty());
    QCOMPARE(QApplication::clipboard()->text(), u"clip"_s);
    // The text editor is tested first: with the synchronized text shown, it is the one.
    f.docs().LrcTextDisplaySwitch();
    f.docs().Paste();
    QCOMPARE(f.lrc()->Text(), u"clip"_s);
    QCOMPARE(f.text()->Text(), u"text"_s);
}

void TestDocumentViews::undoByButton()
{
    DocumentForm f;
    f.docs().TextDisplaySwitch();
    DocumentForm::type(f.text(), u"abc"_s);
    QVERIFY(f.ui().undoButton->isEnabled());
    f.ui().undoButton->click();
    QCOMPARE(f.text()->Text(), QString());
    QCOMPARE(f.state().textDocumentState, DocumentState::NewEdited);   // undoing is a change too
}

void TestDocumentViews::fontFromTheSettings()
{
    DocumentForm f;
    f.state().TextFontName = u"IPAGothic"_s;
    f.state().TextFontSize = 9.75;
    f.state().TextFontStyle = 3;
    f.docs().TextFontSetting();
    for (TextView* view : {f.text(), f.lrc()}) {
        const QFont font = view->font();
        QCOMPARE(font.family(), u"IPAGothic"_s);
        QCOMPARE(font.pointSizeF(), 9.75);
        QVERIFY(font.bold() && font.italic() && !font.underline());
    }
    // A style outside the table is regular.
    f.state().TextFontStyle = 5;
    f.state().TextFontSize = 12.1;
    f.docs().TextFontSetting();
    QVERIFY(!f.text()->font().bold() && !f.text()->font().underline() && !f.text()->font().italic());
    QCOMPARE(f.text()->font().pointSizeF(), double(float(12.1)));   // narrowed to single precision
    f.state().TextFontStyle = 8;
    f.docs().TextFontSetting();
    QVERIFY(f.lrc()->font().strikeOut());
}

void TestDocumentViews::fontCommand()
{
    DocumentForm f;
    QFont chosen(u"IPAGothic"_s);
    chosen.setPointSizeF(30);
    chosen.setBold(true);
    f.prompter.fontAnswers = {chosen, std::nullopt};
    const QFont before = f.text()->font();
    f.docs().FontSetting();
    QCOMPARE(f.prompter.dialogCalls[0].font, before);   // opened on the view's font
    QCOMPARE(f.state().TextFontStyle, 1);
    QCOMPARE(f.state().TextFontSize, 24.0);   // the dialog's largest size
    QCOMPARE(f.state().TextFontName, u"IPAGothic"_s);
    const bool japanese = QFontDatabase::writingSystems(u"IPAGothic"_s).contains(QFontDatabase::Japanese);
    QCOMPARE(f.state().TextFontCharset, japanese ? 128 : 0);
    QVERIFY(f.text()->font().bold() && f.lrc()->font().bold());
    QCOMPARE(f.lrc()->font().pointSizeF(), 24.0);

    // The choice survives a restart through the stored settings.
    DocumentForm restarted;
    restarted.state().TextFontName = f.state().TextFontName;
    restarted.state().TextFontSize = f.state().TextFontSize;
    restarted.state().TextFontStyle = f.state().TextFontStyle;
    restarted.docs().TextFontSetting();
    QVERIFY(restarted.text()->font().bold());
    QCOMPARE(restarted.text()->font().pointSizeF(), 24.0);

    // Cancel changes nothing.
    f.docs().FontSetting();
    QCOMPARE(f.state().TextFontStyle, 1);
    QCOMPARE(f.state().TextFontSize, 24.0);
    QVERIFY(f.text()->font().bold());
}

void TestDocumentViews::fontDialogOffersNineToTwentyFourPointsWithoutEffects()
{
    QWidget parent;
    DialogPrompter prompter(&parent);
    QStringList shownSizes;
    bool effectsShown = true;
    bool sizeBoxTakes30 = true;
    // The dialog is looked at and closed from the event loop it runs.
    QTimer closer;
    closer.setInterval(20);
    connect(&closer, &QTimer::timeout, this, [&] {
        auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        for (QListView* list : dialog->findChildren<QListView*>()) {
            QStringList visible;
            bool numbers = list->model()->rowCount() > 0;
            for (int row = 0; row < list->model()->rowCount(); ++row) {
                const QString size = list->model()->index(row, 0).data().toString();
                size.toInt(&numbers);
                if (!list->isRowHidden(row))
                    visible << size;
            }
            if (numbers)
                shownSizes = visible;
        }
        for (QGroupBox* group : dialog->findChildren<QGroupBox*>())
            if (!group->findChildren<QCheckBox*>().isEmpty())
                effectsShown = !group->isHidden();
        for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
            if (!qobject_cast<const QIntValidator*>(edit->validator()))
                continue;
            QString thirty = u"30"_s;
            int pos = 0;
            sizeBoxTakes30 = edit->validator()->validate(thirty, pos) == QValidator::Acceptable;
        }
        dialog->reject();
    });
    closer.start();
    QFont initial(u"IPAGothic"_s);
    initial.setPointSize(12);
    QVERIFY(!prompter.ChooseFont(initial).has_value());
    closer.stop();
    QVERIFY(!shownSizes.isEmpty());
    for (const QString& size : std::as_const(shownSizes))
        QVERIFY2(size.toInt() >= 9 && size.toInt() <= 24, qPrintable(size));
    QVERIFY(!effectsShown);
    QVERIFY(!sizeBoxTakes30);
}

QTEST_MAIN(TestDocumentViews)
#include "tst_documentviews.moc"
