#include "study/TapTimingController.h"

#include "documents/DocumentController.h"
#include "documents/TextView.h"
#include "lrc/LrcController.h"
#include "lrc/LrcRules.h"
#include "music/MusicController.h"
#include "study/TapTimingDialog.h"

#include <QFileInfo>
#include <QLabel>
#include <QWidget>

#include <algorithm>

using namespace Qt::StringLiterals;

TapTimingController::TapTimingController(const Context& context) : Controller(context)
{
}

TapTimingController::~TapTimingController()
{
    delete dialog_.data();
}

void TapTimingController::Open()
{
    if (state.audioState == AudioState::Closed || !peers.music || !peers.lrc || peers.lrc->lrcPath().isEmpty()) {
        prompter.MessageInfoBox(u"タイミングを付ける曲を選んでから行ってください。"_s);
        return;
    }
    const QString text = ui.lrcView ? ui.lrcView->Text() : QString();
    std::vector<TapTiming::SourceLine> source = TapTiming::SplitKeepingBreaks(text);
    QStringList lyrics;
    for (const TapTiming::SourceLine& l : source) {
        if (TapTiming::IsLyricLine(l.text))
            lyrics << LrcRules::Text(TapTiming::WithoutTimeTags(l.text).isEmpty() ? QString() : l.text.trimmed());
    }
    if (lyrics.isEmpty()) {
        prompter.MessageInfoBox(u"同期テキストの画面に、1行に1行ずつ歌詞を書いたテキストを開いてから行ってください。"_s);
        return;
    }
    auto session = std::make_unique<TapTiming::Session>(int(lyrics.size()), state.PlayTimeMiriSecond);
    if (!session->Fits()) {
        prompter.MessageInfoBox(u"歌詞の行(%1行)が曲の長さに対して多すぎるため、タイミングを付けられません。"_s
                                    .arg(lyrics.size()));
        return;
    }
    session_ = std::move(session);
    source_ = std::move(source);
    lyricLines_ = lyrics;
    songLrcPath_ = peers.lrc->lrcPath();
    if (!dialog_) {
        dialog_ = new TapTimingDialog(ui.form);
        QObject::connect(dialog_, &TapTimingDialog::stampRequested, dialog_, [this] { Stamp(); });
        QObject::connect(dialog_, &TapTimingDialog::undoRequested, dialog_, [this] { Undo(); });
        QObject::connect(dialog_, &TapTimingDialog::nudgeRequested, dialog_,
                         [this](int row, int delta) { Nudge(row, delta); });
        QObject::connect(dialog_, &TapTimingDialog::saveRequested, dialog_, [this] { Save(); });
        QObject::connect(dialog_, &TapTimingDialog::compensationChanged, dialog_,
                         [this](int ms) { SetCompensation(ms); });
    }
    dialog_->SetCompensation(state.StudyTapCompensationMs);
    dialog_->setWindowTitle(u"タイミング作成 - %1"_s.arg(QFileInfo(songLrcPath_).fileName()));
    Show(-1);
    dialog_->ShowStatus(u"曲を再生して、最初の行が始まったら Space キーを押してください。"_s);
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void TapTimingController::Show(int selected)
{
    if (dialog_ && session_)
        dialog_->ShowLines(lyricLines_, session_->stamps(), selected < 0 ? session_->next() : selected);
}

void TapTimingController::SetCompensation(int ms)
{
    state.StudyTapCompensationMs = std::clamp(ms - ms % TapTiming::kCompensationStepMs, 0, TapTiming::kMaxCompensationMs);
}

void TapTimingController::Stamp()
{
    if (!session_ || !peers.music)
        return;
    std::int64_t played = 0;
    const bool playing = state.audioState == AudioState::WavePlaying || state.audioState == AudioState::Mp3Playing;
    if (!playing || !peers.music->MusicPlayedPosition(played)) {
        dialog_->ShowStatus(u"曲が再生されていません。再生してから Space キーを押してください。"_s);
        return;
    }
    switch (session_->Stamp(played, state.StudyTapCompensationMs)) {
    case TapTiming::StampResult::Stamped:
        Show(session_->next() - 1);
        dialog_->ShowStatus(session_->done()
                                ? u"すべての行に時間を付けました。Ctrl+S で保存します。"_s
                                : u"%1 / %2 行"_s.arg(session_->next()).arg(session_->lines()));
        break;
    case TapTiming::StampResult::AllStamped:
        dialog_->ShowStatus(u"すべての行に時間が付いています。Ctrl+S で保存します。"_s);
        break;
    case TapTiming::StampResult::PastEnd:
        dialog_->ShowStatus(u"曲の終わりを過ぎているため、記録できません。"_s);
        break;
    }
}

void TapTimingController::Undo()
{
    if (!session_)
        return;
    const std::optional<std::int32_t> from = session_->Undo();
    if (!from) {
        dialog_->ShowStatus(u"取り消す記録がありません。"_s);
        return;
    }
    Show(-1);
    dialog_->ShowStatus(u"最後の記録を取り消しました。%1 / %2 行"_s.arg(session_->next()).arg(session_->lines()));
    if (peers.music)
        peers.music->MusicPlayFrom(*from);
}

void TapTimingController::Nudge(int row, int deltaMs)
{
    if (session_ && session_->Nudge(row, deltaMs))
        Show(row);
}

void TapTimingController::Save()
{
    if (!session_ || !peers.documents || !peers.lrc)
        return;
    const QString name = QFileInfo(songLrcPath_).fileName();
    if (session_->next() == 0) {
        prompter.MessageInfoBox(u"まだどの行にも時間が付いていません。"_s);
        return;
    }
    if (!session_->done()
        && !prompter.YesNo(u"あと%1行に時間が付いていません。時間の付いた行だけで「%2」を保存しますか？"_s
                               .arg(session_->lines() - session_->next())
                               .arg(name)))
        return;
    if (QFileInfo::exists(songLrcPath_) && !prompter.YesNo(u"「%1」は既にあります。上書きしますか？"_s.arg(name)))
        return;
    const QString text = TapTiming::Compose(source_, session_->stamps());
    // Written as the editor's document is: its encoding, its mark, and a
    // write that replaces the old file only once complete.
    state.lastFileOutcome = FileOutcome::Done;
    peers.documents->FileSave(songLrcPath_, text);
    if (state.lastFileOutcome != FileOutcome::Done)
        return;
    if (peers.documents->HoldsLrcFile(songLrcPath_) && !State::HasUnsavedChanges(state.lrcDocumentState))
        peers.documents->ReloadLrcFile();
    // The song shows its new lyrics at once, from where it is.
    peers.lrc->LrcTextTempLabel(songLrcPath_);
    if (state.lyricWindowState == LyricWindowState::Hidden && state.audioState != AudioState::Closed) {
        peers.lrc->LrcDisplayOpen();
        // The keys stay with the timing window.
        dialog_->activateWindow();
    }
    if (peers.music)
        peers.music->MusicLyricsMoved();
    dialog_->ShowStatus(u"「%1」に保存しました。"_s.arg(name));
}
