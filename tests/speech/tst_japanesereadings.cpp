// Japanese text as the built-in voice is given it: kana readings from MeCab
// with the NAIST dictionary, numbers with counters mended by our own rules,
// and where each spoken character stands in the written text.

#include "speech/JapaneseNumerals.h"
#include "speech/JapaneseReadings.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }
std::u16string U16(const QString& s) { return s.toStdU16String(); }

// What every result must hold, whatever the text.
void CheckOrigins(const QString& text, const SpeechText& speech)
{
    QCOMPARE(speech.origin.size(), speech.spoken.size() + 1);
    QCOMPARE(speech.origin.last(), int(text.size()));
    for (int i = 0; i < speech.origin.size(); ++i) {
        QVERIFY2(speech.origin[i] >= 0 && speech.origin[i] <= text.size(), qPrintable(QString::number(i)));
        if (i) QVERIFY2(speech.origin[i] >= speech.origin[i - 1], qPrintable(QString::number(i)));
    }
}

}  // namespace

class TestJapaneseReadings : public QObject
{
    Q_OBJECT

    std::unique_ptr<JapaneseReadings> readings_;

private slots:
    void initTestCase()
    {
        QString error;
        readings_ = JapaneseReadings::Open(&error);
        QVERIFY2(readings_, qPrintable(error));
    }

    // The rules alone: a number, a counter, what is said.
    void numbersWithCounters_data()
    {
        QTest::addColumn<QString>("numeral");
        QTest::addColumn<QString>("counter");
        QTest::addColumn<bool>("afterMonth");
        QTest::addColumn<QString>("expected");

        const auto row = [](const char* name, const QString& n, const QString& c, const QString& e, bool month = false) {
            QTest::newRow(name) << n << c << month << e;
        };
        row("30 minutes", u"三十"_s, u"分"_s, u"サンジュップン"_s);
        row("10 times", u"十"_s, u"回"_s, u"ジュッカイ"_s);
        row("1 minute", u"1"_s, u"分"_s, u"イップン"_s);
        row("3 minutes", u"3"_s, u"分"_s, u"サンプン"_s);
        row("4 minutes", u"4"_s, u"分"_s, u"ヨンプン"_s);
        row("5 minutes", u"5"_s, u"分"_s, u"ゴフン"_s);
        row("6 bottles", u"六"_s, u"本"_s, u"ロッポン"_s);
        row("3 bottles", u"三"_s, u"本"_s, u"サンボン"_s);
        row("4 bottles", u"4"_s, u"本"_s, u"ヨンホン"_s);
        row("8 cups", u"８"_s, u"杯"_s, u"ハッパイ"_s);
        row("3 cups", u"3"_s, u"杯"_s, u"サンバイ"_s);
        row("100 animals", u"百"_s, u"匹"_s, u"ヒャッピキ"_s);
        row("300 bottles", u"300"_s, u"本"_s, u"サンビャッポン"_s);
        row("3rd floor", u"3"_s, u"階"_s, u"サンガイ"_s);
        row("1 piece", u"一"_s, u"個"_s, u"イッコ"_s);
        row("1 person", u"1"_s, u"人"_s, u"ヒトリ"_s);
        row("2 people", u"二"_s, u"人"_s, u"フタリ"_s);
        row("4 people", u"4"_s, u"人"_s, u"ヨニン"_s);
        row("11 people", u"11"_s, u"人"_s, u"ジューイチニン"_s);
        row("first of the month", u"1"_s, u"日"_s, u"ツイタチ"_s, true);
        row("one day", u"一"_s, u"日"_s, u"イチニチ"_s);
        row("20th", u"20"_s, u"日"_s, u"ハツカ"_s, true);
        row("14th", u"14"_s, u"日"_s, u"ジューヨッカ"_s, true);
        row("17th", u"17"_s, u"日"_s, u"ジューシチニチ"_s, true);
        row("April", u"4"_s, u"月"_s, u"シガツ"_s);
        row("September", u"九"_s, u"月"_s, u"クガツ"_s);
        row("7 o'clock", u"7"_s, u"時"_s, u"シチジ"_s);
        row("4 o'clock", u"4"_s, u"時"_s, u"ヨジ"_s);
        row("9 o'clock", u"9"_s, u"時"_s, u"クジ"_s);
        row("year 2024", u"2024"_s, u"年"_s, u"ニセンニジューヨネン"_s);
        row("year in kanji digits", u"二〇二四"_s, u"年"_s, u"ニセンニジューヨネン"_s);
        row("1,500 yen", u"1,500"_s, u"円"_s, u"センゴヒャクエン"_s);
        row("3,000 yen", u"３，０００"_s, u"円"_s, u"サンゼンエン"_s);
        row("8,000 yen", u"8000"_s, u"円"_s, u"ハッセンエン"_s);
        row("600 yen", u"六百"_s, u"円"_s, u"ロッピャクエン"_s);
        row("4 yen", u"4"_s, u"円"_s, u"ヨエン"_s);
        row("30,000 yen", u"3万"_s, u"円"_s, u"サンマンエン"_s);
        row("10 million yen", u"一千万"_s, u"円"_s, u"イッセンマンエン"_s);
        row("20 years old", u"二十"_s, u"歳"_s, u"ハタチ"_s);
        row("8 years old", u"8"_s, u"才"_s, u"ハッサイ"_s);
        row("10 years old", u"10"_s, u"歳"_s, u"ジュッサイ"_s);
        row("3 things", u"三"_s, u"つ"_s, u"ミッツ"_s);
        row("1 month", u"1"_s, u"ヶ月"_s, u"イッカゲツ"_s);
        row("1 book", u"1"_s, u"冊"_s, u"イッサツ"_s);
        row("1 week", u"一"_s, u"週間"_s, u"イッシューカン"_s);
        row("3 pairs of shoes", u"3"_s, u"足"_s, u"サンゾク"_s);
        row("2 sheets", u"2"_s, u"枚"_s, u"ニマイ"_s);
        row("0 times", u"0"_s, u"回"_s, u"ゼロカイ"_s);
        row("one slice", u"一"_s, u"切れ"_s, u"ヒトキレ"_s);
        row("two mouthfuls", u"2"_s, u"口"_s, u"フタクチ"_s);
        row("three slices", u"三"_s, u"切れ"_s, u"サンキレ"_s);
        row("10 chairs", u"十"_s, u"脚"_s, u"ジュッキャク"_s);
    }

