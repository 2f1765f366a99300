// Pagination on a PDF printer with a fixed-width Japanese font: the lines of
// each sheet, for texts and ranges chosen by the number of lines a page holds
// (N) and of full-width characters a line holds (K) on that printer.

#include "printing/PageLayout.h"
#include "printing/PrintPage.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

using Pages = QList<QStringList>;

class tst_PageLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void layout_data();
    void layout();
    void marginUnits_data();
    void marginUnits();

private:
    // Lines "L<first>" to "L<last>".
    static QStringList Lines(int first, int last);
    static QString Text(int first, int last) { return Lines(first, last).join(u'\n'); }

    QTemporaryDir dir_;
    QPrinter printer_{QPrinter::HighResolution};
    QFont font_;
    PageBox box_;
    int N = 0;      // lines a page holds
    int K = 0;      // full-width characters a line holds
    double wide_ = 0;   // advance of a full-width character, hundredths of an inch
};

QStringList tst_PageLayout::Lines(int first, int last)
{
    QStringList out;
    for (int i = first; i <= last; ++i)
        out << u"L"_s + QString::number(i);
    return out;
}

void tst_PageLayout::initTestCase()
{
    QVERIFY(dir_.isValid());
    QVERIFY2(QFontDatabase::families().contains(u"IPAGothic"_s), "the IPA Gothic font is needed");
    printer_.setOutputFormat(QPrinter::PdfFormat);
    printer_.setOutputFileName(dir_.filePath(u"layout.pdf"_s));
    printer_.setPageSize(QPageSize(QPageSize::A4));
    printer_.setFullPage(true);
    font_ = QFont(u"IPAGothic"_s, 12);

    box_ = PrintPage::BoxFor(printer_, font_, {78, 78, 98, 98});
    // A4 is 8.27 x 11.69 inches to the printing system.
    QCOMPARE(box_.width, 827 - 156);
    QCOMPARE(box_.bottom, 1169 - 98 - 98);
    QVERIFY(box_.lineHeight > 0 && box_.reserve > 0);
    const PageLayout::Advance advance = PrintPage::AdvanceFor(printer_, font_);
    wide_ = advance(u"あ");
    QCOMPARE(advance(u"漢"), wide_);   // fixed width
    K = int(box_.width / wide_);
    while (box_.bottom > box_.reserve + (N + 1) * box_.lineHeight)
        ++N;
    ++N;   // the line that brings the page down to the reserve still prints
    QVERIFY2(N > 5 && K > 5, qPrintable(u"N=%1 K=%2"_s.arg(N).arg(K)));
}

void tst_PageLayout::layout_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("startPage");
    QTest::addColumn<int>("endPage");
    QTest::addColumn<int>("box");   // 0 the page's, 1 lower than a line, 2 one hundredth wide,
                                    // 3 exactly three lines above the reserve
    QTest::addColumn<Pages>("pages");

    const QString row = QString(K, u'あ');
    Pages hundred;
    for (int p = 0; p < 100; ++p)
        hundred << Lines(p * N + 1, (p + 1) * N);

    QTest::newRow("empty text: one blank page") << QString() << 1 << 100 << 0 << Pages{{}};
    QTest::newRow("only line breaks") << u"\n\n\n"_s << 1 << 100 << 0 << Pages{{u""_s, u""_s, u""_s}};
    QTest::newRow("ends where the page fills") << Text(1, N) << 1 << 100 << 0 << Pages{Lines(1, N)};
    QTest::newRow("ends with a break where the page fills")
        << Text(1, N) + u'\n' << 1 << 100 << 0 << Pages{Lines(1, N)};
    QTest::newRow("one line over a page") << Text(1, N + 1) << 1 << 100 << 0
                                          << Pages{Lines(1, N), Lines(N + 1, N + 1)};
    QTest::newRow("long line breaks between characters")
        << row + row + u"漢字か"_s << 1 << 100 << 0 << Pages{{row, row, u"漢字か"_s}};
    QTest::newRow("long line then a short one")
        << row + u"い\nう"_s << 1 << 100 << 0 << Pages{{row, u"い"_s, u"う"_s}};
    QTest::newRow("range 3 to 4 of five pages") << Text(1, 5 * N) << 3 << 4 << 0
                                                << Pages{Lines(2 * N + 1, 3 * N), Lines(3 * N + 1, 4 * N)};
    QTest::newRow("range 2 to 2 of a long line")
        << QString(K * (N + 2), u'あ') << 2 << 2 << 0 << Pages{{row, row}};
    QTest::newRow("start page beyond the text") << Text(1, 2 * N) << 5 << 6 << 0 << Pages{{}};
    QTest::newRow("more than 100 pages stops at 100") << Text(1, 101 * N + 5) << 1 << 100 << 0 << hundred;
    QTest::newRow("CR LF and CR end lines")
        << PageLayout::NormaliseLineEnds(u"一\r\n二\r三\r\n\r\n四"_s) << 1 << 100 << 0
        << Pages{{u"一"_s, u"二"_s, u"三"_s, u""_s, u"四"_s}};
    QTest::newRow("lone LF after CR LF") << PageLayout::NormaliseLineEnds(u"a\r\n\nb\r"_s) << 1 << 100 << 0
                                         << Pages{{u"a"_s, u""_s, u"b"_s}};
    // Characters of no width never fill a line by width: a line holds at
    // most two per hundredth of an inch, so the 100-page cap still bounds
    // how much of the text is laid out.
    const QString invisible(2 * box_.width, QChar(0x200B));
    Pages hundredInvisible(100, QStringList(N, invisible));
    QTest::newRow("huge run of zero-width characters stops at 100 pages")
        << QString(101 * N * invisible.size(), QChar(0x200B)) << 1 << 100 << 0 << hundredInvisible;
    QTest::newRow("box lower than a line ends the job") << Text(1, 3) << 1 << 100 << 1 << Pages{{}};
    QTest::newRow("character wider than the box goes alone")
        << u"あい\nう"_s << 1 << 100 << 2 << Pages{{u"あ"_s, u"い"_s, u"う"_s}};
    // A page that holds a whole number of lines: the third line fills it
    // exactly, printed or skipped alike.
    const Pages threes{Lines(1, 3), Lines(4, 6), Lines(7, 7)};
    QTest::newRow("three-line box, all pages") << Text(1, 7) << 1 << 100 << 3 << threes;
    QTest::newRow("three-line box, page 1") << Text(1, 7) << 1 << 1 << 3 << Pages{Lines(1, 3)};
    QTest::newRow("three-line box, page 2") << Text(1, 7) << 2 << 2 << 3 << Pages{Lines(4, 6)};
    QTest::newRow("three-line box, ends where page 2 fills") << Text(1, 6) << 1 << 100 << 3
                                                             << Pages{Lines(1, 3), Lines(4, 6)};
    QTest::newRow("surrogate pair stays whole") << u"a𠮷b"_s << 1 << 100 << 2
                                                << Pages{{u"a"_s, u"𠮷"_s, u"b"_s}};
}

