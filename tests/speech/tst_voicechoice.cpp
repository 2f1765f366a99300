// The automatic voice's choice for a line, and how the voice dialog names
// and groups the voices.

#include "platform/BuiltInVoice.h"
#include "platform/EspeakEngine.h"
#include "platform/FliteEngine.h"
#include "platform/VoiceChoice.h"
#include "speech/VoiceList.h"

#include <QtTest>

#include <future>

using namespace Qt::StringLiterals;

using EspeakList = QList<std::pair<QByteArray, QStringList>>;

class TestVoiceChoice : public QObject
{
    Q_OBJECT

private slots:
    void lineLanguage_data();
    void lineLanguage();
    void automaticVoiceForALine_data();
    void automaticVoiceForALine();
    void builtInNames_data();
    void builtInNames();
    void dialogList_data();
    void dialogList();
    void dialogListOfTheRealVoicesIsShort();
    void storedNameMeansBuiltIn_data();
    void storedNameMeansBuiltIn();
    void englishFirstPhrase_data();
    void englishFirstPhrase();
};

void TestVoiceChoice::lineLanguage_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << u"The quick brown fox."_s << u"en"_s;
    QTest::newRow("kanji and kana") << u"今日は良い天気です。"_s << u"ja"_s;
    QTest::newRow("kanji only") << u"日本語"_s << u"ja"_s;
    QTest::newRow("katakana") << u"コンピューター"_s << u"ja"_s;
    QTest::newRow("half-width katakana") << u"ｺﾝﾋﾟｭｰﾀｰ"_s << u"ja"_s;
    QTest::newRow("no letters") << u"!?… 123"_s << u"en"_s;
    QTest::newRow("empty") << QString() << u"en"_s;
    QTest::newRow("emoji only") << u"😀🎵"_s << u"en"_s;
    QTest::newRow("emoji in Japanese") << u"楽しい😀"_s << u"ja"_s;
    QTest::newRow("accented Latin") << u"Déjà vu, naïve café"_s << u"en"_s;
    QTest::newRow("Russian") << u"Доброе утро"_s << u"ru"_s;
    QTest::newRow("Korean") << u"안녕하세요"_s << u"ko"_s;
    QTest::newRow("Greek") << u"Καλημέρα"_s << u"el"_s;
    // Mixed lines go by the majority, a kana or kanji counting twice.
    QTest::newRow("word and its meaning") << u"apple りんご"_s << u"ja"_s;
    QTest::newRow("English with one kanji") << u"I like sushi very much 寿"_s << u"en"_s;
    QTest::newRow("Japanese with an English word") << u"これはAppleです"_s << u"ja"_s;
    QTest::newRow("Russian in English") << u"He said да and left the room"_s << u"en"_s;
}

void TestVoiceChoice::lineLanguage()
{
    QFETCH(QString, line);
    QFETCH(QString, language);
    QCOMPARE(VoiceChoice::LanguageOf(line), language);
}

void TestVoiceChoice::automaticVoiceForALine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("espeakLanguage");   // of the espeak-ng voice chosen
    using K = BuiltInVoice::Kind;
    QTest::newRow("English") << u"Hello there."_s << int(K::EnglishMale) << QString();
    QTest::newRow("Japanese") << u"こんにちは、世界"_s << int(K::Japanese) << u"ja"_s;
    QTest::newRow("Russian") << u"Привет, мир"_s << int(K::Espeak) << u"ru"_s;
    QTest::newRow("Korean") << u"안녕하세요"_s << int(K::Espeak) << u"ko"_s;
    QTest::newRow("no letters") << u"--- 42 ---"_s << int(K::EnglishMale) << QString();
    QTest::newRow("long line") << QString(20000, u'a') << int(K::EnglishMale) << QString();
}

void TestVoiceChoice::automaticVoiceForALine()
{
    QFETCH(QString, line);
    QFETCH(int, kind);
    QFETCH(QString, espeakLanguage);
    BuiltInVoice voice;
    const BuiltInVoice::Entry chosen = voice.VoiceFor(0, line);
    QCOMPARE(int(chosen.kind), kind);
    if (!espeakLanguage.isEmpty()) {
        QStringList languages;
        for (const EspeakEngine::Voice& v : EspeakEngine::Instance().voices())
            if (v.identifier == chosen.espeakVoice)
                languages = v.languages;
        QVERIFY2(languages.contains(espeakLanguage), chosen.espeakVoice.constData());
    }
    // A chosen voice is used whatever the text says.
    QCOMPARE(int(voice.VoiceFor(2, line).kind), int(BuiltInVoice::Kind::EnglishFemale));
}

