// How fast a text is written to a sound file with its .lrc, against real
// time, for Flite's two voices and the Japanese voice: twenty lines said
// twice with the learner's pause, to WAV and to MP3. Beside it the voice's
// own speed (rendering into memory, nothing written) and, for MP3, lame
// encoding the written WAV, the peer tool for the encoding step.

#include "platform/BuiltInVoice.h"
#include "platform/EspeakEngine.h"
#include "platform/FliteEngine.h"
#include "speech/KanaReadings.h"
#include "study/AudioExport.h"
#include "study/ExportVoice.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>


#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const QStringList kEnglish{
    u"The weather was cold and windy all morning."_s, u"She opened the window and looked at the garden."_s,
    u"We took the early train to the city."_s, u"My brother likes to read books about history."_s,
    u"Please close the door when you leave the room."_s, u"The children played football in the park."_s,
    u"He forgot his keys on the kitchen table."_s, u"A cup of hot tea helps me wake up."_s,
    u"The teacher asked us to write a short story."_s, u"They moved to a small house near the river."_s,
    u"I need to buy some bread and milk today."_s, u"The music was so loud that nobody could talk."_s,
    u"Our flight was delayed because of the storm."_s, u"She speaks three languages and wants to learn more."_s,
    u"The old man walked slowly down the street."_s, u"Do you know where the nearest station is?"_s,
    u"We watched a movie and ate popcorn last night."_s, u"The doctor told him to rest for a few days."_s,
    u"Learning a new language takes time and practice."_s, u"The shop on the corner sells fresh fruit every day."_s,
};
const QStringList kJapanese{
    u"今日は朝から寒くて風が強かった。"_s, u"彼女は窓を開けて庭を見た。"_s, u"私たちは早い電車で町へ行った。"_s,
    u"兄は歴史の本を読むのが好きです。"_s, u"部屋を出るときはドアを閉めてください。"_s, u"子供たちは公園でサッカーをした。"_s,
    u"彼は台所のテーブルに鍵を忘れた。"_s, u"温かいお茶を飲むと目が覚めます。"_s, u"先生は短い物語を書くように言った。"_s,
    u"二人は川の近くの小さな家に引っ越した。"_s, u"今日はパンと牛乳を買わなければならない。"_s, u"音楽が大きすぎて誰も話せなかった。"_s,
    u"嵐のために飛行機が遅れた。"_s, u"彼女は三つの言葉を話し、もっと学びたいと思っている。"_s, u"老人はゆっくりと通りを歩いた。"_s,
    u"一番近い駅はどこか知っていますか。"_s, u"昨日の夜は映画を見てポップコーンを食べた。"_s, u"医者は彼に数日休むように言った。"_s,
    u"新しい言葉を学ぶには時間と練習が必要です。"_s, u"角の店では毎日新しい果物を売っている。"_s,
};

BuiltInVoice::Entry VoiceOfKind(BuiltInVoice::Kind kind)
{
    QList<std::pair<QByteArray, QStringList>> espeak;
    for (const EspeakEngine::Voice& v : EspeakEngine::Instance().voices())
        espeak.append({v.identifier, v.languages});
    for (const BuiltInVoice::Entry& e : BuiltInVoice::Entries(espeak))
        if (e.kind == kind)
            return e;
    return {};
}

// Seconds of sound and of wall time to render every piece into memory.
std::pair<double, double> RenderOnly(const BuiltInVoice::Entry& voice, const std::vector<AudioExportRules::Step>& steps,
                                     const std::shared_ptr<KanaReader>& kana)
{
    QElapsedTimer wall;
    wall.start();
    double sound = 0;
    for (const AudioExportRules::Step& step : steps) {
        QEventLoop wait;
        auto samples = std::make_shared<std::int64_t>(0);
        ExportVoice::Sink sink;
        sink.chunk = [samples](const std::int16_t*, int count) { *samples += count; return true; };
        sink.word = [](int, int, std::int64_t) {};
        sink.done = [&wait] { QMetaObject::invokeMethod(&wait, &QEventLoop::quit, Qt::QueuedConnection); };
        ExportVoice::Render(voice, step.text, 0, kana, sink);
        QTimer::singleShot(30000, &wait, &QEventLoop::quit);
        wait.exec();
        sound += double(*samples) / ExportVoice::SampleRate(voice);
    }
    return {sound, wall.nsecsElapsed() / 1e9};
}

