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
constexpr QRect kHistoryBoxRect(282, 5, 664, 23);
constexpr QRect kAddressBoxRect(283, 7, 644, 19);
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

    // The page first: the engine starts loading it while the rest of the
    // window is built and shown.
    BuildView(profile);
    StartPage();
    BuildToolbar();
    BuildAddressBox();

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
    delete webView;
    webView = nullptr;
}

void ManualWindow::BuildToolbar()
{
    toolBar = new QToolBar(this);
    toolBar->setObjectName(u"toolBar"_s);
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setIconSize(QSize(20, 20));
    toolBar->setAccessibleName(u"ツールバー"_s);

    QStyle* style = this->style();
    auto add = [this](const QString& name, const QIcon& icon, const QString& tip) {
        QAction* a = toolBar->addAction(icon, tip);
        a->setObjectName(name);
        a->setToolTip(tip);
        if (QWidget* button = toolBar->widgetForAction(a)) {
            button->setObjectName(name);
            button->setAccessibleName(tip);
        }
        return a;
    };
    backAction = add(u"backAction"_s, style->standardIcon(QStyle::SP_ArrowBack), u"前に戻る"_s);
    forwardAction = add(u"forwardAction"_s, style->standardIcon(QStyle::SP_ArrowForward), u"次に進む"_s);
    reloadAction = add(u"reloadAction"_s, style->standardIcon(QStyle::SP_BrowserReload), u"再読み込み"_s);
    toolBar->addSeparator();
    manualAction = add(u"manualAction"_s, QIcon(u":/icons/manual.svg"_s), u"マニュアル"_s);
    searchAction = add(u"searchAction"_s, QIcon(u":/icons/search.svg"_s),
                           u"IEに登録された検索エンジンの実行"_s);
    homeAction = add(u"homeAction"_s, style->standardIcon(QStyle::SP_DirHomeIcon),
                           u"IEに登録されたホームページの実行"_s);
    toolBar->addSeparator();

    auto* menu = new QMenu(this);
    printPreviewItem = menu->addAction(u"プレビュー"_s);
    printItem = menu->addAction(u"印刷"_s);
    printItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    printItem->setShortcutContext(Qt::WindowShortcut);
    pageSetupItem = menu->addAction(u"ページ設定"_s);
    // Ctrl+P works with the menu closed too.
    addAction(printItem);
    printButton = new QToolButton(this);
    printButton->setObjectName(u"printButton"_s);
    printButton->setIcon(QIcon(u":/icons/print.svg"_s));
    printButton->setToolTip(u"印刷"_s);
    printButton->setAccessibleName(u"印刷"_s);
    printButton->setMenu(menu);
    printButton->setPopupMode(QToolButton::InstantPopup);
    toolBar->addWidget(printButton);

    connect(backAction, &QAction::triggered, this, [this] { webView->back(); });
    connect(forwardAction, &QAction::triggered, this, [this] { webView->forward(); });
    connect(reloadAction, &QAction::triggered, this, &ManualWindow::Reload);
    connect(manualAction, &QAction::triggered, this,
            [this] { Navigate(BrowserController::ManualFirstPage()); });
    connect(searchAction, &QAction::triggered, this, [this] { Navigate(BrowserHistory::SearchPage()); });
    connect(homeAction, &QAction::triggered, this, [this] { Navigate(BrowserHistory::HomePage()); });
    connect(printPreviewItem, &QAction::triggered, this, &ManualWindow::PrintPreview);
    connect(printItem, &QAction::triggered, this, &ManualWindow::PrintWithDialog);
    connect(pageSetupItem, &QAction::triggered, this, &ManualWindow::PageSetup);
}

void ManualWindow::BuildAddressBox()
{
    historyBox = new QComboBox(this);
    historyBox->setObjectName(u"historyBox"_s);
    historyBox->setGeometry(kHistoryBoxRect);
    historyBox->setAccessibleName(u"履歴"_s);
    historyBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(historyBox, &QComboBox::activated, this, &ManualWindow::HistoryChosen);

    // Over the drop-down's text, so only its arrow shows.
    addressBox = new QPlainTextEdit(this);
    addressBox->setObjectName(u"addressBox"_s);
    addressBox->setGeometry(kAddressBoxRect);
    addressBox->setAccessibleName(u"アドレスまたは検索語"_s);
    addressBox->setFrameShape(QFrame::NoFrame);
    addressBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    addressBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    addressBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    addressBox->setTabChangesFocus(true);
    addressBox->document()->setDocumentMargin(1);
    connect(addressBox, &QPlainTextEdit::textChanged, this, &ManualWindow::AddressBoxChanged);
}

