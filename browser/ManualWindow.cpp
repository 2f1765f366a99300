#include "browser/ManualWindow.h"

#include "browser/BrowserController.h"
#include "browser/BrowserPage.h"
#include "browser/FavouritesBar.h"
#include "browser/ManualServer.h"
#include "browser/UrlRules.h"
#include "core/Prompter.h"
#include "documents/DocumentFile.h"
#include "platform/FileErrors.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kClientWidth = 1047;
constexpr int kClientHeight = 632;
constexpr int kToolbarHeight = 36;
constexpr QRect kComboBox1(282, 5, 664, 23);
constexpr QRect kTextBox1(283, 7, 644, 19);
constexpr QPoint kView(-4, 58);
// The longest the engine may take to lay a page out for the printer.
constexpr int kPrintTimeoutMs = 60000;
// The resolutions a page goes to paper at (see PaperResolution).
constexpr int kLeastPaperDpi = 300;
constexpr int kMostPaperDpi = 600;

// The page's title, and its markup when the title is empty (the display
// name is then looked for in it). Run apart from the page's own scripts.
const QString kTitleScript = uR"((function() {
  var t = document.title;
  var e = document.documentElement;
  return [t, t || !e ? '' : e.outerHTML];
})())"_s;

} // namespace

ManualWindow::ManualWindow(Prompter& prompter, QWebEngineProfile* profile, FavouritesFile& favourites,
                           const QString& urlOrTitle, QWidget* parent)
    : QWidget(parent, Qt::Window), prompter_(prompter), startRequest_(urlOrTitle)
{
    setObjectName(u"Manual"_s);
    setWindowTitle(u"簡易ブラウザー"_s);
    setWindowIcon(QIcon());
    resize(kClientWidth, kClientHeight);

    BuildToolbar();
    BuildAddressBox();
    BuildView(profile);

    favourites_ = new FavouritesBar(this, prompter_, favourites, [this] {
        const auto& titles = history_.titles();
        const auto& addresses = history_.addresses();
        if (titles.isEmpty())
            return std::pair<QString, QString>();
        return std::pair<QString, QString>(titles.first(), addresses.first());
    });
    connect(favourites_, &FavouritesBar::navigate, this, &ManualWindow::Navigate);

    // Mouse presses and keys reach the page's own inner widget first; the
    // application sees them before it does.
    qApp->installEventFilter(this);
}

ManualWindow::~ManualWindow()
{
    qApp->removeEventFilter(this);
    // The page goes first, while the window it reports to is whole.
    delete webBrowser1;
    webBrowser1 = nullptr;
}

