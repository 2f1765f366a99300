#include "dialogs/DialogPrompter.h"

#include "dialogs/MessageInfoBox.h"
#include "dialogs/VersionInfo.h"
#include "dialogs/YesNo.h"

#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QMessageBox>

// The methods are named after the dialogs, hence the "::" before each class.

DialogPrompter::DialogPrompter(QWidget* parent)
    : m_parent(parent)
{
}

void DialogPrompter::MessageInfoBox(const QString& text)
{
    ::MessageInfoBox box(m_parent);
    box.setText(text);
    box.exec();
}

bool DialogPrompter::YesNo(const QString& question)
{
    ::YesNo dialog(m_parent);
    dialog.label1->setText(question);
    return dialog.exec() == QDialog::Accepted;
}

bool DialogPrompter::StandardQuestion(const QString& text, const QString& title)
{
    return QMessageBox::question(m_parent, title, text, QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

void DialogPrompter::VersionInfo()
{
    ::VersionInfo dialog(m_parent);
    dialog.exec();
}

std::optional<QString> DialogPrompter::OpenFileName(const QString& startFolder, const QStringList& filters)
{
    const QString path = QFileDialog::getOpenFileName(m_parent, QString(), startFolder,
                                                      filters.join(QStringLiteral(";;")));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<Prompter::SaveChoice> DialogPrompter::SaveFileName(const QString& startFolder, const QString& fileName,
                                                                 const QStringList& filters, int filterIndex)
{
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(startFolder);
    dialog.setNameFilters(filters);
    if (filterIndex >= 0 && filterIndex < filters.size())
        dialog.selectNameFilter(filters.at(filterIndex));
    dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return SaveChoice{dialog.selectedFiles().first(), int(filters.indexOf(dialog.selectedNameFilter()))};
}

std::optional<QString> DialogPrompter::ExistingFolder(const QString& startFolder)
{
    const QString path = QFileDialog::getExistingDirectory(m_parent, QString(), startFolder);
    if (path.isEmpty())
        return std::nullopt;
    return QDir::cleanPath(path);
}

std::optional<QFont> DialogPrompter::ChooseFont(const QFont& initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, m_parent, QString(),
                                            QFontDialog::DontUseNativeDialog);
    if (!ok)
        return std::nullopt;
    return font;
}
