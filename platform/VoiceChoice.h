#pragma once

#include <QString>

// How the automatic voice picks a voice for a line, and the Japanese names
// of the built-in voices' languages. Plain rules, no engine.
namespace VoiceChoice {

// The language a line is read in: "ja" for kana and kanji, "en" for Latin
// letters, else the language of the line's script ("ru" for Cyrillic, "ko"
// for Hangul ...). The script with the most letters wins, a kana or kanji
// counting as two letters (it stands for about two Latin letters), and
// Japanese wins a tie. A line without letters is "en" (numbers and symbols
// are read in English).
QString LanguageOf(const QString& line);

// "ドイツ語" for "de", "英語（イギリス）" for "en-gb"; the code itself for a
// language without a Japanese name here.
QString JapaneseName(const QString& code);

} // namespace VoiceChoice
