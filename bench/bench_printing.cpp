// Printing: the preview's pagination of a 1 MB Japanese text, of one 200 KB
// line without a break and of a 50 MB text, from the print-preview command to
// the last page rendered (the preview widget lays out every page at once, as
// the preview window does); printing the 1 MB text to a PDF file; and, in the
// same run, Qt's own QTextDocument::print of the same texts on the same page,
// margins and font, pages 1 to 100 to a PDF file. Each figure is the median of several runs.

#include "app/MyForm.h"
#include "documents/DocumentController.h"
#include "documents/TextView.h"
#include "printing/PrintController.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double TimeMs(const std::function<void()>& work)
{
    QElapsedTimer t;
    t.start();
    work();
    return t.nsecsElapsed() / 1e6;
}

// Japanese lines with CR LF breaks until the text is bytes long in UTF-8.
QString Lines(qsizetype bytes)
{
    QString text;
    qsizetype size = 0;
    for (int i = 0; size < bytes; ++i) {
        const QString line = u"これは印刷する日本語のテキストです。第"_s + QString::number(i) + u"行、長さの違う行もある。\r\n"_s;
        text += line;
        size += line.toUtf8().size();
    }
    return text;
}

// One line without a break, bytes long in UTF-8.
QString OneLine(qsizetype bytes)
{
    const QString unit = u"改行のない長い一行の日本語テキスト"_s;
    QString text;
    while (text.toUtf8().size() + unit.toUtf8().size() <= bytes)
        text += unit;
    return text;
}

struct Figures
{
    double ms = 0;
    int pages = 0;
};

class Bench
{
public:
    Bench()
    {
        prompter_.previewAnswer = [this](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
            QPrintPreviewWidget preview(&printer);
            QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, &preview, paint);
            preview.updatePreview();
            pages_ = preview.pageCount();
        };
        State& s = form_.state();
        s.PrintLeftMargin = s.PrintRightMargin = 200;
        s.PrintTopMargin = s.PrintBottomMargin = 250;
        form_.printing().PrintIni();
        form_.documents().TextDisplaySwitch();
    }

    Figures Preview(const QString& text, int runs)
    {
        form_.ui().textView->SetText(text);
        QList<double> times;
        for (int i = 0; i < runs; ++i)
            times << TimeMs([this] {
                form_.printing().PrintMiriInch();
                form_.printing().PrintPreview();
            });
        return {Median(times), pages_};
    }

    Figures PrintToPdf(const QString& text, const QString& path, int runs)
    {
        form_.ui().textView->SetText(text);
        QList<double> times;
        for (int i = 0; i < runs; ++i) {
            prompter_.printAnswers = {[&](QPrinter& printer) {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(path);
                printer.setPrintRange(QPrinter::AllPages);
                return true;
            }};
            times << TimeMs([this] {
                form_.printing().PrintMiriInch();
                form_.printing().PrintStart();
            });
        }
        return {Median(times), -1};
    }

    // Qt's own printing of the same text, page, margins and font to PDF.
    Figures QtPrint(const QString& text, const QString& path, int runs)
    {
        QList<double> times;
        int pages = 0;
        for (int i = 0; i < runs; ++i) {
            times << TimeMs([&] {
                QPrinter printer(QPrinter::HighResolution);
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(path);
                printer.setPageSize(form_.printing().printDocument1().pageLayout().pageSize());
                printer.setPageMargins(QMarginsF(20, 25, 20, 25), QPageLayout::Millimeter);
                // The same 100 pages at most; it still lays out the whole text first.
                printer.setPrintRange(QPrinter::PageRange);
                printer.setFromTo(1, PrintController::LastPage);
                QTextDocument document;
                document.setDefaultFont(form_.ui().textView->font());
                document.setPlainText(text);
                document.print(&printer);
            });
        }
        QProcess info;
        info.start(u"pdfinfo"_s, {path});
        info.waitForFinished(30000);
        for (const QString& row : QString::fromUtf8(info.readAllStandardOutput()).split(u'\n'))
            if (row.startsWith(u"Pages:"_s))
                pages = row.mid(6).trimmed().toInt();
        return {Median(times), pages};
    }

private:
    ScriptedPrompter prompter_;
    MyForm form_{prompter_};
    int pages_ = 0;
};

void Report(const char* what, const Figures& ours, const Figures& qt)
{
    std::printf("%-44s %9.1f ms (%3d pages)   QTextDocument::print %9.1f ms (%d pages)   ratio %.2f\n", what,
                ours.ms, ours.pages, qt.ms, qt.pages, ours.ms / qt.ms);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"bench.pdf"_s);
    Bench bench;

    const QString japanese = Lines(1 << 20);
    const QString line = OneLine(200 * 1024);
    std::printf("1 MB text: %lld characters; 200 KB line: %lld characters\n", qlonglong(japanese.size()),
                qlonglong(line.size()));

    Report("preview, 1 MB Japanese text", bench.Preview(japanese, 5), bench.QtPrint(japanese, pdf, 3));
    Report("preview, one 200 KB line", bench.Preview(line, 5), bench.QtPrint(line, pdf, 3));
    const Figures printed = bench.PrintToPdf(japanese, pdf, 5);
    std::printf("%-44s %9.1f ms\n", "print to PDF, 1 MB Japanese text", printed.ms);

    const QString huge = Lines(50 << 20);
    const Figures big = bench.Preview(huge, 3);
    std::printf("%-44s %9.1f ms (%3d pages)\n", "preview, 50 MB text", big.ms, big.pages);
    return 0;
}
