#pragma once

#include "core/Controller.h"
#include "printing/PrintPage.h"

#include <QString>

#include <memory>
#include <optional>

class QPainter;
class QPrinter;

// Printing the text document: margins, page set-up, preview and print.
class PrintController : public Controller
{
public:
    explicit PrintController(const Context& context);
    ~PrintController() override;

    virtual void PrintMiriInch();
    virtual void PrintPageSetting();
    virtual void PrintPreview();
    virtual void PrintStart();
    virtual void PrintIni();

    // Lays out and draws the next page of the job on painter; true when
    // another page follows.
    bool PrintPageControl(QPainter& painter, QPrinter& printer, PageLayout& layout);

    // The print document: its printer, paper and margins.
    QPrinter& printDocument1();
    const PrintMargins& DocumentMargins() const { return margins_; }

    // The pages a job prints at most.
    static constexpr int LastPage = 100;
    // The smallest margin the page set-up takes, hundredths of an inch (5 mm).
    static constexpr int MinimumMargin = 20;

private:
    // The text of the visible view with LF line ends; nothing while the
    // picture is shown, after telling the user so.
    std::optional<QString> VisibleText();
    // Runs a whole job on printer from its first page: the preview and its
    // own print command rebuild it each time, so both show the same text.
    void PrintJob(QPrinter* printer, const QString& text, int startPage, int endPage);
    QFont ViewFont() const;

    std::unique_ptr<QPrinter> printDocument1_;
    bool iniDone_ = false;
    PrintMargins margins_;
};