    void numbersWithCounters()
    {
        QFETCH(QString, numeral);
        QFETCH(QString, counter);
        QFETCH(bool, afterMonth);
        QFETCH(QString, expected);
        const std::optional<long long> value = JapaneseNumerals::Parse(U16(numeral));
        QVERIFY(value);
        QCOMPARE(Q(JapaneseNumerals::WithCounter(*value, U16(counter), afterMonth)), expected);
    }

    void numerals_data()
    {
        QTest::addColumn<QString>("numeral");
        QTest::addColumn<qlonglong>("value");  // -2: not a number
        QTest::addColumn<QString>("reading");

        QTest::newRow("kanji tens") << u"三十五"_s << 35LL << u"サンジューゴ"_s;
        QTest::newRow("hundreds with sound change") << u"八百"_s << 800LL << u"ハッピャク"_s;
        QTest::newRow("thousands") << u"三千"_s << 3000LL << u"サンゼン"_s;
        QTest::newRow("ten thousand") << u"一万"_s << 10000LL << u"イチマン"_s;
        QTest::newRow("large") << u"12,345,678"_s << 12345678LL << u"センニヒャクサンジューヨンマンゴセンロッピャクナナジューハチ"_s;
        QTest::newRow("one trillion") << u"1兆"_s << 1000000000000LL << u"イッチョー"_s;
        QTest::newRow("zero") << u"0"_s << 0LL << u"ゼロ"_s;
        QTest::newRow("leading zero is a code") << u"090"_s << -2LL << QString();
        QTest::newRow("misplaced comma") << u"15,00"_s << -2LL << QString();
        QTest::newRow("too long") << u"12345678901234567890"_s << -2LL << QString();
        QTest::newRow("kanji digits as a year") << u"一九九五"_s << 1995LL << u"センキューヒャクキュージューゴ"_s;
        QTest::newRow("kanji digits with zero") << u"二〇〇"_s << 200LL << u"ニヒャク"_s;
        QTest::newRow("kanji digits of a word") << u"七五三"_s << -2LL << QString();
        QTest::newRow("not a numeral") << u"三x"_s << -2LL << QString();
    }

