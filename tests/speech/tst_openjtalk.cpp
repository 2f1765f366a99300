// The natural Japanese voice: the search for HTS voices, the voice list with
// and without them, open_jtalk's output read back, and a line said through
// the built-in voices' player by a stand-in open_jtalk (a script on PATH
// that copies a WAV and a trace made here to the paths it is given), heard
// on the private PulseAudio session. No real HTS voice is installable here.

#include "platform/BuiltInVoice.h"
#include "platform/OpenJTalkOutput.h"
#include "platform/OpenJTalkVoices.h"
#include "speech/VoiceList.h"
#include "SpeechRig.h"
#include "support/MonitorRecorder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int kVoiceRate = 16000;

QByteArray VoiceFile(int rate)
{
    return "[GLOBAL]\nHTS_VOICE_VERSION:1.0\nSAMPLING_FREQUENCY:" + QByteArray::number(rate)
         + "\nFRAME_PERIOD:80\n[STREAM]\n";
}

// 16-bit PCM, `channels` channels, a 440 Hz tone.
QByteArray Wav(int rate, int channels, double seconds, int bits = 16)
{
    const int frames = int(rate * seconds);
    QByteArray data;
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c) {
            const qint16 s = qint16(12000 * std::sin(2 * M_PI * 440 * f / rate));
            char le[2];
            qToLittleEndian(s, le);
            data.append(le, 2);
        }
    const auto u32 = [](quint32 v) { char b[4]; qToLittleEndian(v, b); return QByteArray(b, 4); };
    const auto u16 = [](quint16 v) { char b[2]; qToLittleEndian(v, b); return QByteArray(b, 2); };
    QByteArray fmt = u16(1) + u16(quint16(channels)) + u32(quint32(rate)) + u32(quint32(rate * channels * 2))
                   + u16(quint16(channels * 2)) + u16(quint16(bits));
    QByteArray body = "WAVE" + QByteArray("fmt ") + u32(16) + fmt + "LIST" + u32(4) + "INFO" + "data"
                    + u32(quint32(data.size())) + data;
    return "RIFF" + u32(quint32(body.size())) + body;
}

// A label line for phoneme `p` from `start` (100 ns).
QString Label(const QString& p, qint64 start, qint64 end)
{
    return u"%1 %2 xx^xx-%3+xx=xx/A:xx+xx+xx/B:xx-xx_xx"_s.arg(start).arg(end).arg(p);
}

QString Trace(const QStringList& words, const QList<std::pair<QString, qint64>>& phonemes)
{
    QString out = u"[Text analysis result]\n"_s + words.join(u'\n') + u"\n\n[Output label]\n"_s;
    for (int i = 0; i < phonemes.size(); ++i) {
        const qint64 end = i + 1 < phonemes.size() ? phonemes[i + 1].second : phonemes[i].second + 2000000;
        out += Label(phonemes[i].first, phonemes[i].second, end) + u'\n';
    }
    return out + u"\n[Global parameter]\nSampling frequency -> 16000(Hz)\n"_s;
}

// 今日は良い天気です。: 今日 at 0.2 s, は 0.35, 良い 0.45, 天気 0.6, です 0.85.
const QString kLine = u"今日は良い天気です。"_s;
const QStringList kLineWords{
    u"今日,名詞,副詞可能,*,*,*,*,今日,キョウ,キョー,1/2,C1,-1"_s,
    u"は,助詞,係助詞,*,*,*,*,は,ハ,ワ,0/1,名詞%F1,1"_s,
    u"良い,形容詞,自立,*,*,形容詞・アウオ段,基本形,良い,ヨイ,ヨイ,1/2,*,-1"_s,
    u"天気,名詞,一般,*,*,*,*,天気,テンキ,テンキ,1/3,C1,0"_s,
    u"です,助動詞,*,*,*,特殊・デス,基本形,です,デス,デス,1/2,名詞%F2@1,1"_s,
    u"。,記号,句点,*,*,*,*,。,。,。,0/0,*,0"_s,
};
const QList<std::pair<QString, qint64>> kLinePhonemes{
    {u"sil"_s, 0}, {u"ky"_s, 2000000}, {u"o"_s, 2500000}, {u"o"_s, 3000000}, {u"w"_s, 3500000},
    {u"a"_s, 4000000}, {u"y"_s, 4500000}, {u"o"_s, 5000000}, {u"i"_s, 5500000}, {u"t"_s, 6000000},
    {u"e"_s, 6500000}, {u"N"_s, 7000000}, {u"k"_s, 7500000}, {u"i"_s, 8000000}, {u"d"_s, 8500000},
    {u"e"_s, 9000000}, {u"s"_s, 9500000}, {u"U"_s, 10000000}, {u"sil"_s, 10500000},
};

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString Shell(const QString& s)
{
    return u'\'' + QString(s).replace(u'\'', u"'\\''"_s) + u'\'';
}

} // namespace

