#pragma once

#include "app/Controller.h"

#include <QString>

// The three file lists over the list folder: filling, sorting, selection routing, folder choice, delete and the open command.
class LibraryController : public Controller
{
public:
    using Controller::Controller;

    virtual void iniListView();
    virtual void FolderSetting();
    virtual void ShowList(int listViewSel);
    virtual void ColumnClick(int list, int column);
    virtual void SelectionChanged(int list);
    virtual void DeleteFile();
    virtual void FileOpen();
    virtual void ListViewAllFileNameWriting(const QString& folder);
    virtual void ListViewTextFileNameWriting(const QString& folder);
    virtual void ListViewMusicFileNameWriting(const QString& folder);
};
