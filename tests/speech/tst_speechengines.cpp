// The two real speech engines on the private PulseAudio session: the
// built-in voice (espeak-ng through GStreamer) and the desktop speech
// service (speech-dispatcher through Qt TextToSpeech).

#include "platform/BuiltInVoice.h"
#include "platform/EspeakEngine.h"
#include "platform/EspeakVoice.h"
#include "platform/FliteEngine.h"
#include "platform/QtSpeechSynthesizer.h"
#include "speech/KanaReadings.h"
#include "platform/QtSpeechWorker.h"
#include "support/MonitorRecorder.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <future>

using namespace Qt::StringLiterals;

namespace {

const QString kLine = u"The quick brown fox jumps over the lazy dog near the river."_s;
const QString kLong = u"Reading aloud keeps going for a while, so that there is time to pause it, "
                      u"to wait, to listen to the silence, and then to let it carry on from the very "
                      u"place where it stopped, word after word, until the whole sentence is done."_s;

int EnglishVoice(const SpeechVoice& voice)
{
    const QStringList voices = voice.GetVoices();
    for (int i = 0; i < voices.size(); ++i)
        if (voices[i].endsWith(u"(en-us)"_s))
            return i;
    return voices.indexOf(u"English (Great Britain) (en-gb)"_s);
}

// Speaks a text to its end and returns how long that took, or -1.
qint64 TimeToEnd(EspeakVoice& voice, const QString& text, int timeoutMs = 30000)
{
    QSignalSpy ended(&voice, &SpeechVoice::EndStream);
    QElapsedTimer clock;
    clock.start();
    if (!voice.Speak(text, 3))
        return -1;
    if (!ended.wait(timeoutMs))
        return -1;
    return clock.elapsed();
}

// Under CI the desktop service is part of what is tested: missing, it fails
// the test. Elsewhere a machine without it only skips.
bool ServiceRequired()
{
    const QByteArray ci = qgetenv("CI").trimmed().toLower();
    return !ci.isEmpty() && ci != "0" && ci != "false" && ci != "no";
}

// Renders `text` as the built-in voice does (kanji through the readings)
// and returns its samples, or nothing after 30 s.
std::vector<std::int16_t> RenderBuiltIn(const BuiltInVoice::Entry& voice, const QString& text, double speed,
                                        const std::shared_ptr<KanaReader>& kana)
{
    auto samples = std::make_shared<std::vector<std::int16_t>>();
    auto finished = std::make_shared<std::promise<void>>();
    std::future<void> done = finished->get_future();
    BuiltInVoice::Sink sink;
    sink.chunk = [samples](const std::int16_t* chunk, int count) {
        if (chunk && count > 0)
            samples->insert(samples->end(), chunk, chunk + count);
        return true;
    };
    sink.word = [](int, int, std::int64_t) {};
    sink.done = [finished] { finished->set_value(); };
    BuiltInVoice::Synthesize(voice, text, speed, kana, std::move(sink));
    if (done.wait_for(std::chrono::seconds(30)) != std::future_status::ready)
        return {};
    return *samples;
}

// Samples from the first sound to the last: the silence around a line is
// not what a learner hears as its speed.
qsizetype SoundingSamples(const std::vector<std::int16_t>& samples)
{
    constexpr int kSilence = 300;
    const auto loud = [](std::int16_t s) { return std::abs(int(s)) >= kSilence; };
    const auto first = std::find_if(samples.begin(), samples.end(), loud);
    const auto last = std::find_if(samples.rbegin(), samples.rend(), loud).base();
    return first < last ? qsizetype(last - first) : 0;
}

} // namespace

#define SKIP_WITHOUT_SERVICE()                                                                              \
    do {                                                                                                    \
        if (ServiceRequired())                                                                              \
            QFAIL("speech-dispatcher cannot be reached in this session (not installed or it fails to "      \
                  "start); under CI the desktop service tests must run");                                   \
        QSKIP("speech-dispatcher cannot be reached in this session (not installed or it fails to start)"); \
    } while (false)

