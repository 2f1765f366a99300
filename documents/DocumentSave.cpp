// Over-writing, saving under a name through the save dialog, and the
// line-ending check.

#include "documents/DocumentController.h"

#include "documents/DocumentFile.h"
#include "documents/DocumentRules.h"
#include "documents/LineEndings.h"
#include "library/LibraryController.h"
#include "platform/TextCodec.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace {
constexpr QChar Mark(0xFEFF);

bool IsUtf16(TextCodec::Encoding encoding)
{
    return encoding == TextCodec::Encoding::Utf16LE || encoding == TextCodec::Encoding::Utf16BE;
}

// UTF-16 without its mark could not be read back: it always gets one, also
// when the user's edits took the mark character out of the text.
QString WithUtf16Mark(const QString& text, TextCodec::Encoding encoding)
{
    return IsUtf16(encoding) && !text.startsWith(Mark) ? Mark + text : text;
}
} // namespace

bool DocumentController::WriteDocumentFile(DocumentKind kind, const QString& path, const QString& text)
{
    const Document doc = Parts(kind);
    const TextCodec::Encoding encoding = EncodingOf(doc.encodingCode);
    // The conversion comes first, so a text Shift_JIS cannot hold leaves the
    // file untouched; the write itself replaces the file only when complete.
    const std::optional<QByteArray> bytes = codec_.Encode(WithUtf16Mark(text, encoding), encoding);
    if (!bytes) {
        state.lastFileOutcome = FileOutcome::Failed;
        prompter.MessageInfoBox(
            u"ANSI以外の文字が含まれていますので「名前を付けて保存」で「Unicodeなど」を指定して保存してください。"_s);
        return false;
    }
    // A full disk, a read-only file or a lost folder: the system says which.
    const QString failure = DocumentFile::WriteWhole(path, *bytes, state.murmelinFolder);
    if (failure.isEmpty())
        return true;
    state.lastFileOutcome = FileOutcome::Failed;
    prompter.MessageInfoBox(failure);
    return false;
}

void DocumentController::FileSave(const QString& path, const QString& text)
{
    WriteDocumentFile(DocumentFor(path) == DocumentKind::Text ? DocumentKind::Text : DocumentKind::Lrc, path, text);
}

std::optional<QString> DocumentController::SaveThroughDialog(Document& doc, const QStringList& filters,
                                                             const QString& path, const QString& text)
{
    const bool fromFile =
        doc.documentState == DocumentRules::Stored || doc.documentState == DocumentRules::StoredEdited;
    const bool shiftJis = !fromFile && codec_.Encode(text, TextCodec::Encoding::ShiftJis).has_value();
    const DocumentRules::Preselection pre = DocumentRules::Preselect(doc.documentState, doc.encodingCode, shiftJis);

    QString proposed = path;
    int proposedIndex = pre.position - 1;
    std::optional<Prompter::SaveChoice> choice;
    QString chosen;
    for (;;) {
        choice = prompter.SaveFileName(DocumentRules::FolderOf(proposed), DocumentRules::FileNameOf(proposed),
                                       filters, proposedIndex);
        if (!choice)
            return std::nullopt;
        chosen = DocumentRules::WithExtension(choice->path, doc.extension);
        // The dialog asked about the name as typed; with the extension added
        // it is another file, so ask about that one. No goes back to the dialog.
        const QFileInfo info(chosen);
        if (chosen == choice->path || !(info.exists() || info.isSymLink())
            || prompter.YesNo(u"「"_s + info.fileName() + u"」は既に存在します。上書きしますか？"_s))
            break;
        proposed = chosen;
        proposedIndex = choice->filterIndex;
    }
    const int position = choice->filterIndex >= 0 && choice->filterIndex < 4 ? choice->filterIndex + 1 : pre.position;

    // Name, folder and start folder change before the write and stay if it fails.
    doc.nameBox->setText(DocumentRules::BaseName(DocumentRules::FileNameOf(chosen)));
    const bool carriesMark = pre.textCarriesMark && position == doc.encodingCode + 1;
    const QString folder = DocumentRules::FolderOf(chosen);
    state.openDirFolder = folder;
    doc.folderLabel->setText(folder);
    doc.folder = folder;

    // In a newly chosen encoding the new mark replaces a mark character the
    // text still has from its old file, rather than following it.
    const QString body = !carriesMark && text.startsWith(Mark) ? text.mid(1) : text;
    const TextCodec::Encoding encoding = EncodingOf(position - 1);
    std::optional<QByteArray> bytes = codec_.Encode(body, encoding);
    const bool writeMark = position > 1 && (!carriesMark || (IsUtf16(encoding) && !body.startsWith(Mark)));
    if (!bytes) {
        prompter.MessageInfoBox(DocumentRules::SaveFailureMessage(position));
        return std::nullopt;
    }
    if (writeMark)
        bytes->prepend(TextCodec::Mark(encoding));
    if (const QString failure = DocumentFile::WriteWhole(chosen, *bytes, state.murmelinFolder);
        !failure.isEmpty()) {
        prompter.MessageInfoBox(failure);
        return std::nullopt;
    }
    if (position == 1 || writeMark)
        doc.encodingCode = std::int16_t(position - 1);

    if (peers.library) {
        const QString listFolder = ui.listFolderLabel->text();
        peers.library->ListViewAllFileNameWriting(listFolder);
        peers.library->ListViewTextFileNameWriting(listFolder);
        peers.library->ListViewMusicFileNameWriting(listFolder);
    }
    return chosen;
}

