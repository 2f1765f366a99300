#include "library/LibraryController.h"

void LibraryController::iniListView()
{
}

void LibraryController::FolderSetting()
{
}

void LibraryController::ShowList(int /*listViewSel*/)
{
}

void LibraryController::ColumnClick(int /*list*/, int /*column*/)
{
}

void LibraryController::SelectionChanged(int /*list*/)
{
}

void LibraryController::DeleteFile()
{
}

void LibraryController::FileOpen()
{
}


void LibraryController::ListViewAllFileNameWriting(const QString& /*folder*/)
{
}

void LibraryController::ListViewTextFileNameWriting(const QString& /*folder*/)
{
}

void LibraryController::ListViewMusicFileNameWriting(const QString& /*folder*/)
{
}
