// The built-in voice as the play button drives it (rate, volume, speak with
// purge): time from Speak to the first audio buffer reaching the audio
// sink, and to the first sound heard on the sink's monitor; time from Pause
// to silence; and memory over many utterances. Then the desktop voice's
// Pause to silence, beside speech-dispatcher's own floor measured the same
// way in the same run. Run on the private sound session:
// eval "$(scripts/audio-session)".

#include "platform/BuiltInVoice.h"
#include "platform/EspeakVoice.h"
#include "speech/KanaReadings.h"
#include "platform/QtSpeechSynthesizer.h"
#include "support/EventWait.h"
#include "support/MonitorRecorder.h"

#include <QProcess>
#include <QTextToSpeech>
#include <QSignalSpy>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <memory>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

const QString kTenWords = u"Please read this short line of ten words out loud."_s;
const QString kLong = u"Reading aloud keeps going for a while, so that there is time to pause it, "
                      u"to wait and to listen, and then to let it carry on from the very place "
                      u"where it stopped, word after word, until the whole sentence is done."_s;
constexpr int kRuns = 25;
constexpr int kDesktopRuns = 15;

struct Figures
{
    QList<double> values;
    void add(double v) { values << v; }
    QString text() const
    {
        if (values.isEmpty())
            return u"no data"_s;
        QList<double> v = values;
        std::sort(v.begin(), v.end());
        return u"median %1 ms (min %2, p90 %3, max %4, n=%5)"_s.arg(v.at(v.size() / 2), 0, 'f', 1)
            .arg(v.first(), 0, 'f', 1).arg(v.at(v.size() * 9 / 10), 0, 'f', 1).arg(v.last(), 0, 'f', 1)
            .arg(v.size());
    }
};

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

long ResidentKb()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// One way of pausing: what starts the speech, the pause, and what clears
// up after it; and the time from each pause to silence.
struct PauseCase
{
    std::function<void()> speak;
    std::function<void()> pause;
    std::function<void()> clear;
    Figures toSilence;
};

// Pauses each case in turn, run after run (so that the machine's load falls
// on all alike), at different places in the words, and adds the time from
// the call to the lasting silence as the monitor hears it (gaps between
// words are shorter). Pauses that caught no sound do not count; they are
// counted from what the monitor had delivered at the call, so its ~10 ms
// recording latency is included.
void MeasurePauses(MonitorRecorder& monitor, int runs, int speakingMs, const QList<PauseCase*>& cases)
{
    for (int run = 0; run < runs; ++run) {
        for (PauseCase* c : cases) {
            c->speak();
            Wait(speakingMs + 37 * run);
            const qsizetype at = monitor.samples();
            c->pause();
            Wait(600);
            const bool sounding = monitor.peak(at - MonitorRecorder::ms(30), at) > 256;
            const qsizetype quiet = monitor.silenceFrom(at - MonitorRecorder::ms(30), 400);
            if (sounding && quiet >= 0)
                c->toSilence.add(std::max<qsizetype>(0, quiet - at) * 1000.0 / MonitorRecorder::Rate);
            c->clear();
            Wait(150);
        }
    }
}

// A client of speech-dispatcher's own protocol, connected ahead of time, so
// that a command costs one round trip and no process start.
class SsipClient
{
public:
    ~SsipClient()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool connect()
    {
        const QByteArray path = qgetenv("XDG_RUNTIME_DIR") + "/speech-dispatcher/speechd.sock";
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        if (size_t(path.size()) >= sizeof addr.sun_path)
            return false;
        std::copy(path.cbegin(), path.cend(), addr.sun_path);
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
            return false;
        return command("SET self CLIENT_NAME bench:bench_speech:floor").startsWith('2');
    }

