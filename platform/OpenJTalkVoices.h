#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The natural Japanese voice: the open_jtalk program with an HTS voice
// (*.htsvoice). Both are optional; without them nothing is offered.
namespace OpenJTalkVoices {

struct HtsVoice
{
    QString name;         // the file's name without ".htsvoice"
    QString path;
    int sampleRate = 0;   // from the voice's header
};

// Where the Open JTalk dictionary is on Debian (open-jtalk-mecab-naist-jdic).
extern const QString kDictionary;
// The rate a voice without one in its header is taken to have.
constexpr int kDefaultSampleRate = 48000;

// Debian's voice packages' folder, the local one, and the user's own
// (~/.local/share/murmelin/voices), each searched with its subfolders.
QStringList DefaultFolders();

// Every HTS voice in `folders` and their subfolders: regular files (or
// links to them) named *.htsvoice that start as a voice does ("[GLOBAL]").
// A voice name found twice is kept once, the first found; sorted by name
// within each folder.
QList<HtsVoice> Find(const QStringList& folders);

// The open_jtalk program on PATH, empty when it is not installed.
QString Program();

// The arguments for one line at `speed` times the normal speed: text on
// standard input, the sound to `wavPath` and the label times to `tracePath`.
QStringList Arguments(const QString& dictionary, const QString& voicePath, double speed, const QString& wavPath,
                      const QString& tracePath);

} // namespace OpenJTalkVoices
