// Writing a text read aloud to a sound file: the file plays the voice where
// its .lrc says, and a failure or a cancel leaves the old files whole.

#include "app/MyForm.h"
#include "documents/TextView.h"
#include "lrc/LrcRules.h"
#include "platform/BuiltInVoice.h"
#include "platform/EspeakEngine.h"
#include "platform/FileErrors.h"
#include "platform/FliteEngine.h"
#include "speech/KanaReadings.h"
#include "study/AudioExport.h"
#include "support/ScriptedPrompter.h"
#include "support/SmallDisk.h"

#include <QAction>
#include <QDir>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <cstdlib>
#include <optional>

using namespace Qt::StringLiterals;
using Format = AudioExportRules::Format;

namespace {

constexpr int kDecodeRate = 8000;
// A sample this loud is voice, not the silence between pieces.
constexpr int kSoundLevel = AudioExportRules::kAudibleLevel;

// The file decoded as a player decodes it: 16-bit mono at kDecodeRate.
std::vector<std::int16_t> Decode(const QString& path)
{
    const QString description = u"filesrc name=file ! decodebin ! audioconvert ! audioresample ! "
                                u"audio/x-raw,format=S16LE,channels=1,rate=%1 ! appsink name=out sync=false"_s.arg(kDecodeRate);
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.toUtf8().constData(), &error);
    if (!pipeline) {
        g_clear_error(&error);
        return {};
    }
    GstElement* file = gst_bin_get_by_name(GST_BIN(pipeline), "file");
    g_object_set(file, "location", QFile::encodeName(path).constData(), nullptr);
    gst_object_unref(file);
    GstElement* out = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    std::vector<std::int16_t> samples;
    while (GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(out), 10 * GST_SECOND)) {
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        GstMapInfo map;
        if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            const auto* data = reinterpret_cast<const std::int16_t*>(map.data);
            samples.insert(samples.end(), data, data + map.size / 2);
            gst_buffer_unmap(buffer, &map);
        }
        gst_sample_unref(sample);
    }
    gst_object_unref(out);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return samples;
}

// Where the voice is first heard at or after fromMs; -1 when never.
int SoundFrom(const std::vector<std::int16_t>& samples, int fromMs)
{
    for (std::size_t i = std::size_t(std::max(0, fromMs)) * kDecodeRate / 1000; i < samples.size(); ++i)
        if (std::abs(int(samples[i])) >= kSoundLevel)
            return int(i * 1000 / kDecodeRate);
    return -1;
}

// The last sound before beforeMs (-1 for none).
int LastSoundBefore(const std::vector<std::int16_t>& samples, int beforeMs)
{
    const std::size_t end = std::min(samples.size(), std::size_t(std::max(0, beforeMs)) * kDecodeRate / 1000);
    for (std::size_t i = end; i-- > 0;)
        if (std::abs(int(samples[i])) >= kSoundLevel)
            return int(i * 1000 / kDecodeRate);
    return -1;
}

// The last sound of the file, in ms.
int LastSound(const std::vector<std::int16_t>& samples)
{
    for (std::size_t i = samples.size(); i-- > 0;)
        if (std::abs(int(samples[i])) >= kSoundLevel)
            return int(i * 1000 / kDecodeRate);
    return -1;
}

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

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

AudioExport::Job MakeJob(const QStringList& lines, BuiltInVoice::Kind kind, Format format, const QString& path,
                         AudioExportRules::Choice choice = {})
{
    AudioExport::Job job;
    job.steps = AudioExportRules::Plan(lines, choice);
    job.audioPath = path;
    job.format = format;
    const BuiltInVoice::Entry voice = VoiceOfKind(kind);
    job.voiceFor = [voice](const QString&) { return voice; };
    job.kana = MakeKanaReader();
    job.spareFolder = QDir::tempPath();
    return job;
}

bool Finish(AudioExport& writer, int timeoutMs = 60000)
{
    if (writer.outcome() != AudioExport::Outcome::Running)
        return true;
    QSignalSpy finished(&writer, &AudioExport::finished);
    return finished.wait(timeoutMs);
}

} // namespace

class TestAudioExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        gst_init(nullptr, nullptr);
        QVERIFY(FliteEngine::Instance().sampleRate() > 0);
        QVERIFY(EspeakEngine::Instance().ok());
    }

    // Each lyric line is due where its voice begins in the decoded file,
    // through the pause and repetitions, and the bare tag at the end is where
    // the sound stops.
    void linesAreDueWhereTheVoiceIsHeard_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("format");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("Flite male, WAV") << int(BuiltInVoice::Kind::EnglishMale) << int(Format::Wav)
                                         << QStringList{u"Good morning everybody."_s, u"The train leaves at nine."_s};
        QTest::newRow("Flite female, MP3") << int(BuiltInVoice::Kind::EnglishFemale) << int(Format::Mp3)
                                           << QStringList{u"Where is the station?"_s, u"It is over there."_s};
        QTest::newRow("Japanese, MP3") << int(BuiltInVoice::Kind::Japanese) << int(Format::Mp3)
                                       << QStringList{u"今日は良い天気です。"_s, u"駅はどこですか。"_s};
    }
    void linesAreDueWhereTheVoiceIsHeard()
    {
        QFETCH(int, kind);
        QFETCH(int, format);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"lesson."_s + AudioExportRules::Suffix(Format(format)));
        AudioExport writer;
        // Twice each with a pause as long as the line.
        QVERIFY2(writer.Start(MakeJob(lines, BuiltInVoice::Kind(kind), Format(format), path, {2, 100, true, true})),
                 qPrintable(writer.message()));
        QVERIFY(Finish(writer));
        QCOMPARE(writer.outcome(), AudioExport::Outcome::Written);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{u"lesson.lrc"_s, u"lesson."_s + AudioExportRules::Suffix(Format(format))}));

        const LrcRules::Table table = LrcRules::FirstTimedLine(QString::fromUtf8(ReadAll(dir.filePath(u"lesson.lrc"_s))));
        QCOMPARE(table.size(), 2 * lines.size() + 1);
        const std::vector<std::int16_t> samples = Decode(path);
        QVERIFY(!samples.empty());
        for (std::int32_t i = 0; i + 1 < table.size(); ++i) {
            QCOMPARE(LrcRules::Text(table.lines.at(table.Line(i))), lines.at(i / 2));
            // Heard at its time, after a silence.
            const int due = table.Time(i);
            const int heard = SoundFrom(samples, due - 40);
            QVERIFY2(std::abs(heard - due) <= 25,
                     qPrintable(u"line %1 due at %2 ms, heard at %3 ms"_s.arg(i).arg(due).arg(heard)));
            QVERIFY2(LastSoundBefore(samples, due - 40) < std::max(0, due - 250),
                     qPrintable(u"line %1: sound just before it"_s.arg(i)));
            // The silence after each piece but the last is its length and a breath.
            if (i + 2 < table.size()) {
                const int next = table.Time(i + 1);
                const int ends = LastSoundBefore(samples, next - 40);
                QVERIFY2(next - ends >= (ends - due) + AudioExportRules::kBreathMs - 60,
                         qPrintable(u"line %1 sounds %2 ms, then %3 ms of silence"_s.arg(i).arg(ends - due).arg(next - ends)));
            }
        }
        const int end = table.Time(table.size() - 1);
        QVERIFY2(std::abs(LastSound(samples) - end) <= 25,
                 qPrintable(u"sound ends at %1 ms, the last tag says %2 ms"_s.arg(LastSound(samples)).arg(end)));
        QVERIFY(std::abs(writer.soundSeconds() * 1000 - samples.size() * 1000.0 / kDecodeRate) < 200);
    }

    // Nothing is half written: the old pair stays byte for byte and no
    // temporary file is left, whether the folder refuses, the disk fills or
    // the user cancels.
    void oldFilesStayWhenWritingFails_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("disk full part-way") << u"full"_s;
        QTest::newRow("cancelled part-way") << u"cancel"_s;
    }
    void oldFilesStayWhenWritingFails()
    {
        QFETCH(QString, failure);
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"disk"_s);
        QVERIFY(QDir().mkpath(folder));
        std::optional<SmallDisk> disk;
        if (failure == u"full"_s)
            disk.emplace(folder);
        const QString path = folder + u"/old.wav"_s;
        const QString lrc = folder + u"/old.lrc"_s;
        for (const QString& p : {path, lrc}) {
            QFile f(p);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old bytes");
        }
        QStringList lesson;
        for (int i = 0; i < 40; ++i)
            lesson << u"This is sentence number %1 of a long lesson."_s.arg(i);
        AudioExport writer;
        if (failure == u"full"_s) {
            disk->Fill(32 * 1024);
        } else {
            QObject::connect(&writer, &AudioExport::progress, &writer, [&writer](int permille) {
                if (permille > 100)
                    writer.Cancel();
            });
        }
        const bool started = writer.Start(MakeJob(lesson, BuiltInVoice::Kind::EnglishMale, Format::Wav, path));
        const bool finished = Finish(writer);
        if (disk)
            disk->Empty();
        QVERIFY(started);
        QVERIFY(finished);
        if (failure == u"full"_s) {
            QCOMPARE(writer.outcome(), AudioExport::Outcome::Failed);
            QCOMPARE(writer.message(), FileErrors::Message(FileErrors::Doing::Write, path, disk->Error()));
        } else {
            QCOMPARE(writer.outcome(), AudioExport::Outcome::Cancelled);
        }
        QCOMPARE(ReadAll(path), QByteArray("old bytes"));
        QCOMPARE(ReadAll(lrc), QByteArray("old bytes"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), (QStringList{u"old.lrc"_s, u"old.wav"_s}));
    }

    void aFolderThatTakesNoFileIsSaidAtOnce()
    {
        QTemporaryDir dir;
        QString folder = dir.filePath(u"locked"_s);
        QVERIFY(QDir().mkdir(folder));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        // Permissions do not hold for root: the system's own folder does.
        if (QFile probe(folder + u"/probe"_s); probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            folder = u"/sys"_s;
        }
        const QString path = folder + u"/lesson.mp3"_s;
        AudioExport writer;
        QVERIFY(!writer.Start(MakeJob({u"Hello."_s}, BuiltInVoice::Kind::EnglishMale, Format::Mp3, path)));
        QCOMPARE(writer.outcome(), AudioExport::Outcome::Failed);
        QCOMPARE(writer.message(), u"「%1」を保存できませんでした（アクセスが許可されていません）。"_s.arg(path));
        QVERIFY(!QFileInfo::exists(path));
        QFile::setPermissions(dir.filePath(u"locked"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void aTextWithoutLettersWritesNothing()
    {
        QTemporaryDir dir;
        AudioExport writer;
        const QStringList lines = AudioExportRules::SpokenLines(u"。。。\r\n；メモだけ\r\n---"_s);
        QVERIFY(!writer.Start(MakeJob(lines, BuiltInVoice::Kind::Japanese, Format::Wav, dir.filePath(u"x.wav"_s))));
        QCOMPARE(writer.message(), u"読み上げる文字がないため、書き出せません。"_s);
        QVERIFY(QDir(dir.path()).isEmpty(QDir::Files | QDir::Hidden));
    }

    // The command asks through the prompter: a cancel writes nothing and
    // says nothing; the options chosen are what is written (the progress
    // window ends with the writing, no one answering it).
    void theDialogsAnswerIsWhatIsWritten_data()
    {
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("cancelled") << true;
        QTest::newRow("WAV under a name of its own") << false;
    }
    void theDialogsAnswerIsWhatIsWritten()
    {
        QFETCH(bool, cancelled);
        QTemporaryDir dir;
        ScriptedPrompter prompter;
        MyForm form{prompter};
        form.state().listFolderPath = dir.path();
        QTest::mouseClick(form.ui().textViewButton, Qt::LeftButton);
        form.ui().textView->setPlainText(u"Good morning.\n"_s);
        if (!cancelled)
            prompter.audioExportAnswers << [&dir](Prompter::AudioExportChoices chosen) {
                chosen.format = ExportFormat::Wav;
                chosen.path = dir.filePath(u"lesson"_s);
                return std::optional(chosen);
            };
        form.ui().menuBar->findChild<QAction*>(u"menuExportAudio"_s)->trigger();
        QCOMPARE(prompter.audioExportShown.size(), 1);
        QCOMPARE(prompter.audioExportShown.first().path, dir.filePath(u"音声.mp3"_s));
        QCOMPARE(prompter.audioExportShown.first().contents, u"テキスト全体（1行）を、内蔵の音声で読み上げて書き出します。"_s);
        const QStringList written = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        if (cancelled) {
            QVERIFY(written.isEmpty());
            QVERIFY(prompter.texts().isEmpty());
            return;
        }
        QCOMPARE(written, (QStringList{u"lesson.lrc"_s, u"lesson.wav"_s}));
        QVERIFY(ReadAll(dir.filePath(u"lesson.wav"_s)).startsWith("RIFF"));
        QCOMPARE(prompter.texts(), QStringList{u"「lesson.wav」と「lesson.lrc」を書き出しました。"_s});
        QCOMPARE(form.state().StudyExportFormat, ExportFormat::Wav);
    }

    // The study menu's command says so before asking anything.
    void theCommandRefusesATextWithoutLetters()
    {
        ScriptedPrompter prompter;
        MyForm form{prompter};
        QTest::mouseClick(form.ui().textViewButton, Qt::LeftButton);
        form.ui().textView->setPlainText(u"。。。\n；メモだけ\n"_s);
        auto* command = form.ui().menuBar->findChild<QAction*>(u"menuExportAudio"_s);
        QVERIFY(command);
        QCOMPARE(command->shortcut(), QKeySequence(u"Ctrl+E"_s));
        command->trigger();
        QCOMPARE(prompter.texts(),
                 QStringList{u"読み上げる文字がないため、書き出せません。文字のあるテキストを開くか、文字のある範囲を選択してから行ってください。"_s});
    }
};

QTEST_MAIN(TestAudioExport)
#include "tst_audioexport.moc"