class TestSpeechEngines : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void builtInVoiceSpeaksToTheEndWithOneEvent();
    void builtInVoiceListsItsVoices();
    void pauseHoldsThePlaceAndResumeContinues();
    void purgeSilencesAtOnceWithoutEvent();
    void skipWhileSpeakingCountsOnlyTheNewLine();
    void rateChangesTheSpeed();
    void ladderSpeedReachesEachEngine_data();
    void ladderSpeedReachesEachEngine();
    void espeakSettingForASpeed_data();
    void espeakSettingForASpeed();
    void japaneseVoiceIsHeardAtARepeatsSpeed_data();
    void japaneseVoiceIsHeardAtARepeatsSpeed();
    void everyBuiltInVoiceSpeaksAndMarksItsWords_data();
    void everyBuiltInVoiceSpeaksAndMarksItsWords();
    void missingDictionaryIsSaidOnceAndTheVoicesGoOn();

    void desktopServiceStartsWithoutHoldingTheWindow();
    void desktopServiceSpeaksAndReturnsToReady();
    void desktopServiceCancelRaisesNothing();
    void desktopServicePauseHaltsAndResumeGoesOn();
    void desktopServiceResumePosition();

private:
    std::unique_ptr<QtSpeechSynthesizer> StartService();
    // Someone always listens to the null sink: unread, it plays in blocks of
    // up to two seconds and ends of streams arrive that much late.
    std::unique_ptr<MonitorRecorder> monitor_;
    bool serviceTried_ = false;
    bool serviceOk_ = false;
};

void TestSpeechEngines::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        QFAIL("needs the private sound session: run through scripts/test or after "
              "eval \"$(scripts/audio-session)\"");
    QVERIFY2(!QStandardPaths::findExecutable(u"parec"_s).isEmpty(), "parec (pulseaudio-utils) is missing");
}

void TestSpeechEngines::init()
{
    monitor_ = std::make_unique<MonitorRecorder>();
    QVERIFY(monitor_->start());
}

void TestSpeechEngines::cleanup()
{
    monitor_.reset();
}

void TestSpeechEngines::builtInVoiceSpeaksToTheEndWithOneEvent()
{
    EspeakVoice voice;
    QVERIFY(voice.ok());
    QVERIFY(voice.setVoice(EnglishVoice(voice)));
    QCOMPARE(voice.RunningState(), SpeechVoice::SRSEDone);

    MonitorRecorder& monitor = *monitor_;
    const qsizetype before = monitor.samples();

    QSignalSpy ended(&voice, &SpeechVoice::EndStream);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(voice.setRate(0));
    QVERIFY(voice.setVolume(100));
    QVERIFY(voice.Speak(kLine, 3));
    QCOMPARE(voice.RunningState(), SpeechVoice::SRSEIsSpeaking);
    QVERIFY(ended.wait(20000));
    const qint64 took = clock.elapsed();
    // The event comes when the sound has played, not when synthesis ended:
    // the line lasts about three seconds.
    QVERIFY2(took > 2000, qPrintable(u"ended after %1 ms"_s.arg(took)));
    QCOMPARE(voice.RunningState(), SpeechVoice::SRSEDone);

    QTest::qWait(700);
    QCOMPARE(ended.count(), 1);
    // Sound came out of the sink, and it is quiet again now.
    const qsizetype sound = monitor.soundFrom(before);
    QVERIFY2(sound >= 0, "nothing was heard on the sink's monitor");
    QVERIFY(monitor.peak(before, monitor.samples()) > 2000);
    QVERIFY(monitor.peak(monitor.samples() - MonitorRecorder::ms(300), monitor.samples()) < 64);
}

void TestSpeechEngines::builtInVoiceListsItsVoices()
{
    EspeakVoice voice;
    const QStringList voices = voice.GetVoices();
    QVERIFY(voices.size() > 20);
    QVERIFY(voices.contains(u"Japanese (ja)"_s));
    QVERIFY(voice.voiceIndex() >= 0);
    QVERIFY(!voice.setVoice(voices.size()));
    QVERIFY(!voice.setVoice(-1));
    QVERIFY(!voice.setRate(11));
    QVERIFY(!voice.setVolume(101));
    // Rate -5..5 spans normal speed times 3^(-1/2) to 3^(1/2).
    QCOMPARE(EspeakVoice::WordsPerMinute(0), 175);
    QCOMPARE(EspeakVoice::WordsPerMinute(-5), 101);
    QCOMPARE(EspeakVoice::WordsPerMinute(5), 303);
}

