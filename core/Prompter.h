#pragma once

#include "core/State.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QPrinter;

// The one way the program shows a message or asks a question. The program
// uses DialogPrompter (its own dialogs); tests use a scripted prompter that
// records every text and answers as told, so no test waits on a modal window.
class Prompter
{
public:
    virtual ~Prompter() = default;

    // A message with one "OK" button (MessageInfoBox).
    virtual void MessageInfoBox(const QString& text) = 0;

    // A question with "はい" / "いいえ" (YesNo); true only for "はい".
    virtual bool YesNo(const QString& question) = 0;

    // The desktop's standard Yes/No question box, with a title (the paste
    // question of the editors). Escape or closing the window answers
    // neither button: the caller then does nothing at all.
    enum class Answer { Yes, No, Dismissed };
    virtual Answer StandardQuestion(const QString& text, const QString& title) = 0;

    // The About dialog.
    virtual void VersionInfo() = 0;

    // The desktop's common dialogs. Each returns nothing when the user cancels.
    // Filters are "label (patterns)" entries as the file dialogs show them.
    struct SaveChoice
    {
        QString path;
        int filterIndex = 0;   // the filter chosen, counted from 0
    };
    virtual std::optional<QString> OpenFileName(const QString& startFolder, const QStringList& filters) = 0;
    virtual std::optional<SaveChoice> SaveFileName(const QString& startFolder, const QString& fileName,
                                                   const QStringList& filters, int filterIndex) = 0;
    virtual std::optional<QString> ExistingFolder(const QString& startFolder) = 0;
    virtual std::optional<QFont> ChooseFont(const QFont& initial) = 0;
    // The print dialogs, over the document's printer, which they change only
    // when the user confirms. The print dialog offers pages minPage to maxPage.
    // The preview calls paint for every rendering, its own print command too.
    virtual bool PageSetupDialog(QPrinter& printer) = 0;
    virtual bool PrintDialog(QPrinter& printer, int minPage, int maxPage) = 0;
    virtual void PrintPreviewDialog(QPrinter& printer, const std::function<void(QPrinter*)>& paint) = 0;

    // "音声ファイルに書き出す": what the dialog tells about the text, and
    // the choices it edits, at their present values.
    struct AudioExportChoices
    {
        QString contents;           // "テキスト全体（12行）を、…"
        QString repetitionsText;    // the repetitions check box's caption
        bool repetitionsPossible = false;
        QString pauseText;          // the pause check box's caption
        bool pausePossible = false;
        QStringList voices;
        int voice = 0;
        ExportFormat::Code format = ExportFormat::Mp3;
        bool withRepetitions = true;
        bool withPause = true;
        QString path;
        // The file-name rules the dialog follows while the name is edited:
        // the name with a format's suffix, and the .lrc written beside it.
        std::function<QString(const QString& path, ExportFormat::Code format)> withSuffix;
        std::function<QString(const QString& audioPath)> lrcPathFor;
    };
    // The choices as the user leaves them; nothing when they cancel. A
    // choice that is not possible comes back unticked.
    virtual std::optional<AudioExportChoices> AudioExportOptions(const AudioExportChoices& choices) = 0;
};
