#include "study/AudioExport.h"

#include "documents/DocumentFile.h"
#include "platform/FileErrors.h"
#include "study/ExportVoice.h"

#include <QDir>
#include <QFileInfo>

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// The voice renders far faster than the encoder takes it in only briefly;
// this much audio may wait in the source, so memory stays small.
constexpr double kQueuedSecondsMax = 2.0;
constexpr int kSilenceChunk = 4096;
// Speech wants no more: mono, 64 kbit/s at 22.05 kHz.
constexpr int kMp3Kbps = 64;
// An MP3 decoder plays the encoder's and its own delay first (576 + 529
// samples) unless the file tells it to skip them, which ours does not: the
// lyrics wait as long.
constexpr guint64 kMp3DelaySamples = 576 + 529;

GstCaps* MonoCaps(int rate)
{
    return gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "layout", G_TYPE_STRING,
                               "interleaved", "rate", G_TYPE_INT, rate, "channels", G_TYPE_INT, 1, nullptr);
}

struct RawWord
{
    int start;
    int length;
    std::int64_t sample;
};

// The errno a write error of the file sink stands for: the sink says only
// "no space" or "write failed" with the system's text in its details.
int ErrnoOfResourceError(int code, const QString& detail)
{
    switch (code) {
    case GST_RESOURCE_ERROR_NO_SPACE_LEFT:
        return ENOSPC;
    case GST_RESOURCE_ERROR_OPEN_WRITE:
    case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
        return EACCES;
    default:
        break;
    }
    for (int e : {EFBIG, EDQUOT, EROFS, ENOSPC, EACCES, EIO})
        if (detail.contains(QString::fromLocal8Bit(std::strerror(e))))
            return e;
    return EIO;
}

} // namespace

// What the UI thread and the voice's worker share: the source the samples
// go into, and where the piece being rendered stands in the file.
struct ExportChannel
{
    std::mutex lock;
    GstElement* pipeline = nullptr;
    GstElement* appsrc = nullptr;   // null once torn down
    AudioExport* owner = nullptr;   // null once torn down
    bool cancelled = false;
    int rate = 0;                   // the piece's
    GstClockTime pieceStart = 0;    // where the piece begins in the file
    std::int64_t pieceSamples = 0;  // pushed since
    std::vector<RawWord> words;     // the piece's
    std::int64_t firstSound = -1;   // the piece's first and last audible samples
    std::int64_t lastSound = -1;
    std::int64_t totalSamples = 0;  // at kOutputRate