void TestVoiceChoice::builtInNames_data()
{
    QTest::addColumn<EspeakList>("espeak");
    QTest::addColumn<QStringList>("names");
    const QStringList first{u"自動（英語・日本語）"_s, u"英語・男性（内蔵）"_s, u"英語・女性（内蔵）"_s,
                            u"日本語（内蔵）"_s};
    QTest::newRow("English and Japanese of espeak-ng are not repeated")
        << EspeakList{{"gmw/en-US", {u"en-us"_s}}, {"jpx/ja", {u"ja"_s}}, {"gmw/en", {u"en-gb"_s, u"en"_s}}}
        << first;
    QTest::newRow("other languages by their Japanese names")
        << EspeakList{{"gmw/de", {u"de"_s}}, {"roa/fr", {u"fr-fr"_s, u"fr"_s}}, {"ko", {u"ko"_s}}}
        << first + QStringList{u"ドイツ語（内蔵）"_s, u"フランス語（内蔵）"_s, u"韓国語（内蔵）"_s};
    QTest::newRow("two voices of one language told apart")
        << EspeakList{{"roa/pt", {u"pt"_s}}, {"roa/pt-BR", {u"pt"_s}}}
        << first + QStringList{u"ポルトガル語 pt（内蔵）"_s, u"ポルトガル語 pt-BR（内蔵）"_s};
    QTest::newRow("unknown language keeps its code") << EspeakList{{"art/zz", {u"zz"_s}}}
                                                     << first + QStringList{u"zz（内蔵）"_s};
}

void TestVoiceChoice::builtInNames()
{
    QFETCH(EspeakList, espeak);
    QFETCH(QStringList, names);
    QStringList got;
    for (const BuiltInVoice::Entry& e : BuiltInVoice::Entries(espeak))
        got << e.name;
    QCOMPARE(got, names);
}

void TestVoiceChoice::dialogList_data()
{
    QTest::addColumn<QStringList>("builtIn");
    QTest::addColumn<QStringList>("desktop");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QStringList>("groups");     // the first list's line of each entry
    QTest::addColumn<QStringList>("speakers");   // the second list's line of each entry
    QTest::addColumn<QStringList>("variants");   // the third list's line of each entry
    const QStringList core{u"自動（英語・日本語）"_s, u"英語・男性（内蔵）"_s};
    const QString otherBuiltIn = u"その他の言語（内蔵）"_s;
    const QString otherDesktop = u"その他の言語（デスクトップ）"_s;
    const QString plain = u"標準"_s;
    QTest::newRow("no service") << core << QStringList() << core << core << core << QStringList{plain, plain};
    QTest::newRow("variants under their language, Japanese and English first")
        << core
        << QStringList{u"Afrikaans"_s, u"Afrikaans+Alvin"_s, u"English (America)+Annie"_s,
                       u"English (America)"_s, u"English (America)+Max"_s, u"Japanese+Kaori"_s}
        << core + QStringList{u"Japanese+Kaori（デスクトップ）"_s, u"English (America)（デスクトップ）"_s,
                              u"English (America)+Annie（デスクトップ）"_s, u"English (America)+Max（デスクトップ）"_s,
                              u"Afrikaans（デスクトップ）"_s, u"Afrikaans+Alvin（デスクトップ）"_s}
        << core + QStringList{u"Japanese（デスクトップ）"_s, u"English (America)（デスクトップ）"_s,
                              u"English (America)（デスクトップ）"_s, u"English (America)（デスクトップ）"_s,
                              otherDesktop, otherDesktop}
        << core + QStringList{u"Japanese（デスクトップ）"_s, u"English (America)（デスクトップ）"_s,
                              u"English (America)（デスクトップ）"_s, u"English (America)（デスクトップ）"_s,
                              u"Afrikaans（デスクトップ）"_s, u"Afrikaans（デスクトップ）"_s}
        << QStringList{plain, plain, u"Kaori"_s, plain, u"Annie"_s, u"Max"_s, plain, u"Alvin"_s};
    QTest::newRow("other desktop languages under one line")
        << core << QStringList{u"German"_s, u"Afrikaans"_s, u"German+Max"_s}
        << core + QStringList{u"German（デスクトップ）"_s, u"German+Max（デスクトップ）"_s, u"Afrikaans（デスクトップ）"_s}
        << core + QStringList{otherDesktop, otherDesktop, otherDesktop}
        << core + QStringList{u"German（デスクトップ）"_s, u"German（デスクトップ）"_s, u"Afrikaans（デスクトップ）"_s}
        << QStringList{plain, plain, plain, u"Max"_s, plain};
    QTest::newRow("common languages a line each, in their order; the rest by reading under one line")
        << core + QStringList{u"アフリカーンス語（内蔵）"_s, u"ドイツ語（内蔵）"_s, u"中国語（広東語）（内蔵）"_s,
                              u"韓国語（内蔵）"_s, u"アムハラ語（内蔵）"_s, u"中国語（北京語）（内蔵）"_s}
        << QStringList()
        << core + QStringList{u"中国語（北京語）（内蔵）"_s, u"韓国語（内蔵）"_s, u"ドイツ語（内蔵）"_s,
                              u"アフリカーンス語（内蔵）"_s, u"アムハラ語（内蔵）"_s, u"中国語（広東語）（内蔵）"_s}
        << core + QStringList{u"中国語（北京語）（内蔵）"_s, u"韓国語（内蔵）"_s, u"ドイツ語（内蔵）"_s,
                              otherBuiltIn, otherBuiltIn, otherBuiltIn}
        << core + QStringList{u"中国語（北京語）（内蔵）"_s, u"韓国語（内蔵）"_s, u"ドイツ語（内蔵）"_s,
                              u"アフリカーンス語（内蔵）"_s, u"アムハラ語（内蔵）"_s, u"中国語（広東語）（内蔵）"_s}
        << QStringList(8, plain);
}

