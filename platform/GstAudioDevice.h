#pragma once

#include "platform/AudioClockGuard.h"
#include "platform/AudioDevice.h"

#include <QHash>

#include <atomic>
#include <cstdint>

typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;
typedef struct _GstMessage GstMessage;
typedef struct _GstPad GstPad;
typedef struct _GstPadProbeInfo GstPadProbeInfo;

// The audio device over a GStreamer playbin playing into the desktop's audio
// sink. Bus messages are read from the default GLib main context, which is
// the UI thread's event loop under Qt on Linux; nothing here runs a thread of
// its own. While playing, a watchdog on the same context looks at the position
// a few times a second (see OnWatchdog).
class GstAudioDevice : public AudioDevice
{
public:
    // Error codes; the words for each come from GStreamer's last message of
    // that kind when there was one.
    enum Error {
        NotOpen = 1,      // a command without an open file
        OpenFailed = 2,   // the file could not be opened or decoded
        OpenTimedOut = 3, // the file did not get ready within the preroll bound
        QueryFailed = 4,  // length or position not known
        SeekFailed = 5,
        StateFailed = 6,  // play, pause, resume or stop refused
        StreamFailed = 7, // a failure met while playing
        Stalled = 8,      // playing, but the position stopped moving for good
    };

    // How long Open waits for the file to get ready.
    static constexpr int PrerollTimeoutMs = 5000;
    // A position that has not moved for this long while playing counts as
    // stuck. An output nobody reads may hold it still for most of a second.
    static constexpr int StallMs = 1500;
    // Fresh starts of the output tried on one stuck position before giving up.
    static constexpr int StallRetries = 2;
    // How long before the play end is heard onPlayEnd comes: time enough
    // for a seek's first sound to reach the output behind what it holds.
    static constexpr int PlayEndLeadMs = 80;
    // Time the output is given to start before a play's first sound is due.
    // Without it the output is already under way when the first samples
    // arrive, and drops the first few milliseconds of every start as late.
    static constexpr int StartLeadMs = 15;
    // A stream that stops sooner than this after its start goes through the
    // tempo filter in finer strides. The filter plays each stride at normal
    // speed, so the end of the stream comes up to a stride's worth early:
    // some 20 ms at 0.75× in 30 ms strides, a few per cent of a short line.
    static constexpr int FineTempoBelowMs = 1000;

    explicit GstAudioDevice(const char* sinkFactory = nullptr);
    ~GstAudioDevice() override;
    GstAudioDevice(const GstAudioDevice&) = delete;
    GstAudioDevice& operator=(const GstAudioDevice&) = delete;

    int Open(const QString& path, Kind kind) override;
    bool IsOpen() const override { return pipeline_ != nullptr; }
    int Length(std::int64_t& ms) override;
    int Position(std::int64_t& ms) override;
    int Seek(std::int64_t ms) override;
    int Play() override;
    int Pause() override;
    int Resume() override;
    int Stop() override;
    int Close() override;
    int SetSpeed(int percent) override;
    bool SetPlayEnd(std::int64_t ms) override;
    QString ErrorText(int code) const override;

    // Called from the streaming thread when the first buffer of a newly
    // opened file reaches the audio sink (for measuring start-up).
    std::function<void()> onFirstBuffer;

