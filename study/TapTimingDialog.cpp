#include "study/TapTimingDialog.h"

#include "lrc/TapTiming.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTableWidget>

using namespace Qt::StringLiterals;

TapTimingDialog::TapTimingDialog(QWidget* owner) : QDialog(owner)
{
    setObjectName(u"TapTimingDialog"_s);
    setWindowTitle(u"タイミング作成"_s);
    setModal(false);
    resize(620, 480);

    auto* layout = new QVBoxLayout(this);
    auto* help = new QLabel(u"曲を再生しながら、歌詞の行が始まるところで Space キーを押すと、その行に時間が付きます。"
                            u"Backspace キーで最後の記録を取り消し、少し前から再生し直します。"_s,
                            this);
    help->setObjectName(u"tapHelpLabel"_s);
    help->setWordWrap(true);
    layout->addWidget(help);

    table_ = new QTableWidget(0, 2, this);
    table_->setObjectName(u"tapLinesTable"_s);
    table_->setAccessibleName(u"歌詞の行と時間"_s);
    table_->setHorizontalHeaderLabels({u"時間"_s, u"歌詞"_s});
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(table_, 1);

    status_ = new QLabel(this);
    status_->setObjectName(u"tapStatusLabel"_s);
    status_->setAccessibleDescription(u"タイミング作成の状態"_s);
    layout->addWidget(status_);

    auto* compensationRow = new QHBoxLayout;
    auto* compensationLabel = new QLabel(u"反応の補正(&R):"_s, this);
    compensation_ = new QSpinBox(this);
    compensation_->setObjectName(u"tapCompensationBox"_s);
    compensation_->setRange(0, TapTiming::kMaxCompensationMs);
    compensation_->setSingleStep(TapTiming::kCompensationStepMs);
    compensation_->setSuffix(u" ミリ秒"_s);
    compensation_->setToolTip(u"キーを押すまでの遅れの分だけ、記録する時間を早めます。"_s);
    compensationLabel->setBuddy(compensation_);
    compensationRow->addWidget(compensationLabel);
    compensationRow->addWidget(compensation_);
    compensationRow->addStretch(1);
    layout->addLayout(compensationRow);
    connect(compensation_, &QSpinBox::valueChanged, this, [this](int ms) {
        // Steps of 10 ms, whatever was typed.
        const int stepped = ms - ms % TapTiming::kCompensationStepMs;
        if (stepped != ms)
            compensation_->setValue(stepped);
        else
            emit compensationChanged(ms);
    });

    auto* buttons = new QHBoxLayout;
    auto addButton = [&](const QString& name, const QString& text, const QString& tip) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
        buttons->addWidget(b);
        return b;
    };
    QPushButton* stamp = addButton(u"tapStampButton"_s, u"記録 (Space)"_s, u"次の行に今の再生位置を付けます"_s);
    QPushButton* undo = addButton(u"tapUndoButton"_s, u"取り消し (BS)"_s, u"最後の記録を取り消します"_s);
    QPushButton* back100 = addButton(u"tapEarlier100Button"_s, u"−0.1秒"_s, u"選んだ行を0.1秒早めます (Shift+←)"_s);
    QPushButton* back10 = addButton(u"tapEarlier10Button"_s, u"−0.01秒"_s, u"選んだ行を0.01秒早めます (←)"_s);
    QPushButton* on10 = addButton(u"tapLater10Button"_s, u"+0.01秒"_s, u"選んだ行を0.01秒遅らせます (→)"_s);
    QPushButton* on100 = addButton(u"tapLater100Button"_s, u"+0.1秒"_s, u"選んだ行を0.1秒遅らせます (Shift+→)"_s);
    QPushButton* save = addButton(u"tapSaveButton"_s, u"保存 (Ctrl+S)"_s, u"曲と同じ名前の .lrc に保存します"_s);
    layout->addLayout(buttons);

    auto key = [this](const QString& sequence, auto fn) {
        auto* s = new QShortcut(QKeySequence(sequence), this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, fn);
    };
    auto nudge = [this](int delta) {
        return [this, delta] {
            if (selectedRow() >= 0)
                emit nudgeRequested(selectedRow(), delta);
        };
    };
    connect(stamp, &QPushButton::clicked, this, &TapTimingDialog::stampRequested);
    connect(undo, &QPushButton::clicked, this, &TapTimingDialog::undoRequested);
    connect(back100, &QPushButton::clicked, this, nudge(-100));
    connect(back10, &QPushButton::clicked, this, nudge(-10));
    connect(on10, &QPushButton::clicked, this, nudge(10));
    connect(on100, &QPushButton::clicked, this, nudge(100));
    connect(save, &QPushButton::clicked, this, &TapTimingDialog::saveRequested);
    key(u"Space"_s, [this] { emit stampRequested(); });
    key(u"Backspace"_s, [this] { emit undoRequested(); });
    key(u"Left"_s, nudge(-10));
    key(u"Right"_s, nudge(10));
    key(u"Shift+Left"_s, nudge(-100));
    key(u"Shift+Right"_s, nudge(100));
    key(u"Ctrl+S"_s, [this] { emit saveRequested(); });
    table_->setFocus();
}

QString TapTimingDialog::TimeText(std::int32_t ms)
{
    // The tag without its brackets.
    return TapTiming::FormatTag(ms).mid(1).chopped(1);
}

void TapTimingDialog::ShowLines(const QStringList& lines, const std::vector<std::int32_t>& stamps, int selected)
{
    table_->setRowCount(int(lines.size()));
    const int next = int(stamps.size());
    for (int row = 0; row < lines.size(); ++row) {
        QString time = row < next ? TimeText(stamps[size_t(row)]) : QString();
        if (row == next)
            time = u"▶"_s;
        auto* timeItem = new QTableWidgetItem(time);
        auto* textItem = new QTableWidgetItem(lines.at(row).isEmpty() ? u"（空白）"_s : lines.at(row));
        if (row == next) {
            QFont bold = textItem->font();
            bold.setBold(true);
            textItem->setFont(bold);
            timeItem->setFont(bold);
        }
        table_->setItem(row, 0, timeItem);
        table_->setItem(row, 1, textItem);
    }
    if (selected >= 0 && selected < lines.size()) {
        table_->setCurrentCell(selected, 1);
        table_->scrollToItem(table_->item(std::min(int(lines.size()) - 1, selected + 2), 1));
        table_->scrollToItem(table_->item(selected, 1));
    }
}

void TapTimingDialog::ShowStatus(const QString& text)
{
    status_->setText(text);
}

void TapTimingDialog::SetCompensation(int ms)
{
    const QSignalBlocker quiet(compensation_);
    compensation_->setValue(ms);
}

int TapTimingDialog::compensation() const
{
    return compensation_->value();
}

int TapTimingDialog::selectedRow() const
{
    return table_->currentRow();
}
