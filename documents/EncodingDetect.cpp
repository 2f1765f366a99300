#include "documents/EncodingDetect.h"

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
    case EncodingCode::Utf16LE: return TextCodec::Encoding::Utf16LE;
    case EncodingCode::Utf16BE: return TextCodec::Encoding::Utf16BE;
    case EncodingCode::Utf8: return TextCodec::Encoding::Utf8;
    default: return TextCodec::Encoding::ShiftJis;
    }
}

DetectedText DetectAndDecode(const QByteArray& bytes, const TextCodec& codec)
{
    DetectedText result;
    if (bytes.isEmpty())
        return result;
    const auto at = [&bytes](qsizetype i) { return i < bytes.size() ? quint8(bytes[i]) : -1; };
    int code = EncodingCode::ShiftJis;
    bool markComplete = true;
    switch (at(0)) {
    case 0xEF:
        code = EncodingCode::Utf8;
        markComplete = at(1) == 0xBB && at(2) == 0xBF;
        break;
    case 0xFF:
        code = EncodingCode::Utf16LE;
        markComplete = at(1) == 0xFE;
        break;
    case 0xFE:
        code = EncodingCode::Utf16BE;
        markComplete = at(1) == 0xFF;
        break;
    default:
        break;
    }
    bool hasMark = code != EncodingCode::ShiftJis;
    // No mark: UTF-8 when it is well-formed and not plain ASCII. A text that
    // starts with a full-width form (EF BC ..) has a first byte like the
    // mark's and is still UTF-8.
    if ((code == EncodingCode::ShiftJis || (code == EncodingCode::Utf8 && !markComplete)) && IsNonAsciiUtf8(bytes)) {
        code = EncodingCode::Utf8;
        hasMark = false;
        markComplete = true;
    }
    if (!markComplete) {
        // The first byte of a mark without the rest of it gives no text.
        result.code = EncodingCode::ShiftJis;
        return result;
    }
    result.text = codec.Decode(bytes, EncodingOf(code));
    result.code = std::int16_t(code);
    result.markFlag = hasMark ? 1 : 0;
    return result;
}