void tst_PageLayout::layout()
{
    QFETCH(QString, text);
    QFETCH(int, startPage);
    QFETCH(int, endPage);
    QFETCH(int, box);
    QFETCH(Pages, pages);

    PageBox pageBox = box_;
    if (box == 1)
        pageBox.bottom = pageBox.reserve;
    if (box == 2)
        pageBox.width = 1;
    if (box == 3)
        pageBox.bottom = pageBox.reserve + 3 * pageBox.lineHeight;

    State state;
    PageLayout layout(state, PrintPage::AdvanceFor(printer_, font_));
    layout.Reset(text, startPage, endPage);
    Pages printed;
    bool more = true;
    while (more && printed.size() <= 200) {
        QList<PrintedLine> lines;
        const QString job = state.printText;
        more = layout.LayOutPage(pageBox, lines);
        QStringList page;
        for (int i = 0; i < lines.size(); ++i) {
            QCOMPARE(lines[i].y, i * pageBox.lineHeight);
            page << job.mid(lines[i].start, lines[i].length);
        }
        printed << page;
    }
    QCOMPARE(printed.size(), pages.size());
    for (int i = 0; i < pages.size(); ++i)
        QCOMPARE(printed[i], pages[i]);
    // The last page resets the job.
    QCOMPARE(state.StartPrintingPosition, 0);
    QCOMPARE(state.PrintPageCount, 1);
    QVERIFY(state.printText.isEmpty());
    QCOMPARE(state.PrintMarginBoundsWidth, pageBox.width);
    QCOMPARE(state.PrintMarginBoundsBottom, pageBox.bottom);
}

void tst_PageLayout::marginUnits_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("hundredths");
    QTest::addColumn<int>("back");   // the setting the hundredths give back

    QTest::newRow("20 mm") << 200 << 78 << 200;
    QTest::newRow("25 mm") << 250 << 98 << 250;
    QTest::newRow("5 mm") << 50 << 19 << 50;
    QTest::newRow("truncated, not rounded") << 199 << 78 << 200;
    QTest::newRow("0") << 0 << 0 << 0;
    // 250 and 750 hundredths are 63.5 and 190.5 mm: halves go to the even neighbour.
    QTest::newRow("79 hundredths") << 203 << 79 << 200;
    QTest::newRow("63.5 mm to the even 64") << 635 << 250 << 640;
    QTest::newRow("190.5 mm to the even 190") << 1905 << 750 << 1900;
}

void tst_PageLayout::marginUnits()
{
    QFETCH(int, setting);
    QFETCH(int, hundredths);
    QFETCH(int, back);
    QCOMPARE(MarginUnits::SettingToHundredths(setting), hundredths);
    QCOMPARE(MarginUnits::HundredthsToSetting(hundredths), back);
}

QTEST_MAIN(tst_PageLayout)
#include "tst_pagelayout.moc"
