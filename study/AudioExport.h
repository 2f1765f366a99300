#pragma once

#include "platform/BuiltInVoice.h"
#include "study/AudioExportRules.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class KanaReader;
struct ExportChannel;

// Writes pieces of text read by a built-in voice into a sound file (WAV or
// MP3 through GStreamer's encoders) and the .lrc beside it, timed by the
// voice's own word events. The voice renders as fast as it can; the file is
// written under a temporary name in its folder and takes the real name only
// once it and the .lrc are complete, so a failure or a cancel leaves the
// old files as they were and no half file behind.
class AudioExport : public QObject
{
    Q_OBJECT

public:
    struct Job
    {
        std::vector<AudioExportRules::Step> steps;
        QString audioPath;     // with its suffix; the .lrc goes beside it
        AudioExportRules::Format format = AudioExportRules::Format::Mp3;
        int rate = 0;          // -5..5
        bool wordTags = true;
        // The voice a piece is said with.
        std::function<BuiltInVoice::Entry(const QString& text)> voiceFor;
        std::shared_ptr<KanaReader> kana;
        // Where DocumentFile keeps an old .lrc while it is written in place.
        QString spareFolder;
    };
    enum class Outcome { Running, Written, Cancelled, Failed };

    explicit AudioExport(QObject* parent = nullptr);
    ~AudioExport() override;

    // Starts writing; false (with message()) when it cannot even begin: the
    // folder takes no new file, the encoder is missing, nothing to say.
    bool Start(Job job);
    // Stops at once and removes what was written.
    void Cancel();

    Outcome outcome() const { return outcome_; }
    QString message() const { return message_; }
    // Seconds of sound in the file (written so far).
    double soundSeconds() const;
    // The .lrc text written (or that would be).
    const QString& lrcText() const { return lrcText_; }

    // The output's one sample rate, whatever the voices' rates.
    static constexpr int kOutputRate = 22050;

signals:
    // Thousandths of the pieces done.
    void progress(int permille);
    void finished();

private:
    void RunStep(std::size_t index);
    void StepDone(std::size_t index);
    void EndOfStream();
    void PipelineError(int domainCode, QString detail);
    void Fail(const QString& message);
    void TearDown();
    void RemoveTemporary();
    bool BuildPipeline();

    Job job_;
    std::shared_ptr<ExportChannel> channel_;
    QString temporaryPath_;
    std::vector<AudioExportRules::TimedLine> lines_;
    std::int32_t soundEndMs_ = 0;
    QString lrcText_;
    Outcome outcome_ = Outcome::Running;
    QString message_;
};
