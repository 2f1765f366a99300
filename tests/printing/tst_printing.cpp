// The print commands on a real main window, printing to PDF files that
// pdftotext reads back; the dialogs are answered by the scripted prompter.

#include "app/MyForm.h"
#include "documents/DocumentController.h"
#include "documents/TextView.h"
#include "printing/PrintController.h"
#include "support/ScriptedPrompter.h"

#include <QFile>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

class tst_Printing : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void printsChosenRange();
    void pictureViewRefuses_data();
    void pictureViewRefuses();
    void previewAndItsPrintShowTheText();
    void previewPrintTakesTheChosenRange_data();
    void previewPrintTakesTheChosenRange();
    void pageSetupTakesMargins_data();
    void pageSetupTakesMargins();
    void badInput_data();
    void badInput();

private:
    // A print dialog answer that prints to path, pages from..to (0: all).
    static std::function<bool(QPrinter&)> ToPdf(const QString& path, int from = 0, int to = 0);
    // The pages of a PDF as pdftotext reads them.
    static QStringList PdfPages(const QString& path);
    static QString Lines(int count);

    QTemporaryDir dir_;
    std::unique_ptr<ScriptedPrompter> prompter_;
    std::unique_ptr<MyForm> form_;
};

std::function<bool(QPrinter&)> tst_Printing::ToPdf(const QString& path, int from, int to)
{
    return [=](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPrintRange(from > 0 ? QPrinter::PageRange : QPrinter::AllPages);
        if (from > 0)
            printer.setFromTo(from, to);
        return true;
    };
}

QStringList tst_Printing::PdfPages(const QString& path)
{
    QProcess p;
    p.start(u"pdftotext"_s, {u"-enc"_s, u"UTF-8"_s, path, u"-"_s});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {u"<pdftotext failed>"_s};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f');
    pages.removeLast();   // after the last form feed
    for (QString& page : pages)
        page = page.trimmed();
    return pages;
}

QString tst_Printing::Lines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << u"第%1行 日本語の文章"_s.arg(i, 3, 10, QChar(u'0'));
    return lines.join(u"\r\n"_s);
}

void tst_Printing::init()
{
    QVERIFY(dir_.isValid());
    prompter_ = std::make_unique<ScriptedPrompter>();
    form_ = std::make_unique<MyForm>(*prompter_);
    State& s = form_->state();
    s.PrintLeftMargin = s.PrintRightMargin = 200;
    s.PrintTopMargin = s.PrintBottomMargin = 250;
    s.PrintLandscape = Switch::Off;
    form_->printing().PrintIni();
    form_->printing().printDocument1().setPageSize(QPageSize(QPageSize::A4));
    form_->ui().textView->setFont(QFont(u"IPAGothic"_s, 12));
    form_->documents().TextDisplaySwitch();
    prompter_->clear();
}

void tst_Printing::cleanup()
{
    form_.reset();
    prompter_.reset();
}

void tst_Printing::printsChosenRange()
{
    PrintController& printing = form_->printing();
    form_->ui().textView->SetText(Lines(300));
    const QString all = dir_.filePath(u"all.pdf"_s);
    const QString range = dir_.filePath(u"range.pdf"_s);
    const QString again = dir_.filePath(u"again.pdf"_s);
    prompter_->printAnswers = {ToPdf(all), ToPdf(range, 3, 4), ToPdf(again)};
    for (int i = 0; i < 3; ++i) {
        printing.PrintMiriInch();
        printing.PrintStart();
    }
    QCOMPARE(prompter_->printDialogPages, (QList<std::pair<int, int>>(3, {1, 100})));
    QVERIFY(prompter_->texts().isEmpty());

    // Every line once, in order, over as many pages as the first one's lines say.
    const QStringList pages = PdfPages(all);
    QVERIFY2(pages.size() >= 5, qPrintable(pages.join(u"\n--\n"_s)));
    const int perPage = int(pages[0].split(u'\n').size());
    QCOMPARE(pages.size(), (300 + perPage - 1) / perPage);
    QCOMPARE(pages.join(u'\n').split(u'\n'), Lines(300).split(u"\r\n"_s));

    QCOMPARE(PdfPages(range), pages.mid(2, 2));
    // All pages after a range print is the whole text again.
    QCOMPARE(PdfPages(again), pages);
    QVERIFY(form_->state().printText.isEmpty());
}

