// Loading a file into a document, and the editor font both views share.

#include "documents/DocumentController.h"

#include "documents/DocumentFile.h"
#include "documents/DocumentRules.h"
#include "documents/TextView.h"
#include "platform/DesignFonts.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace {

constexpr std::int32_t AnsiCharset = 0;
constexpr std::int32_t ShiftJisCharset = 128;

// The character set a font stands for: Shift_JIS for a face with Japanese
// glyphs, else the ANSI set.
std::int32_t CharsetOf(const QFont& font)
{
    const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(font.family());
    return systems.contains(QFontDatabase::Japanese) ? ShiftJisCharset : AnsiCharset;
}

} // namespace

DocumentController::ReadResult DocumentController::ReadFile(const QString& path)
{
    const DocumentFile::ReadResult file = DocumentFile::ReadWhole(path);
    if (!file.ok) {
        prompter.MessageInfoBox(file.error);
        return {};
    }
    return {true, DetectAndDecode(file.bytes, codec_)};
}

void DocumentController::Store(DocumentKind kind, const DetectedText& detected)
{
    if (kind == DocumentKind::None)
        return;
    Document doc = Parts(kind);
    if (detected.code)
        doc.encodingCode = *detected.code;
    if (detected.markFlag)
        doc.codeKindLength = *detected.markFlag;
}

QString DocumentController::TextAndUnicodeCheck(const QString& path)
{
    const ReadResult read = ReadFile(path);
    if (!read.ok)
        return {};
    Store(DocumentFor(path), read.detected);
    return read.detected.text;
}

void DocumentController::TextOpenFile(const QString& path, const QString& fileName)
{
    // Not while the engine in use speaks or pauses.
    const bool synthesiser = state.OsMajor == 6 && (state.OsMinor == 2 || state.OsMinor == 3);
    const bool available = (synthesiser ? state.synthesizerStatus : state.voiceStatus) == 0;
    if (available) {
        const int speaking = synthesiser ? SpeechState::SynthesizerSpeaking : SpeechState::VoiceSpeaking;
        const int paused = synthesiser ? SpeechState::SynthesizerPaused : SpeechState::VoicePaused;
        if (state.speechState == speaking) {
            prompter.MessageInfoBox(u"音声合成の再生中です。停止ボタンをクリックしてください。"_s);
            return;
        }
        if (state.speechState == paused) {
            prompter.MessageInfoBox(u"音声合成の一時停止中です。停止ボタンをクリックしてください。"_s);
            return;
        }
    }

    if (path.contains(u".txt"_s) && State::HasUnsavedChanges(state.textDocumentState)
        && !prompter.YesNo(u"テキスト・データを保存しなくてもよいですか？"_s))
        return;
    if (path.contains(u".lrc"_s) && State::HasUnsavedChanges(state.lrcDocumentState)
        && !prompter.YesNo(u"同期テキスト・データを保存しなくてもよいですか？"_s))
        return;

    // The whole file is read before anything changes; a file that cannot be
    // read (gone since the list was filled, a folder without search
    // permission, not a regular file) changes neither document and says why.
    const ReadResult read = ReadFile(path);
    if (!read.ok)
        return;
    const DocumentKind kind = DocumentFor(path);
    Store(kind, read.detected);
    TextFontSetting();

    const QString baseName = DocumentRules::BaseName(fileName);
    const QString folder = path.left(qMax<qsizetype>(0, path.size() - fileName.size() - 1));
    if (kind != DocumentKind::None) {
        Document doc = Parts(kind);
        doc.folder = folder;
        doc.folderLabel->setText(folder);
        PutStoredText(doc, read.detected.text);
        doc.nameBox->setText(baseName);
        if (kind == DocumentKind::Text)
            TextDisplaySwitch();
        else
            LrcTextDisplaySwitch();
    }
    state.OneLineSelectionStart = 0;
    state.OneLineSelectionLength = 0;
}

bool DocumentController::HoldsLrcFile(const QString& path)
{
    if (state.lrcDocumentState != DocumentRules::Stored && state.lrcDocumentState != DocumentRules::StoredEdited)
        return false;
    const QFileInfo held(FilePath(Parts(DocumentKind::Lrc)));
    const QFileInfo other(path);
    return held.exists() && other.exists() ? held.canonicalFilePath() == other.canonicalFilePath()
                                           : held.absoluteFilePath() == other.absoluteFilePath();
}

void DocumentController::ReloadLrcFile()
{
    Document doc = Parts(DocumentKind::Lrc);
    const ReadResult read = ReadFile(FilePath(doc));
    if (!read.ok)
        return;
    Store(DocumentKind::Lrc, read.detected);
    PutStoredText(doc, read.detected.text);
}

void DocumentController::PutStoredText(Document& doc, const QString& text)
{
    doc.loadChange = LoadChange::Pending;
    doc.documentState = DocumentRules::Stored;
    // Putting the text in is not an edit: the one notification it raises
    // is swallowed, and when it raises none the flag must not wait for
    // the user's first change.
    if (!doc.editor->SetText(text))
        doc.loadChange = LoadChange::None;
}

void DocumentController::TextFontSetting()
{
    const QString name = state.TextFontName.isEmpty() ? u"ＭＳ ゴシック"_s : state.TextFontName;
    const double size = state.TextFontSize > 0 ? state.TextFontSize : 11.25;
    // Faces of the other desktop stand in for names this one lacks.
    QFont font = DesignFont(name, double(float(size)));
    const DocumentRules::FontStyle style = DocumentRules::StyleFromBits(state.TextFontStyle);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    font.setStrikeOut(style.strikeout);
    ui.textView->setFont(font);
    ui.lrcView->setFont(font);
}

void DocumentController::WordWrapSetting(bool wrap)
{
    for (TextView* editor : {ui.textView, ui.lrcView})
        editor->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void DocumentController::FontSetting()
{
    const std::optional<QFont> chosen = prompter.ChooseFont(ui.textView->font());
    if (!chosen)
        return;
    QFont font = *chosen;
    const double size = DocumentRules::ClampFontSize(font.pointSizeF() > 0 ? font.pointSizeF() : 11.25);
    font.setPointSizeF(size);
    state.TextFontCharset = CharsetOf(font);
    ui.textView->setFont(font);
    ui.lrcView->setFont(font);
    state.TextFontStyle = DocumentRules::StyleBits({font.bold(), font.italic(), font.underline(), font.strikeOut()});
    state.TextFontSize = size;
    state.TextFontName = font.family().left(127);
}
