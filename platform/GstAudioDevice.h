#pragma once

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
// the UI thread's event loop under Qt on Linux; nothing here polls or runs a
// thread of its own.
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
    };

    // How long Open waits for the file to get ready.
    static constexpr int PrerollTimeoutMs = 5000;

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
    QString ErrorText(int code) const override;

    // Called from the streaming thread when the first buffer of a newly
    // opened file reaches the audio sink (for measuring start-up).
    std::function<void()> onFirstBuffer;

private:
    static int OnBusMessage(GstBus* bus, GstMessage* message, void* self);
    static int OnSinkBuffer(GstPad* pad, GstPadProbeInfo* info, void* self);
    int Fail(int code, GstMessage* message);
    int SetState(int state);
    // A flushing, accurate seek at the current speed, waiting for preroll.
    int SeekAt(std::int64_t ms);
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
    std::atomic<bool> firstBufferPending_ = false;
    QHash<int, QString> texts_;
};