void TestVoiceChoice::dialogList()
{
    QFETCH(QStringList, builtIn);
    QFETCH(QStringList, desktop);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, groups);
    QFETCH(QStringList, speakers);
    QFETCH(QStringList, variants);
    const QList<VoiceList::Entry> entries = VoiceList::Make(builtIn, desktop);
    QStringList gotLabels;
    QStringList gotGroups;
    QStringList gotSpeakers;
    QStringList gotVariants;
    for (const VoiceList::Entry& e : entries) {
        gotLabels << e.label;
        gotGroups << e.group;
        gotSpeakers << e.speaker;
        gotVariants << e.variant;
        // The stored name is the engine's own.
        QVERIFY(e.desktop ? desktop.contains(e.name) : builtIn.value(e.builtInIndex) == e.name);
    }
    QCOMPARE(gotLabels, labels);
    QCOMPARE(gotGroups, groups);
    QCOMPARE(gotSpeakers, speakers);
    QCOMPARE(gotVariants, variants);
    // Every voice is reachable through exactly one line of each list.
    QList<int> reached;
    for (const VoiceList::Group& group : VoiceList::Groups(entries))
        for (const VoiceList::Speaker& speaker : group.speakers)
            reached += speaker.members;
    QCOMPARE(reached.size(), entries.size());
    for (int i = 0; i < reached.size(); ++i)
        QCOMPARE(reached[i], i);
}

void TestVoiceChoice::dialogListOfTheRealVoicesIsShort()
{
    // espeak-ng's hundred-odd languages: the first list stays short, and
    // every built-in voice is still offered.
    BuiltInVoice voice;
    const QStringList builtIn = voice.GetVoices();
    QVERIFY(builtIn.size() > 50);
    const QList<VoiceList::Entry> entries = VoiceList::Make(builtIn, {});
    QCOMPARE(entries.size(), builtIn.size());
    const QList<VoiceList::Group> groups = VoiceList::Groups(entries);
    QVERIFY2(groups.size() <= 16, qPrintable(QString::number(groups.size())));
    QCOMPARE(groups.first().label, BuiltInVoice::kAutomaticName);
    QCOMPARE(groups.at(3).label, BuiltInVoice::kJapaneseName);
}

