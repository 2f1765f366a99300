#include "speech/JapaneseNumerals.h"

#include <algorithm>
#include <array>
#include <vector>

namespace JapaneseNumerals {
namespace {

// Numbers up to this are read; larger ones are most likely codes.
constexpr long long kLargest = 9'999'999'999'999'999LL;
constexpr int kLongestDigitRun = 16;

constexpr std::array<std::u16string_view, 10> kDigitWords = {
    u"ゼロ", u"イチ", u"ニ", u"サン", u"ヨン", u"ゴ", u"ロク", u"ナナ", u"ハチ", u"キュー"};

int DigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'０' && c <= u'９') return c - u'０';
    switch (c) {
    case u'〇': case u'零': return 0;
    case u'一': return 1;
    case u'二': return 2;
    case u'三': return 3;
    case u'四': return 4;
    case u'五': return 5;
    case u'六': return 6;
    case u'七': return 7;
    case u'八': return 8;
    case u'九': return 9;
    default: return -1;
    }
}

bool IsArabicDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'０' && c <= u'９');
}

int SmallUnit(char16_t c)
{
    switch (c) {
    case u'十': return 10;
    case u'百': return 100;
    case u'千': return 1000;
    default: return 0;
    }
}

long long LargeUnit(char16_t c)
{
    switch (c) {
    case u'万': return 10'000LL;
    case u'億': return 100'000'000LL;
    case u'兆': return 1'000'000'000'000LL;
    default: return 0;
    }
}

// Digits grouped by commas: 1,500 or １，５００ (groups of three after the first).
std::optional<long long> ParseArabic(std::u16string_view text)
{
    long long value = 0;
    int digits = 0;
    int sinceComma = -1;  // digits since the last comma, -1 before any
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u',' || c == u'，') {
            if (digits == 0 || (sinceComma >= 0 && sinceComma != 3) || (sinceComma < 0 && digits > 3))
                return std::nullopt;
            sinceComma = 0;
            continue;
        }
        if (digits == 1 && value == 0) return std::nullopt;  // leading zero
        value = value * 10 + DigitValue(c);
        ++digits;
        if (sinceComma >= 0) ++sinceComma;
        if (digits > kLongestDigitRun) return std::nullopt;
    }
    if (digits == 0 || (sinceComma >= 0 && sinceComma != 3)) return std::nullopt;
    return value;
}

// One element of a spoken number (サン, ビャク...) and the place it stands for:
// 1..9 for a last digit, else 10, 100, 1000, 10000 (for 万 and above).
struct Element {
    std::u16string word;
    long long kind;
};

std::u16string Joined(std::u16string_view a, std::u16string_view b)
{
    std::u16string s(a);
    s += b;
    return s;
}

// The elements of 1..9999; `roundThousandBeforeUnit` for 一千万 (イッセンマン).
void GroupElements(int group, bool roundThousandBeforeUnit, std::vector<Element>& out)
{
    const int thousands = group / 1000, hundreds = group / 100 % 10, tens = group / 10 % 10,
              units = group % 10;
    if (thousands) {
        std::u16string w;
        if (thousands == 1) w = roundThousandBeforeUnit && group == 1000 ? u"イッセン" : u"セン";
        else if (thousands == 3) w = u"サンゼン";
        else if (thousands == 8) w = u"ハッセン";
        else w = Joined(kDigitWords[thousands], u"セン");
        out.push_back({w, 1000});
    }
    if (hundreds) {
        std::u16string w;
        if (hundreds == 1) w = u"ヒャク";
        else if (hundreds == 3) w = u"サンビャク";
        else if (hundreds == 6) w = u"ロッピャク";
        else if (hundreds == 8) w = u"ハッピャク";
        else w = Joined(kDigitWords[hundreds], u"ヒャク");
        out.push_back({w, 100});
    }
    if (tens) out.push_back({tens == 1 ? std::u16string(u"ジュー") : Joined(kDigitWords[tens], u"ジュー"), 10});
    if (units) out.push_back({std::u16string(kDigitWords[units]), units});
}

// The last element takes ッ before some counters: イチ → イッ, ジュー → ジュッ.
std::u16string Geminated(std::u16string word)
{
    if (!word.empty()) word.back() = u'ッ';
    return word;
}

struct Spelled {
    std::u16string head;   // everything before the last element
    std::u16string last;
    long long kind = 0;    // 0 for zero, kHowMany for 何
};

