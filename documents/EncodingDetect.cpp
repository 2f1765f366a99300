#include "documents/EncodingDetect.h"

#include <cstring>

using namespace Qt::StringLiterals;

DocumentKind DocumentFor(const QString& path)
{
    if (path.contains(u".txt"_s))
        return DocumentKind::Text;
    if (path.contains(u".lrc"_s))
        return DocumentKind::Lrc;
    return DocumentKind::None;
}

TextCodec::Encoding EncodingOf(int code)
{
    switch (code) {
    case 1: return TextCodec::Encoding::Utf16LE;
    case 2: return TextCodec::Encoding::Utf16BE;
    case 3: return TextCodec::Encoding::Utf8;
    default: return TextCodec::Encoding::ShiftJis;
    }
}

DetectedText DetectAndDecode(const QByteArray& bytes, const TextCodec& codec)
{
    DetectedText result;
    if (bytes.isEmpty())
        return result;
    const auto at = [&bytes](qsizetype i) { return i < bytes.size() ? quint8(bytes[i]) : -1; };
    int code = 0;
    bool markComplete = true;
    switch (at(0)) {
    case 0xEF:
        code = 3;
        markComplete = at(1) == 0xBB && at(2) == 0xBF;
        break;
    case 0xFF:
        code = 1;
        markComplete = at(1) == 0xFE;
        break;
    case 0xFE:
        code = 2;
        markComplete = at(1) == 0xFF;
        break;
    default:
        break;
    }
    bool hasMark = code != 0;
    // No mark: UTF-8 when it is well-formed and not plain ASCII. A text that
    // starts with a full-width form (EF BC ..) has a first byte like the
    // mark's and is still UTF-8.
    if ((code == 0 || (code == 3 && !markComplete)) && IsNonAsciiUtf8(bytes)) {
        code = 3;
        hasMark = false;
        markComplete = true;
    }
    if (!markComplete) {
        // The first byte of a mark without the rest of it gives no text.
        result.code = 0;
        return result;
    }
    result.text = codec.Decode(bytes, EncodingOf(code));
    result.code = std::int16_t(code);
    result.markFlag = hasMark ? 1 : 0;
    return result;
}

bool IsNonAsciiUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    const auto continuation = [](unsigned char b) { return (b & 0xC0) == 0x80; };
    bool nonAscii = false;
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
        const qsizetype left = end - p;
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
