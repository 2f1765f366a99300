#include "dialogs/DialogPrompter.h"

#include "dialogs/ExportDialog.h"
#include "dialogs/MessageInfoBox.h"
#include "dialogs/VersionInfo.h"
#include "dialogs/YesNo.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QFontDialog>
#include <QCheckBox>
#include <QGroupBox>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

// The methods are named after the dialogs, hence the "::" before each class.
// The common dialogs are Qt's own, never a desktop's native ones: those speak
// the desktop's language, and these read Japanese with every other caption.

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
    dialog.messageLabel->setText(question);
    return dialog.exec() == QDialog::Accepted;
}

namespace {
// Escape and the window's close button end a question unanswered; the box
// itself would count either as its No button.
class Dismissal : public QObject
{
public:
    explicit Dismissal(QDialog* box) : QObject(box), box_(box) { box->installEventFilter(this); }
    bool dismissed = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool escape = event->type() == QEvent::KeyPress
                            && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel);
        if (watched == box_ && (escape || event->type() == QEvent::Close)) {
            dismissed = true;
            event->accept();
            box_->done(QDialog::Rejected);
            return true;
        }
        return false;
    }

private:
    QDialog* box_;
};
} // namespace

Prompter::Answer DialogPrompter::StandardQuestion(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    const Dismissal* dismissal = new Dismissal(&box);
    box.exec();
    if (dismissal->dismissed || !box.clickedButton())
        return Answer::Dismissed;
    return box.standardButton(box.clickedButton()) == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void DialogPrompter::VersionInfo()
{
    ::VersionInfo dialog(m_parent);
    dialog.exec();
}

std::optional<QString> DialogPrompter::OpenFileName(const QString& startFolder, const QStringList& filters)
{
    QFileDialog dialog(m_parent);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDirectory(startFolder);
    // The labels already name their patterns; the patterns after them stay
    // out of sight but still choose the files.
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<Prompter::SaveChoice> DialogPrompter::SaveFileName(const QString& startFolder, const QString& fileName,
                                                                 const QStringList& filters, int filterIndex)
{
    QFileDialog dialog(m_parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
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

std::optional<Prompter::AudioExportChoices> DialogPrompter::AudioExportOptions(const AudioExportChoices& choices)
{
    // Over the main window, as the command came from there.
    ExportDialog dialog(m_parent ? m_parent.data() : QApplication::activeWindow());
    dialog.SetChoices(choices);
    QObject::connect(&dialog, &ExportDialog::browseRequested, &dialog, [this, &dialog, &choices] {
        const QFileInfo now(dialog.path());
        const QStringList filters{QStringLiteral("MP3 ファイル (*.mp3)"), QStringLiteral("WAV ファイル (*.wav)")};
        const int wavFilter = 1;
        const std::optional<SaveChoice> chosen = SaveFileName(
            now.absolutePath(), now.fileName(), filters, dialog.format() == ExportFormat::Wav ? wavFilter : 0);
        if (!chosen)
            return;
        dialog.SetFormat(chosen->filterIndex == wavFilter ? ExportFormat::Wav : ExportFormat::Mp3);
        dialog.SetPath(choices.withSuffix ? choices.withSuffix(chosen->path, dialog.format()) : chosen->path);
    });
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Choices();
}

std::optional<QString> DialogPrompter::ExistingFolder(const QString& startFolder)
{
    const QString path = QFileDialog::getExistingDirectory(
        m_parent, QString(), startFolder, QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return std::nullopt;
    return QDir::cleanPath(path);
}

namespace {
// The editor font offers 9 to 24 points only: rows of other sizes are
// hidden, and the size box takes no other number. The list is refilled for
// every face and style, so the rows are hidden again each time.
void LimitSizes(QFontDialog& dialog, int smallest, int largest)
{
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>())
        if (qobject_cast<const QIntValidator*>(edit->validator()))
            edit->setValidator(new QIntValidator(smallest, largest, edit));
    for (QListView* list : dialog.findChildren<QListView*>()) {
        QAbstractItemModel* model = list->model();
        bool sizes = model && model->rowCount() > 0;
        for (int row = 0; sizes && row < model->rowCount(); ++row)
            model->index(row, 0).data().toString().toInt(&sizes);
        if (!sizes)
            continue;
        const auto hide = [list, smallest, largest] {
            QAbstractItemModel* m = list->model();
            for (int row = 0; row < m->rowCount(); ++row) {
                const int size = m->index(row, 0).data().toString().toInt();
                list->setRowHidden(row, size < smallest || size > largest);
            }
        };
        hide();
        QObject::connect(model, &QAbstractItemModel::modelReset, list, hide);
        QObject::connect(model, &QAbstractItemModel::rowsInserted, list, hide);
    }
}

// No underline, strikeout or colour choice.
void HideEffects(QFontDialog& dialog)
{
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>())
        if (!group->findChildren<QCheckBox*>().isEmpty())
            group->hide();
}
} // namespace

std::optional<QFont> DialogPrompter::ChooseFont(const QFont& initial)
{
    QFontDialog dialog(m_parent);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    dialog.setCurrentFont(initial);
    LimitSizes(dialog, 9, 24);
    HideEffects(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont();
}

bool DialogPrompter::PageSetupDialog(QPrinter& printer)
{
    QPageSetupDialog dialog(&printer, m_parent);
    return dialog.exec() == QDialog::Accepted;
}

bool DialogPrompter::PrintDialog(QPrinter& printer, int minPage, int maxPage)
{
    QPrintDialog dialog(&printer, m_parent);
    dialog.setMinMax(minPage, maxPage);
    // Printing to a file stays: on a desktop without a print service the
    // PDF file is the one printer there is.
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile
                      | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

void DialogPrompter::PrintPreviewDialog(QPrinter& printer, const std::function<void(QPrinter*)>& paint)
{
    QPrintPreviewDialog dialog(&printer, m_parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
    dialog.resize(500, 400);
    dialog.exec();
}
