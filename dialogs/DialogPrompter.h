#pragma once

#include "core/Prompter.h"

#include <QPointer>
#include <QWidget>

// The program's prompter: every message and question is one of its own
// dialogs (or the desktop's question box), shown modally over parent.
class DialogPrompter : public Prompter
{
public:
    explicit DialogPrompter(QWidget* parent = nullptr);

    void MessageInfoBox(const QString& text) override;
    bool YesNo(const QString& question) override;
    Answer StandardQuestion(const QString& text, const QString& title) override;
    void VersionInfo() override;
    std::optional<QString> OpenFileName(const QString& startFolder, const QStringList& filters) override;
    std::optional<SaveChoice> SaveFileName(const QString& startFolder, const QString& fileName,
                                           const QStringList& filters, int filterIndex) override;
    std::optional<QString> ExistingFolder(const QString& startFolder) override;
    std::optional<QFont> ChooseFont(const QFont& initial) override;
    bool PageSetupDialog(QPrinter& printer) override;
    bool PrintDialog(QPrinter& printer, int minPage, int maxPage) override;
    void PrintPreviewDialog(QPrinter& printer, const std::function<void(QPrinter*)>& paint) override;
    std::optional<AudioExportChoices> AudioExportOptions(const AudioExportChoices& choices) override;

private:
    QPointer<QWidget> m_parent;
};