class TestOpenJTalk : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void voiceSearch_data();
    void voiceSearch();
    void userFolderIsSearched();
    void arguments_data();
    void arguments();
    void wavRead_data();
    void wavRead();
    void wordsFromTheTrace_data();
    void wordsFromTheTrace();
    void voiceListEntries_data();
    void voiceListEntries();
    void automaticChoiceTakesTheNaturalVoiceForJapanese();
    void lineIsSaidWithItsWords();
    void pauseHoldsAndResumeGoesOn();
    void failureIsSaidOnceAndTheVoicesGoOn_data();
    void failureIsSaidOnceAndTheVoicesGoOn();

private:
    // Writes the stand-in open_jtalk into bin/, exiting with `exitCode`.
    void WriteProgram(int exitCode);
    QStringList LoggedArguments() const;
    int RunCount() const;
    int NaturalIndex(const BuiltInVoice& voice) const;

    QTemporaryDir work_;
    QByteArray path_;
    QString voiceFolder_;
    QString voicePath_;
    std::unique_ptr<MonitorRecorder> monitor_;
};

void TestOpenJTalk::initTestCase()
{
    QVERIFY(work_.isValid());
    path_ = qgetenv("PATH");
    QVERIFY(WriteFile(work_.filePath(u"sound.wav"_s), Wav(kVoiceRate, 1, 1.3)));
    QVERIFY(WriteFile(work_.filePath(u"trace.txt"_s), Trace(kLineWords, kLinePhonemes).toUtf8()));
    voiceFolder_ = work_.filePath(u"voices"_s);
    voicePath_ = voiceFolder_ + u"/test-voice/tester_normal.htsvoice"_s;
    QVERIFY(WriteFile(voicePath_, VoiceFile(kVoiceRate)));
    WriteProgram(0);
    qputenv("PATH", QFile::encodeName(work_.filePath(u"bin"_s)) + ':' + path_);
}

void TestOpenJTalk::init()
{
    QFile::remove(work_.filePath(u"runs.log"_s));
    QFile::remove(work_.filePath(u"args.log"_s));
    // The tests that listen to the sink.
    static const QList<QByteArray> listening{"lineIsSaidWithItsWords", "pauseHoldsAndResumeGoesOn",
                                             "failureIsSaidOnceAndTheVoicesGoOn"};
    if (listening.contains(QByteArray(QTest::currentTestFunction()))) {
        QVERIFY2(!qEnvironmentVariableIsEmpty("PULSE_SERVER"), "needs the private sound session (scripts/test)");
        monitor_ = std::make_unique<MonitorRecorder>();
        QVERIFY(monitor_->start());
    }
}

void TestOpenJTalk::cleanup()
{
    monitor_.reset();
    WriteProgram(0);
}