void TestSpeechEngines::pauseHoldsThePlaceAndResumeContinues()
{
    EspeakVoice voice;
    QVERIFY(voice.setVoice(EnglishVoice(voice)));
    const qint64 plain = TimeToEnd(voice, kLong);
    QVERIFY(plain > 4000);

    MonitorRecorder& monitor = *monitor_;
    QSignalSpy ended(&voice, &SpeechVoice::EndStream);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(voice.Speak(kLong, 3));
    QTest::qWait(1500);
    const qsizetype atPause = monitor.samples();
    QVERIFY(voice.Pause());
    QCOMPARE(voice.RunningState(), SpeechVoice::SRSEPaused);
    const int held = 2000;
    QTest::qWait(held);
    const qsizetype atResume = monitor.samples();
    QCOMPARE(ended.count(), 0);
    QVERIFY(voice.Resume());
    QCOMPARE(voice.RunningState(), SpeechVoice::SRSEIsSpeaking);
    QVERIFY(ended.wait(30000));
    const qint64 total = clock.elapsed();

    // Sound before the pause, silence while held, sound again after.
    QVERIFY(monitor.peak(atPause - MonitorRecorder::ms(1000), atPause) > 1000);
    QVERIFY(monitor.peak(atPause + MonitorRecorder::ms(300), atResume) < 64);
    QVERIFY(monitor.peak(atResume, monitor.samples()) > 1000);
    // Continued where it was: a restart would add the 1.5 s already read,
    // a skip would lose some.
    const qint64 expected = plain + held;
    QVERIFY2(qAbs(total - expected) < 600,
             qPrintable(u"plain %1 ms, with a %2 ms pause %3 ms"_s.arg(plain).arg(held).arg(total)));
    QCOMPARE(ended.count(), 1);
}

void TestSpeechEngines::purgeSilencesAtOnceWithoutEvent()
{
    EspeakVoice voice;
    QVERIFY(voice.setVoice(EnglishVoice(voice)));
    MonitorRecorder& monitor = *monitor_;
    QSignalSpy ended(&voice, &SpeechVoice::EndStream);
    QVERIFY(voice.Speak(kLong, 3));
    QTest::qWait(1200);
    const qsizetype atPurge = monitor.samples();
    QVERIFY(voice.Speak(QString(), 3));
    QCOMPARE(voice.RunningState(), SpeechVoice::SRSEDone);
    QTest::qWait(2500);
    QCOMPARE(ended.count(), 0);
    QVERIFY(monitor.peak(atPurge - MonitorRecorder::ms(800), atPurge) > 1000);
    const qsizetype quiet = monitor.silenceFrom(atPurge - MonitorRecorder::ms(800), 500);
    QVERIFY(quiet >= 0);
    QVERIFY2(quiet - atPurge < MonitorRecorder::ms(200),
             qPrintable(u"silent %1 ms after the purge"_s.arg((quiet - atPurge) * 1000 / MonitorRecorder::Rate)));

    // Pausing, then purging leaves the voice ready to speak again unpaused.
    QVERIFY(voice.Speak(kLong, 3));
    QTest::qWait(500);
    QVERIFY(voice.Pause());
    QVERIFY(voice.Speak(QString(), 3));
    QCOMPARE(voice.RunningState(), SpeechVoice::SRSEDone);
    QVERIFY(TimeToEnd(voice, u"Again."_s, 10000) > 0);
}