bool DocumentController::NewFileSave(const QStringList& filters, const QString& path, const QString& text)
{
    std::optional<Document> doc = Visible();
    return doc && SaveThroughDialog(*doc, filters, path, text).has_value();
}

void DocumentController::SaveUnderName(Document& doc)
{
    const std::optional<QString> saved =
        SaveThroughDialog(doc, DocumentRules::SaveFilters(doc.extension), FilePath(doc), doc.editor->Text());
    if (!saved)
        return;
    // Reading the file back puts its mark character at the start of the text
    // exactly when the file has one, so later over-writes keep it.
    const ReadResult read = ReadFile(*saved);
    if (!read.ok)
        return;
    Store(doc.kind, read.detected);
    doc.editor->SetText(read.detected.text);
    doc.documentState = DocumentRules::Stored;
}

void DocumentController::OverWrite()
{
    std::optional<Document> doc = Visible();
    if (!doc)
        return;
    const QString path = FilePath(*doc);
    switch (DocumentRules::ForOverWrite(QFileInfo::exists(path), doc->documentState)) {
    case DocumentRules::OverWriteAction::Nothing:
        return;
    case DocumentRules::OverWriteAction::SaveUnderName:
        SaveUnderName(*doc);
        return;
    case DocumentRules::OverWriteAction::Ask:
        if (!prompter.YesNo(doc->overWriteQuestion))
            return;
        state.lastFileOutcome = FileOutcome::Done;
        WriteDocumentFile(doc->kind, path, doc->editor->Text());
        if (state.lastFileOutcome == FileOutcome::Done)
            doc->documentState = DocumentRules::Stored;
        return;
    }
}

void DocumentController::FileNameSpecifiedSave()
{
    if (std::optional<Document> doc = Visible())
        SaveUnderName(*doc);
}

void DocumentController::LineEndCheck()
{
    std::optional<Document> doc = Visible();
    if (!doc)
        return;
    const QString text = doc->editor->Text();
    switch (LineEndings::Examine(text)) {
    case LineEndings::Finding::Nothing:
        return;
    case LineEndings::Finding::Sound:
        prompter.MessageInfoBox(u"改行コードに問題は有りません。"_s);
        return;
    case LineEndings::Finding::LoneLf:
        if (!prompter.YesNo(u"テキストファイルの改行コードを修正しますか？"_s))
            return;
        // An edit like any other: it counts as a change and can be undone.
        doc->editor->ReplaceAll(LineEndings::Repair(text));
        prompter.MessageInfoBox(u"改行コードの修正を完了しました。"_s);
        return;
    }
}