void tst_Printing::pictureViewRefuses_data()
{
    QTest::addColumn<bool>("preview");
    QTest::newRow("print") << false;
    QTest::newRow("preview") << true;
}

void tst_Printing::pictureViewRefuses()
{
    QFETCH(bool, preview);
    form_->ui().textView->SetText(u"本文"_s);
    form_->documents().ArtDisplaySwitch();
    prompter_->printAnswers = {ToPdf(dir_.filePath(u"no.pdf"_s))};
    form_->printing().PrintMiriInch();
    preview ? form_->printing().PrintPreview() : form_->printing().PrintStart();
    QCOMPARE(prompter_->texts(), QStringList{u"テキスト表示画面または同期テキスト画面を選択してください。"_s});
    QVERIFY(prompter_->texts(ScriptedPrompter::Kind::Print).isEmpty());
    QVERIFY(prompter_->texts(ScriptedPrompter::Kind::PrintPreview).isEmpty());
    QVERIFY(!QFile::exists(dir_.filePath(u"no.pdf"_s)));
}

void tst_Printing::previewAndItsPrintShowTheText()
{
    form_->ui().textView->SetText(Lines(120));
    const QString shown = dir_.filePath(u"preview.pdf"_s);
    const QString printed = dir_.filePath(u"preview-print.pdf"_s);
    // The preview renders, then its own print command renders again.
    prompter_->previewAnswer = [&](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
        for (const QString& path : {shown, printed}) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            paint(&printer);
        }
    };
    form_->printing().PrintMiriInch();
    form_->printing().PrintPreview();
    QCOMPARE(prompter_->texts(ScriptedPrompter::Kind::PrintPreview).size(), 1);
    const QStringList pages = PdfPages(shown);
    QCOMPARE(pages.join(u'\n').split(u'\n'), Lines(120).split(u"\r\n"_s));
    QCOMPARE(PdfPages(printed), pages);
}

// The preview window's own print command: Qt's preview renders every page,
// then its print dialog leaves a range on the printer, and the print that
// follows has just those pages.
void tst_Printing::previewPrintTakesTheChosenRange_data()
{
    QTest::addColumn<int>("from");   // 0: all pages
    QTest::addColumn<int>("to");
    QTest::newRow("pages 2 to 3") << 2 << 3;
    QTest::newRow("page 4 alone") << 4 << 4;
    QTest::newRow("all pages") << 0 << 0;
}

void tst_Printing::previewPrintTakesTheChosenRange()
{
    QFETCH(int, from);
    QFETCH(int, to);
    form_->ui().textView->SetText(Lines(300));
    const QString all = dir_.filePath(u"all.pdf"_s);
    prompter_->printAnswers = {ToPdf(all)};
    form_->printing().PrintMiriInch();
    form_->printing().PrintStart();
    const QStringList pages = PdfPages(all);
    QVERIFY2(pages.size() >= 5, qPrintable(pages.join(u"\n--\n"_s)));

    const QString printed = dir_.filePath(u"from-preview.pdf"_s);
    int previewed = 0;
    prompter_->previewAnswer = [&](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
        QPrintPreviewWidget preview(&printer);
        connect(&preview, &QPrintPreviewWidget::paintRequested, &preview, paint);
        ToPdf(printed, from, to)(printer);   // what its print dialog chose
        preview.updatePreview();
        previewed = preview.pageCount();
        preview.print();
    };
    form_->printing().PrintMiriInch();
    form_->printing().PrintPreview();
    QCOMPARE(previewed, pages.size());
    QCOMPARE(PdfPages(printed), from > 0 ? pages.mid(from - 1, to - from + 1) : pages);
}

