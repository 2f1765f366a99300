#include "documents/Utf8Check.h"

#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define MURMELIN_UTF8_SSSE3 1
#endif

namespace {

bool ScalarCheck(const unsigned char* p, const unsigned char* const end)
{
    bool nonAscii = false;
    const auto continuation = [](unsigned char b) { return (b & 0xC0) == 0x80; };
    while (p < end) {
        const unsigned lead = *p;
        if (lead < 0x80) {
            ++p;
            // Runs of ASCII go eight bytes at a time.
            while (end - p >= 8) {
                std::uint64_t word;
                std::memcpy(&word, p, sizeof word);
                if (word & 0x8080808080808080ULL)
                    break;
                p += 8;
            }
            continue;
        }
        nonAscii = true;
        const auto left = end - p;
        if (lead >= 0xC2 && lead <= 0xDF) {
            if (left < 2 || !continuation(p[1]))
                return false;
            p += 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            // E0 would be overlong below A0, ED a surrogate from A0 on.
            const unsigned lo = lead == 0xE0 ? 0xA0 : 0x80;
            const unsigned hi = lead == 0xED ? 0x9F : 0xBF;
            if (left < 3 || p[1] < lo || p[1] > hi || !continuation(p[2]))
                return false;
            p += 3;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            // F0 would be overlong below 90, F4 past U+10FFFF from 90 on.
            const unsigned lo = lead == 0xF0 ? 0x90 : 0x80;
            const unsigned hi = lead == 0xF4 ? 0x8F : 0xBF;
            if (left < 4 || p[1] < lo || p[1] > hi || !continuation(p[2]) || !continuation(p[3]))
                return false;
            p += 4;
        } else {
            return false;   // a stray continuation byte, an overlong lead, or F5..FF
        }
    }
    return nonAscii;
}

#ifdef MURMELIN_UTF8_SSSE3

// Each pair of neighbouring bytes is classified by three table look-ups
// (high and low half of the first byte, high half of the second); a bit
// left standing in all three names an error. Continuation bytes that the
// lead two or three bytes back asks for are checked apart.
constexpr std::uint8_t TooShort = 1 << 0;    // lead, then no continuation
constexpr std::uint8_t TooLong = 1 << 1;     // ASCII, then a continuation
constexpr std::uint8_t Overlong3 = 1 << 2;   // E0 80..9F
constexpr std::uint8_t TooLarge = 1 << 3;    // F4 90.., F5..
constexpr std::uint8_t Surrogate = 1 << 4;   // ED A0..BF
constexpr std::uint8_t Overlong2 = 1 << 5;   // C0, C1
constexpr std::uint8_t TooLarge1000 = 1 << 6;
constexpr std::uint8_t Overlong4 = 1 << 6;   // F0 80..8F
constexpr std::uint8_t TwoConts = 1 << 7;    // continuation, continuation
constexpr std::uint8_t Carry = TooShort | TooLong | TwoConts;

__m128i Table(std::uint8_t a0, std::uint8_t a1, std::uint8_t a2, std::uint8_t a3,
                                               std::uint8_t a4, std::uint8_t a5, std::uint8_t a6, std::uint8_t a7,
                                               std::uint8_t a8, std::uint8_t a9, std::uint8_t a10, std::uint8_t a11,
                                               std::uint8_t a12, std::uint8_t a13, std::uint8_t a14, std::uint8_t a15)
{
    return _mm_setr_epi8(char(a0), char(a1), char(a2), char(a3), char(a4), char(a5), char(a6), char(a7), char(a8),
                         char(a9), char(a10), char(a11), char(a12), char(a13), char(a14), char(a15));
}

constexpr std::uint8_t Large = Carry | TooLarge | TooLarge1000;
constexpr std::uint8_t Cont = TooLong | Overlong2 | TwoConts;

__attribute__((target("ssse3"))) bool SimdCheck(const unsigned char* p, const unsigned char* const end)
{
    const __m128i byte1High = Table(TooLong, TooLong, TooLong, TooLong, TooLong, TooLong, TooLong, TooLong,
                                    TwoConts, TwoConts, TwoConts, TwoConts, TooShort | Overlong2, TooShort,
                                    TooShort | Overlong3 | Surrogate, TooShort | TooLarge | TooLarge1000 | Overlong4);
    const __m128i byte1Low = Table(Carry | Overlong3 | Overlong2 | Overlong4, Carry | Overlong2, Carry, Carry,
                                   Carry | TooLarge, Large, Large, Large, Large, Large, Large, Large, Large,
                                   Large | Surrogate, Large, Large);
    const __m128i byte2High = Table(TooShort, TooShort, TooShort, TooShort, TooShort, TooShort, TooShort, TooShort,
                                    Cont | Overlong3 | TooLarge1000 | Overlong4, Cont | Overlong3 | TooLarge,
                                    Cont | Surrogate | TooLarge, Cont | Surrogate | TooLarge, TooShort, TooShort,
                                    TooShort, TooShort);
    // A lead in the last three bytes of a block wants bytes of the next one.
    const __m128i lastLeads = Table(255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0xF0 - 1,
                                    0xE0 - 1, 0xC0 - 1);
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i highBit = _mm_set1_epi8(char(0x80));
    const __m128i before3 = _mm_set1_epi8(char(0xE0 - 0x80));
    const __m128i before4 = _mm_set1_epi8(char(0xF0 - 0x80));

    __m128i previous = _mm_setzero_si128();
    __m128i previousIncomplete = _mm_setzero_si128();
    __m128i error = _mm_setzero_si128();
    __m128i seen = _mm_setzero_si128();
    alignas(16) unsigned char tail[16] = {};
    unsigned blocks = 0;
    for (bool last = false; !last;) {
        // Runs of ASCII go 64 bytes at a time; only a sequence left open
        // before them is wrong.
        while (end - p >= 64) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
            if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) != 0)
                break;
            error = _mm_or_si128(error, previousIncomplete);
            previousIncomplete = _mm_setzero_si128();
            previous = d;
            p += 64;
        }
        __m128i input;
        if (end - p >= 16) {
            input = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            p += 16;
        } else {
            // The rest, padded with ASCII zeros: a sequence cut off at the end meets them and fails.
            // An empty view may hold no pointer at all, and memcpy must never see one.
            if (end > p)
                std::memcpy(tail, p, size_t(end - p));
            input = _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
            last = true;
        }
        if (_mm_movemask_epi8(input) == 0) {
            error = _mm_or_si128(error, previousIncomplete);
            previousIncomplete = _mm_setzero_si128();
            previous = input;
            continue;
        }
        seen = _mm_or_si128(seen, input);
        const __m128i prev1 = _mm_alignr_epi8(input, previous, 15);
        const __m128i special = _mm_and_si128(
            _mm_and_si128(_mm_shuffle_epi8(byte1High, _mm_and_si128(_mm_srli_epi16(prev1, 4), nibble)),
                          _mm_shuffle_epi8(byte1Low, _mm_and_si128(prev1, nibble))),
            _mm_shuffle_epi8(byte2High, _mm_and_si128(_mm_srli_epi16(input, 4), nibble)));
        // High bit set where the byte is the third of a sequence from E0 or the fourth from F0.
        const __m128i third = _mm_subs_epu8(_mm_alignr_epi8(input, previous, 14), before3);
        const __m128i fourth = _mm_subs_epu8(_mm_alignr_epi8(input, previous, 13), before4);
        const __m128i mustContinue = _mm_and_si128(_mm_or_si128(third, fourth), highBit);
        error = _mm_or_si128(error, _mm_xor_si128(mustContinue, special));
        previous = input;
        previousIncomplete = _mm_subs_epu8(input, lastLeads);
        // A Shift_JIS text fails within its first bytes: stop there.
        if (++blocks % 64 == 0 && _mm_movemask_epi8(_mm_cmpeq_epi8(error, _mm_setzero_si128())) != 0xFFFF)
            return false;
    }
    error = _mm_or_si128(error, previousIncomplete);
    return _mm_movemask_epi8(_mm_cmpeq_epi8(error, _mm_setzero_si128())) == 0xFFFF && _mm_movemask_epi8(seen) != 0;
}

bool HasSsse3()
{
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}

#endif

} // namespace

bool IsNonAsciiUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
#ifdef MURMELIN_UTF8_SSSE3
    if (HasSsse3())
        return SimdCheck(p, p + bytes.size());
#endif
    return ScalarCheck(p, p + bytes.size());
}

bool IsNonAsciiUtf8Scalar(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    return ScalarCheck(p, p + bytes.size());
}
