#pragma once

#include <QString>

#include <utility>

namespace EspeakWords {

// espeak-ng reports a word by its first character, counted from 1, and its
// length, both in characters (code points) of the text it was given. The
// same word as a range of the QString, where a character beyond the basic
// plane takes two units; {-1, 0} when the word lies outside the text.
std::pair<int, int> TextRange(const QString& text, int position, int length);

} // namespace EspeakWords