void tst_Printing::pageSetupTakesMargins_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QMarginsF>("millimetres");   // left, top, right, bottom as the user enters them
    QTest::addColumn<QList<int>>("settings");     // left, right, top, bottom, landscape
    QTest::addColumn<QList<int>>("hundredths");   // the document's margins at the next command

    QTest::newRow("20 and 25 mm, landscape") << true << QMarginsF(20, 25, 20, 25)
                                             << QList<int>{200, 200, 250, 250, 1} << QList<int>{78, 78, 98, 98};
    QTest::newRow("whole millimetres") << true << QMarginsF(12.4, 30, 5, 7.6)
                                       << QList<int>{120, 50, 300, 80, 1} << QList<int>{47, 19, 118, 31};
    QTest::newRow("under 5 mm is 5 mm") << true << QMarginsF(2, 0, 4.9, 5)
                                        << QList<int>{50, 50, 50, 50, 1} << QList<int>{19, 19, 19, 19};
    QTest::newRow("cancelled") << false << QMarginsF(1, 1, 1, 1)
                               << QList<int>{200, 200, 250, 250, 0} << QList<int>{78, 78, 98, 98};
}

void tst_Printing::pageSetupTakesMargins()
{
    QFETCH(bool, confirm);
    QFETCH(QMarginsF, millimetres);
    QFETCH(QList<int>, settings);
    QFETCH(QList<int>, hundredths);

    PrintController& printing = form_->printing();
    printing.PrintMiriInch();
    // The dialog shows the settings in millimetres.
    QCOMPARE(printing.printDocument1().pageLayout().margins(QPageLayout::Millimeter), QMarginsF(20, 25, 20, 25));
    prompter_->pageSetupAnswers = {[&](QPrinter& printer) {
        if (!confirm)
            return false;
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setPageMargins(millimetres, QPageLayout::Millimeter);
        return true;
    }};
    printing.PrintPageSetting();
    const State& s = form_->state();
    QCOMPARE((QList<int>{s.PrintLeftMargin, s.PrintRightMargin, s.PrintTopMargin, s.PrintBottomMargin,
                         s.PrintLandscape}),
             settings);
    printing.PrintMiriInch();
    const PrintMargins& m = printing.DocumentMargins();
    QCOMPARE((QList<int>{m.left, m.right, m.top, m.bottom}), hundredths);
}

void tst_Printing::badInput_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("leftMargin");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QStringList>("pages");     // what pdftotext reads
    QTest::addColumn<QStringList>("messages");

    const QStringList blank{QString()};
    QTest::newRow("empty text") << QString() << 200 << true << blank << QStringList();
    QTest::newRow("only line breaks") << u"\r\n\r\n\n\r"_s << 200 << true << blank << QStringList();
    QTest::newRow("margins wider than the page") << u"本文"_s << 3000 << true << blank << QStringList();
    QTest::newRow("printer fails") << u"本文"_s << 200 << false << QStringList()
                                   << QStringList{u"印刷を開始できませんでした。\n「%1」を保存できませんでした（ファイルまたはフォルダーが見つかりません）。"_s};
}

void tst_Printing::badInput()
{
    QFETCH(QString, text);
    QFETCH(int, leftMargin);
    QFETCH(bool, writable);
    QFETCH(QStringList, pages);
    QFETCH(QStringList, messages);

    form_->ui().textView->SetText(text);
    form_->state().PrintLeftMargin = leftMargin;
    const QString path = writable ? dir_.filePath(u"bad.pdf"_s) : dir_.filePath(u"missing/bad.pdf"_s);
    prompter_->printAnswers = {ToPdf(path)};
    form_->printing().PrintMiriInch();
    form_->printing().PrintStart();
    for (QString& message : messages)
        message = message.arg(path);
    QCOMPARE(prompter_->texts(), messages);
    QCOMPARE(QFile::exists(path), writable);
    if (writable)
        QCOMPARE(PdfPages(path), pages);
}

QTEST_MAIN(tst_Printing)
#include "tst_printing.moc"
