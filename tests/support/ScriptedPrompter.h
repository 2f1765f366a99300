#pragma once

#include "core/Prompter.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

// A prompter for tests: records every message and question in order and
// answers questions from a script; when the script runs dry it answers with
// defaultAnswer.
class ScriptedPrompter : public Prompter
{
public:
    enum class Kind { Message, YesNo, StandardQuestion, VersionInfo, OpenFile, SaveFile, Folder, Font,
                      PageSetup, Print, PrintPreview, AudioExport };

    struct Entry
    {
        Kind kind;
        QString text;
        QString title;
    };

    QList<Entry> entries;
    QList<bool> answers;
    bool defaultAnswer = false;

    // What the common dialogs return next (nothing: the user cancels). The
    // arguments each was called with are kept for the test to inspect.
    QList<std::optional<QString>> openFileAnswers;
    QList<std::optional<SaveChoice>> saveFileAnswers;
    QList<std::optional<QString>> folderAnswers;
    QList<std::optional<QFont>> fontAnswers;
    struct DialogCall
    {
        QString startFolder;
        QString fileName;
        QStringList filters;
        int filterIndex = -1;
        QFont font;
    };
    QList<DialogCall> dialogCalls;

    void MessageInfoBox(const QString& text) override
    {
        entries.append({Kind::Message, text, {}});
    }

    bool YesNo(const QString& question) override
    {
        entries.append({Kind::YesNo, question, {}});
        return nextAnswer();
    }

    // The standard question's answers come first from here, then from
    // `answers` (true Yes, false No); Dismissed is Escape or a closed window.
    QList<Answer> standardAnswers;

    Answer StandardQuestion(const QString& text, const QString& title) override
    {
        entries.append({Kind::StandardQuestion, text, title});
        if (!standardAnswers.isEmpty())
            return standardAnswers.takeFirst();
        return nextAnswer() ? Answer::Yes : Answer::No;
    }

    void VersionInfo() override { entries.append({Kind::VersionInfo, {}, {}}); }

    std::optional<QString> OpenFileName(const QString& startFolder, const QStringList& filters) override
    {
        entries.append({Kind::OpenFile, startFolder, {}});
        dialogCalls.append({startFolder, {}, filters, -1, {}});
        return openFileAnswers.isEmpty() ? std::nullopt : openFileAnswers.takeFirst();
    }

    std::optional<SaveChoice> SaveFileName(const QString& startFolder, const QString& fileName,
                                           const QStringList& filters, int filterIndex) override
    {
        entries.append({Kind::SaveFile, startFolder, fileName});
        dialogCalls.append({startFolder, fileName, filters, filterIndex, {}});
        return saveFileAnswers.isEmpty() ? std::nullopt : saveFileAnswers.takeFirst();
    }

    std::optional<QString> ExistingFolder(const QString& startFolder) override
    {
        entries.append({Kind::Folder, startFolder, {}});
        dialogCalls.append({startFolder, {}, {}, -1, {}});
        return folderAnswers.isEmpty() ? std::nullopt : folderAnswers.takeFirst();
    }

    std::optional<QFont> ChooseFont(const QFont& initial) override
    {
        entries.append({Kind::Font, initial.family(), {}});
        dialogCalls.append({{}, {}, {}, -1, initial});
        return fontAnswers.isEmpty() ? std::nullopt : fontAnswers.takeFirst();
    }

    // The print dialogs: each answer sets the printer as the user would in
    // the dialog and says whether they confirmed; none left is a cancel. The
    // preview answer gets the paint function to render with as it likes.
    QList<std::function<bool(QPrinter&)>> pageSetupAnswers;
    QList<std::function<bool(QPrinter&)>> printAnswers;
    std::function<void(QPrinter&, const std::function<void(QPrinter*)>&)> previewAnswer;
    QList<std::pair<int, int>> printDialogPages;   // minPage, maxPage of each print dialog

    bool PageSetupDialog(QPrinter& printer) override
    {
        entries.append({Kind::PageSetup, {}, {}});
        return !pageSetupAnswers.isEmpty() && pageSetupAnswers.takeFirst()(printer);
    }

    bool PrintDialog(QPrinter& printer, int minPage, int maxPage) override
    {
        entries.append({Kind::Print, {}, {}});
        printDialogPages.append({minPage, maxPage});
        return !printAnswers.isEmpty() && printAnswers.takeFirst()(printer);
    }

    void PrintPreviewDialog(QPrinter& printer, const std::function<void(QPrinter*)>& paint) override
    {
        entries.append({Kind::PrintPreview, {}, {}});
        if (previewAnswer)
            previewAnswer(printer, paint);
    }

    // The export dialog's answers, in order: each gets the choices as shown
    // and returns them as the user leaves them, or nothing for a cancel;
    // none left is a cancel. The choices each dialog showed are kept.
    QList<std::function<std::optional<AudioExportChoices>(AudioExportChoices)>> audioExportAnswers;
    QList<AudioExportChoices> audioExportShown;

    std::optional<AudioExportChoices> AudioExportOptions(const AudioExportChoices& choices) override
    {
        entries.append({Kind::AudioExport, choices.contents, {}});
        audioExportShown.append(choices);
        if (audioExportAnswers.isEmpty())
            return std::nullopt;
        return audioExportAnswers.takeFirst()(choices);
    }

    // The texts of the messages and questions, in order.
    QStringList texts() const
    {
        QStringList out;
        for (const Entry& e : entries)
            if (e.kind == Kind::Message || e.kind == Kind::YesNo || e.kind == Kind::StandardQuestion)
                out << e.text;
        return out;
    }

    QStringList texts(Kind kind) const
    {
        QStringList out;
        for (const Entry& e : entries)
            if (e.kind == kind)
                out << e.text;
        return out;
    }

    void clear()
    {
        entries.clear();
        answers.clear();
        dialogCalls.clear();
    }

private:
    bool nextAnswer() { return answers.isEmpty() ? defaultAnswer : answers.takeFirst(); }
};
