// Views, new documents, edit commands and the content change rule.

#include "documents/DocumentController.h"

#include "speech/SpeechController.h"

#include "art/PictureBox.h"
#include "documents/DocumentRules.h"
#include "platform/SystemColors.h"
#include "platform/TextCodec.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

using namespace Qt::StringLiterals;

DocumentController::DocumentController(const Context& context)
    : Controller(context), codec_(TextCodec::System())
{
}

DocumentController::Document DocumentController::Parts(DocumentKind kind)
{
    if (kind == DocumentKind::Lrc)
        return {kind, ui.lrcView, ui.lrcNameBox, ui.lrcFolderLabel, state.lrcTextFolder,
                state.lrcDocumentState, state.lrcLoadChange, state.lrcEncoding,
                state.LrcTextCodeKindLength, u".lrc"_s, u"NewLrcText"_s,
                u"同期テキスト・データを保存しなくてもよいですか？"_s,
                u"同期テキスト・データを上書き保存しますか？"_s};
    return {DocumentKind::Text, ui.textView, ui.textNameBox, ui.textFolderLabel, state.textFolder,
            state.textDocumentState, state.textLoadChange, state.textEncoding,
            state.TextCodeKindLength, u".txt"_s, u"NewText"_s,
            u"テキスト・データを保存しなくてもよいですか？"_s,
            u"テキスト・データを上書き保存しますか？"_s};
}

// The editor shown, the text editor tested first; none while the picture shows.
std::optional<DocumentController::Document> DocumentController::Visible()
{
    if (!ui.textView->isHidden())
        return Parts(DocumentKind::Text);
    if (!ui.lrcView->isHidden())
        return Parts(DocumentKind::Lrc);
    return std::nullopt;
}

QString DocumentController::FilePath(const Document& doc) const
{
    return doc.folderLabel->text() + u'/' + doc.nameBox->text() + doc.extension;
}

bool DocumentController::SpeechGuard()
{
    if (!state.SpeechBusy())
        return true;
    prompter.MessageInfoBox(u"音声合成再生を停止してから行ってください。"_s);
    return false;
}

void DocumentController::ShowView(View view)
{
    const bool text = view == View::Text;
    const bool lrc = view == View::Lrc;
    const bool art = view == View::Art;

    for (QWidget* w : {static_cast<QWidget*>(ui.textView), static_cast<QWidget*>(ui.textNameBox),
                       static_cast<QWidget*>(ui.textFolderLabel)})
        w->setVisible(text);
    for (QWidget* w : {static_cast<QWidget*>(ui.lrcView), static_cast<QWidget*>(ui.lrcNameBox),
                       static_cast<QWidget*>(ui.lrcFolderLabel)})
        w->setVisible(lrc);
    ui.viewKindLabel->setVisible(!art);
    if (!art)
        ui.viewKindLabel->setText(text ? u"テキスト"_s : u"同期テキスト"_s);
    for (QWidget* w : {static_cast<QWidget*>(ui.artPicture), static_cast<QWidget*>(ui.artSizeLabel),
                       static_cast<QWidget*>(ui.artFitBox)})
        w->setVisible(art);

    SystemColors::SetBackColor(ui.textViewButton, text ? SystemColors::ActiveCaption() : SystemColors::ControlLight());
    SystemColors::SetBackColor(ui.lrcViewButton, lrc ? SystemColors::ActiveCaption() : SystemColors::ControlLight());
    SystemColors::SetBackColor(ui.artViewButton, art ? SystemColors::ActiveCaption() : SystemColors::ControlLight());

    for (QPushButton* b : {ui.lineUpButton, ui.lineDownButton, ui.readButton, ui.readPauseButton, ui.readStopButton, ui.speechVolumeButton,
                           ui.speechSpeedButton, ui.readingModeButton, ui.loopCountButton, ui.saveButton, ui.undoButton, ui.lineEndCheckButton})
        b->setVisible(!art);

    const auto enable = &SystemColors::SetButtonEnabled;
    if (art) {
        for (QPushButton* b : {ui.readButton, ui.readPauseButton, ui.readStopButton, ui.readingModeButton, ui.saveButton, ui.undoButton,
                               ui.lineUpButton, ui.lineDownButton, ui.loopCountButton})
            enable(b, false);
        return;
    }
    for (QPushButton* b : {ui.readButton, ui.readPauseButton, ui.readStopButton, ui.speechVolumeButton, ui.speechSpeedButton, ui.readingModeButton,
                           ui.saveButton, ui.undoButton})
        enable(b, true);
    // The reading mode decides the caption of the mode button and its neighbours.
    peers.speech->ShowReproductionMode();
}

void DocumentController::TextDisplaySwitch()
{
    ShowView(View::Text);
}

void DocumentController::LrcTextDisplaySwitch()
{
    ShowView(View::Lrc);
}

void DocumentController::ArtDisplaySwitch()
{
    if (SpeechGuard())
        ShowView(View::Art);
}

void DocumentController::NewDocument(DocumentKind kind)
{
    if (!SpeechGuard())
        return;
    ShowView(kind == DocumentKind::Lrc ? View::Lrc : View::Text);
    Document doc = Parts(kind);
    if (State::HasUnsavedChanges(doc.documentState) && !prompter.YesNo(doc.discardQuestion))
        return;
    doc.nameBox->setText(doc.newName);
    doc.documentState = DocumentRules::New;
    // Emptying an editor that held text is a change and moves the state on.
    doc.editor->SetText(QString());
    doc.codeKindLength = 0;
}

void DocumentController::NewText()
{
    NewDocument(DocumentKind::Text);
}

void DocumentController::NewLrcText()
{
    NewDocument(DocumentKind::Lrc);
}

void DocumentController::TextViewChanged()
{
    DocumentRules::ContentChanged(state.textDocumentState, state.textLoadChange);
}

void DocumentController::LrcViewChanged()
{
    DocumentRules::ContentChanged(state.lrcDocumentState, state.lrcLoadChange);
}

void DocumentController::Undo()
{
    if (auto doc = Visible())
        doc->editor->undo();
}

void DocumentController::Cut()
{
    if (auto doc = Visible(); doc && doc->editor->textCursor().hasSelection())
        doc->editor->cut();
}

void DocumentController::Copy()
{
    if (auto doc = Visible(); doc && doc->editor->textCursor().hasSelection())
        doc->editor->copy();
}

void DocumentController::Paste()
{
    auto doc = Visible();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!doc || !data || !data->hasText())
        return;
    const QString text = data->text();
    TextView* editor = doc->editor;
    QTextCursor cursor = editor->textCursor();
    if (cursor.hasSelection()) {
        switch (prompter.StandardQuestion(u"Do you want to paste over current selection?"_s, u"Cut Example"_s)) {
        case Prompter::Answer::Yes:
            break;
        case Prompter::Answer::No:
            // The selection stays; the text goes in right after it.
            cursor.setPosition(cursor.selectionEnd());
            editor->setTextCursor(cursor);
            break;
        case Prompter::Answer::Dismissed:
            return;   // Escape pastes nothing
        }
    }
    editor->InsertText(text);
}

void DocumentController::Delete()
{
    auto doc = Visible();
    if (!doc || !doc->editor->textCursor().hasSelection())
        return;
    // Cut, so the text goes to the clipboard too, and no undo brings it back.
    doc->editor->cut();
    doc->editor->ClearUndo();
}

void DocumentController::SelectAll()
{
    if (auto doc = Visible())
        doc->editor->selectAll();
}