    // Sends one command line and returns the final reply line.
    QByteArray command(const QByteArray& line)
    {
        const QByteArray out = line + "\r\n";
        if (::write(fd_, out.constData(), size_t(out.size())) != out.size())
            return {};
        for (;;) {
            const qsizetype end = pending_.indexOf("\r\n");
            if (end >= 0) {
                const QByteArray reply = pending_.left(end);
                pending_.remove(0, end + 2);
                if (reply.size() < 4 || reply.at(3) == ' ')
                    return reply;   // "NNN text" ends a reply, "NNN-text" continues it
                continue;
            }
            char buf[512];
            const ssize_t got = ::read(fd_, buf, sizeof buf);
            if (got <= 0)
                return {};
            pending_.append(buf, got);
        }
    }

private:
    int fd_ = -1;
    QByteArray pending_;
};

// The desktop voice's pause, and speech-dispatcher's own floor: a shell
// speaking with spd-say and silenced with spd-say -C, and the same cancel
// sent on a connection opened ahead.
void DesktopVoice(MonitorRecorder& monitor)
{
    QtSpeechSynthesizer service;
    QSignalSpy started(&service, &SpeechSynthesizer::Started);
    if (!started.wait(30000) || !service.Available()) {
        std::printf("desktop voice: speech-dispatcher cannot be reached, not measured\n");
        return;
    }
    const QStringList voices = service.GetInstalledVoices();
    service.SelectVoice(voices.contains(u"English (America)"_s) ? u"English (America)"_s : voices.first());
    service.setRate(0);
    service.setVolume(100);
    QSignalSpy completed(&service, &SpeechSynthesizer::SpeakCompleted);
    service.SpeakAsync(u"Warming up."_s);
    completed.wait(15000);

    Figures pauseCall;
    PauseCase program{[&] { service.SpeakAsync(kLong); },
                      [&] {
                          const Clock::time_point start = Clock::now();
                          service.Pause();
                          pauseCall.add(Ms(Clock::now() - start));
                      },
                      [&] { service.SpeakAsyncCancelAll(); }, {}};

    // The floor: a shell speaking with spd-say and silenced with spd-say -C;
    // and the same cancel sent on a connection opened ahead, without the
    // process start.
    const auto spdSay = [](const QStringList& args) { QProcess::execute(u"spd-say"_s, args); };
    PauseCase shell{[&] { spdSay({kLong}); }, [&] { spdSay({u"-C"_s}); }, [] {}, {}};
    SsipClient ssip;
    const bool connected = ssip.connect();
    PauseCase direct{[&] { spdSay({kLong}); }, [&] { ssip.command("CANCEL all"); }, [] {}, {}};

    // Where the program's time goes: Qt's stop called on this thread, with
    // no hop to the service thread, and how long that call takes. (Qt tells
    // every speechd engine in the process of every change; the service
    // only sees some stray ones, which it ignores while paused.)
    QTextToSpeech qt(u"speechd"_s);
    qt.setRate(0);
    Figures stopCall;
    PauseCase qtStop{[&] { qt.say(kLong); },
                     [&] {
                         const Clock::time_point start = Clock::now();
                         qt.stop();
                         stopCall.add(Ms(Clock::now() - start));
                     },
                     [] {}, {}};

    QList<PauseCase*> cases{&program, &qtStop, &shell};
    if (connected)
        cases << &direct;
    MeasurePauses(monitor, kDesktopRuns, 1200, cases);

    std::printf("desktop voice (speech-dispatcher), %d runs each\n", kDesktopRuns);
    std::printf("  Pause to silence on the sink's monitor:                %s  [target < 50 ms]\n",
                qPrintable(program.toSilence.text()));
    std::printf("  Pause call on the UI thread:                           %s\n", qPrintable(pauseCall.text()));
    std::printf("  Qt's stop on the calling thread, to silence:           %s\n", qPrintable(qtStop.toSilence.text()));
    std::printf("  Qt's stop call (its round trip to the service):        %s\n", qPrintable(stopCall.text()));
    std::printf("  floor, spd-say then spd-say -C, to silence:            %s\n", qPrintable(shell.toSilence.text()));
    std::printf("  floor, spd-say then CANCEL on an open connection:      %s\n", qPrintable(direct.toSilence.text()));
}

