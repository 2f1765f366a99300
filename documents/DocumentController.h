#pragma once

#include "core/Controller.h"
#include "documents/EncodingDetect.h"
#include "documents/TextView.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class TextCodec;

// The text and synchronized-text documents: views, new documents, edit commands, saving, line-ending repair and the editor font.
class DocumentController : public Controller
{
public:
    explicit DocumentController(const Context& context);

    virtual void TextDisplaySwitch();
    virtual void LrcTextDisplaySwitch();
    virtual void ArtDisplaySwitch();
    virtual void NewText();
    virtual void NewLrcText();
    virtual void Undo();
    virtual void Cut();
    virtual void Copy();
    virtual void Paste();
    virtual void Delete();
    virtual void SelectAll();
    virtual void TextViewChanged();
    virtual void LrcViewChanged();
    virtual void OverWrite();
    virtual void FileNameSpecifiedSave();
    virtual void LineEndCheck();
    virtual void FontSetting();
    virtual void TextOpenFile(const QString& path, const QString& fileName);
    virtual void TextFontSetting();
    // Long lines wrap at the editor's width in both editors, or run on.
    virtual void WordWrapSetting(bool wrap);

    // Reads a whole file, detects its encoding and stores the encoding code
    // and mark flag of the document the path names. A file that cannot be
    // read gives an empty text and changes nothing.
    virtual QString TextAndUnicodeCheck(const QString& path);
    // Writes the text in the encoding of the document the path names.
    virtual void FileSave(const QString& path, const QString& text);
    // The save dialog with an encoding list, and the write; false when the
    // user cancels or the write fails.
    virtual bool NewFileSave(const QStringList& filters, const QString& path, const QString& text);

    // The synchronized-text editor holds the file `path` as read or saved
    // (edited since or not).
    bool HoldsLrcFile(const QString& path);
    // Reads the synchronized-text editor's file into it again, as stored,
    // leaving the view as it is: another part of the program wrote it.
    void ReloadLrcFile();

private:
    // Everything one document is made of.
    struct Document
    {
        DocumentKind kind;
        TextView* editor;
        QLineEdit* nameBox;
        QLabel* folderLabel;
        QString& folder;
        std::int16_t& documentState;
        std::int32_t& loadChange;
        std::int16_t& encodingCode;
        std::int32_t& codeKindLength;
        QString extension;
        QString newName;
        QString discardQuestion;
        QString overWriteQuestion;
    };
    Document Parts(DocumentKind kind);
    std::optional<Document> Visible();
    QString FilePath(const Document& doc) const;

    enum class View { Text, Lrc, Art };
    void ShowView(View view);
    bool SpeechGuard();
    void NewDocument(DocumentKind kind);

    struct ReadResult
    {
        bool ok = false;
        DetectedText detected;
    };
    ReadResult ReadFile(const QString& path);
    void Store(DocumentKind kind, const DetectedText& detected);
    // The document's editor shows the text as read from its file.
    void PutStoredText(Document& doc, const QString& text);
    bool WriteDocumentFile(DocumentKind kind, const QString& path, const QString& text);
    // The save dialog and the write; the path saved to, or nothing.
    std::optional<QString> SaveThroughDialog(Document& doc, const QStringList& filters, const QString& path,
                                             const QString& text);
    // Save under a name, then read the file back into the view.
    void SaveUnderName(Document& doc);

    const TextCodec& codec_;
};