void ManualWindow::BuildView(QWebEngineProfile* profile)
{
    webView = new QWebEngineView(this);
    webView->setObjectName(u"webView"_s);
    webView->setAccessibleName(u"ページ"_s);
    webView->setPage(new BrowserPage(profile, webView, &prompter_));
    webView->setGeometry(QRect(kView, QSize(kClientWidth, kClientHeight - kView.y())));
    webView->lower();
    connect(webView, &QWebEngineView::loadFinished, this,
            [this](bool) { PageLoadFinished(); });
    // window.print() from a page asks as the print command does.
    connect(webView, &QWebEngineView::printRequested, this, &ManualWindow::PrintWithDialog);
}

void ManualWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    toolBar->setGeometry(0, 0, width(), kToolbarHeight);
    toolBar->lower();
    // The page stretches with the window; everything else keeps its place.
    webView->setGeometry(kView.x(), kView.y(), width(), height() - kView.y());
}

void ManualWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!loaded_ && !testAttribute(Qt::WA_DontShowOnScreen)) {
        loaded_ = true;
        Manual_Load();
    }
}

void ManualWindow::StartPage()
{
    history_.Start(startRequest_);
    if (history_.currentAddress() == BrowserController::ManualFirstPage())
        Navigate(BrowserController::ManualFirstPage());
    else
        Navigate(BrowserHistory::HomePage());
}

void ManualWindow::Manual_Load()
{
    // The start page is on its way already (StartPage); its completion
    // comes through the event loop, after this.
    favourites_->load();
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
    // A window built ahead and never shown has read no favourites: writing
    // its empty list would wipe the file.
    if (loaded_)
        favourites_->save();
    emit closed();
}

QString ManualWindow::CurrentAddress() const
{
    // Spaces stay "%20", as the manual's address and the favourites write them.
    return ManualAddress::PublicUrl(webView->url()).toString(QUrl::EncodeSpaces);
}

void ManualWindow::Navigate(const QString& address)
{
    webView->load(QUrl::fromUserInput(address));
}

void ManualWindow::Reload()
{
    const QString address = URL_UTF8Conversion(CurrentAddress());
    history_.UrlBackNextFlag = 0;
    Navigate(address);
}

void ManualWindow::PageLoadFinished()
{
    const QString address = CurrentAddress();
    // The engine stands the address in for a missing title; a real one is
    // taken at once, without asking the page.
    const QString engineTitle = webView->title();
    if (!engineTitle.isEmpty() && engineTitle != webView->url().toString()) {
        DocumentCompleted(address, engineTitle, {});
        return;
    }
    QPointer<ManualWindow> self(this);
    webView->page()->runJavaScript(kTitleScript, QWebEngineScript::ApplicationWorld,
                                       [self, address](const QVariant& result) {
        if (!self || !self->webView)
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
    const QSignalBlocker block(addressBox);
    addressBox->setPlainText(text);
    addressBox->moveCursor(QTextCursor::End);
}

void ManualWindow::ShowHistory()
{
    const QSignalBlocker block(historyBox);
    historyBox->clear();
    historyBox->addItems(history_.titles());
    historyBox->setCurrentIndex(std::max(0, history_.addressIndex()));
}

void ManualWindow::AddressBoxChanged()
{
    const BrowserHistory::BoxResult r = history_.UrlInRUN(addressBox->toPlainText());
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
    connect(webView, &QWebEngineView::printFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kPrintTimeoutMs, &loop, &QEventLoop::quit);
    webView->print(printer);
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
    webView->page()->printToPdf(
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
                    webView->back();
                else
                    webView->forward();
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
        if (!widget || !webView || (widget != webView && !webView->isAncestorOf(widget)))
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
