#pragma once

#include "speech/JapaneseReadings.h"

#include <memory>

class KanaReader;

// The readings of Japanese text (MeCab with its dictionary) in the form the
// built-in Japanese voice takes them. The dictionary is opened on first use,
// on the voice's worker; a missing one is reported once through the
// reader's Problem signal, and the text is then said as it is.
std::shared_ptr<KanaReader> MakeKanaReader();
// The same with MeCab and its dictionary looked for elsewhere.
std::shared_ptr<KanaReader> MakeKanaReader(const JapaneseReadings::Places& places);