// Each built-in voice as the play button drives it: Speak to the first
// sound heard on the sink's monitor, and Pause to silence.
void BuiltInVoices(MonitorRecorder& monitor)
{
    BuiltInVoice voice;
    voice.setKanaReader(MakeKanaReader());
    struct Case
    {
        QString name;
        QString line;
    };
    const QList<Case> cases{
        {BuiltInVoice::kEnglishMaleName, kTenWords},
        {BuiltInVoice::kEnglishFemaleName, kTenWords},
        {BuiltInVoice::kJapaneseName, u"今日は良い天気なので、公園まで歩いて行きましょう。"_s},
        {BuiltInVoice::kAutomaticName, u"明日の朝、駅の前で友達と会う約束があります。"_s},
    };
    const QString longJapanese = u"日本語の文章を読み上げるときは、漢字の読みを辞書で調べてから、"
                                 u"かなにして声に出します。長い文でも最後まで続けて読みます。"_s;
    constexpr int runs = 8;
    std::printf("built-in voices, %d runs each\n", runs);
    for (const Case& c : cases) {
        voice.setVoice(int(voice.GetVoices().indexOf(c.name)));
        bool ended = false;
        auto connection = QObject::connect(&voice, &SpeechVoice::EndStream, [&] { ended = true; });
        Figures toHeard;
        for (int run = 0; run < runs + 1; ++run) {
            ended = false;
            const qsizetype heardFrom = monitor.samples();
            voice.setRate(0);
            voice.setVolume(100);
            voice.Speak(c.line, 3);
            if (!WaitFor([&] { return ended; }, 20000))
                break;
            Wait(100);
            const qsizetype sound = monitor.soundFrom(heardFrom);
            if (run > 0 && sound >= 0)
                toHeard.add((sound - heardFrom) * 1000.0 / MonitorRecorder::Rate);
        }
        QObject::disconnect(connection);
        const QString longLine = c.name == BuiltInVoice::kEnglishMaleName || c.name == BuiltInVoice::kEnglishFemaleName
                                     ? kLong : longJapanese;
        PauseCase pauses{[&] { voice.Speak(longLine, 3); }, [&] { voice.Pause(); },
                         [&] { voice.Speak(QString(), 3); }, {}};
        MeasurePauses(monitor, runs, 900, {&pauses});
        std::printf("  %s\n", qPrintable(c.name));
        std::printf("    Speak to first sound on the sink's monitor: %s  [target < 100 ms]\n", qPrintable(toHeard.text()));
        std::printf("    Pause to silence on the sink's monitor:     %s  [target < 50 ms]\n",
                    qPrintable(pauses.toSilence.text()));
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        std::fprintf(stderr, "bench_speech: run it on the private sound session: "
                             "eval \"$(scripts/audio-session)\"\n");
        return 1;
    }
    MonitorRecorder monitor;
    if (!monitor.start()) {
        std::fprintf(stderr, "bench_speech: parec could not record the sink's monitor\n");
        return 1;
    }
    if (qEnvironmentVariableIsSet("MURMELIN_BENCH_VOICES_ONLY")) {
        BuiltInVoices(monitor);   // each built-in voice only
        return 0;
    }
    // Creating the voice: the first also starts espeak-ng and lists its voices.
    Clock::time_point made = Clock::now();
    auto first = std::make_unique<EspeakVoice>();
    const double firstMade = Ms(Clock::now() - made);
    made = Clock::now();
    auto second = std::make_unique<EspeakVoice>();
    const double secondMade = Ms(Clock::now() - made);
    second.reset();
    EspeakVoice& voice = *first;
    if (!voice.ok()) {
        std::fprintf(stderr, "bench_speech: the built-in voice has no audio output\n");
        return 1;
    }
    voice.setVoice(int(voice.GetVoices().indexOf(u"English (America) (en-us)"_s)));

    std::atomic<Clock::time_point::rep> firstBuffer{0};
    voice.setFirstBufferObserver([&] { firstBuffer = Clock::now().time_since_epoch().count(); });
    bool ended = false;
    QObject::connect(&voice, &SpeechVoice::EndStream, [&] { ended = true; });

    // The play button from idle: rate, volume, speak with purge.
    Figures toSink, toHeard, skipToSink;
    double firstLineHeard = -1;
    for (int run = 0; run < kRuns + 1; ++run) {
        ended = false;
        firstBuffer = 0;
        const qsizetype heardFrom = monitor.samples();
        const Clock::time_point start = Clock::now();
        voice.setRate(0);
        voice.setVolume(100);
        voice.Speak(kTenWords, 3);
        if (!WaitFor([&] { return ended; }, 15000)) {
            std::fprintf(stderr, "bench_speech: no end of stream\n");
            return 1;
        }
        Wait(100);
        if (run == 0) {
            // The session's first line also opens the output: on its own.
            const qsizetype sound = monitor.soundFrom(heardFrom);
            firstLineHeard = sound >= 0 ? (sound - heardFrom) * 1000.0 / MonitorRecorder::Rate : -1;
            continue;
        }
        toSink.add(Ms(Clock::duration(firstBuffer.load()) - start.time_since_epoch()));
        const qsizetype sound = monitor.soundFrom(heardFrom);
        if (sound >= 0)
            toHeard.add((sound - heardFrom) * 1000.0 / MonitorRecorder::Rate);
    }

    // A skip: the next line while the last one still sounds.
    for (int run = 0; run < kRuns; ++run) {
        voice.Speak(kLong, 3);
        Wait(300);
        firstBuffer = 0;
        const Clock::time_point start = Clock::now();
        voice.setRate(0);
        voice.setVolume(100);
        voice.Speak(kTenWords, 3);
        WaitFor([&] { return firstBuffer.load() != 0; }, 5000);
        if (firstBuffer.load())
            skipToSink.add(Ms(Clock::duration(firstBuffer.load()) - start.time_since_epoch()));
        voice.Speak(QString(), 3);
        Wait(100);
    }

    // Pause to silence, as the monitor hears it; and the call itself.
    Figures pauseCall;
    PauseCase pauses{[&] { voice.Speak(kLong, 3); },
                     [&] {
                         const Clock::time_point start = Clock::now();
                         voice.Pause();
                         pauseCall.add(Ms(Clock::now() - start));
                     },
                     [&] { voice.Speak(QString(), 3); }, {}};
    MeasurePauses(monitor, kRuns, 900, {&pauses});
    const Figures& toSilence = pauses.toSilence;

    // Memory over many utterances: each starts, plays a moment, is replaced.
    for (int i = 0; i < 20; ++i) {
        voice.Speak(kTenWords, 3);
        Wait(40);
    }
    voice.Speak(QString(), 3);
    Wait(300);
    const long before = ResidentKb();
    for (int i = 0; i < 200; ++i) {
        voice.Speak(kTenWords, 3);
        Wait(40);
    }
    voice.Speak(QString(), 3);
    Wait(300);
    const long after = ResidentKb();

    std::printf("built-in voice: created in %.1f ms (first in the process), %.1f ms (another)\n",
                firstMade, secondMade);
    std::printf("ten-word line, %d runs each\n", kRuns);
    std::printf("  Speak to first buffer at the audio sink (from idle):   %s  [target < 100 ms]\n",
                qPrintable(toSink.text()));
    std::printf("  Speak to first buffer at the audio sink (skip):        %s\n", qPrintable(skipToSink.text()));
    std::printf("  Speak to first sound on the sink's monitor (from idle): %s  (includes ~10 ms recording latency)\n",
                qPrintable(toHeard.text()));
    std::printf("  the session's first line, which opens the output:      %.1f ms to first sound\n", firstLineHeard);
    std::printf("  Pause to silence on the sink's monitor:                %s  [target < 50 ms]\n"
                "      (counted from what the monitor had delivered at the call: add its ~10 ms latency)\n",
                qPrintable(toSilence.text()));
    std::printf("  Pause call on the UI thread:                           %s\n", qPrintable(pauseCall.text()));
    std::printf("  resident memory over 200 utterances: %ld kB -> %ld kB (%+ld kB)\n", before, after,
                after - before);
    first.reset();
    std::fflush(stdout);

    BuiltInVoices(monitor);
    if (qEnvironmentVariableIsSet("MURMELIN_BENCH_BUILT_IN_ONLY"))
        return 0;
    DesktopVoice(monitor);
    return 0;
}