struct Written
{
    double sound = 0;
    double wall = 0;
    bool ok = false;
};

Written Export(const BuiltInVoice::Entry& voice, const std::vector<AudioExportRules::Step>& steps,
               AudioExportRules::Format format, const QString& path, const std::shared_ptr<KanaReader>& kana)
{
    AudioExport writer;
    AudioExport::Job job;
    job.steps = steps;
    job.audioPath = path;
    job.format = format;
    job.voiceFor = [voice](const QString&) { return voice; };
    job.kana = kana;
    job.spareFolder = QDir::tempPath();
    QEventLoop wait;
    QObject::connect(&writer, &AudioExport::finished, &wait, &QEventLoop::quit);
    QElapsedTimer wall;
    wall.start();
    if (!writer.Start(std::move(job))) {
        std::printf("  cannot start: %s\n", qPrintable(writer.message()));
        return {};
    }
    QTimer::singleShot(300000, &wait, &QEventLoop::quit);
    wait.exec();
    Written out;
    out.wall = wall.nsecsElapsed() / 1e9;
    out.sound = writer.soundSeconds();
    out.ok = writer.outcome() == AudioExport::Outcome::Written;
    if (!out.ok)
        std::printf("  failed: %s\n", qPrintable(writer.message()));
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (FliteEngine::Instance().sampleRate() <= 0 || !EspeakEngine::Instance().ok()) {
        std::printf("Flite or espeak-ng is missing\n");
        return 1;
    }
    const std::shared_ptr<KanaReader> kana = MakeKanaReader();
    QTemporaryDir dir;
    const struct
    {
        const char* name;
        BuiltInVoice::Kind kind;
        const QStringList* lines;
    } voices[] = {{"Flite rms (male)", BuiltInVoice::Kind::EnglishMale, &kEnglish},
                  {"Flite slt (female)", BuiltInVoice::Kind::EnglishFemale, &kEnglish},
                  {"Japanese (espeak-ng, MeCab)", BuiltInVoice::Kind::Japanese, &kJapanese}};
    std::printf("export: 20 lines, each said twice with a pause as long as the line\n");
    std::printf("%-30s %10s %12s %12s %12s %12s\n", "voice", "sound s", "voice only", "WAV", "MP3", "lame (peer)");
    for (const auto& v : voices) {
        const BuiltInVoice::Entry voice = VoiceOfKind(v.kind);
        const std::vector<AudioExportRules::Step> steps = AudioExportRules::Plan(*v.lines, {2, 100, true, true});
        // Warm up: the readings' dictionary opens on first use.
        RenderOnly(voice, {steps.front()}, kana);
        const auto [renderedSound, renderedWall] = RenderOnly(voice, steps, kana);
        const QString wavPath = dir.filePath(u"bench.wav"_s);
        const Written wav = Export(voice, steps, AudioExportRules::Format::Wav, wavPath, kana);
        const Written mp3 = Export(voice, steps, AudioExportRules::Format::Mp3, dir.filePath(u"bench.mp3"_s), kana);
        // The peer: lame encoding the WAV just written, at the same bit rate.
        QElapsedTimer lameWall;
        lameWall.start();
        const int lame = QProcess::execute(u"lame"_s, {u"--quiet"_s, u"--cbr"_s, u"-b"_s, u"64"_s, wavPath,
                                                       dir.filePath(u"peer.mp3"_s)});
        const double lameSeconds = lameWall.nsecsElapsed() / 1e9;
        std::printf("%-30s %10.1f %11.1fx %11.1fx %11.1fx %11.1fx\n", v.name, wav.sound,
                    renderedSound / renderedWall, wav.ok ? wav.sound / wav.wall : 0.0,
                    mp3.ok ? mp3.sound / mp3.wall : 0.0, lame == 0 ? wav.sound / lameSeconds : 0.0);
    }
    std::printf("(x = seconds of sound per second of wall time; the voice-only column leaves out the pauses)\n");
    return 0;
}
