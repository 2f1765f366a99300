#pragma once

#include <optional>
#include <string>
#include <string_view>

// How Japanese numbers, counters and particles sound, as katakana in the
// dictionary's pronunciation style (long vowels as ー: ジュー, キュー).
// The morpheme analyser reads 三十分 as サン ジュー フン; these rules give
// サンジュップン. Free of any toolkit so the rules can be checked as a table.
namespace JapaneseNumerals {

// The number 何 stands for in 何本, 何人: read like サン before a counter.
inline constexpr long long kHowMany = -1;

// The value of a numeral in kanji (三百二十, 二〇二四), Arabic or full-width
// digits (1500, 1,500, １５), or a mix (3万); nothing when `numeral` is not
// one, has a leading zero (phone numbers, 007) or is too large to be read.
std::optional<long long> Parse(std::u16string_view numeral);

// The reading of a number on its own: 300 → サンビャク, 10000 → イチマン.
std::u16string Reading(long long value);

// A number with a decimal point (3.5, ０．２５): サンテンゴ, レーテンニーゴ; the
// digits after the point one by one. Empty when `numeral` is not one.
std::u16string DecimalReading(std::u16string_view numeral);

// Whether 十分 before this word means ten minutes (十分かかる, 十分前) rather
// than "enough", given the word as written and its dictionary form.
bool MeansMinutes(std::u16string_view nextWord, std::u16string_view nextBaseForm);

// Length of the longest counter this table knows at the start of `text`
// (時間 before 時), 0 when none.
int CounterLength(std::u16string_view text);

// A number followed by a counter, with the counter's sound changes:
// (30, 分) → サンジュップン, (1, 人) → ヒトリ, (20, 日) → ハツカ. After a month,
// 1日 is the first of the month (ツイタチ), else one day (イチニチ). Empty when
// `counter` is not a whole counter of this table.
std::u16string WithCounter(long long value, std::u16string_view counter, bool afterMonth = false);

// A number before a counter this table does not know, read `counterReading`
// in the dictionary: the usual ッ before k, s, t and h (h turning into p):
// (10, キャク) → ジュッキャク. Empty for an empty reading.
std::u16string WithOtherCounter(long long value, std::u16string_view counterReading);

// A number's reading (alone or with its counter) as its written form has it
// said: 一千 written out is イッセン (一千円 イッセンエン, 千円 センエン), and a
// numeral that begins with 万, 億 or 兆 has no イチ in front (数万円 スー
// マンエン).
std::u16string AsWritten(std::u16string_view written, std::u16string reading);

// The reading of a counter on its own (分 → フン), empty when unknown.
std::u16string CounterReading(std::u16string_view counter);

// は, へ and を as particles sound ワ, エ and オ; empty for anything else.
std::u16string ParticleSound(std::u16string_view particle);

}  // namespace JapaneseNumerals