void TestOpenJTalk::WriteProgram(int exitCode)
{
    const QString log = work_.filePath(u"args.log"_s);
    QString script = u"#!/bin/sh\n"_s;
    script += u"echo run >> %1\n"_s.arg(Shell(work_.filePath(u"runs.log"_s)));
    script += u"printf '%s\\n' \"$@\" > %1\n"_s.arg(Shell(log));
    script += u"cat > %1\n"_s.arg(Shell(work_.filePath(u"stdin.txt"_s)));
    if (exitCode != 0) {
        script += u"echo 'cannot load the voice' >&2\nexit %1\n"_s.arg(exitCode);
    } else {
        script += u"while [ $# -gt 0 ]; do case \"$1\" in -ow) out=$2; shift;; -ot) trace=$2; shift;; esac; shift; done\n"_s;
        script += u"cp %1 \"$out\" && cp %2 \"$trace\"\n"_s.arg(Shell(work_.filePath(u"sound.wav"_s)),
                                                             Shell(work_.filePath(u"trace.txt"_s)));
    }
    const QString program = work_.filePath(u"bin/open_jtalk"_s);
    QVERIFY(WriteFile(program, script.toUtf8()));
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QStringList TestOpenJTalk::LoggedArguments() const
{
    QFile f(work_.filePath(u"args.log"_s));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

int TestOpenJTalk::RunCount() const
{
    QFile f(work_.filePath(u"runs.log"_s));
    return f.open(QIODevice::ReadOnly) ? int(f.readAll().count('\n')) : 0;
}

int TestOpenJTalk::NaturalIndex(const BuiltInVoice& voice) const
{
    return int(voice.GetVoices().indexOf(BuiltInVoice::NaturalJapaneseName(u"tester_normal"_s)));
}

void TestOpenJTalk::voiceSearch_data()
{
    // Files under two folders A and B, searched in that order:
    // "path=kind", kind a voice's rate, "empty", "text", "dir", or "->target".
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("found");   // "name rate relative-path"
    QTest::newRow("a package's voice in its subfolder")
        << QStringList{u"A/nitech-jp-atr503-m001/nitech_jp_atr503_m001.htsvoice=48000"_s}
        << QStringList{u"nitech_jp_atr503_m001 48000 A/nitech-jp-atr503-m001/nitech_jp_atr503_m001.htsvoice"_s};
    QTest::newRow("deeper folders, sorted by name")
        << QStringList{u"A/x/y/z/mei_normal.htsvoice=48000"_s, u"A/b/ayu.htsvoice=22050"_s}
        << QStringList{u"ayu 22050 A/b/ayu.htsvoice"_s, u"mei_normal 48000 A/x/y/z/mei_normal.htsvoice"_s};
    QTest::newRow("other names ignored")
        << QStringList{u"A/readme.txt=48000"_s, u"A/voice.htsvoice.bak=48000"_s, u"A/voice.hts=48000"_s}
        << QStringList();
    QTest::newRow("empty file and text that is no voice ignored")
        << QStringList{u"A/empty.htsvoice=empty"_s, u"A/notes.htsvoice=text"_s, u"A/good.htsvoice=16000"_s}
        << QStringList{u"good 16000 A/good.htsvoice"_s};
    QTest::newRow("a folder named like a voice ignored, its voices found")
        << QStringList{u"A/folder.htsvoice=dir"_s, u"A/folder.htsvoice/inner.htsvoice=48000"_s}
        << QStringList{u"inner 48000 A/folder.htsvoice/inner.htsvoice"_s};
    QTest::newRow("broken link ignored")
        << QStringList{u"A/gone.htsvoice=->A/nothing-here"_s} << QStringList();
    QTest::newRow("a link to a voice found once")
        << QStringList{u"A/real/one.htsvoice=48000"_s, u"B/one-link.htsvoice=->A/real/one.htsvoice"_s}
        << QStringList{u"one 48000 A/real/one.htsvoice"_s};
    QTest::newRow("one name in two folders: the first folder's")
        << QStringList{u"B/same.htsvoice=22050"_s, u"A/same.htsvoice=48000"_s}
        << QStringList{u"same 48000 A/same.htsvoice"_s};
    QTest::newRow("a voice without its rate is taken at 48 kHz")
        << QStringList{u"B/norate.htsvoice=norate"_s} << QStringList{u"norate 48000 B/norate.htsvoice"_s};
    QTest::newRow("no folders at all") << QStringList() << QStringList();
}

void TestOpenJTalk::voiceSearch()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, found);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    for (const QString& spec : files) {
        const QString path = root.filePath(spec.section(u'=', 0, 0));
        const QString kind = spec.section(u'=', 1);
        if (kind == u"dir"_s)
            QVERIFY(QDir().mkpath(path));
        else if (kind.startsWith(u"->"_s))
            QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath())
                    && QFile::link(root.filePath(kind.mid(2)), path));
        else if (kind == u"empty"_s)
            QVERIFY(WriteFile(path, {}));
        else if (kind == u"text"_s)
            QVERIFY(WriteFile(path, "just some notes\n"));
        else if (kind == u"norate"_s)
            QVERIFY(WriteFile(path, "[GLOBAL]\nHTS_VOICE_VERSION:1.0\n"));
        else
            QVERIFY(WriteFile(path, VoiceFile(kind.toInt())));
    }
    QStringList got;
    const QList<OpenJTalkVoices::HtsVoice> voices =
        OpenJTalkVoices::Find({root.filePath(u"A"_s), root.filePath(u"B"_s)});
    for (const OpenJTalkVoices::HtsVoice& v : voices)
        got << u"%1 %2 %3"_s.arg(v.name).arg(v.sampleRate).arg(QDir(root.path()).relativeFilePath(v.path));
    QCOMPARE(got, found);
}

