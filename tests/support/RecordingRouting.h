#pragma once

// The operations a file selection or the open command hands a file to,
// recorded with their arguments in one shared, ordered log. songNameLabel is noted
// at each call too, so a test sees when the song name was shown.

#include "art/ArtController.h"
#include "documents/DocumentController.h"
#include "lrc/LrcController.h"
#include "music/MusicController.h"
#include "support/MusicFakes.h"

#include <QLabel>
#include <QStringList>

struct RoutingLog
{
    QStringList calls;
    QStringList songNames;   // songNameLabel's text at each call (empty without a label)
    bool copyWorks = true;   // what MP3JpegDel answers

    void clear()
    {
        calls.clear();
        songNames.clear();
    }

    void add(const QString& call, const Controls& ui)
    {
        calls << call;
        songNames << (ui.songNameLabel ? ui.songNameLabel->text() : QString());
    }
};

class RoutingDocuments : public DocumentController
{
public:
    RoutingDocuments(RoutingLog& log, const Context& c) : DocumentController(c), log(log) {}
    void TextOpenFile(const QString& path, const QString& fileName) override
    {
        log.add(QStringLiteral("TextOpenFile(%1, %2)").arg(path, fileName), ui);
    }
    RoutingLog& log;
};

class RoutingLrc : public LrcController
{
public:
    RoutingLrc(RoutingLog& log, const Context& c) : LrcController(c), log(log) {}
    void LrcTextTempLabel(const QString& path) override
    {
        log.add(QStringLiteral("LrcTextTempLabel(%1)").arg(path), ui);
    }
    RoutingLog& log;
};

class RoutingArt : public ArtController
{
public:
    RoutingArt(RoutingLog& log, const Context& c) : ArtController(c), log(log) {}
    void JpegCoverArtDisplay(const QString& folder) override
    {
        log.add(QStringLiteral("JpegCoverArtDisplay(%1)").arg(folder), ui);
    }
    bool MP3JpegDel(const QString& path, const QString& name) override
    {
        log.add(QStringLiteral("MP3JpegDel(%1, %2)").arg(path, name), ui);
        return log.copyWorks;
    }
    RoutingLog& log;
};

class RoutingMusic : private MusicFakes, public MusicController
{
public:
    RoutingMusic(RoutingLog& log, const Context& c) : MusicController(c, device, mixer), log(log) {}
    void MusicStart(const QString& path, const QString& name) override
    {
        log.add(QStringLiteral("MusicStart(%1, %2)").arg(path, name), ui);
    }
    void MusicPlayModeButtonColor() override { log.add(QStringLiteral("MusicPlayModeButtonColor"), ui); }
    void RepeatOneButtonActiveColor() override { log.add(QStringLiteral("RepeatOneButtonActiveColor"), ui); }
    void InOrderButtonActiveColor() override { log.add(QStringLiteral("InOrderButtonActiveColor"), ui); }
    void InOrderLoopButtonActiveColor() override { log.add(QStringLiteral("InOrderLoopButtonActiveColor"), ui); }
    void RandomPlayButtonActiveColor() override { log.add(QStringLiteral("RandomPlayButtonActiveColor"), ui); }
    RoutingLog& log;
};