    // How often playback got stuck and was started afresh since opening.
    int StallRecoveries() const { return stallRecoveries_; }
    // How often the output's clock leapt since opening, stood in for by the
    // guard (see AudioClockGuard.h).
    int ClockLeaps() const { return clockGuard_ ? clockGuard_->leaps.load() : 0; }

private:
    static int OnBusMessage(GstBus* bus, GstMessage* message, void* self);
    static int OnSinkBuffer(GstPad* pad, GstPadProbeInfo* info, void* self);
    static int OnTempoFlush(GstPad* pad, GstPadProbeInfo* info, void* self);
    // The tempo filter in a bin of its own, so that a fresh one can take
    // its place inside while the stream is flushed (see ReplaceTempo).
    GstElement* MakeTempoBin();
    void ReplaceTempo();
    static int OnWatchdog(void* self);
    static int OnEndWatch(void* self);
    void StopEndWatch();
    // A pause asked for at the play end, while the output still holds the
    // end of the range: the sound plays on until that is heard (watched by
    // OnHeardOut), and only then does the device pause. A seek asked for
    // meanwhile is made then, and a play asked for with it plays from there.
    bool StartHearOut();
    static int OnHeardOut(void* self);
    void FinishHearOut();
    void CancelHearOut();
    // Off normal speed the tempo filter holds back its last input until more
    // comes; at a stop nothing more comes, so the end of the range would
    // never be heard. Silence pushed in after it brings it out.
    void DrainTempo();
    // How much input the tempo filter holds back, in ms.
    int TempoHoldMs() const;
    // Where the output runs dry, in the track's time: at the stream's stop,
    // or short of it by what the tempo filter still holds back.
    std::int64_t DryAt() const;
    // Playing from now on: the position is watched from where it is.
    void WatchFromHere();
    void StopWatching();
    // Where the sound has got to while the position stood still.
    std::int64_t HeardAt() const;
    bool Restart();
    int Fail(int code, GstMessage* message);
    int SetState(int state);
    // An accurate seek at the current speed that stops at the play end;
    // a flushing one waits for preroll, a following one joins the sound
    // queued for the output.
    int SeekAt(std::int64_t ms, bool flush = true);
    void QueryLength();
    void TakeBusErrors(int code);

    QByteArray sinkFactory_;
    GstElement* pipeline_ = nullptr;
    unsigned watch_ = 0;
    QString path_;
    Kind kind_ = Kind::Waveform;
    std::int64_t length_ = -1;
    std::int64_t lastPosition_ = 0;
    bool ended_ = false;
    bool failed_ = false;
    bool playing_ = false;
    std::int64_t playEnd_ = -1;      // where playback is to stop
    std::int64_t segmentStop_ = -1;  // where the stream running now stops
    int streamSpeed_ = 100;           // the speed it runs at, in percent
    bool speedSeekPending_ = false;   // a speed set while paused, not yet sought at
    bool segmentDone_ = false;       // the stream has been read up to its stop
    bool endReached_ = false;        // the stop is heard, no seek since
    bool inPlayEnd_ = false;
    unsigned endWatch_ = 0;
    unsigned hearOut_ = 0;            // the pause waits for the end to be heard
    std::int64_t hearOutGiveUpUs_ = 0;
    std::int64_t seekAfterHearOut_ = -1;
    bool playAfterHearOut_ = false;
    unsigned watchdog_ = 0;
    std::int64_t watchedNs_ = -1;
    std::int64_t movedAtUs_ = 0;
    int restarts_ = 0;
    int stallRecoveries_ = 0;
    std::shared_ptr<ClockGuardState> clockGuard_;
    std::atomic<bool> firstBufferPending_ = false;
    // Streaming thread: the output's segment, and where its sound ends.
    struct SinkSegment
    {
        std::int64_t start = 0;
        std::int64_t time = 0;
        double appliedRate = 1.0;
    } sinkSegment_;
    std::atomic<std::int64_t> queuedEndMs_ = -1;
    // A stream following on without a flush has reached the output; its
    // first buffer is still to come.
    std::atomic<bool> seamPending_ = false;
    // Streams that have reached the output; the end watch waits for the
    // one its seek started (see SeekAt).
    std::atomic<unsigned> sinkSegments_ = 0;
    unsigned segmentsBeforeSeek_ = 0;
    // The bin playbin plays through and the filter inside it; the filter is
    // replaced only while the stream stands flushed.
    GstElement* tempoBin_ = nullptr;
    GstElement* tempo_ = nullptr;
    // The next flush is to leave a fresh filter behind, in fine strides or not.
    std::atomic<bool> freshTempoWanted_ = false;
    std::atomic<bool> fineTempoWanted_ = false;
    QHash<int, QString> texts_;
};
