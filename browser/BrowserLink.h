#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// How the program and its browser program talk. The program starts it with
// the start request and the folders it needs on the command line, sends
// commands on its standard input (one a line; the end of the input closes
// the window and ends the browser program as well, so it never outlives its
// program), and reads what happened from its standard output. Started that
// way, the browser program stays after its window closes, with its engine
// warm, so the next opening shows at once. Started ahead ("standby"), it
// builds its window hidden on the manual's first page and loads it, and its
// first "open" shows that window (a fresh one for another page). A page is
// told handled only once its window is on the screen.
namespace BrowserLink {

inline const QByteArray Raise = "raise";              // bring the window forward
inline const QByteArray Close = "close";              // close the window as the user would, and end
inline const QByteArray CloseWindow = "close-window"; // close the window as the user would
// "open <request>": open the window again on a start request.
inline const QByteArray Open = "open";
// "window-closed": the window has closed (its favourites saved); the
// browser program waits for the next "open".
inline const QByteArray WindowClosed = "window-closed";
// "page-handled <address>": a page has been through the completion step.
inline const QByteArray PageHandled = "page-handled";

// What the browser program is started with.
struct Request
{
    QString startRequest;   // "ホーム" or the manual's first page address
    QString programFolder;  // the program folder (data files)
    QString workFolder;     // the working folder (favourites file)
    QString manualFolder;   // where the manual's pages are read from
    bool attached = false;  // commands come on standard input
    bool standby = false;   // no window until the first "open"
};

QStringList Arguments(const QString& startRequest, const QString& programFolder, const QString& workFolder,
                      const QString& manualFolder);
// The same for a browser program started ahead of its first request.
QStringList StandbyArguments(const QString& programFolder, const QString& workFolder, const QString& manualFolder);
// The request from the browser program's own arguments (the program name
// first); an error text when they do not form one.
std::optional<Request> Parse(const QStringList& arguments, QString* error);

} // namespace BrowserLink
