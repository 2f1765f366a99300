#include "printing/PrintController.h"

#include "documents/TextView.h"
#include "printing/PageLayout.h"

#include "platform/FileErrors.h"

#include <QFile>
#include <QFileInfo>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>

#include <cerrno>
#include <utility>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Why a file cannot be written: the system's answer for the file or, when
// there is none yet, for its folder; nothing when writing would be allowed
// (then the printing system itself refused). Nothing is created.
std::optional<int> WhyNotWritable(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        ::close(fd);
        return std::nullopt;
    }
    if (errno != ENOENT)
        return errno;
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    if (::access(folder.constData(), W_OK | X_OK) != 0)
        return errno;
    return std::nullopt;
}

const QString kRefused = u"印刷システムが受け付けませんでした"_s;

// Where the job goes, as the user knows it.
QString Destination(const QPrinter& printer)
{
    if (!printer.outputFileName().isEmpty())
        return u"「"_s + printer.outputFileName() + u"」への印刷"_s;
    const QString name = printer.printerName().isEmpty() ? u"既定のプリンター"_s : printer.printerName();
    return u"プリンター「"_s + name + u"」での印刷"_s;
}

QString StartFailure(const QPrinter& printer)
{
    const QString path = printer.outputFileName();
    if (path.isEmpty())
        return u"%1を開始できませんでした（%2）。"_s.arg(Destination(printer), kRefused);
    const std::optional<int> error = WhyNotWritable(path);
    return u"印刷を開始できませんでした。\n"_s
           + (error ? FileErrors::Message(FileErrors::Doing::Write, path, *error)
                    : FileErrors::Message(FileErrors::Doing::Write, path, kRefused));
}

// The pages a print dialog left chosen on the printer. All pages are pages
// 1 to 100, whatever range an earlier print chose; no range goes past 100.
std::pair<int, int> ChosenPages(const QPrinter& printer)
{
    const bool range = printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0;
    const int from = range ? printer.fromPage() : 1;
    const int to = range ? qMax(printer.fromPage(), printer.toPage()) : PrintController::LastPage;
    return {from, qMin(to, PrintController::LastPage)};
}

QString PageFailure(const QPrinter& printer, int page)
{
    return u"%1で%2ページ目に進めませんでした（%3）。印刷はここまでです。"_s.arg(Destination(printer)).arg(page).arg(kRefused);
}

} // namespace

PrintController::PrintController(const Context& context)
    : Controller(context)
{
}

PrintController::~PrintController() = default;

QPrinter& PrintController::printDocument1()
{
    // The printer, and with it the print system's plugin and its query for
    // printers, comes with the first use, not with the window.
    if (!printDocument1_) {
        printDocument1_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (iniDone_)
            PrintIni();
    }
    return *printDocument1_;
}

void PrintController::PrintIni()
{
    iniDone_ = true;
    // The layout places every line itself from the paper's corner.
    if (printDocument1_) {
        printDocument1_->setFullPage(true);
        printDocument1_->setFromTo(1, LastPage);
    }
    PrintMiriInch();
}

void PrintController::PrintMiriInch()
{
    margins_.left = MarginUnits::SettingToHundredths(state.PrintLeftMargin);
    margins_.right = MarginUnits::SettingToHundredths(state.PrintRightMargin);
    margins_.top = MarginUnits::SettingToHundredths(state.PrintTopMargin);
    margins_.bottom = MarginUnits::SettingToHundredths(state.PrintBottomMargin);
    if (!printDocument1_)
        return;   // set on the printer when it is made
    printDocument1_->setPageOrientation(state.PrintLandscape == Switch::On ? QPageLayout::Landscape
                                                                  : QPageLayout::Portrait);
    // The page set-up shows the settings as they are, in millimetres. A
    // margin the paper cannot take is refused here and still holds for the
    // layout, which then gets an empty box.
    printDocument1_->setPageMargins(QMarginsF(state.PrintLeftMargin / 10.0, state.PrintTopMargin / 10.0,
                                              state.PrintRightMargin / 10.0, state.PrintBottomMargin / 10.0),
                                    QPageLayout::Millimeter);
}

