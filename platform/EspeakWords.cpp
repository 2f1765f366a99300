#include "platform/EspeakWords.h"

namespace EspeakWords {

std::pair<int, int> TextRange(const QString& text, int position, int length)
{
    if (position < 1 || length < 1)
        return {-1, 0};
    const int n = int(text.size());
    // Walk code points; a pair of surrogates is one character to espeak-ng.
    auto next = [&](int i) {
        return i + 1 < n && text.at(i).isHighSurrogate() && text.at(i + 1).isLowSurrogate() ? i + 2 : i + 1;
    };
    int at = 0;
    for (int c = 1; c < position; ++c) {
        if (at >= n)
            return {-1, 0};
        at = next(at);
    }
    if (at >= n)
        return {-1, 0};
    int end = at;
    for (int c = 0; c < length && end < n; ++c)
        end = next(end);
    return {at, end - at};
}

} // namespace EspeakWords
