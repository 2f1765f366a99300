#pragma once

#include <QDialog>

#include <cstdint>
#include <optional>
#include <vector>

class QLabel;
class QSpinBox;
class QTableWidget;

// The window of timing by tapping: the lyric lines with their stamps, the
// line to stamp next marked, the reaction compensation and the commands.
// It only shows and asks; TapTimingController does the work.
class TapTimingDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TapTimingDialog(QWidget* owner);

    // The lines, the stamps of the first ones (track ms) and the row the
    // nudges act on.
    void ShowLines(const QStringList& lines, const std::vector<std::int32_t>& stamps, int selected);
    void ShowStatus(const QString& text);
    void SetCompensation(int ms);
    int compensation() const;
    // The stamped row the nudges act on; -1 for none.
    int selectedRow() const;

    QTableWidget* table() const { return table_; }
    QSpinBox* compensationBox() const { return compensation_; }
    QLabel* status() const { return status_; }

    // "01:02.34".
    static QString TimeText(std::int32_t ms);

signals:
    void stampRequested();
    void undoRequested();
    void nudgeRequested(int row, int deltaMs);
    void saveRequested();
    void compensationChanged(int ms);

private:
    QTableWidget* table_ = nullptr;
    QSpinBox* compensation_ = nullptr;
    QLabel* status_ = nullptr;
};
