#pragma once

#include "core/Controller.h"
#include "study/AudioExportRules.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class AudioExport;
class BuiltInVoice;
class KanaReader;

// "音声ファイルに書き出す": the text on screen, or its selected range, read
// by a built-in voice into a WAV or MP3 file with its .lrc, so the pair
// plays in the music list and the lyric window, or on a phone.
class AudioExportController : public Controller
{
public:
    explicit AudioExportController(const Context& context);
    ~AudioExportController() override;

    virtual void Open();

protected:
    // Writes with a progress window that can cancel it; the outcome's
    // message is shown by the caller.
    virtual void Run(AudioExport& writer);

private:
    BuiltInVoice* Voices();
    // The file the text on screen came from; empty for a text never saved.
    QString SourcePath(bool lrcView) const;

    std::unique_ptr<BuiltInVoice> ownVoices_;
    std::shared_ptr<KanaReader> kana_;
};