void TestOpenJTalk::userFolderIsSearched()
{
    // HOME is the test's own.
    const QString folder = QDir::homePath() + u"/.local/share/murmelin/voices"_s;
    QCOMPARE(OpenJTalkVoices::DefaultFolders(),
             (QStringList{u"/usr/share/hts-voice"_s, u"/usr/local/share/hts-voice"_s, folder}));
    const QString mine = folder + u"/my/mine_normal.htsvoice"_s;
    QVERIFY(WriteFile(mine, VoiceFile(48000)));
    const QList<OpenJTalkVoices::HtsVoice> voices = OpenJTalkVoices::Find(OpenJTalkVoices::DefaultFolders());
    QDir(folder + u"/my"_s).removeRecursively();
    QVERIFY(std::any_of(voices.cbegin(), voices.cend(), [&](const auto& v) { return v.path == mine; }));
}

void TestOpenJTalk::arguments_data()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<QString>("speed");
    QTest::newRow("normal") << PcmVoice::SpeedOfRate(0) << u"1.000"_s;
    QTest::newRow("fastest of the slider") << PcmVoice::SpeedOfRate(5) << u"1.732"_s;
    QTest::newRow("slowest of the slider") << PcmVoice::SpeedOfRate(-5) << u"0.577"_s;
    QTest::newRow("a ladder's 0.75x, not the nearest step") << 0.75 << u"0.750"_s;
}

void TestOpenJTalk::arguments()
{
    QFETCH(double, factor);
    QFETCH(QString, speed);
    QCOMPARE(OpenJTalkVoices::Arguments(u"/dic"_s, u"/v.htsvoice"_s, factor, u"/t/a.wav"_s, u"/t/a.trace"_s),
             (QStringList{u"-x"_s, u"/dic"_s, u"-m"_s, u"/v.htsvoice"_s, u"-r"_s, speed, u"-ow"_s, u"/t/a.wav"_s,
                          u"-ot"_s, u"/t/a.trace"_s}));
}

void TestOpenJTalk::wavRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("rate");      // 0: refused
    QTest::addColumn<int>("samples");
    QTest::newRow("mono, a chunk before the data") << Wav(48000, 1, 0.5) << 48000 << 24000;
    QTest::newRow("stereo mixed down") << Wav(16000, 2, 0.25) << 16000 << 4000;
    QTest::newRow("8-bit refused") << Wav(16000, 1, 0.1, 8) << 0 << 0;
    QTest::newRow("not a WAV") << QByteArray("ID3\x03 something else") << 0 << 0;
    QTest::newRow("no data chunk") << Wav(16000, 1, 0.1).left(44) << 0 << 0;
}

void TestOpenJTalk::wavRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, rate);
    QFETCH(int, samples);
    OpenJTalkOutput::Sound sound;
    QString reason;
    QCOMPARE(OpenJTalkOutput::ReadWav(bytes, &sound, &reason), rate > 0);
    if (rate == 0) {
        QVERIFY(!reason.isEmpty());
        return;
    }
    QCOMPARE(sound.sampleRate, rate);
    QCOMPARE(int(sound.samples.size()), samples);
    QVERIFY(*std::max_element(sound.samples.begin(), sound.samples.end()) > 10000);
}

