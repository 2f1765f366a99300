#pragma once

#include "core/Controller.h"
#include "library/FileKinds.h"

#include <QIcon>
#include <QString>
#include <QStringList>

class QTreeWidget;

// The three file lists over the list folder: filling, sorting, selection routing, folder choice, delete and the open command.
class LibraryController : public Controller
{
public:
    using Controller::Controller;

    virtual void iniListView();
    virtual void FolderSetting();
    virtual void ShowList(int shownList);
    virtual void ColumnClick(int list, int column);
    virtual void SelectionChanged(int list);
    virtual void DeleteFile();
    virtual void FileOpen();
    // Files named on the command line ("Open with" in a file manager), opened
    // as the open command opens the file it is given.
    virtual void CommandLineOpen(const QStringList& paths);
    virtual void ListViewAllFileNameWriting(const QString& folder);
    virtual void ListViewTextFileNameWriting(const QString& folder);
    virtual void ListViewMusicFileNameWriting(const QString& folder);

    // The folder scans: the matching paths, or nothing with lastFileOutcome 1.
    QStringList FileNameChek(const QString& folder);
    QStringList TextFileNameChek(const QString& folder);
    QStringList MusicFileNameChek(const QString& folder);

    // Selection routing: open from a list, or only remember the delete target.
    void ListSelect();
    void List2Select();
    void List3Select();
    void SelFileName();
    // A left click on the row that is already selected.
    void RowClickedAgain(int list);

private:
    QTreeWidget* List(int index) const;
    QStringList Scan(const QString& folder, const QStringList& suffixes, bool reports);
    void Fill(QTreeWidget* list, const QStringList& paths,
              std::optional<FileKinds::Entry> (*classify)(const QString&), bool ticked);
    void FillAll(const QString& folder);
    void OpenPath(const QString& path);
    void Open(FileKinds::Route route, const QString& path, const QString& name, const QString& artFolder);
    void PlayWav(const QString& path, const QString& name, const QString& artFolder);
    void PlayMp3(const QString& path, const QString& name);

    QIcon icons_[2];   // 0 text kinds, 1 music kinds; loaded once
};
