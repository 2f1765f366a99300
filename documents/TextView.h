#pragma once

#include "documents/LineBreaks.h"

#include <QPlainTextEdit>

#include <utility>

// A document editor that keeps the document's exact text. The editor holds
// every line break as a paragraph; the form each break had (CR LF, LF, CR)
// lives in the formats of both paragraphs it separates, so edits, pastes,
// undo and redo carry it along. Text() gives the exact characters back, and
// every offset here counts a break by its characters, CR LF as two.
class TextView : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TextView(QWidget* parent = nullptr);

    // The exact text, a leading U+FEFF included.
    QString Text() const;
    int TextLength() const;

    // Puts a whole text in as a load does: no undo step, caret at the start.
    // False when the text was the same already; then nothing changed and no
    // change notification followed.
    bool SetText(const QString& text);
    // Replaces the whole text as one edit the user can undo.
    void ReplaceAll(const QString& text);
    // Inserts text at the caret over the selection, breaks as they are.
    void InsertText(const QString& text);
    void ClearUndo();

    // The selection and caret in text offsets.
    int SelectionStart() const;
    int SelectionLength() const;
    QString SelectedText() const;
    void Select(int start, int length);
    // Selects with the caret at the start and scrolls it into sight, so a
    // line longer than the view shows where it begins, not where it ends.
    void SelectShowingStart(int start, int length);

    // The word being read, marked without touching the text, the caret, the
    // selection or the undo history; an empty range clears it.
    void SetWordHighlight(int start, int length);
    void ClearWordHighlight() { SetWordHighlight(0, 0); }
    // The marked word in text offsets, {-1, 0} when none.
    std::pair<int, int> WordHighlight() const;

    int ToTextOffset(int editorPosition) const;
    int ToEditorPosition(int textOffset) const;

protected:
    // Tab types a tab; Ctrl+Tab and Ctrl+Shift+Tab move the focus on and back.
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    void paintEvent(QPaintEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // The forms of the breaks before and after a paragraph. Each break is
    // kept twice, so that when the editor joins paragraphs and keeps the
    // format of either one, the untouched neighbours still know both ends.
    struct Ends
    {
        LineBreaks::Kind before;
        LineBreaks::Kind after;
        bool operator==(const Ends&) const = default;
    };
    LineBreaks::Kind BreakBefore(const QTextBlock& block) const;
    LineBreaks::Kind BreakAfter(const QTextBlock& block) const;
    Ends EndsOf(const QTextBlock& block) const;
    // Gives wanted.size() paragraphs from first on the wanted ends; runs of
    // equal ends take one format change each.
    void SetEnds(QTextBlock first, const std::vector<Ends>& wanted);
    void InsertAt(QTextCursor& cursor, const QString& text);
    // After an edit the editor made on its own: the joined paragraph takes
    // its ends from the untouched paragraphs around it.
    void RepairBreaks(int position, int added);
    const OffsetMap& Map() const;

    // Paragraphs without a form of their own have this one: the most common
    // form of the last loaded text, so a load marks only the exceptions.
    LineBreaks::Kind defaultBreak_ = LineBreaks::CrLf;
    // Set while an insert of ours sets every break itself.
    bool settingBreaks_ = false;
    std::pair<int, int> word_{-1, 0};
    mutable OffsetMap map_;
    mutable bool mapValid_ = false;
};
