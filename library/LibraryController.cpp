#include "library/LibraryController.h"

#include "art/ArtController.h"
#include "documents/DocumentController.h"
#include "library/FolderScan.h"
#include "library/HomeTrash.h"
#include "library/ListViewItemComparer.h"
#include "library/ListViewSetup.h"
#include "lrc/LrcController.h"
#include "music/MusicController.h"
#include "platform/FileErrors.h"
#include "platform/SystemColors.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <cerrno>

using namespace Qt::StringLiterals;
using FileKinds::Route;

namespace {

const QStringList kAllSuffixes{u".wav"_s, u".mp3"_s, u".txt"_s, u".lrc"_s};
const QStringList kTextSuffixes{u".txt"_s, u".lrc"_s};
const QStringList kMusicSuffixes{u".wav"_s, u".mp3"_s};

QString MissingFolderMessage(const QString& folder)
{
    return u"前回使用したデータ・フォルダー\n「"_s + folder
        + u"」\nが見つかりません。フォルダー名の変更または削除された事が考えられます。"_s;
}

QString AccessMessage(const QString& reason)
{
    return u"選択フォルダー内にアクセス禁止フォルダーが有りますので別のフォルダーを選択してください。"_s
        + u"\n("_s + reason + u')';
}

QTreeWidgetItem* SelectedEntry(QTreeWidget* list)
{
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

} // namespace

QTreeWidget* LibraryController::List(int index) const
{
    switch (index) {
    case 0:
        return ui.allFileList;
    case 1:
        return ui.textFileList;
    default:
        return ui.musicList;
    }
}

// --- set-up and filling -----------------------------------------------------

void LibraryController::iniListView()
{
    icons_[0] = QIcon(u":/icons/text.svg"_s);
    icons_[1] = QIcon(u":/icons/music.svg"_s);
    for (int i = 0; i < 3; ++i) {
        ListViewSetup::Apply(List(i), i == 2, [this, i] { RowClickedAgain(i); });
        ListSorter::Of(List(i));
    }
    state.allFileListSorting = 0;
    state.textFileListSorting = 0;
    state.musicListSorting = 0;
}

QStringList LibraryController::Scan(const QString& folder, const QStringList& suffixes, bool reports)
{
    const FolderScan::Result result = FolderScan::Scan(folder, suffixes);
    switch (result.status) {
    case FolderScan::Status::Ok:
        state.lastFileOutcome = FileOutcome::Done;
        return result.paths;
    // Only the all-files scan reports, so a refill of the three lists says
    // it once.
    case FolderScan::Status::Missing:
        if (reports)
            prompter.MessageInfoBox(MissingFolderMessage(folder));
        break;
    case FolderScan::Status::Unreadable:
        if (reports)
            prompter.MessageInfoBox(AccessMessage(result.reason));
        break;
    }
    state.lastFileOutcome = FileOutcome::Failed;
    return {};
}

QStringList LibraryController::FileNameChek(const QString& folder)
{
    return Scan(folder, kAllSuffixes, true);
}

QStringList LibraryController::TextFileNameChek(const QString& folder)
{
    return Scan(folder, kTextSuffixes, false);
}

QStringList LibraryController::MusicFileNameChek(const QString& folder)
{
    return Scan(folder, kMusicSuffixes, false);
}

void LibraryController::Fill(QTreeWidget* list, const QStringList& paths,
                             std::optional<FileKinds::Entry> (*classify)(const QString&), bool ticked)
{
    if (icons_[0].isNull() && icons_[1].isNull()) {
        icons_[0] = QIcon(u":/icons/text.svg"_s);
        icons_[1] = QIcon(u":/icons/music.svg"_s);
    }
    ListSorter* sorter = ListSorter::Of(list);
    QList<QTreeWidgetItem*> entries;
    entries.reserve(paths.size());
    for (const QString& path : paths) {
        const std::optional<FileKinds::Entry> kind = classify(path);
        if (!kind)
            continue;
        auto* entry = new ListEntry(sorter, {FileKinds::FileNameOf(path), kind->type});
        entry->setIcon(0, icons_[kind->icon]);
        if (ticked)
            entry->setCheckState(0, Qt::Checked);
        entries << entry;
    }
    // Built apart and handed over at once, then ordered once.
    const bool updates = list->updatesEnabled();
    list->setUpdatesEnabled(false);
    list->insertTopLevelItems(0, entries);
    sorter->Sort();
    list->setUpdatesEnabled(updates);
}

void LibraryController::ListViewAllFileNameWriting(const QString& folder)
{
    ui.allFileList->clear();
    const QStringList paths = FileNameChek(folder);
    if (state.lastFileOutcome == FileOutcome::Failed)
        return;
    Fill(ui.allFileList, paths, &FileKinds::ForAllList, false);
}

void LibraryController::ListViewTextFileNameWriting(const QString& folder)
{
    ui.textFileList->clear();
    const QStringList paths = TextFileNameChek(folder);
    if (state.lastFileOutcome == FileOutcome::Failed)
        return;
    Fill(ui.textFileList, paths, &FileKinds::ForTextList, false);
}

void LibraryController::ListViewMusicFileNameWriting(const QString& folder)
{
    ui.musicList->clear();
    const QStringList paths = MusicFileNameChek(folder);
    if (state.lastFileOutcome != FileOutcome::Failed)
        Fill(ui.musicList, paths, &FileKinds::ForMusicList, true);
    state.MusicListCount = ui.musicList->topLevelItemCount();
    state.ListIndexMusic = 0;
}

void LibraryController::FillAll(const QString& folder)
{
    ListViewAllFileNameWriting(folder);
    ListViewTextFileNameWriting(folder);
    ListViewMusicFileNameWriting(folder);
}

// --- showing and sorting ------------------------------------------------------

void LibraryController::ShowList(int shownList)
{
    if (shownList < 0 || shownList > 2 || shownList == state.shownList)
        return;
    QPushButton* const buttons[] = {ui.allListButton, ui.textListButton, ui.musicListButton};
    for (int i = 0; i < 3; ++i) {
        List(i)->setVisible(i == shownList);
        SystemColors::SetBackColor(buttons[i], i == shownList ? SystemColors::ActiveCaption()
                                                                : SystemColors::ControlLight());
    }
    state.shownList = shownList;
    if (shownList != FileList::Music)
        return;

    for (QPushButton* b : {ui.previousSongButton, ui.nextSongButton}) {
        b->setEnabled(true);
        SystemColors::SetBackColor(b, SystemColors::ControlLight());
    }
    for (QPushButton* b : {ui.repeatOneButton, ui.inOrderButton, ui.inOrderLoopButton, ui.randomPlayButton})
        b->setEnabled(true);
    if (peers.music)
        peers.music->ShowPlayMode();
}

void LibraryController::ColumnClick(int list, int column)
{
    if (list < 0 || list > 2)
        return;
    std::int32_t* const flags[] = {&state.allFileListSorting, &state.textFileListSorting, &state.musicListSorting};
    // One direction per list, whichever column is clicked.
    *flags[list] = *flags[list] == 0 ? 1 : 0;
    ListSorter::Of(List(list))->Install(std::make_unique<ListViewItemComparer>(state, column));
}

// --- selection routing --------------------------------------------------------

void LibraryController::SelectionChanged(int list)
{
    if (state.lastClickButton != ClickButton::Left) {
        SelFileName();
        return;
    }
    switch (list) {
    case 0:
        ListSelect();
        break;
    case 1:
        List2Select();
        break;
    default:
        List3Select();
        break;
    }
}

void LibraryController::SelFileName()
{
    QTreeWidget* shown = nullptr;
    for (QTreeWidget* list : {ui.allFileList, ui.textFileList, ui.musicList}) {
        if (!list->isHidden()) {
            shown = list;
            break;
        }
    }
    if (!shown)
        return;
    if (QTreeWidgetItem* entry = SelectedEntry(shown))
        state.deleteFileName = FileKinds::JoinPath(state.listFolderPath, entry->text(0));
}

void LibraryController::ListSelect()
{
    QTreeWidgetItem* entry = SelectedEntry(ui.allFileList);
    if (!entry)
        return;
    const QString name = entry->text(0);
    const QString path = FileKinds::JoinPath(state.listFolderPath, name);
    state.deleteFileName = path;
    Open(FileKinds::FromAllList(path), path, name, state.listFolderPath);
}

void LibraryController::List2Select()
{
    QTreeWidgetItem* entry = SelectedEntry(ui.textFileList);
    if (!entry)
        return;
    const QString name = entry->text(0);
    const QString path = FileKinds::JoinPath(state.listFolderPath, name);
    state.deleteFileName = path;
    Open(FileKinds::FromTextList(path), path, name, state.listFolderPath);
}

void LibraryController::List3Select()
{
    QTreeWidgetItem* entry = SelectedEntry(ui.musicList);
    if (!entry || entry->checkState(0) != Qt::Checked)
        return;
    const QString name = entry->text(0);
    const QString path = FileKinds::JoinPath(state.listFolderPath, name);
    state.deleteFileName = path;
    state.ListIndexMusic = ui.musicList->indexOfTopLevelItem(entry);
    Open(FileKinds::FromMusicList(path), path, name, state.listFolderPath);
}

void LibraryController::Open(Route route, const QString& path, const QString& name, const QString& artFolder)
{
    switch (route) {
    case Route::Text:
        if (peers.documents)
            peers.documents->TextOpenFile(path, name);
        break;
    case Route::Wav:
        PlayWav(path, name, artFolder);
        break;
    case Route::Mp3:
        PlayMp3(path, name);
        break;
    case Route::Video:
        break;
    case Route::Unsupported:
        prompter.MessageInfoBox(u"このファイルフォーマットには、現在対応していません。"_s);
        break;
    case Route::None:
        break;
    }
}

void LibraryController::PlayWav(const QString& path, const QString& name, const QString& artFolder)
{
    if (peers.lrc)
        peers.lrc->LrcTextTempLabel(path);
    ui.songNameLabel->setText(FileKinds::SongName(name));
    if (peers.art)
        peers.art->JpegCoverArtDisplay(artFolder);
    if (peers.music)
        peers.music->MusicStart(path, name);
}

void LibraryController::PlayMp3(const QString& path, const QString& name)
{
    // The song's name first: the cover art looks for a picture named after it.
    ui.songNameLabel->setText(FileKinds::SongName(name));
    const QString temp = FileKinds::TempCopyName(state.mp3TempCopyIndex);
    if (!peers.art || !peers.art->MP3JpegDel(path, temp)) {
        // Without its copy the song cannot play. The one playing stops
        // rather than go on under this one's name, and nothing of this song
        // (name, lyrics, range) is kept; the same copy name is written next
        // time, since the player held the other one.
        ui.songNameLabel->clear();
        if (peers.music && state.audioState != AudioState::Closed)
            peers.music->CloseDevice();
        return;
    }
    // Lyrics only once the song is sure to open, so they never belong to
    // the one before.
    if (peers.lrc)
        peers.lrc->LrcTextTempLabel(path);
    if (peers.music)
        peers.music->MusicStart(FileKinds::JoinPath(state.murmelinFolder, temp), temp);
    state.mp3TempCopyIndex = FileKinds::NextTempFlag(state.mp3TempCopyIndex);
}

void LibraryController::RowClickedAgain(int list)
{
    // A click on the row already selected changes no selection. For a song
    // it plays it again, as a click on any other row plays that one; a text
    // is not read in again over the editor's copy.
    if (state.lastClickButton != ClickButton::Left)
        return;
    QTreeWidgetItem* entry = SelectedEntry(List(list));
    if (!entry)
        return;
    const QString path = FileKinds::JoinPath(state.listFolderPath, entry->text(0));
    const Route route = list == 0 ? FileKinds::FromAllList(path)
                      : list == 2 ? FileKinds::FromMusicList(path)
                                  : Route::None;
    if (route == Route::Wav || route == Route::Mp3)
        SelectionChanged(list);
}

// --- folder, delete, open -----------------------------------------------------

void LibraryController::FolderSetting()
{
    const std::optional<QString> chosen = prompter.ExistingFolder(state.listFolderPath);
    if (!chosen)
        return;
    if (const std::optional<QString> failure = FolderScan::ListingFailure(*chosen)) {
        prompter.MessageInfoBox(*failure);
        return;
    }
    ui.listFolderLabel->setText(*chosen);
    state.listFolderPath = *chosen;
    FillAll(*chosen);
}

void LibraryController::DeleteFile()
{
    if (!prompter.YesNo(u"ファイルを削除しますか？"_s))
        return;
    const QString path = state.deleteFileName;
    // Only the remembered file goes: nothing remembered, or a folder that
    // has taken its name since, is refused.
    if (path.isEmpty()) {
        prompter.MessageInfoBox(u"削除するファイルが選ばれていません。"_s);
        return;
    }
    if (QFileInfo(path).isDir()) {
        prompter.MessageInfoBox(FileErrors::Message(FileErrors::Doing::Delete, path, EISDIR));
        return;
    }
    // Without a trash folder in the home the move would land in the current
    // folder instead, so it is made first.
    if (const std::optional<QString> failure = HomeTrash::Ensure()) {
        prompter.MessageInfoBox(*failure);
        return;
    }
    QFile file(path);
    errno = 0;
    if (!file.moveToTrash()) {
        // The move's own error number where it is left, else its text.
        const int error = errno;
        prompter.MessageInfoBox(error != 0 ? FileErrors::Message(FileErrors::Doing::Delete, path, error)
                                           : FileErrors::Message(FileErrors::Doing::Delete, path, file.errorString()));
        return;
    }
    FillAll(ui.listFolderLabel->text());
}

void LibraryController::FileOpen()
{
    const std::optional<QString> chosen = prompter.OpenFileName(state.openDirFolder, FileKinds::OpenFilterStrings());
    if (!chosen || chosen->isEmpty())
        return;
    OpenPath(*chosen);
}

void LibraryController::OpenPath(const QString& path)
{
    const QString name = FileKinds::FileNameOf(path);
    state.openDirFolder = FileKinds::FolderOf(path);
    if (ui.form)
        ui.form->repaint();
    Open(FileKinds::FromOpenCommand(path), path, name, ui.listFolderLabel->text());
}