void TestSpeechEngines::skipWhileSpeakingCountsOnlyTheNewLine()
{
    EspeakVoice voice;
    QVERIFY(voice.setVoice(EnglishVoice(voice)));
    const qint64 shortLine = TimeToEnd(voice, u"Next line."_s);
    QVERIFY(shortLine > 0);

    QSignalSpy ended(&voice, &SpeechVoice::EndStream);
    QVERIFY(voice.Speak(kLong, 3));
    QTest::qWait(800);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(voice.Speak(u"Next line."_s, 3));
    QVERIFY(ended.wait(10000));
    const qint64 took = clock.elapsed();
    QVERIFY2(took < shortLine + 500, qPrintable(u"%1 ms vs %2 ms"_s.arg(took).arg(shortLine)));
    QTest::qWait(1500);
    QCOMPARE(ended.count(), 1);

    // Purged while still waiting in the queue behind another voice's text.
    EspeakVoice other;
    QVERIFY(other.Speak(kLong, 3));
    QVERIFY(voice.Speak(kLine, 3));
    QVERIFY(voice.Speak(QString(), 3));
    QVERIFY(other.Speak(QString(), 3));
    QTest::qWait(800);
    QCOMPARE(ended.count(), 1);
}

void TestSpeechEngines::rateChangesTheSpeed()
{
    EspeakVoice voice;
    QVERIFY(voice.setVoice(EnglishVoice(voice)));
    QVERIFY(voice.setRate(-5));
    const qint64 slow = TimeToEnd(voice, kLine);
    QVERIFY(voice.setRate(5));
    const qint64 fast = TimeToEnd(voice, kLine);
    // Both played in real time (the line lasts seconds at either rate).
    QVERIFY2(fast > 1000, qPrintable(u"rate 5: %1 ms"_s.arg(fast)));
    QVERIFY2(slow >= 2.5 * fast, qPrintable(u"rate -5: %1 ms, rate 5: %2 ms"_s.arg(slow).arg(fast)));
}

// A repetition's speed (a ladder step times the learner's rate) is what
// each engine is set to, within 2 %: espeak-ng's words per minute, Flite's
// duration stretch.
void TestSpeechEngines::ladderSpeedReachesEachEngine_data()
{
    QTest::addColumn<bool>("flite");
    QTest::addColumn<double>("speed");
    const double up3 = std::pow(3.0, 0.3);
    for (bool flite : {false, true}) {
        const char* engine = flite ? "Flite" : "espeak-ng";
        QTest::addRow("%s 0.5", engine) << flite << 0.5;
        QTest::addRow("%s 0.75", engine) << flite << 0.75;
        QTest::addRow("%s 1.0", engine) << flite << 1.0;
        QTest::addRow("%s 1.25", engine) << flite << 1.25;
        QTest::addRow("%s 1.5", engine) << flite << 1.5;
        QTest::addRow("%s 0.75 at rate 3", engine) << flite << 0.75 * up3;
        QTest::addRow("%s 1.25 at rate 3", engine) << flite << 1.25 * up3;
    }
}

void TestSpeechEngines::ladderSpeedReachesEachEngine()
{
    QFETCH(bool, flite);
    QFETCH(double, speed);
    const double set = flite ? 1.0 / FliteEngine::DurationStretch(speed)
                             : double(EspeakVoice::WordsPerMinuteAt(speed)) / EspeakEngine::NormalWordsPerMinute;
    QVERIFY2(std::abs(set / speed - 1.0) <= 0.02, qPrintable(u"%1× for %2×"_s.arg(set).arg(speed)));
}

// espeak-ng's setting for a speed: English follows words per minute in a
// straight line; the Japanese voice's pauses and long vowels do not, so its
// settings reach further out at both ends to be heard at the speed asked.
void TestSpeechEngines::espeakSettingForASpeed_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<double>("speed");
    QTest::addColumn<int>("wordsPerMinute");
    const double up3 = std::pow(3.0, 0.3);
    QTest::newRow("Japanese 0.5") << u"ja"_s << 0.5 << 92;
    QTest::newRow("Japanese 0.75") << u"ja"_s << 0.75 << 135;
    QTest::newRow("Japanese 1.0") << u"ja"_s << 1.0 << 175;
    QTest::newRow("Japanese 1.25") << u"ja"_s << 1.25 << 213;
    QTest::newRow("Japanese 1.5") << u"ja"_s << 1.5 << 251;
    QTest::newRow("Japanese 1.25 at rate 3") << u"ja"_s << 1.25 * up3 << 284;
    QTest::newRow("Japanese slower than espeak-ng goes") << u"ja"_s << 0.3 << 80;
    QTest::newRow("Japanese faster than espeak-ng goes") << u"ja"_s << 2.6 << 450;
    QTest::newRow("English 0.5") << u"en-us"_s << 0.5 << 87;
    QTest::newRow("English 0.75") << u"en-us"_s << 0.75 << 131;
    QTest::newRow("English 1.0") << u"en-us"_s << 1.0 << 175;
    QTest::newRow("English 1.25") << u"en-us"_s << 1.25 << 220;
    QTest::newRow("English 1.5") << u"en-us"_s << 1.5 << 267;
    QTest::newRow("English (Great Britain) 1.5") << u"en-gb"_s << 1.5 << 267;
    QTest::newRow("English 1.25 at rate 3") << u"en"_s << 1.25 * up3 << 312;
    // Languages not measured keep the straight line.
    QTest::newRow("French 1.25") << u"fr-fr"_s << 1.25 << 219;
}

