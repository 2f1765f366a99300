#pragma once

#include "app/Controls.h"
#include "app/State.h"
#include "dialogs/Prompter.h"

class ArtController;
class BrowserController;
class DocumentController;
class LibraryController;
class LrcController;
class MusicController;
class PrintController;
class SettingsController;
class SpeechController;

// The controllers in use, so one subsystem can call the operations of
// another; the main window keeps it current.
struct Peers
{
    SettingsController* settings = nullptr;
    LibraryController* library = nullptr;
    DocumentController* documents = nullptr;
    SpeechController* speech = nullptr;
    MusicController* music = nullptr;
    LrcController* lrc = nullptr;
    ArtController* art = nullptr;
    PrintController* printing = nullptr;
    BrowserController* browser = nullptr;
};

// What every controller works with.
struct Context
{
    State& state;
    Prompter& prompter;
    Controls& ui;
    Peers& peers;
};

class Controller
{
public:
    explicit Controller(const Context& context)
        : state(context.state), prompter(context.prompter), ui(context.ui), peers(context.peers) {}
    virtual ~Controller() = default;

    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

protected:
    State& state;
    Prompter& prompter;
    Controls& ui;
    Peers& peers;
};