Spelled Spell(long long value)
{
    if (value == kHowMany) return {u"", u"ナン", kHowMany};
    if (value == 0) return {u"", u"ゼロ", 0};
    std::vector<Element> elements;
    struct Large { long long unit; std::u16string_view word; };
    constexpr std::array<Large, 3> larges = {{{1'000'000'000'000LL, u"チョー"},
                                              {100'000'000LL, u"オク"},
                                              {10'000LL, u"マン"}}};
    long long rest = value;
    for (const Large& large : larges) {
        const int group = int(rest / large.unit);
        rest %= large.unit;
        if (!group) continue;
        GroupElements(group, true, elements);
        if (large.word == u"チョー") {  // 一兆, 八兆, 十兆: イッチョー
            const long long k = elements.back().kind;
            if (k == 1 || k == 8 || k == 10) elements.back().word = Geminated(elements.back().word);
        }
        elements.push_back({std::u16string(large.word), 10'000});
    }
    if (rest) GroupElements(int(rest), false, elements);
    Spelled s;
    for (std::size_t i = 0; i + 1 < elements.size(); ++i) s.head += elements[i].word;
    s.last = elements.back().word;
    s.kind = elements.back().kind;
    return s;
}

enum GeminateMask : unsigned {
    kNone = 0,
    kOne = 1, kSix = 2, kEight = 4, kTen = 8, kHundred = 16,
    kKRow = kOne | kSix | kEight | kTen | kHundred,  // 回, 個, 本: イッ ロッ ハッ ジュッ ヒャッ
    kSRow = kOne | kEight | kTen,                    // 歳, 冊, 点: イッ ハッ ジュッ
};

bool Geminates(unsigned mask, long long kind)
{
    switch (kind) {
    case 1: return mask & kOne;
    case 6: return mask & kSix;
    case 8: return mask & kEight;
    case 10: return mask & kTen;
    case 100: return mask & kHundred;
    default: return false;
    }
}

enum class Special { None, People, Days, Things, Age, Native };

struct Counter {
    std::u16string_view surface;
    std::u16string_view plain;      // after most numbers: ニフン
    std::u16string_view afterN;     // after サン, セン, マン, ナン: サンプン, サンボン
    std::u16string_view afterFour;  // after ヨン: ヨンプン, ヨンホン
    std::u16string_view afterTsu;   // after ッ: イップン, イッポン
    unsigned geminate;
    // Other words for a last 4, 7, 9 (ヨジ, シチジ, クジ), empty to keep ヨン, ナナ, キュー.
    std::u16string_view four = {}, seven = {}, nine = {};
    Special special = Special::None;
};

constexpr Counter kCounters[] = {
    // Sound changes to パ/バ after ッ and ン.
    {u"本", u"ホン", u"ボン", u"ホン", u"ポン", kKRow},
    {u"杯", u"ハイ", u"バイ", u"ハイ", u"パイ", kKRow},
    {u"匹", u"ヒキ", u"ビキ", u"ヒキ", u"ピキ", kKRow},
    {u"分", u"フン", u"プン", u"プン", u"プン", kKRow},
    {u"分間", u"フンカン", u"プンカン", u"プンカン", u"プンカン", kKRow},
    {u"泊", u"ハク", u"パク", u"パク", u"パク", kKRow},
    {u"発", u"ハツ", u"パツ", u"ハツ", u"パツ", kKRow},
    // ッ before k.
    {u"回", u"カイ", u"カイ", u"カイ", u"カイ", kKRow},
    {u"階", u"カイ", u"ガイ", u"カイ", u"カイ", kKRow},
    {u"個", u"コ", u"コ", u"コ", u"コ", kKRow},
    {u"ヶ月", u"カゲツ", u"カゲツ", u"カゲツ", u"カゲツ", kKRow},
    {u"ケ月", u"カゲツ", u"カゲツ", u"カゲツ", u"カゲツ", kKRow},
    {u"か月", u"カゲツ", u"カゲツ", u"カゲツ", u"カゲツ", kKRow},
    {u"カ月", u"カゲツ", u"カゲツ", u"カゲツ", u"カゲツ", kKRow},
    {u"ヵ月", u"カゲツ", u"カゲツ", u"カゲツ", u"カゲツ", kKRow},
    {u"箇月", u"カゲツ", u"カゲツ", u"カゲツ", u"カゲツ", kKRow},
    {u"ヶ所", u"カショ", u"カショ", u"カショ", u"カショ", kKRow},
    {u"か所", u"カショ", u"カショ", u"カショ", u"カショ", kKRow},
    {u"カ所", u"カショ", u"カショ", u"カショ", u"カショ", kKRow},
    {u"軒", u"ケン", u"ゲン", u"ケン", u"ケン", kKRow},
    {u"曲", u"キョク", u"キョク", u"キョク", u"キョク", kKRow},
    {u"件", u"ケン", u"ケン", u"ケン", u"ケン", kKRow},
    {u"課", u"カ", u"カ", u"カ", u"カ", kKRow},
    // ッ before s and t.
    {u"歳", u"サイ", u"サイ", u"サイ", u"サイ", kSRow, {}, {}, {}, Special::Age},
    {u"才", u"サイ", u"サイ", u"サイ", u"サイ", kSRow, {}, {}, {}, Special::Age},
    {u"冊", u"サツ", u"サツ", u"サツ", u"サツ", kSRow},
    {u"週間", u"シューカン", u"シューカン", u"シューカン", u"シューカン", kSRow},
    {u"足", u"ソク", u"ゾク", u"ソク", u"ソク", kSRow},
    {u"センチ", u"センチ", u"センチ", u"センチ", u"センチ", kSRow},
    {u"頭", u"トー", u"トー", u"トー", u"トー", kSRow},
    {u"通", u"ツー", u"ツー", u"ツー", u"ツー", kSRow},
    {u"着", u"チャク", u"チャク", u"チャク", u"チャク", kSRow},
    {u"点", u"テン", u"テン", u"テン", u"テン", kSRow},
    {u"丁目", u"チョーメ", u"チョーメ", u"チョーメ", u"チョーメ", kSRow},
    // Numbers with other words for 4, 7 and 9.
    {u"時", u"ジ", u"ジ", u"ジ", u"ジ", kNone, u"ヨ", u"シチ", u"ク"},
    {u"時間", u"ジカン", u"ジカン", u"ジカン", u"ジカン", kNone, u"ヨ", {}, u"ク"},
    {u"月", u"ガツ", u"ガツ", u"ガツ", u"ガツ", kNone, u"シ", u"シチ", u"ク"},
    {u"年", u"ネン", u"ネン", u"ネン", u"ネン", kNone, u"ヨ"},
    {u"円", u"エン", u"エン", u"エン", u"エン", kNone, u"ヨ"},
    {u"人", u"ニン", u"ニン", u"ニン", u"ニン", kNone, u"ヨ", {}, {}, Special::People},
    {u"日", u"ニチ", u"ニチ", u"ニチ", u"ニチ", kNone, {}, {}, {}, Special::Days},
    {u"つ", u"ツ", u"ツ", u"ツ", u"ツ", kNone, {}, {}, {}, Special::Things},
    // Native counters: ヒト and フタ for 1 and 2 (ヒトキレ, フタクチ).
    {u"切れ", u"キレ", u"キレ", u"キレ", u"キレ", kNone, {}, {}, {}, Special::Native},
    {u"口", u"クチ", u"クチ", u"クチ", u"クチ", kNone, {}, {}, {}, Special::Native},
    {u"皿", u"サラ", u"サラ", u"サラ", u"サラ", kNone, {}, {}, {}, Special::Native},
    {u"箱", u"ハコ", u"ハコ", u"ハコ", u"ハコ", kNone, {}, {}, {}, Special::Native},
    {u"袋", u"フクロ", u"フクロ", u"フクロ", u"フクロ", kNone, {}, {}, {}, Special::Native},
    {u"組", u"クミ", u"クミ", u"クミ", u"クミ", kNone, {}, {}, {}, Special::Native},
    {u"晩", u"バン", u"バン", u"バン", u"バン", kNone, {}, {}, {}, Special::Native},
    {u"脚", u"キャク", u"キャク", u"キャク", u"キャク", kKRow},
    {u"票", u"ヒョー", u"ヒョー", u"ヒョー", u"ピョー", kKRow},
    // No sound change.
    {u"枚", u"マイ", u"マイ", u"マイ", u"マイ", kNone},
    {u"台", u"ダイ", u"ダイ", u"ダイ", u"ダイ", kNone},
    {u"度", u"ド", u"ド", u"ド", u"ド", kNone},
    {u"番", u"バン", u"バン", u"バン", u"バン", kNone},
    {u"秒", u"ビョー", u"ビョー", u"ビョー", u"ビョー", kNone},
    {u"号", u"ゴー", u"ゴー", u"ゴー", u"ゴー", kNone},
    {u"倍", u"バイ", u"バイ", u"バイ", u"バイ", kNone},
    {u"名", u"メー", u"メー", u"メー", u"メー", kNone},
    {u"キロ", u"キロ", u"キロ", u"キロ", u"キロ", kNone},
    {u"メートル", u"メートル", u"メートル", u"メートル", u"メートル", kNone},
};

const Counter* FindCounter(std::u16string_view surface)
{
    for (const Counter& c : kCounters)
        if (c.surface == surface) return &c;
    return nullptr;
}

constexpr std::array<std::u16string_view, 10> kDays = {
    u"", u"ツイタチ", u"フツカ", u"ミッカ", u"ヨッカ", u"イツカ", u"ムイカ", u"ナノカ", u"ヨーカ", u"ココノカ"};
constexpr std::array<std::u16string_view, 10> kThings = {
    u"", u"ヒトツ", u"フタツ", u"ミッツ", u"ヨッツ", u"イツツ", u"ムッツ", u"ナナツ", u"ヤッツ", u"ココノツ"};

}  // namespace

std::optional<long long> Parse(std::u16string_view numeral)
{
    if (numeral.empty()) return std::nullopt;
    bool arabic = true;
    for (char16_t c : numeral)
        if (!IsArabicDigit(c) && c != u',' && c != u'，') arabic = false;
    if (arabic) return ParseArabic(numeral);

    long long total = 0, section = 0, current = 0;
    int currentDigits = 0;
    bool units = false;
    for (char16_t c : numeral) {
        if (const int d = DigitValue(c); d >= 0) {
            if (++currentDigits > kLongestDigitRun) return std::nullopt;
            current = current * 10 + d;
        } else if (const int small = SmallUnit(c)) {
            if (current >= 10) return std::nullopt;  // 20十
            section += (currentDigits ? current : 1) * small;
            current = 0, currentDigits = 0, units = true;
        } else if (const long long large = LargeUnit(c)) {
            const long long group = section + current;
            if (group >= 10'000) return std::nullopt;
            total += (group || currentDigits ? group : 1) * large;
            section = current = 0, currentDigits = 0, units = true;
        } else {
            return std::nullopt;
        }
        if (total > kLargest) return std::nullopt;
    }
    // 〇三 (a code read digit by digit) is not a number.
    if (!units && currentDigits > 1 && DigitValue(numeral.front()) == 0) return std::nullopt;
    // Kanji digits one after another are a number written digit by digit
    // (二〇二四, 一九九五) only with a 〇 or as a year; 七五三 is a word.
    if (!units && currentDigits > 1 && numeral.find_first_of(u"〇零") == std::u16string_view::npos
        && currentDigits != 4)
        return std::nullopt;
    const long long value = total + section + current;
    if (value > kLargest) return std::nullopt;
    return value;
}

std::u16string Reading(long long value)
{
    const Spelled s = Spell(value);
    return s.head + s.last;
}

std::u16string DecimalReading(std::u16string_view numeral)
{
    const std::size_t point = numeral.find_first_of(u".．");
    if (point == std::u16string_view::npos || point == 0 || point + 1 == numeral.size()) return {};
    const std::u16string_view wholeText = numeral.substr(0, point);
    for (char16_t c : wholeText)
        if (!IsArabicDigit(c)) return {};
    const std::optional<long long> whole = Parse(wholeText);
    if (!whole) return {};
    std::u16string s = *whole == 0 ? u"レー" : Reading(*whole);
    s += u"テン";
    // Digits after the point: short vowels lengthened as they are said (ニー, ゴー).
    constexpr std::array<std::u16string_view, 10> fractionDigits = {
        u"ゼロ", u"イチ", u"ニー", u"サン", u"ヨン", u"ゴー", u"ロク", u"ナナ", u"ハチ", u"キュー"};
    for (char16_t c : numeral.substr(point + 1)) {
        if (!IsArabicDigit(c)) return {};
        s += fractionDigits[std::size_t(DigitValue(c))];
    }
    return s;
}

bool MeansMinutes(std::u16string_view nextWord, std::u16string_view nextBaseForm)
{
    constexpr std::array<std::u16string_view, 6> verbs = {u"かかる", u"掛かる", u"待つ", u"経つ", u"たつ", u"遅れる"};
    constexpr std::array<std::u16string_view, 12> words = {u"前", u"後", u"間", u"おき", u"置き", u"ぐらい",
                                                           u"くらい", u"ほど", u"以内", u"以上", u"休憩", u"程度"};
    return std::find(verbs.begin(), verbs.end(), nextBaseForm) != verbs.end()
        || std::find(words.begin(), words.end(), nextWord) != words.end();
}

int CounterLength(std::u16string_view text)
{
    int longest = 0;
    for (const Counter& c : kCounters)
        if (text.substr(0, c.surface.size()) == c.surface) longest = std::max(longest, int(c.surface.size()));
    return longest;
}

std::u16string AsWritten(std::u16string_view written, std::u16string reading)
{
    if (written.starts_with(u"一千") && reading.starts_with(u"セン"))
        return u"イッ" + reading;
    const bool bareUnit = !written.empty() && (written[0] == u'万' || written[0] == u'億' || written[0] == u'兆');
    if (bareUnit && (reading.starts_with(u"イチ") || reading.starts_with(u"イッ")))
        return reading.substr(2);
    return reading;
}

std::u16string CounterReading(std::u16string_view counter)
{
    const Counter* c = FindCounter(counter);
    return c ? std::u16string(c->plain) : std::u16string();
}

std::u16string WithCounter(long long value, std::u16string_view counter, bool afterMonth)
{
    const Counter* c = FindCounter(counter);
    if (!c || value < kHowMany || value > kLargest) return {};
    switch (c->special) {
    case Special::People:
        if (value == 1) return u"ヒトリ";
        if (value == 2) return u"フタリ";
        break;
    case Special::Things:
        if (value >= 1 && value <= 9) return std::u16string(kThings[value]);
        return {};
    case Special::Days:
        if (value == 1) return afterMonth ? u"ツイタチ" : u"イチニチ";
        if (value >= 2 && value <= 9) return std::u16string(kDays[value]);
        if (value == 10) return u"トーカ";
        if (value == 20) return u"ハツカ";
        break;
    case Special::Age:
        if (value == 20) return u"ハタチ";
        break;
    case Special::Native:
        if (value == 1) return u"ヒト" + std::u16string(c->plain);
        if (value == 2) return u"フタ" + std::u16string(c->plain);
        break;
    case Special::None:
        break;
    }

    Spelled s = Spell(value);
    if (c->special == Special::Days && s.kind == 4) return s.head + u"ヨッカ";  // 十四日
    if (c->special == Special::Days && s.kind == 7) s.last = u"シチ";        // 十七日
    if (c->special == Special::Days && s.kind == 9) s.last = u"ク";          // 十九日

    std::u16string_view after = c->plain;
    if (Geminates(c->geminate, s.kind)) {
        s.last = Geminated(s.last);
        after = c->afterTsu;
    } else if (s.kind == 4 && !c->four.empty()) {
        s.last = c->four;
    } else if (s.kind == 7 && !c->seven.empty()) {
        s.last = c->seven;
    } else if (s.kind == 9 && !c->nine.empty()) {
        s.last = c->nine;
    } else if (s.kind == 4) {
        after = c->afterFour;
    } else if (!s.last.empty() && s.last.back() == u'ン') {
        after = c->afterN;
    }
    return s.head + s.last + std::u16string(after);
}

std::u16string WithOtherCounter(long long value, std::u16string_view counterReading)
{
    if (value < kHowMany || value > kLargest || counterReading.empty()) return {};
    Spelled s = Spell(value);
    std::u16string counter(counterReading);
    const std::u16string_view kRow = u"カキクケコ", sRow = u"サシスセソタチツテト", hRow = u"ハヒフヘホ";
    const char16_t first = counter.front();
    unsigned mask = kNone;
    if (kRow.find(first) != std::u16string_view::npos || hRow.find(first) != std::u16string_view::npos) mask = kKRow;
    else if (sRow.find(first) != std::u16string_view::npos) mask = kSRow;
    if (Geminates(mask, s.kind)) {
        s.last = Geminated(s.last);
        if (hRow.find(first) != std::u16string_view::npos) counter.front() = char16_t(first + 2);  // ハ → パ
    }
    return s.head + s.last + counter;
}

std::u16string ParticleSound(std::u16string_view particle)
{
    if (particle == u"は") return u"ワ";
    if (particle == u"へ") return u"エ";
    if (particle == u"を") return u"オ";
    return {};
}

}  // namespace JapaneseNumerals
