#include "platform/OpenJTalkRun.h"

#include "platform/FileErrors.h"
#include "platform/OpenJTalkOutput.h"
#include "platform/OpenJTalkVoices.h"
#include "platform/PcmVoice.h"
#include "platform/RegularFile.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cerrno>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A line takes open_jtalk well under a second; one that runs this long is stuck.
constexpr int kRunTimeoutMs = 60000;
// Pushed in pieces of this many samples so a purge stops the feeding soon.
constexpr int kChunkSamples = 2048;
// The silence that ends a line that could not be said.
constexpr int kSilenceMs = 20;

const QString kInstallHint = u"open-jtalk パッケージと HTS 音声（hts-voice-nitech-jp-atr503-m001 など）を"
                             u"インストールしてください。"_s;

// The whole of a small local file; an error text (FileErrors) on failure.
QByteArray ReadSmallFile(const QString& path, QString* error)
{
    int code = 0;
    const int fd = RegularFile::OpenForReading(path, code);
    if (fd < 0) {
        *error = code ? FileErrors::Message(FileErrors::Doing::Read, path, code)
                      : FileErrors::Message(FileErrors::Doing::Read, path, FileErrors::NotRegularReason());
        return {};
    }
    QByteArray out;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            *error = FileErrors::Message(FileErrors::Doing::Read, path, errno);
            out.clear();
            break;
        }
        if (got == 0)
            break;
        out.append(buffer, got);
    }
    ::close(fd);
    return out;
}

void EndWithSilence(const std::shared_ptr<PcmUtterance>& utterance, int sampleRate)
{
    const std::vector<std::int16_t> silence(size_t(std::max(1, sampleRate * kSilenceMs / 1000)), 0);
    utterance->Push(silence.data(), int(silence.size()));
    utterance->End();
}

} // namespace

OpenJTalkRun* OpenJTalkRun::Start(Request request, std::shared_ptr<PcmUtterance> utterance, QObject* parent)
{
    auto* run = new OpenJTalkRun(std::move(request), std::move(utterance), parent);
    run->Begin();
    return run;
}

OpenJTalkRun::OpenJTalkRun(Request request, std::shared_ptr<PcmUtterance> utterance, QObject* parent)
    : QObject(parent)
    , request_(std::move(request))
    , utterance_(std::move(utterance))
{
}

void OpenJTalkRun::Begin()
{
    if (!QFileInfo(request_.dictionary + u"/sys.dic"_s).isFile()) {
        Fail(u"Open JTalk の辞書（%1）が見つからないため、自然な声で読み上げられません。"
             u"open-jtalk-mecab-naist-jdic パッケージをインストールしてください。"_s.arg(request_.dictionary));
        return;
    }
    folder_ = std::make_unique<QTemporaryDir>();
    if (!folder_->isValid()) {
        Fail(u"自然な声（Open JTalk）の作業フォルダーを作成できませんでした（%1）。"_s.arg(folder_->errorString()));
        return;
    }
    process_ = new QProcess(this);
    process_->setProgram(request_.program);
    process_->setArguments(OpenJTalkVoices::Arguments(request_.dictionary, request_.voicePath, request_.speed,
                                                      folder_->filePath(u"line.wav"_s),
                                                      folder_->filePath(u"line.trace"_s)));
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            Fail(u"Open JTalk のプログラム（%1）を起動できませんでした。"_s.arg(request_.program) + kInstallHint);
    });
    connect(process_, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        Finished(exitCode, status == QProcess::CrashExit);
    });
    QTimer::singleShot(kRunTimeoutMs, this, [this] {
        if (process_ && process_->state() != QProcess::NotRunning) {
            process_->kill();
            Fail(u"Open JTalk（open_jtalk）が応答しません。"_s + kInstallHint);
        }
    });
    process_->start();
    // open_jtalk reads UTF-8 text up to the end of its input.
    process_->write(request_.text.toUtf8() + '\n');
    process_->closeWriteChannel();
}

void OpenJTalkRun::Cancel()
{
    done_ = true;
    if (process_ && process_->state() != QProcess::NotRunning)
        process_->kill();
    deleteLater();
}

void OpenJTalkRun::Finished(int exitCode, bool crashed)
{
    if (done_)
        return;
    if (crashed || exitCode != 0) {
        QString detail = QString::fromLocal8Bit(process_->readAllStandardError()).trimmed();
        detail = detail.section(u'\n', -1).trimmed();
        const QString how = crashed ? u"異常終了しました"_s : u"終了コード %1 で終わりました"_s.arg(exitCode);
        Fail(u"Open JTalk（open_jtalk）で音声を作成できませんでした（%1%2）。"_s
                 .arg(how, detail.isEmpty() ? QString() : u"："_s + detail.left(200))
             + kInstallHint);
        return;
    }
    QString error;
    const QByteArray wav = ReadSmallFile(folder_->filePath(u"line.wav"_s), &error);
    OpenJTalkOutput::Sound sound;
    QString reason;
    if (!error.isEmpty() || !OpenJTalkOutput::ReadWav(wav, &sound, &reason)) {
        Fail(u"Open JTalk（open_jtalk）の音声を読み込めませんでした（%1）。"_s.arg(error.isEmpty() ? reason : error)
             + kInstallHint);
        return;
    }
    QString ignored;
    const QString trace = QString::fromUtf8(ReadSmallFile(folder_->filePath(u"line.trace"_s), &ignored));
    done_ = true;
    folder_.reset();

    // The words at their samples; without a sound reading of the trace, the
    // line is one mark at its first sound.
    const double perTick = double(request_.sampleRate) / 1e7;
    QList<OpenJTalkOutput::WordTime> words = OpenJTalkOutput::Words(trace, request_.text);
    if (words.isEmpty())
        words.append({0, int(request_.text.size()), OpenJTalkOutput::FirstSound(trace)});
    for (const OpenJTalkOutput::WordTime& w : words)
        utterance_->Word(w.start, w.length, std::int64_t(double(w.time100ns) * perTick));

    // Feeding waits while the player is paused or far ahead: not here.
    std::thread([utterance = utterance_, samples = OpenJTalkOutput::Resampled(sound.samples, sound.sampleRate,
                                                                              request_.sampleRate)] {
        for (size_t at = 0; at < samples.size(); at += kChunkSamples) {
            const int count = int(std::min<size_t>(kChunkSamples, samples.size() - at));
            if (!utterance->Push(samples.data() + at, count))
                return;
        }
        utterance->End();
    }).detach();
    deleteLater();
}

void OpenJTalkRun::Fail(const QString& message)
{
    if (done_)
        return;
    done_ = true;
    folder_.reset();
    // A line that cannot be said ends at once, so reading goes on.
    std::thread([utterance = utterance_, rate = request_.sampleRate] { EndWithSilence(utterance, rate); }).detach();
    QMetaObject::invokeMethod(this, [this, message] {
        emit Failed(message);
        deleteLater();
    }, Qt::QueuedConnection);
}
