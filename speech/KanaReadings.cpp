#include "speech/KanaReadings.h"

#include "platform/BuiltInVoice.h"

// Without the readings the Japanese voice says the text as it is.
std::shared_ptr<KanaReader> MakeKanaReader()
{
    return nullptr;
}
