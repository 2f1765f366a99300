#pragma once

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