void TestSpeechEngines::espeakSettingForASpeed()
{
    QFETCH(QString, language);
    QFETCH(double, speed);
    QFETCH(int, wordsPerMinute);
    QCOMPARE(EspeakVoice::WordsPerMinuteAt(speed, language), wordsPerMinute);
}

// The Japanese voice as a repetition uses it, on sentences of its own: the
// sentences at a step last their length at the normal speed over the step,
// within 2 %.
void TestSpeechEngines::japaneseVoiceIsHeardAtARepeatsSpeed_data()
{
    QTest::addColumn<double>("speed");
    QTest::newRow("0.5") << 0.5;
    QTest::newRow("1.25") << 1.25;
}

void TestSpeechEngines::japaneseVoiceIsHeardAtARepeatsSpeed()
{
    QFETCH(double, speed);
    EspeakEngine& espeak = EspeakEngine::Instance();
    QVERIFY2(espeak.ok(), "espeak-ng does not start (libespeak-ng1, espeak-ng-data)");
    const int japanese = EspeakEngine::VoiceForLanguage(espeak.voices(), u"ja"_s);
    QVERIFY2(japanese >= 0, "espeak-ng has no Japanese voice");
    const BuiltInVoice::Entry voice{BuiltInVoice::kJapaneseName, BuiltInVoice::Kind::Japanese,
                                    espeak.voices().at(japanese).identifier};
    const std::shared_ptr<KanaReader> kana = MakeKanaReader();
    QSignalSpy problems(kana.get(), &KanaReader::Problem);
    const QStringList sentences{
        u"駅の前に新しいパン屋ができました。"_s,  u"毎朝六時に起きて犬の散歩に行きます。"_s,
        u"週末は家族と一緒に山へ登る予定です。"_s, u"この本はとても面白いので、すぐに読み終わった。"_s,
        u"雨が降りそうなので傘を持って出かけよう。"_s, u"彼は日本語を勉強するために東京へ来ました。"_s,
        u"夏休みに祖母の家で花火を見ました。"_s,  u"会議は午後三時から始まる予定です。"_s,
    };
    qsizetype normal = 0;
    qsizetype atSpeed = 0;
    for (const QString& sentence : sentences) {
        const std::vector<std::int16_t> atNormal = RenderBuiltIn(voice, sentence, 1.0, kana);
        const std::vector<std::int16_t> atStep = RenderBuiltIn(voice, sentence, speed, kana);
        QVERIFY2(!atNormal.empty() && !atStep.empty(), qPrintable(sentence));
        normal += SoundingSamples(atNormal);
        atSpeed += SoundingSamples(atStep);
    }
    QCoreApplication::processEvents();
    QVERIFY2(problems.isEmpty(), qPrintable(problems.value(0).value(0).toString()));
    const double heard = double(normal) / double(atSpeed);
    QVERIFY2(std::abs(heard / speed - 1.0) <= 0.02, qPrintable(u"heard %1× for %2×"_s.arg(heard).arg(speed)));
}

