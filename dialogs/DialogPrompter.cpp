#include "dialogs/DialogPrompter.h"

#include "dialogs/MessageInfoBox.h"
#include "dialogs/VersionInfo.h"
#include "dialogs/YesNo.h"

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