    bool Push(const std::int16_t* samples, int count)
    {
        for (;;) {
            {
                std::lock_guard guard(lock);
                if (cancelled || !appsrc)
                    return false;
                if (count <= 0)
                    return true;
                const guint64 limit = guint64(kQueuedSecondsMax * rate * 2);
                if (gst_app_src_get_current_level_bytes(GST_APP_SRC(appsrc)) <= limit) {
                    for (int i = 0; i < count; ++i) {
                        if (std::abs(int(samples[i])) >= AudioExportRules::kAudibleLevel) {
                            if (firstSound < 0)
                                firstSound = pieceSamples + i;
                            lastSound = pieceSamples + i;
                        }
                    }
                    GstBuffer* buffer = gst_buffer_new_memdup(samples, gsize(count) * 2);
                    GST_BUFFER_PTS(buffer) = pieceStart + gst_util_uint64_scale(guint64(pieceSamples), GST_SECOND, guint64(rate));
                    GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(guint64(count), GST_SECOND, guint64(rate));
                    pieceSamples += count;
                    totalSamples += std::int64_t(gst_util_uint64_scale(guint64(count), AudioExport::kOutputRate, guint64(rate)));
                    gst_app_src_push_buffer(GST_APP_SRC(appsrc), buffer);
                    return true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
};

AudioExport::AudioExport(QObject* parent) : QObject(parent)
{
}

AudioExport::~AudioExport()
{
    if (outcome_ == Outcome::Running && channel_) {
        TearDown();
        RemoveTemporary();
    }
}

double AudioExport::soundSeconds() const
{
    if (!channel_)
        return 0.0;
    std::lock_guard guard(channel_->lock);
    return double(channel_->totalSamples) / kOutputRate;
}

bool AudioExport::Start(Job job)
{
    job_ = std::move(job);
    outcome_ = Outcome::Running;
    message_.clear();
    lines_.clear();
    lrcText_.clear();
    soundEndMs_ = 0;
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
    if (job_.steps.empty() || !job_.voiceFor) {
        outcome_ = Outcome::Failed;
        message_ = u"読み上げる文字がないため、書き出せません。"_s;
        return false;
    }
    const QFileInfo target(job_.audioPath);
    if (target.isDir()) {
        outcome_ = Outcome::Failed;
        message_ = FileErrors::Message(FileErrors::Doing::Write, job_.audioPath, EISDIR);
        return false;
    }
    // The new file is made beside the old one, so taking its name is one
    // rename on the same disk; a folder that takes no file says so here.
    QByteArray pattern = QFile::encodeName(QDir(target.absolutePath()).filePath(u".murmelin-export-XXXXXX"_s));
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        const int error = errno;
        outcome_ = Outcome::Failed;
        message_ = FileErrors::Message(FileErrors::Doing::Write, job_.audioPath, error);
        return false;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    temporaryPath_ = QFile::decodeName(pattern);

    if (!BuildPipeline()) {
        RemoveTemporary();
        outcome_ = Outcome::Failed;
        if (message_.isEmpty())
            message_ = u"音声ファイルを書き出す GStreamer の部品（gstreamer1.0-plugins-good）がないため、書き出せません。"_s;
        return false;
    }
    emit progress(0);
    RunStep(0);
    return true;
}

bool AudioExport::BuildPipeline()
{
    const bool mp3 = job_.format == AudioExportRules::Format::Mp3;
    GstElement* pipeline = gst_pipeline_new("audio-export");
    GstElement* source = gst_element_factory_make("appsrc", nullptr);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    GstElement* filter = gst_element_factory_make("capsfilter", nullptr);
    GstElement* encoder = gst_element_factory_make(mp3 ? "lamemp3enc" : "wavenc", nullptr);
    // A Xing header gives players the length of a variable stream at once.
    GstElement* header = mp3 ? gst_element_factory_make("xingmux", nullptr) : gst_element_factory_make("identity", nullptr);
    GstElement* sink = gst_element_factory_make("filesink", nullptr);
    GstElement* all[] = {source, convert, resample, filter, encoder, header, sink};
    bool complete = pipeline != nullptr;
    for (GstElement* e : all)
        complete = complete && e;
    if (!complete) {
        for (GstElement* e : all)
            if (e)
                gst_object_unref(e);
        if (pipeline)
            gst_object_unref(pipeline);
        return false;
    }
    gst_bin_add_many(GST_BIN(pipeline), source, convert, resample, filter, encoder, header, sink, nullptr);
    gst_element_link_many(source, convert, resample, filter, encoder, header, sink, nullptr);

    GstCaps* output = MonoCaps(kOutputRate);
    g_object_set(filter, "caps", output, nullptr);
    gst_caps_unref(output);
    g_object_set(source, "format", GST_FORMAT_TIME, "is-live", FALSE, "max-bytes", guint64(0), "block", FALSE, nullptr);
    if (mp3)
        g_object_set(encoder, "target", 1 /* bitrate */, "bitrate", kMp3Kbps, "cbr", TRUE, nullptr);
    g_object_set(sink, "location", QFile::encodeName(temporaryPath_).constData(), "sync", FALSE, nullptr);

    channel_ = std::make_shared<ExportChannel>();
    channel_->pipeline = pipeline;
    channel_->appsrc = source;
    channel_->owner = this;

    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(
        bus,
        [](GstBus*, GstMessage* message, gpointer data) -> GstBusSyncReply {
            auto* owner = static_cast<AudioExport*>(data);
            if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
                QMetaObject::invokeMethod(owner, [owner] { owner->EndOfStream(); }, Qt::QueuedConnection);
            } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
                GError* error = nullptr;
                gchar* debug = nullptr;
                gst_message_parse_error(message, &error, &debug);
                const int code = error && error->domain == GST_RESOURCE_ERROR ? error->code : -1;
                const QString detail = QString::fromUtf8(debug ? debug : "");
                g_clear_error(&error);
                g_free(debug);
                QMetaObject::invokeMethod(owner, [owner, code, detail] { owner->PipelineError(code, detail); },
                                          Qt::QueuedConnection);
            }
            return GST_BUS_DROP;
        },
        this, nullptr);
    gst_object_unref(bus);
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        message_ = FileErrors::Message(FileErrors::Doing::Write, job_.audioPath, EACCES);
        TearDown();
        return false;
    }
    return true;
}

void AudioExport::RunStep(std::size_t index)
{
    if (outcome_ != Outcome::Running)
        return;
    if (index >= job_.steps.size()) {
        std::lock_guard guard(channel_->lock);
        if (channel_->appsrc)
            gst_app_src_end_of_stream(GST_APP_SRC(channel_->appsrc));
        return;
    }
    const AudioExportRules::Step& step = job_.steps.at(index);
    const BuiltInVoice::Entry voice = job_.voiceFor(step.text);
    const int rate = ExportVoice::SampleRate(voice);
    if (rate <= 0) {
        Fail(u"内蔵の音声を使えないため、書き出せません。"_s);
        return;
    }
    {
        std::lock_guard guard(channel_->lock);
        if (!channel_->appsrc)
            return;
        channel_->pieceStart += gst_util_uint64_scale(guint64(channel_->pieceSamples), GST_SECOND, guint64(std::max(1, channel_->rate)));
        channel_->pieceSamples = 0;
        channel_->words.clear();
        channel_->firstSound = channel_->lastSound = -1;
        if (rate != channel_->rate) {
            channel_->rate = rate;
            GstCaps* caps = MonoCaps(rate);
            g_object_set(channel_->appsrc, "caps", caps, nullptr);
            gst_caps_unref(caps);
        }
    }
    std::shared_ptr<ExportChannel> channel = channel_;
    ExportVoice::Sink sink;
    sink.chunk = [channel](const std::int16_t* samples, int count) { return channel->Push(samples, count); };
    sink.word = [channel](int start, int length, std::int64_t sample) {
        std::lock_guard guard(channel->lock);
        channel->words.push_back({start, length, sample});
    };
    sink.done = [channel, index] {
        // Under the lock the owner cannot go away; a posted call dies with it.
        std::lock_guard guard(channel->lock);
        if (AudioExport* owner = channel->owner)
            QMetaObject::invokeMethod(owner, [owner, index] { owner->StepDone(index); }, Qt::QueuedConnection);
    };
    ExportVoice::Render(voice, step.text, job_.rate, job_.kana, std::move(sink));
}

void AudioExport::StepDone(std::size_t index)
{
    if (outcome_ != Outcome::Running || index >= job_.steps.size())
        return;
    const AudioExportRules::Step& step = job_.steps.at(index);
    AudioExportRules::TimedLine line;
    line.text = step.text;
    std::int64_t samples = 0;
    std::int32_t heardEnd = 0;
    std::int32_t endMs = 0;
    int rate = 1;
    GstClockTime start = 0;
    {
        std::lock_guard guard(channel_->lock);
        samples = channel_->pieceSamples;
        rate = std::max(1, channel_->rate);
        start = channel_->pieceStart;
        const GstClockTime delay = job_.format == AudioExportRules::Format::Mp3
                                       ? gst_util_uint64_scale(kMp3DelaySamples, GST_SECOND, AudioExport::kOutputRate)
                                       : 0;
        const auto msOf = [&](std::int64_t sample) {
            const GstClockTime at = start + delay + gst_util_uint64_scale(guint64(std::max<std::int64_t>(0, sample)), GST_SECOND, guint64(rate));
            return std::int32_t(at / GST_MSECOND);
        };
        // The line is due when it is heard: the voices report a word where
        // its breath of silence begins, some 50 ms before its sound.
        const std::int64_t firstWord = channel_->words.empty() ? 0 : channel_->words.front().sample;
        const std::int64_t due = channel_->firstSound >= 0 ? channel_->firstSound : firstWord;
        line.ms = msOf(due);
        for (const RawWord& w : channel_->words)
            line.words.push_back({w.start, w.length, std::max(line.ms, msOf(w.sample))});
        endMs = msOf(samples);
        heardEnd = channel_->lastSound >= 0 ? msOf(channel_->lastSound + 1) : endMs;
    }
    lines_.push_back(std::move(line));
    soundEndMs_ = heardEnd;

    // The learner's pause, then a breath before the next piece.
    const std::int32_t silenceMs = AudioExportRules::PauseMs(endMs - lines_.back().ms, step.pausePercent)
                                   + (step.breathAfter ? AudioExportRules::kBreathMs : 0);
    std::int64_t silence = std::int64_t(silenceMs) * rate / 1000;
    const std::vector<std::int16_t> zeros(kSilenceChunk, 0);
    while (silence > 0) {
        const int count = int(std::min<std::int64_t>(silence, kSilenceChunk));
        if (!channel_->Push(zeros.data(), count))
            return;
        silence -= count;
    }
    emit progress(int((index + 1) * 1000 / job_.steps.size()));
    RunStep(index + 1);
}

void AudioExport::EndOfStream()
{
    if (outcome_ != Outcome::Running)
        return;
    TearDown();
    // Every byte on disk before the name changes hands.
    const QByteArray temporary = QFile::encodeName(temporaryPath_);
    const int fd = ::open(temporary.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        RemoveTemporary();
        Fail(FileErrors::Message(FileErrors::Doing::Write, job_.audioPath, error));
        return;
    }
    ::close(fd);

    lrcText_ = AudioExportRules::LrcText(lines_, soundEndMs_, job_.wordTags);
    const QString lrcPath = AudioExportRules::LrcPathFor(job_.audioPath);
    const QString lrcError = DocumentFile::WriteWhole(lrcPath, lrcText_.toUtf8(), job_.spareFolder);
    if (!lrcError.isEmpty()) {
        RemoveTemporary();
        Fail(lrcError);
        return;
    }
    if (::rename(temporary.constData(), QFile::encodeName(job_.audioPath).constData()) != 0) {
        const int error = errno;
        RemoveTemporary();
        Fail(FileErrors::Message(FileErrors::Doing::Write, job_.audioPath, error));
        return;
    }
    temporaryPath_.clear();
    outcome_ = Outcome::Written;
    emit progress(1000);
    emit finished();
}

void AudioExport::PipelineError(int code, QString detail)
{
    if (outcome_ != Outcome::Running)
        return;
    TearDown();
    RemoveTemporary();
    Fail(FileErrors::Message(FileErrors::Doing::Write, job_.audioPath, ErrnoOfResourceError(code, detail)));
}

void AudioExport::Cancel()
{
    if (outcome_ != Outcome::Running)
        return;
    TearDown();
    RemoveTemporary();
    outcome_ = Outcome::Cancelled;
    emit finished();
}

void AudioExport::Fail(const QString& message)
{
    if (outcome_ != Outcome::Running)
        return;
    TearDown();
    RemoveTemporary();
    outcome_ = Outcome::Failed;
    message_ = message;
    emit finished();
}

void AudioExport::TearDown()
{
    if (!channel_)
        return;
    GstElement* pipeline = nullptr;
    {
        std::lock_guard guard(channel_->lock);
        channel_->cancelled = true;
        channel_->appsrc = nullptr;
        channel_->owner = nullptr;
        pipeline = std::exchange(channel_->pipeline, nullptr);
    }
    if (!pipeline)
        return;
    gst_element_set_state(pipeline, GST_STATE_NULL);
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(pipeline);
}

void AudioExport::RemoveTemporary()
{
    if (!temporaryPath_.isEmpty())
        QFile::remove(temporaryPath_);
    temporaryPath_.clear();
}