void TestOpenJTalk::wordsFromTheTrace_data()
{
    QTest::addColumn<QString>("trace");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("words");   // "text@ms"
    QTest::newRow("each word at its first mora, punctuation silent")
        << Trace(kLineWords, kLinePhonemes) << kLine
        << QStringList{u"今日@200"_s, u"は@350"_s, u"良い@450"_s, u"天気@600"_s, u"です@850"_s};
    // open_jtalk widens ASCII; the marks land on the text as written.
    QTest::newRow("widened letters found in the text")
        << Trace({u"ＡＢＣ,名詞,一般,*,*,*,*,ＡＢＣ,エービーシー,エービーシー,3/6,C1,0"_s,
                  u"です,助動詞,*,*,*,*,*,です,デス,デス,1/2,*,1"_s},
                 {{u"sil"_s, 0}, {u"e"_s, 1000000}, {u"e"_s, 1500000}, {u"b"_s, 2000000}, {u"i"_s, 2500000},
                  {u"i"_s, 3000000}, {u"sh"_s, 3500000}, {u"i"_s, 4000000}, {u"i"_s, 4500000},
                  {u"d"_s, 5000000}, {u"e"_s, 5500000}, {u"s"_s, 6000000}, {u"U"_s, 6500000}, {u"sil"_s, 7000000}})
        << u" ABCです"_s << QStringList{u"ABC@100"_s, u"です@500"_s};
    QTest::newRow("a pause and the geminate")
        << Trace({u"待っ,動詞,自立,*,*,*,*,待つ,マッ,マッ,1/2,*,0"_s, u"、,記号,読点,*,*,*,*,、,、,、,0/0,*,0"_s,
                  u"て,助詞,*,*,*,*,*,て,テ,テ,0/1,*,1"_s},
                 {{u"sil"_s, 0}, {u"m"_s, 1000000}, {u"a"_s, 1500000}, {u"cl"_s, 2000000}, {u"pau"_s, 2500000},
                  {u"t"_s, 4000000}, {u"e"_s, 4500000}, {u"sil"_s, 5000000}})
        << u"待っ、て"_s << QStringList{u"待っ@100"_s, u"て@400"_s};
    QTest::newRow("a word not in the text has no mark")
        << Trace({u"十,名詞,数,*,*,*,*,十,ジュウ,ジュー,1/2,*,0"_s, u"個,名詞,接尾,*,*,*,*,個,コ,コ,1/1,*,0"_s},
                 {{u"sil"_s, 0}, {u"j"_s, 1000000}, {u"u"_s, 1500000}, {u"u"_s, 2000000}, {u"k"_s, 2500000},
                  {u"o"_s, 3000000}, {u"sil"_s, 3500000}})
        << u"10個"_s << QStringList{u"個@250"_s};
    QTest::newRow("morae that disagree: no words, the line is marked whole")
        << Trace({u"今日,名詞,*,*,*,*,*,今日,キョウ,キョー,1/3,*,0"_s},
                 {{u"sil"_s, 0}, {u"ky"_s, 1000000}, {u"o"_s, 1500000}, {u"o"_s, 2000000}, {u"sil"_s, 2500000}})
        << u"今日"_s << QStringList();
    QTest::newRow("no trace") << QString() << kLine << QStringList();
}

void TestOpenJTalk::wordsFromTheTrace()
{
    QFETCH(QString, trace);
    QFETCH(QString, text);
    QFETCH(QStringList, words);
    QStringList got;
    for (const OpenJTalkOutput::WordTime& w : OpenJTalkOutput::Words(trace, text))
        got << u"%1@%2"_s.arg(text.mid(w.start, w.length)).arg(w.time100ns / 10000);
    QCOMPARE(got, words);
}

void TestOpenJTalk::voiceListEntries_data()
{
    QTest::addColumn<bool>("program");
    QTest::addColumn<bool>("voice");
    QTest::addColumn<bool>("offered");
    QTest::newRow("program and voice") << true << true << true;
    QTest::newRow("program without a voice") << true << false << false;
    QTest::newRow("voice without the program") << false << true << false;
    QTest::newRow("neither") << false << false << false;
}

void TestOpenJTalk::voiceListEntries()
{
    QFETCH(bool, program);
    QFETCH(bool, voice);
    QFETCH(bool, offered);
    QTemporaryDir nowhere;
    // Without the program, PATH holds none (this machine has the real one).
    if (!program)
        qputenv("PATH", QFile::encodeName(nowhere.path()));
    BuiltInVoice builtIn(voice ? QStringList{voiceFolder_} : QStringList{nowhere.path()}, nullptr);
    qputenv("PATH", QFile::encodeName(work_.filePath(u"bin"_s)) + ':' + path_);
    const QStringList names = builtIn.GetVoices();
    const QString natural = BuiltInVoice::NaturalJapaneseName(u"tester_normal"_s);
    QCOMPARE(natural, u"日本語・自然な声（Open JTalk：tester_normal）"_s);
    QCOMPARE(names.contains(natural), offered);
    QVERIFY(BuiltInVoice::IsBuiltInName(natural));
    QCOMPARE(names.at(3), BuiltInVoice::kJapaneseName);
    if (!offered) {
        for (const QString& name : names)
            QVERIFY2(!name.contains(u"Open JTalk"_s), qPrintable(name));
        return;
    }
    // Right after the Japanese voice, on a line of its own in the dialog.
    QCOMPARE(names.indexOf(natural), 4);
    const QList<VoiceList::Entry> entries = VoiceList::Make(names, {});
    const auto entry = std::find_if(entries.cbegin(), entries.cend(), [&](const auto& e) { return e.name == natural; });
    QVERIFY(entry != entries.cend());
    QCOMPARE(entry->group, natural);
    QCOMPARE(entry->label, natural);
    QVERIFY(!entry->desktop);
}