    void numerals()
    {
        QFETCH(QString, numeral);
        QFETCH(qlonglong, value);
        QFETCH(QString, reading);
        const std::optional<long long> parsed = JapaneseNumerals::Parse(U16(numeral));
        if (value == -2) {
            QVERIFY(!parsed);
            return;
        }
        QVERIFY(parsed);
        QCOMPARE(*parsed, value);
        QCOMPARE(Q(JapaneseNumerals::Reading(*parsed)), reading);
    }

    // Whole sentences through MeCab: what the voice is given.
    void speakable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("kanji sentence") << u"今日は良い天気です"_s << u"キョー ワ ヨイ テンキ デス"_s;
        QTest::newRow("particle he") << u"東京へ行きます。"_s << u"トーキョー エ イキ マス 。"_s;
        QTest::newRow("particle wo") << u"本を読む"_s << u"ホン オ ヨム"_s;
        QTest::newRow("minutes") << u"三十分待った"_s << u"サンジュップン マッ タ"_s;
        QTest::newRow("times") << u"十回"_s << u"ジュッカイ"_s;
        QTest::newRow("date") << u"3月1日"_s << u"サンガツ ツイタチ"_s;
        QTest::newRow("merged month, then day") << u"４月１日"_s << u"シガツ ツイタチ"_s;
        QTest::newRow("time with half") << u"7時半"_s << u"シチジハン"_s;
        QTest::newRow("price with comma") << u"1,500円"_s << u"センゴヒャクエン"_s;
        QTest::newRow("how many") << u"何本"_s << u"ナンボン"_s;
        QTest::newRow("era newer than the dictionary") << u"令和"_s << u"レーワ"_s;
        QTest::newRow("first year of the era") << u"令和元年"_s << u"レーワ ガンネン"_s;
        QTest::newRow("year of the era in a sentence") << u"今年は令和七年です。"_s << u"コトシ ワ レーワ ナナネン デス 。"_s;
        QTest::newRow("one thousand yen written with one") << u"一千円"_s << u"イッセンエン"_s;
        QTest::newRow("a thousand yen") << u"千円"_s << u"センエン"_s;
        QTest::newRow("ten thousand yen") << u"一万円"_s << u"イチマンエン"_s;
        QTest::newRow("ten million yen") << u"一千万円"_s << u"イッセンマンエン"_s;
        QTest::newRow("some ten thousands of yen") << u"数万円"_s << u"スー マンエン"_s;
        QTest::newRow("decimal with counter") << u"3.5キロ"_s << u"サンテンゴーキロ"_s;
        QTest::newRow("decimal alone stays") << u"0.5"_s << u"0.5"_s;
        QTest::newRow("ten minutes by what follows") << u"十分かかる"_s << u"ジュップン カカル"_s;
        QTest::newRow("enough stays enough") << u"十分です"_s << u"ジューブン デス"_s;
        QTest::newRow("Japan as said every day") << u"日本に来た"_s << u"ニホン ニ キ タ"_s;
        QTest::newRow("counter the table lacks") << u"六隻"_s << u"ロクセキ"_s;
        QTest::newRow("counter the table lacks, ッ and p") << u"八俵"_s << u"ハッピョー"_s;
        QTest::newRow("borrowed counter as it is") << u"8グラム"_s << u"ハチグラム"_s;
        QTest::newRow("volitional lengthens") << u"会いましょう"_s << u"アイ マショー"_s;
        QTest::newRow("kanji number alone") << u"三百"_s << u"サンビャク"_s;
        QTest::newRow("digits alone stay") << u"電話は0312345678"_s << u"デンワ ワ 0312345678"_s;
        QTest::newRow("Latin kept") << u"Hello world"_s << u"Hello world"_s;
        QTest::newRow("mixed scripts") << u"私はTokyoに住む"_s << u"ワタシ ワ Tokyo ニ スム"_s;
        QTest::newRow("half-width katakana") << u"ｶﾞｯｺｳ"_s << u"ガッコー"_s;
        QTest::newRow("emoji") << u"😀です"_s << u"😀 デス"_s;
        QTest::newRow("no letters") << u"！？。"_s << u"！？。"_s;
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("lone surrogate") << (u"本"_s + QChar(0xD800) + u"を"_s) << (u"ホン "_s + QChar(QChar::ReplacementCharacter) + u" オ"_s);
        QTest::newRow("NUL character") << QString::fromUtf16(u"本\0を", 3) << u"ホン オ"_s;
        QTest::newRow("spaces kept") << u"  本 "_s << u"  ホン "_s;
    }

    void speakable()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const SpeechText speech = readings_->Speakable(text);
        QCOMPARE(speech.spoken, expected);
        CheckOrigins(text, speech);
    }

    // A spoken piece (its first character at or after `from`) stands in
    // `written` of the text.
    void origins_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("spokenPart");
        QTest::addColumn<QString>("written");

        QTest::newRow("ョ of キョー in 今日") << u"今日は良い天気です"_s << u"ョ"_s << u"今日"_s;
        QTest::newRow("particle") << u"今日は良い天気です"_s << u"ワ"_s << u"は"_s;
        QTest::newRow("okurigana kept") << u"本を読む"_s << u"ム"_s << u"む"_s;
        QTest::newRow("kanji of a verb") << u"本を読む"_s << u"ヨ"_s << u"読"_s;
        QTest::newRow("counter reading") << u"コーヒーを三杯"_s << u"バイ"_s << u"三杯"_s;
        QTest::newRow("half-width") << u"ﾃﾞｽ 本"_s << u"ホン"_s << u"本"_s;
        QTest::newRow("after emoji") << u"😀😀本"_s << u"ホ"_s << u"本"_s;
    }

    void origins()
    {
        QFETCH(QString, text);
        QFETCH(QString, spokenPart);
        QFETCH(QString, written);
        const SpeechText speech = readings_->Speakable(text);
        const int at = int(speech.spoken.indexOf(spokenPart));
        QVERIFY2(at >= 0, qPrintable(speech.spoken));
        const int from = int(text.indexOf(written));
        for (int i = at; i < at + spokenPart.size(); ++i)
            QVERIFY2(speech.origin[i] >= from && speech.origin[i] < from + written.size(),
                     qPrintable(u"%1 → %2"_s.arg(i).arg(speech.origin[i])));
    }

    // A long text without any sentence end, with every kind of character.
    void longText()
    {
        QString text;
        while (text.size() < 20000) text += u"今日は3時に😀ｶﾀｶﾅとHelloを十回"_s;
        QElapsedTimer timer;
        timer.start();
        const SpeechText speech = readings_->Speakable(text);
        CheckOrigins(text, speech);
        QVERIFY(speech.spoken.contains(u"ジュッカイ"_s));
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    }

    void missingPieces_data()
    {
        QTest::addColumn<QString>("library");
        QTest::addColumn<bool>("dictionaryThere");
        QTest::addColumn<QString>("named");

        QTest::newRow("dictionary missing") << u"libmecab.so.2"_s << false << u"open-jtalk-mecab-naist-jdic"_s;
        QTest::newRow("library missing") << u"libmecab-absent.so.9"_s << true << u"libmecab2"_s;
    }

    void missingPieces()
    {
        QFETCH(QString, library);
        QFETCH(bool, dictionaryThere);
        QFETCH(QString, named);
        QTemporaryDir empty;
        JapaneseReadings::Places places;
        places.library = library;
        if (!dictionaryThere) places.dictionary = empty.path();
        QString error;
        QVERIFY(!JapaneseReadings::Open(places, &error));
        QVERIFY2(error.contains(named), qPrintable(error));
    }

    // A settings folder left by an older dictionary place is made anew.
    void staleSettingsFolder()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + u"/dic"_s;
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::link(u"/nonexistent/sys.dic"_s, folder + u"/sys.dic"_s));
        JapaneseReadings::Places places;
        places.settingsFolder = folder;
        QString error;
        auto readings = JapaneseReadings::Open(places, &error);
        QVERIFY2(readings, qPrintable(error));
        QCOMPARE(readings->Speakable(u"本"_s).spoken, u"ホン"_s);
        QVERIFY(QFileInfo(folder + u"/dicrc"_s).isFile());
    }
};

QTEST_GUILESS_MAIN(TestJapaneseReadings)
#include "tst_japanesereadings.moc"