void PrintController::PrintPageSetting()
{
    if (!prompter.PageSetupDialog(printDocument1()))
        return;
    const QPageLayout layout = printDocument1().pageLayout();
    const QMarginsF inches = layout.margins(QPageLayout::Inch);
    // No margin under 5 mm, which Qt's dialog would let through.
    const auto take = [](double inch) { return qMax(qRound(inch * 100.0), MinimumMargin); };
    margins_.left = take(inches.left());
    margins_.right = take(inches.right());
    margins_.top = take(inches.top());
    margins_.bottom = take(inches.bottom());
    state.PrintLandscape = layout.orientation() == QPageLayout::Landscape ? Switch::On : Switch::Off;
    state.PrintLeftMargin = MarginUnits::HundredthsToSetting(margins_.left);
    state.PrintRightMargin = MarginUnits::HundredthsToSetting(margins_.right);
    state.PrintTopMargin = MarginUnits::HundredthsToSetting(margins_.top);
    state.PrintBottomMargin = MarginUnits::HundredthsToSetting(margins_.bottom);
}

std::optional<QString> PrintController::VisibleText()
{
    if (!ui.textView->isHidden())
        return PageLayout::NormaliseLineEnds(ui.textView->Text());
    if (!ui.lrcView->isHidden())
        return PageLayout::NormaliseLineEnds(ui.lrcView->Text());
    prompter.MessageInfoBox(u"テキスト表示画面または同期テキスト画面を選択してください。"_s);
    return std::nullopt;
}

QFont PrintController::ViewFont() const
{
    return ui.textView->font();
}

void PrintController::PrintPreview()
{
    const std::optional<QString> text = VisibleText();
    if (!text)
        return;
    prompter.PrintPreviewDialog(printDocument1(), [this, text = *text](QPrinter* printer) {
        // The preview shows pages 1 to 100; its own print command prints
        // the pages its print dialog chose. The preview renders through a
        // picture engine, the printer never does.
        const QPaintEngine* engine = printer->paintEngine();
        const bool previewing = engine && engine->type() == QPaintEngine::Picture;
        const auto [from, to] = previewing ? std::pair{1, LastPage} : ChosenPages(*printer);
        PrintJob(printer, text, from, to);
    });
}

void PrintController::PrintStart()
{
    if (ui.textView->isHidden() && ui.lrcView->isHidden()) {
        VisibleText();   // tells the user
        return;
    }
    if (!prompter.PrintDialog(printDocument1(), 1, LastPage))
        return;
    const auto [from, to] = ChosenPages(printDocument1());
    if (const std::optional<QString> text = VisibleText())
        PrintJob(&printDocument1(), *text, from, to);
}

void PrintController::PrintJob(QPrinter* printer, const QString& text, int startPage, int endPage)
{
    const QFont font = ViewFont();
    PageLayout layout(state, PrintPage::AdvanceFor(*printer, font));
    layout.Reset(text, startPage, endPage);
    QPainter painter;
    if (!painter.begin(printer)) {
        prompter.MessageInfoBox(StartFailure(*printer));
        return;
    }
    for (int sheet = 1; PrintPageControl(painter, *printer, layout); ++sheet) {
        if (!printer->newPage()) {
            prompter.MessageInfoBox(PageFailure(*printer, sheet + 1));
            break;
        }
    }
    painter.end();
}

bool PrintController::PrintPageControl(QPainter& painter, QPrinter& printer, PageLayout& layout)
{
    const QFont font = ViewFont();
    QList<PrintedLine> lines;
    const QString text = state.printText;   // the last page empties it
    const bool more = layout.LayOutPage(PrintPage::BoxFor(printer, font, margins_), lines);
    PrintPage::Draw(painter, printer, font, margins_, text, lines);
    return more;
}