void TestOpenJTalk::automaticChoiceTakesTheNaturalVoiceForJapanese()
{
    using K = BuiltInVoice::Kind;
    BuiltInVoice voice({voiceFolder_}, nullptr);
    const int natural = NaturalIndex(voice);
    QVERIFY(natural > 0);
    QCOMPARE(int(voice.VoiceFor(0, kLine).kind), int(K::NaturalJapanese));
    QCOMPARE(voice.VoiceFor(0, kLine).htsVoice.path, voicePath_);
    QCOMPARE(int(voice.VoiceFor(0, u"Hello there."_s).kind), int(K::EnglishMale));
    // Chosen by name, it says the Japanese lines; the others go as automatic.
    QCOMPARE(int(voice.VoiceFor(natural, kLine).kind), int(K::NaturalJapanese));
    QCOMPARE(int(voice.VoiceFor(natural, u"Hello there."_s).kind), int(K::EnglishMale));
    // espeak-ng's Japanese voice stays to be had.
    QCOMPARE(int(voice.VoiceFor(3, kLine).kind), int(K::Japanese));
}

void TestOpenJTalk::lineIsSaidWithItsWords()
{
    BuiltInVoice voice({voiceFolder_}, nullptr);
    QVERIFY(voice.ok());
    QVERIFY(voice.setVoice(NaturalIndex(voice)));
    QVERIFY(voice.setRate(5));
    MonitorRecorder& monitor = *monitor_;
    const qsizetype before = monitor.samples();
    QSignalSpy ended(&voice, &SpeechVoice::EndStream);
    QSignalSpy started(&voice, &SpeechVoice::AudioStarted);
    QList<std::pair<QString, qint64>> heard;
    QElapsedTimer clock;
    connect(&voice, &SpeechVoice::WordStarted, this,
            [&](int start, int length) { heard.append({kLine.mid(start, length), clock.elapsed()}); });
    clock.start();
    QVERIFY(voice.Speak(kLine, 3));
    QCOMPARE(voice.RunningState(), SpeechVoice::SRSEIsSpeaking);
    QVERIFY(started.wait(10000));
    const qint64 firstSound = clock.elapsed();
    QVERIFY(ended.wait(10000));
    QTest::qWait(300);
    QCOMPARE(ended.count(), 1);
    QCOMPARE(voice.RunningState(), SpeechVoice::SRSEDone);
    qInfo("Speak -> first sound (stand-in open_jtalk): %lld ms", firstSound);

    const QStringList args = LoggedArguments();
    QCOMPARE(args.value(0), u"-x"_s);
    QCOMPARE(args.value(1), OpenJTalkVoices::kDictionary);
    QCOMPARE(args.mid(2, 4), (QStringList{u"-m"_s, voicePath_, u"-r"_s, u"1.732"_s}));
    QCOMPARE(args.value(6), u"-ow"_s);
    QCOMPARE(args.value(8), u"-ot"_s);
    // Private files, gone once read.
    QVERIFY(!args.value(7).startsWith(QDir::homePath()));
    QVERIFY(!QFile::exists(args.value(7)));
    QFile input(work_.filePath(u"stdin.txt"_s));
    QVERIFY(input.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(input.readAll()).trimmed(), kLine);

    QVERIFY2(monitor.soundFrom(before) >= 0, "nothing was heard on the sink's monitor");
    QVERIFY(monitor.peak(before, monitor.samples()) > 5000);
    QStringList words;
    for (const auto& w : heard)
        words << w.first;
    QCOMPARE(words, (QStringList{u"今日"_s, u"は"_s, u"良い"_s, u"天気"_s, u"です"_s}));
    // 今日 at 0.2 s, 天気 at 0.6 s of the sound: 400 ms apart as heard.
    const qint64 apart = heard.at(3).second - heard.at(0).second;
    QVERIFY2(apart > 300 && apart < 550, qPrintable(QString::number(apart)));
}