void TestSpeechEngines::everyBuiltInVoiceSpeaksAndMarksItsWords_data()
{
    QTest::addColumn<QString>("voiceName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("someWords");
    QTest::newRow("English male") << BuiltInVoice::kEnglishMaleName << kLine
                                  << QStringList{u"quick"_s, u"fox"_s, u"river"_s};
    QTest::newRow("English female") << BuiltInVoice::kEnglishFemaleName << kLine
                                    << QStringList{u"brown"_s, u"lazy"_s};
    // Kanji are read through the readings; the marks land on the original.
    QTest::newRow("Japanese") << BuiltInVoice::kJapaneseName << u"今日は良い天気です。明日も晴れるでしょう。"_s
                              << QStringList{u"天気"_s, u"明日"_s};
    QTest::newRow("automatic, English") << BuiltInVoice::kAutomaticName << u"Good morning, how are you today?"_s
                                        << QStringList{u"morning"_s, u"today"_s};
    QTest::newRow("automatic, Japanese") << BuiltInVoice::kAutomaticName << u"私は学生です。"_s
                                         << QStringList{u"学生"_s};
    QTest::newRow("automatic, Russian") << BuiltInVoice::kAutomaticName << u"Доброе утро, как дела?"_s
                                        << QStringList();
}

void TestSpeechEngines::everyBuiltInVoiceSpeaksAndMarksItsWords()
{
    QFETCH(QString, voiceName);
    QFETCH(QString, text);
    QFETCH(QStringList, someWords);
    BuiltInVoice voice;
    voice.setKanaReader(MakeKanaReader());
    QVERIFY(voice.ok());
    QVERIFY(voice.setVoice(int(voice.GetVoices().indexOf(voiceName))));
    MonitorRecorder& monitor = *monitor_;
    const qsizetype before = monitor.samples();
    QSignalSpy ended(&voice, &SpeechVoice::EndStream);
    QSignalSpy words(&voice, &SpeechVoice::WordStarted);
    QVERIFY(voice.Speak(text, 3));
    QVERIFY(ended.wait(30000));
    QTest::qWait(300);
    QCOMPARE(ended.count(), 1);
    QVERIFY2(monitor.soundFrom(before) >= 0, "nothing was heard on the sink's monitor");
    QVERIFY(monitor.peak(before, monitor.samples()) > 1000);

    // Words come in the order of the text, each inside it.
    QVERIFY2(words.count() >= 2, qPrintable(u"%1 word events"_s.arg(words.count())));
    int last = -1;
    QStringList heard;
    for (const QList<QVariant>& w : words) {
        const int start = w.at(0).toInt();
        const int length = w.at(1).toInt();
        QVERIFY(start > last);
        QVERIFY(length > 0 && start + length <= text.size());
        last = start;
        heard << text.mid(start, length);
    }
    for (const QString& word : someWords)
        QVERIFY2(heard.contains(word), qPrintable(heard.join(u'|')));
}

void TestSpeechEngines::missingDictionaryIsSaidOnceAndTheVoicesGoOn()
{
    BuiltInVoice voice;
    JapaneseReadings::Places nowhere;
    nowhere.dictionary = u"/nonexistent/murmelin/naist-jdic"_s;
    std::shared_ptr<KanaReader> readings = MakeKanaReader(nowhere);
    QSignalSpy problems(readings.get(), &KanaReader::Problem);
    voice.setKanaReader(readings);
    QSignalSpy ended(&voice, &SpeechVoice::EndStream);
    // The Japanese voice still says the text, kana as it is.
    QVERIFY(voice.Speak(u"今日はいい天気です。"_s, 3));
    QVERIFY(ended.wait(20000));
    QVERIFY(voice.Speak(u"これはペンです。"_s, 3));
    QVERIFY(ended.wait(20000));
    QCOMPARE(problems.count(), 1);
    const QString message = problems.first().first().toString();
    QVERIFY2(message.contains(u"open-jtalk-mecab-naist-jdic"_s), qPrintable(message));
    // English is not touched.
    QSignalSpy words(&voice, &SpeechVoice::WordStarted);
    QVERIFY(voice.Speak(u"Good morning to you."_s, 3));
    QVERIFY(ended.wait(20000));
    QVERIFY(words.count() >= 3);
}

std::unique_ptr<QtSpeechSynthesizer> TestSpeechEngines::StartService()
{
    auto service = std::make_unique<QtSpeechSynthesizer>();
    QSignalSpy started(service.get(), &SpeechSynthesizer::Started);
    if (service->Starting() && !started.wait(30000))
        return nullptr;
    if (!service->Available()) {
        return nullptr;
    }
    return service;
}

void TestSpeechEngines::desktopServiceStartsWithoutHoldingTheWindow()
{
    // The window keeps answering while the service starts (spawning
    // speech-dispatcher takes seconds the first time).
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longestGap = 0;
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(10);
    connect(&ticker, &QTimer::timeout, this, [&] {
        const qint64 now = clock.elapsed();
        longestGap = std::max(longestGap, now - last);
        last = now;
        ++ticks;
    });
    ticker.start();
    auto service = std::make_unique<QtSpeechSynthesizer>();
    const qint64 created = clock.elapsed();
    QVERIFY(service->Starting());
    QCOMPARE(service->State(), SpeechSynthesizer::Ready);
    QSignalSpy started(service.get(), &SpeechSynthesizer::Started);
    QVERIFY(started.wait(30000));
    const qint64 took = clock.elapsed();
    serviceTried_ = true;
    serviceOk_ = service->Available();
    QVERIFY2(created < 100, qPrintable(u"creating took %1 ms"_s.arg(created)));
    QVERIFY2(longestGap < 250, qPrintable(u"the event loop stalled for %1 ms during a %2 ms start"_s
                                              .arg(longestGap).arg(took)));
    QVERIFY(ticks >= took / 40);
    if (!serviceOk_)
        SKIP_WITHOUT_SERVICE();
    QVERIFY(!service->Starting());
    QVERIFY(service->GetInstalledVoices().size() > 0);
    // Without a language of its own the user gets an English voice.
    if (QLocale::system().language() == QLocale::C)
        QVERIFY2(service->VoiceName().startsWith(u"English"_s), qPrintable(service->VoiceName()));
}

void TestSpeechEngines::desktopServiceSpeaksAndReturnsToReady()
{
    auto service = StartService();
    if (!service)
        SKIP_WITHOUT_SERVICE();
    const QStringList voices = service->GetInstalledVoices();
    QVERIFY(!service->SelectVoice(u"No Such Voice Installed"_s));
    const QString english = voices.contains(u"English (America)"_s) ? u"English (America)"_s : voices.first();
    QVERIFY(service->SelectVoice(english));
    QCOMPARE(service->VoiceName(), english);
    QVERIFY(service->setRate(3));
    QVERIFY(service->setVolume(100));

    MonitorRecorder& monitor = *monitor_;
    const qsizetype before = monitor.samples();
    QSignalSpy completed(service.get(), &SpeechSynthesizer::SpeakCompleted);
    QVERIFY(service->SpeakAsync(u"Hello from the speech service."_s));
    QCOMPARE(service->State(), SpeechSynthesizer::Speaking);
    QVERIFY(completed.wait(30000));
    QCOMPARE(service->State(), SpeechSynthesizer::Ready);
    QTest::qWait(500);
    QCOMPARE(completed.count(), 1);
    QVERIFY2(monitor.soundFrom(before) >= 0, "the service's speech was not heard on the monitor");
}

void TestSpeechEngines::desktopServiceCancelRaisesNothing()
{
    auto service = StartService();
    if (!service)
        SKIP_WITHOUT_SERVICE();
    QSignalSpy completed(service.get(), &SpeechSynthesizer::SpeakCompleted);

    // Cancelled while speaking, and right after being asked to speak.
    QVERIFY(service->SpeakAsync(kLong));
    QTest::qWait(1200);
    QVERIFY(service->Pause());
    QCOMPARE(service->State(), SpeechSynthesizer::Paused);
    QVERIFY(service->Resume());
    QCOMPARE(service->State(), SpeechSynthesizer::Speaking);
    QVERIFY(service->SpeakAsyncCancelAll());
    QCOMPARE(service->State(), SpeechSynthesizer::Ready);
    QVERIFY(service->SpeakAsync(kLong));
    QVERIFY(service->SpeakAsyncCancelAll());
    QTest::qWait(2000);
    QCOMPARE(completed.count(), 0);

    // A new prompt straight after a cancel: only its own end counts.
    QVERIFY(service->SpeakAsync(kLong));
    QTest::qWait(800);
    QVERIFY(service->SpeakAsyncCancelAll());
    QVERIFY(service->SpeakAsync(u"Short."_s));
    QVERIFY(completed.wait(20000));
    QTest::qWait(1000);
    QCOMPARE(completed.count(), 1);
    QCOMPARE(service->State(), SpeechSynthesizer::Ready);
}

void TestSpeechEngines::desktopServicePauseHaltsAndResumeGoesOn()
{
    auto service = StartService();
    if (!service)
        SKIP_WITHOUT_SERVICE();
    QVERIFY(service->setRate(0));
    QSignalSpy completed(service.get(), &SpeechSynthesizer::SpeakCompleted);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(service->SpeakAsync(kLong));
    QVERIFY(completed.wait(40000));
    const qint64 plain = clock.elapsed();

    MonitorRecorder& monitor = *monitor_;
    clock.restart();
    QVERIFY(service->SpeakAsync(kLong));
    QTest::qWait(4000);
    const qsizetype atPause = monitor.samples();
    QVERIFY(service->Pause());
    QCOMPARE(service->State(), SpeechSynthesizer::Paused);
    const int held = 2000;
    QTest::qWait(held);
    const qsizetype atResume = monitor.samples();
    QVERIFY(service->Resume());
    QCOMPARE(service->State(), SpeechSynthesizer::Speaking);
    QVERIFY(completed.wait(40000));
    const qint64 total = clock.elapsed();
    QTest::qWait(500);
    QCOMPARE(completed.count(), 2);
    QCOMPARE(service->State(), SpeechSynthesizer::Ready);

    QVERIFY(monitor.peak(atPause - MonitorRecorder::ms(1000), atPause) > 1000);
    QVERIFY(monitor.peak(atPause + MonitorRecorder::ms(400), atResume) < 64);
    QVERIFY(monitor.peak(atResume, monitor.samples()) > 1000);
    // It went on from the clause it had reached: neither the four seconds
    // already said again in full, nor anything skipped.
    const qint64 extra = total - held - plain;
    QVERIFY2(extra > -500 && extra < 3000,
             qPrintable(u"plain %1 ms, paused %2 ms, took %3 ms"_s.arg(plain).arg(held).arg(total)));
}

void TestSpeechEngines::desktopServiceResumePosition()
{
    const QString text = u"First part, second part here; third."_s;
    // Nothing said yet, or less than a clause: from the start.
    QCOMPARE(QtSpeechWorker::ResumePosition(text, 0, 0, 1.0), 0);
    QCOMPARE(QtSpeechWorker::ResumePosition(text, 0, 500, 1.0), 0);
    // Into the second clause: from its first word.
    QCOMPARE(QtSpeechWorker::ResumePosition(text, 0, 1200, 1.0), text.indexOf(u"second"_s));
    // Faster speech has got further.
    QCOMPARE(QtSpeechWorker::ResumePosition(text, 0, 1200, 2.0), text.indexOf(u"third"_s));
    // Past the end: the last clause again.
    QCOMPARE(QtSpeechWorker::ResumePosition(text, 0, 60000, 1.0), text.indexOf(u"third"_s));
    // Counting starts where the part being said started.
    QCOMPARE(QtSpeechWorker::ResumePosition(text, text.indexOf(u"second"_s), 0, 1.0), text.indexOf(u"second"_s));
    // Kana and kanji go slower; the clause breaks are the full-width ones.
    const QString japanese = u"今日は良い天気です。明日も晴れるでしょう。"_s;
    QCOMPARE(QtSpeechWorker::ResumePosition(japanese, 0, 1000, 1.0), 0);
    QCOMPARE(QtSpeechWorker::ResumePosition(japanese, 0, 2000, 1.0), japanese.indexOf(u"明日"_s));
    // A long clause without breaks backs up to the word only.
    const QString words = u"one two three four five six seven eight nine ten eleven twelve thirteen"_s;
    const qsizetype at = QtSpeechWorker::ResumePosition(words, 0, 3500, 1.0);
    QVERIFY(at > 40);
    QVERIFY(words[at - 1].isSpace());
}

QTEST_GUILESS_MAIN(TestSpeechEngines)
#include "tst_speechengines.moc"