void ManualWindow::BuildToolbar()
{
    toolStrip1 = new QToolBar(this);
    toolStrip1->setObjectName(u"toolStrip1"_s);
    toolStrip1->setMovable(false);
    toolStrip1->setFloatable(false);
    toolStrip1->setIconSize(QSize(20, 20));
    toolStrip1->setAccessibleName(u"ツールバー"_s);

    QStyle* style = this->style();
    auto add = [this](const QString& name, const QIcon& icon, const QString& tip) {
        QAction* a = toolStrip1->addAction(icon, tip);
        a->setObjectName(name);
        a->setToolTip(tip);
        if (QWidget* button = toolStrip1->widgetForAction(a)) {
            button->setObjectName(name);
            button->setAccessibleName(tip);
        }
        return a;
    };
    toolStripButton1 = add(u"toolStripButton1"_s, style->standardIcon(QStyle::SP_ArrowBack), u"前に戻る"_s);
    toolStripButton2 = add(u"toolStripButton2"_s, style->standardIcon(QStyle::SP_ArrowForward), u"次に進む"_s);
    toolStripButton3 = add(u"toolStripButton3"_s, style->standardIcon(QStyle::SP_BrowserReload), u"再読み込み"_s);
    toolStrip1->addSeparator();
    toolStripButton4 = add(u"toolStripButton4"_s, QIcon(u":/icons/manual.svg"_s), u"マニュアル"_s);
    toolStripButton6 = add(u"toolStripButton6"_s, QIcon(u":/icons/search.svg"_s),
                           u"IEに登録された検索エンジンの実行"_s);
    toolStripButton5 = add(u"toolStripButton5"_s, style->standardIcon(QStyle::SP_DirHomeIcon),
                           u"IEに登録されたホームページの実行"_s);
    toolStrip1->addSeparator();

    auto* menu = new QMenu(this);
    printPreviewItem = menu->addAction(u"プレビュー"_s);
    printItem = menu->addAction(u"印刷"_s);
    printItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    printItem->setShortcutContext(Qt::WindowShortcut);
    pageSetupItem = menu->addAction(u"ページ設定"_s);
    // Ctrl+P works with the menu closed too.
    addAction(printItem);
    toolStripSplitButton1 = new QToolButton(this);
    toolStripSplitButton1->setObjectName(u"toolStripSplitButton1"_s);
    toolStripSplitButton1->setIcon(QIcon(u":/icons/print.svg"_s));
    toolStripSplitButton1->setToolTip(u"印刷"_s);
    toolStripSplitButton1->setAccessibleName(u"印刷"_s);
    toolStripSplitButton1->setMenu(menu);
    toolStripSplitButton1->setPopupMode(QToolButton::InstantPopup);
    toolStrip1->addWidget(toolStripSplitButton1);

    connect(toolStripButton1, &QAction::triggered, this, [this] { webBrowser1->back(); });
    connect(toolStripButton2, &QAction::triggered, this, [this] { webBrowser1->forward(); });
    connect(toolStripButton3, &QAction::triggered, this, &ManualWindow::Reload);
    connect(toolStripButton4, &QAction::triggered, this,
            [this] { Navigate(BrowserController::ManualFirstPage()); });
    connect(toolStripButton6, &QAction::triggered, this, [this] { Navigate(BrowserHistory::SearchPage()); });
    connect(toolStripButton5, &QAction::triggered, this, [this] { Navigate(BrowserHistory::HomePage()); });
    connect(printPreviewItem, &QAction::triggered, this, &ManualWindow::PrintPreview);
    connect(printItem, &QAction::triggered, this, &ManualWindow::PrintWithDialog);
    connect(pageSetupItem, &QAction::triggered, this, &ManualWindow::PageSetup);
}

void ManualWindow::BuildAddressBox()
{
    comboBox1 = new QComboBox(this);
    comboBox1->setObjectName(u"comboBox1"_s);
    comboBox1->setGeometry(kComboBox1);
    comboBox1->setAccessibleName(u"履歴"_s);
    comboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(comboBox1, &QComboBox::activated, this, &ManualWindow::HistoryChosen);

    // Over the drop-down's text, so only its arrow shows.
    textBox1 = new QPlainTextEdit(this);
    textBox1->setObjectName(u"textBox1"_s);
    textBox1->setGeometry(kTextBox1);
    textBox1->setAccessibleName(u"アドレスまたは検索語"_s);
    textBox1->setFrameShape(QFrame::NoFrame);
    textBox1->setLineWrapMode(QPlainTextEdit::NoWrap);
    textBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    textBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    textBox1->setTabChangesFocus(true);
    textBox1->document()->setDocumentMargin(1);
    connect(textBox1, &QPlainTextEdit::textChanged, this, &ManualWindow::AddressBoxChanged);
}

void ManualWindow::BuildView(QWebEngineProfile* profile)
{
    webBrowser1 = new QWebEngineView(this);
    webBrowser1->setObjectName(u"webBrowser1"_s);
    webBrowser1->setAccessibleName(u"ページ"_s);
    webBrowser1->setPage(new BrowserPage(profile, webBrowser1, &prompter_));
    webBrowser1->setGeometry(QRect(kView, QSize(kClientWidth, kClientHeight - kView.y())));
    webBrowser1->lower();
    connect(webBrowser1, &QWebEngineView::loadFinished, this,
            [this](bool) { webBrowser1_DocumentCompleted(); });
    // window.print() from a page asks as the print command does.
    connect(webBrowser1, &QWebEngineView::printRequested, this, &ManualWindow::PrintWithDialog);
}

void ManualWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    toolStrip1->setGeometry(0, 0, width(), kToolbarHeight);
    toolStrip1->lower();
    // The page stretches with the window; everything else keeps its place.
    webBrowser1->setGeometry(kView.x(), kView.y(), width(), height() - kView.y());
}

void ManualWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        Manual_Load();
    }
}

void ManualWindow::Manual_Load()
{
    history_.Start(startRequest_);
    favourites_->load();
    if (history_.label1() == BrowserController::ManualFirstPage())
        Navigate(BrowserController::ManualFirstPage());
    else
        Navigate(BrowserHistory::HomePage());
}

void ManualWindow::closeEvent(QCloseEvent* event)
{
    // Closed while the engine prints, the window would be deleted inside the
    // print's own loop, under the engine's feet: it closes once that ends.
    if (printing_) {
        closeAfterPrint_ = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Manual_Closed();
}

void ManualWindow::Manual_Closed()
{
    if (closedDone_)
        return;
    closedDone_ = true;
    favourites_->save();
    emit closed();
}

QString ManualWindow::CurrentAddress() const
{
    // Spaces stay "%20", as the manual's address and the favourites write them.
    return ManualAddress::PublicUrl(webBrowser1->url()).toString(QUrl::EncodeSpaces);
}

void ManualWindow::Navigate(const QString& address)
{
    webBrowser1->load(QUrl::fromUserInput(address));
}

void ManualWindow::Reload()
{
    const QString address = URL_UTF8Conversion(CurrentAddress());
    history_.UrlBackNextFlag = 0;
    Navigate(address);
}

void ManualWindow::webBrowser1_DocumentCompleted()
{
    const QString address = CurrentAddress();
    // The engine stands the address in for a missing title; a real one is
    // taken at once, without asking the page.
    const QString engineTitle = webBrowser1->title();
    if (!engineTitle.isEmpty() && engineTitle != webBrowser1->url().toString()) {
        DocumentCompleted(address, engineTitle, {});
        return;
    }
    QPointer<ManualWindow> self(this);
    webBrowser1->page()->runJavaScript(kTitleScript, QWebEngineScript::ApplicationWorld,
                                       [self, address](const QVariant& result) {
        if (!self || !self->webBrowser1)
            return;
        // An engine error page answers nothing: it is listed by its address.
        const QVariantList parts = result.toList();
        self->DocumentCompleted(address, parts.value(0).toString(), parts.value(1).toString());
    });
}

void ManualWindow::DocumentCompleted(const QString& address, const QString& title, const QString& source)
{
    if (history_.DocumentCompleted(address, title, source)) {
        SetBoxText(title);
        ShowHistory();
    }
    emit pageHandled();
}

void ManualWindow::SetBoxText(const QString& text)
{
    // Text the window puts in the box is never an Enter.
    const QSignalBlocker block(textBox1);
    textBox1->setPlainText(text);
    textBox1->moveCursor(QTextCursor::End);
}

void ManualWindow::ShowHistory()
{
    const QSignalBlocker block(comboBox1);
    comboBox1->clear();
    comboBox1->addItems(history_.titles());
    comboBox1->setCurrentIndex(std::max(0, history_.addressIndex()));
}

void ManualWindow::AddressBoxChanged()
{
    const BrowserHistory::BoxResult r = history_.UrlInRUN(textBox1->toPlainText());
    if (r.replaceText)
        SetBoxText(r.boxText);
    if (r.address == u"No"_s)
        return;
    // Text holding "http:" goes to the engine as typed; a "javascript:"
    // address would run in the page on view, so only web addresses go.
    const QString scheme = QUrl::fromUserInput(r.address).scheme();
    if (scheme != u"http"_s && scheme != u"https"_s) {
        prompter_.MessageInfoBox(FavouritesBar::NotWebAddressMessage());
        return;
    }
    Navigate(r.address);
}

void ManualWindow::HistoryChosen(int index)
{
    QString message;
    const QString address = history_.SelControl(index, &message);
    if (address == u"No"_s) {
        prompter_.MessageInfoBox(message);
        return;
    }
    Navigate(address);
}

void ManualWindow::PrintPage(QPrinter* printer)
{
    // The preview draws into pictures of its own; anything else is paper
    // or a file.
    const bool preview = printer->paintEngine() && printer->paintEngine()->type() == QPaintEngine::Picture;
    printing_ = true;
    if (!preview && printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty())
        PrintToPdfFile(*printer);
    else
        PrintThroughPrinter(printer, !preview);
    printing_ = false;
    if (closeAfterPrint_) {
        closeAfterPrint_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void ManualWindow::PrintThroughPrinter(QPrinter* printer, bool paper)
{
    // The engine hands the printer each page as a picture at the printer's
    // resolution: at the screen's 96 ppi the text comes out blurred. The
    // preview keeps its own, as it is only looked at on the screen.
    const int ownResolution = printer->resolution();
    if (paper)
        printer->setResolution(PaperResolution(*printer));
    // The preview wants its pages drawn before it goes on; the engine lays
    // them out in its own time.
    QEventLoop loop;
    connect(webBrowser1, &QWebEngineView::printFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kPrintTimeoutMs, &loop, &QEventLoop::quit);
    webBrowser1->print(printer);
    loop.exec();
    if (paper)
        printer->setResolution(ownResolution);
}

int ManualWindow::PaperResolution(const QPrinter& printer)
{
    int best = 0;
    for (int dpi : printer.supportedResolutions())
        best = std::max(best, dpi);
    // A printer that names no resolution of its own gets a sharp one; a very
    // fine one is held back, as every page is one picture in memory.
    if (best < kLeastPaperDpi)
        best = kLeastPaperDpi;
    return std::min(best, kMostPaperDpi);
}

void ManualWindow::PrintToPdfFile(const QPrinter& printer)
{
    // A PDF file takes the engine's own PDF: the text stays text, sharp at
    // any size and found by a search.
    const QString path = printer.outputFileName();
    struct Result
    {
        bool done = false;
        QByteArray pdf;
    };
    auto result = std::make_shared<Result>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    webBrowser1->page()->printToPdf(
        [result, waiting](const QByteArray& pdf) {
            result->done = true;
            result->pdf = pdf;
            if (waiting)
                waiting->quit();
        },
        printer.pageLayout(), printer.pageRanges());
    QTimer::singleShot(kPrintTimeoutMs, &loop, &QEventLoop::quit);
    if (!result->done)
        loop.exec();
    if (!result->done || result->pdf.isEmpty()) {
        prompter_.MessageInfoBox(FileErrors::Message(FileErrors::Doing::Write, path, PdfRefusedReason()));
        return;
    }
    const QString failure = DocumentFile::WriteWhole(path, result->pdf, {});
    if (!failure.isEmpty())
        prompter_.MessageInfoBox(failure);
}

QString ManualWindow::PdfRefusedReason()
{
    return u"ページをPDFにできませんでした"_s;
}

void ManualWindow::PrintPreview()
{
    if (printing_)
        return;
    prompter_.PrintPreviewDialog(printer_, [this](QPrinter* printer) { PrintPage(printer); });
}

void ManualWindow::PrintWithDialog()
{
    if (printing_)
        return;
    // The page count is the engine's to know; every page is offered.
    if (prompter_.PrintDialog(printer_, 1, 9999))
        PrintPage(&printer_);
}

void ManualWindow::PageSetup()
{
    prompter_.PageSetupDialog(printer_);
}

bool ManualWindow::IsOurs(QObject* object) const
{
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && widget->window() == this;
}

bool ManualWindow::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        if (!IsOurs(watched))
            break;
        const auto button = static_cast<QMouseEvent*>(event)->button();
        if (button == Qt::BackButton || button == Qt::ForwardButton) {
            // Handled here once; the page would go back a second time.
            if (event->type() == QEvent::MouseButtonPress) {
                if (button == Qt::BackButton)
                    webBrowser1->back();
                else
                    webBrowser1->forward();
            }
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress && button == Qt::LeftButton)
            favourites_->setMouseButtonFlag(2);
        else if (event->type() == QEvent::MouseButtonPress && button == Qt::RightButton)
            favourites_->setMouseButtonFlag(1);
        break;
    }
    case QEvent::KeyPress: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !webBrowser1 || (widget != webBrowser1 && !webBrowser1->isAncestorOf(widget)))
            break;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key >= Qt::Key_F1 && key <= Qt::Key_F7 && favourites_->pressFunctionKey(key))
            return true;
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