void TestVoiceChoice::storedNameMeansBuiltIn_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("builtIn");
    QTest::addColumn<QString>("standIn");   // the built-in voice when the service lacks it
    QTest::newRow("none") << u"なし"_s << true << QString();
    QTest::newRow("automatic") << u"自動（英語・日本語）"_s << true << QString();
    QTest::newRow("Flite") << u"英語・女性（内蔵）"_s << true << QString();
    QTest::newRow("espeak-ng language") << u"ドイツ語（内蔵）"_s << true << QString();
    QTest::newRow("desktop voice") << u"English (America)+Max"_s << false << u"英語・男性（内蔵）"_s;
    QTest::newRow("desktop Japanese") << u"Japanese"_s << false << u"日本語（内蔵）"_s;
    // Names of earlier versions, a row per rule.
    QTest::newRow("Japanese by its name and code") << u"Japanese (ja)"_s << false << u"日本語（内蔵）"_s;
    QTest::newRow("Japanese by its code") << u"ja-JP"_s << false << u"日本語（内蔵）"_s;
    QTest::newRow("Japanese in Japanese") << u"日本語 女性"_s << false << u"日本語（内蔵）"_s;
    QTest::newRow("English by its name and code") << u"English (en-us)"_s << false << u"英語・男性（内蔵）"_s;
    QTest::newRow("English by its code") << u"mbrola (en)"_s << false << u"英語・男性（内蔵）"_s;
    QTest::newRow("English in Japanese") << u"英語（アメリカ）"_s << false << u"英語・男性（内蔵）"_s;
    QTest::newRow("another language has none") << u"German (de)"_s << false << QString();
    QTest::newRow("a code only begins alike") << u"Javanese (jv)"_s << false << QString();
}

void TestVoiceChoice::storedNameMeansBuiltIn()
{
    QFETCH(QString, name);
    QFETCH(bool, builtIn);
    QFETCH(QString, standIn);
    QCOMPARE(BuiltInVoice::IsBuiltInName(name), builtIn);
    if (!builtIn)
        QCOMPARE(BuiltInVoice::StandInFor(name), standIn);
}

void TestVoiceChoice::englishFirstPhrase_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("firstPiece");   // empty: the sentence stays whole
    QTest::newRow("before a joining word") << u"The weather was cold and windy all morning."_s
                                           << u"The weather was cold "_s;
    QTest::newRow("after a comma") << u"After dinner, we walked along the quiet beach."_s << u"After dinner, "_s;
    QTest::newRow("ten words") << u"Please read this short line of ten words out loud."_s
                               << u"Please read this short line "_s;
    QTest::newRow("short sentence") << u"Hello there."_s << QString();
    QTest::newRow("joining word too early") << u"Go to bed now please."_s << QString();
    QTest::newRow("only the first sentence") << u"I see. And then we left for home."_s << QString();
}

void TestVoiceChoice::englishFirstPhrase()
{
    QFETCH(QString, text);
    QFETCH(QString, firstPiece);
    const QList<int> pieces = FliteEngine::Pieces(text);
    const int end = pieces.size() > 1 ? pieces[1] : int(text.size());
    const int cut = FliteEngine::FirstPhraseEnd(text, end);
    QCOMPARE(cut < 0 ? QString() : text.left(cut), firstPiece);
    if (firstPiece.isEmpty() || !FliteEngine::Instance().ok())
        return;

    // Rendered, the two pieces are heard as one: no pause at the cut longer
    // than between two words, and every word marked once, in order.
    std::vector<std::int16_t> samples;
    QList<int> marks;
    std::promise<void> finished;
    FliteEngine::Request request;
    request.text = text;
    request.chunk = [&samples](const std::int16_t* pcm, int count) {
        if (pcm)
            samples.insert(samples.end(), pcm, pcm + count);
        return true;
    };
    request.word = [&marks](int start, int, std::int64_t) { marks << start; };
    request.done = [&finished] { finished.set_value(); };
    FliteEngine::Instance().Synthesize(std::move(request));
    QVERIFY(finished.get_future().wait_for(std::chrono::seconds(30)) == std::future_status::ready);
    QCOMPARE(marks.size(), text.split(u' ', Qt::SkipEmptyParts).size());
    QVERIFY(std::is_sorted(marks.begin(), marks.end()));
    const int rate = FliteEngine::Instance().sampleRate();
    constexpr int kQuiet = 300;
    const auto firstLoud = std::find_if(samples.begin(), samples.end(), [](std::int16_t v) { return std::abs(v) > kQuiet; });
    const auto lastLoud = std::find_if(samples.rbegin(), samples.rend(), [](std::int16_t v) { return std::abs(v) > kQuiet; });
    QVERIFY(firstLoud != samples.end());
    int longestQuiet = 0;
    int quiet = 0;
    for (auto it = firstLoud; it != lastLoud.base(); ++it) {
        quiet = std::abs(*it) > kQuiet ? 0 : quiet + 1;
        longestQuiet = std::max(longestQuiet, quiet);
    }
    const double longestQuietMs = longestQuiet * 1000.0 / rate;
    QVERIFY2(longestQuietMs < 150, qPrintable(QString::number(longestQuietMs)));
}

QTEST_MAIN(TestVoiceChoice)
#include "tst_voicechoice.moc"
