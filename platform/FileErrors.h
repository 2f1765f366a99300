#pragma once

#include <QString>

// Messages for file operations that the system refused. Each names the file,
// what was being done and why, in Japanese whatever the user's locale, so a
// bare "許可されていません" never reaches the user.
namespace FileErrors {

// What the program was doing when the system said no.
enum class Doing {
    Read,     // 読み込めませんでした
    Write,    // 保存できませんでした
    Open,     // 開けませんでした
    Copy,     // コピーできませんでした
    Create,   // 作成できませんでした
    Delete,   // 削除できませんでした
    List,     // 一覧を読み込めませんでした (a folder)
    Play,     // 再生できませんでした
};

// The reason for an errno value in Japanese; an errno without a text of our
// own gets the system's text and its number.
QString Reason(int error);

// The reason for a file that exists but is no regular file (a FIFO, a device).
QString NotRegularReason();

// "「path」を読み込めませんでした（reason）。"
QString Message(Doing doing, const QString& path, const QString& reason);
QString Message(Doing doing, const QString& path, int error);

} // namespace FileErrors
