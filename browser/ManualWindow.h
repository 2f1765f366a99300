#pragma once

#include "browser/BrowserHistory.h"

#include <QPrinter>
#include <QWidget>

class FavouritesBar;
class FavouritesFile;
class Prompter;
class QAction;
class QComboBox;
class QPlainTextEdit;
class QToolBar;
class QToolButton;
class QWebEngineProfile;
class QWebEngineView;

// The small browser window ("簡易ブラウザー"): toolbar, the address box over
// the history drop-down, the favourites bar and the page. Modeless; it
// saves the favourites and reports closed() when it has closed.
class ManualWindow : public QWidget
{
    Q_OBJECT
public:
    // urlOrTitle: "ホーム" or the manual's first page address.
    ManualWindow(Prompter& prompter, QWebEngineProfile* profile, FavouritesFile& favourites,
                 const QString& urlOrTitle, QWidget* parent = nullptr);
    ~ManualWindow() override;

    const BrowserHistory& history() const { return history_; }
    // The request the window was opened on ("ホーム" or an address).
    const QString& startRequest() const { return startRequest_; }
    // The engine's current address as the user knows it.
    QString CurrentAddress() const;
    void Navigate(const QString& address);

    // The resolution a page is printed at on paper: the printer's finest,
    // within sound limits.
    static int PaperResolution(const QPrinter& printer);
    // Why a page printed to a PDF file was not written, when the engine
    // gave nothing.
    static QString PdfRefusedReason();

    QToolBar* toolBar = nullptr;
    QAction* backAction = nullptr;   // back
    QAction* forwardAction = nullptr;   // forward
    QAction* reloadAction = nullptr;   // reload
    QAction* manualAction = nullptr;   // manual
    QAction* searchAction = nullptr;   // search page
    QAction* homeAction = nullptr;   // home page
    QToolButton* printButton = nullptr;
    QAction* printPreviewItem = nullptr;
    QAction* printItem = nullptr;
    QAction* pageSetupItem = nullptr;
    QComboBox* historyBox = nullptr;
    QPlainTextEdit* addressBox = nullptr;
    QWebEngineView* webView = nullptr;

signals:
    void closed();
    // A page has been through the completion step (for tests and timing).
    void pageHandled();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildToolbar();
    void BuildAddressBox();
    void BuildView(QWebEngineProfile* profile);
    void StartPage();
    void Manual_Load();
    void Manual_Closed();
    void PageLoadFinished();
    void DocumentCompleted(const QString& address, const QString& title, const QString& source);
    void AddressBoxChanged();
    void HistoryChosen(int index);
    void Reload();
    void ShowHistory();
    void SetBoxText(const QString& text);
    void PrintPage(QPrinter* printer);
    void PrintThroughPrinter(QPrinter* printer, bool paper);
    void PrintToPdfFile(const QPrinter& printer);
    void PrintPreview();
    void PrintWithDialog();
    void PageSetup();
    bool IsOurs(QObject* object) const;

    Prompter& prompter_;
    BrowserHistory history_;
    QString startRequest_;
    FavouritesBar* favourites_ = nullptr;
    QPrinter printer_;
    bool loaded_ = false;
    bool closedDone_ = false;
    bool printing_ = false;
    bool closeAfterPrint_ = false;
};