void TestOpenJTalk::pauseHoldsAndResumeGoesOn()
{
    BuiltInVoice voice({voiceFolder_}, nullptr);
    QVERIFY(voice.setVoice(NaturalIndex(voice)));
    MonitorRecorder& monitor = *monitor_;
    QSignalSpy ended(&voice, &SpeechVoice::EndStream);
    QSignalSpy started(&voice, &SpeechVoice::AudioStarted);
    QVERIFY(voice.Speak(kLine, 3));
    QVERIFY(started.wait(10000));
    QTest::qWait(400);
    QVERIFY(voice.Pause());
    QCOMPARE(voice.RunningState(), SpeechVoice::SRSEPaused);
    const qsizetype atPause = monitor.samples();
    QTest::qWait(1500);
    QCOMPARE(ended.count(), 0);
    const qsizetype atResume = monitor.samples();
    QVERIFY(monitor.peak(atPause - MonitorRecorder::ms(300), atPause) > 5000);
    QVERIFY(monitor.peak(atPause + MonitorRecorder::ms(300), atResume) < 64);
    QVERIFY(voice.Resume());
    QVERIFY(ended.wait(10000));
    QTest::qWait(300);
    QVERIFY(monitor.peak(atResume, monitor.samples()) > 5000);
}

void TestOpenJTalk::failureIsSaidOnceAndTheVoicesGoOn_data()
{
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("dictionary");
    QTest::addColumn<QStringList>("said");   // parts of the message
    QTest::newRow("open_jtalk fails") << 3 << true
                                      << QStringList{u"終了コード 3"_s, u"cannot load the voice"_s, u"open-jtalk"_s};
    QTest::newRow("dictionary missing") << 0 << false
                                        << QStringList{u"open-jtalk-mecab-naist-jdic"_s, u"/nonexistent"_s};
}

void TestOpenJTalk::failureIsSaidOnceAndTheVoicesGoOn()
{
    QFETCH(int, exitCode);
    QFETCH(bool, dictionary);
    QFETCH(QStringList, said);
    WriteProgram(exitCode);
    Rig rig;
    BuiltInVoice* voice = nullptr;
    rig.speech.setEngineFactories(
        [&]() -> std::unique_ptr<SpeechVoice> {
            auto v = std::make_unique<BuiltInVoice>(QStringList{voiceFolder_}, nullptr);
            if (!dictionary)
                v->setOpenJTalkDictionary(u"/nonexistent/naist-jdic"_s);
            voice = v.get();
            return v;
        },
        nullptr);
    rig.state.oralNameText = BuiltInVoice::NaturalJapaneseName(u"tester_normal"_s);
    rig.speech.SpeechPlatformInstallationCheck();
    QVERIFY(voice);
    QCOMPARE(rig.state.voiceStatus, EngineStatus::Ready);
    QCOMPARE(rig.oralName(), rig.state.oralNameText);

    // The line ends, so reading goes on, and the message says what to install.
    QSignalSpy ended(voice, &SpeechVoice::EndStream);
    QVERIFY(voice->Speak(kLine, 3));
    QVERIFY(ended.wait(10000));
    QTRY_COMPARE_WITH_TIMEOUT(rig.prompter.texts().size(), 1, 5000);
    for (const QString& part : said)
        QVERIFY2(rig.prompter.texts().first().contains(part), qPrintable(rig.prompter.texts().first()));

    // English is untouched; the next Japanese line is espeak-ng's, heard, and
    // nothing more is said.
    MonitorRecorder& monitor = *monitor_;
    for (const QString& line : {u"Good morning to you."_s, u"明日も晴れるでしょう。"_s}) {
        const qsizetype before = monitor.samples();
        QVERIFY(voice->Speak(line, 3));
        QVERIFY(ended.wait(20000));
        QTest::qWait(300);
        QVERIFY2(monitor.peak(before, monitor.samples()) > 1000, qPrintable(line));
    }
    QCOMPARE(rig.prompter.texts().size(), 1);
    QCOMPARE(RunCount(), exitCode != 0 ? 1 : 0);
}

QTEST_MAIN(TestOpenJTalk)
#include "tst_openjtalk.moc"
