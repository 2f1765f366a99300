#include "platform/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QSysInfo>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>

namespace {

// iconv's name for UTF-16 in this machine's byte order, so its output is a QString's memory.
const char* HostUtf16()
{
    return QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
}

class Iconv
{
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (ok())
            iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

QString DecodeShiftJis(const QByteArray& bytes)
{
    Iconv cd(HostUtf16(), "CP932");
    // Every CP932 character is one or two bytes and one UTF-16 unit, and a bad
    // byte becomes one U+FFFD: the text never has more units than the file bytes.
    QString out(bytes.size(), Qt::Uninitialized);
    if (!cd.ok()) {
        out.fill(QChar::ReplacementCharacter);
        return out;
    }
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char* const outStart = reinterpret_cast<char*>(out.data());
    char* outPtr = outStart;
    size_t outLeft = size_t(out.size()) * sizeof(char16_t);
    while (inLeft > 0) {
        if (iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            break;   // E2BIG cannot happen with the size above
        // A byte that starts no character (or a lead byte cut off at the end):
        // replace that one byte and go on with the next.
        const char16_t replacement = QChar::ReplacementCharacter;
        memcpy(outPtr, &replacement, sizeof replacement);
        outPtr += sizeof replacement;
        outLeft -= sizeof replacement;
        ++in;
        --inLeft;
    }
    out.truncate(int((outPtr - outStart) / qsizetype(sizeof(char16_t))));
    return out;
}

// Whether a character's CP932 bytes read back as the same character. glibc
// maps a few characters to near neighbours (¥ to a backslash, ‾ to "~", 〜
// to "～" ...): such a character has no form either. Each character is
// tried once, when a text first holds it.
bool RoundTrips(char16_t c, const Iconv& to)
{
    enum : std::uint8_t { Unknown, Same, Other };
    static std::array<std::atomic<std::uint8_t>, 0x10000> known{};
    if (const std::uint8_t k = known[c].load(std::memory_order_relaxed); k != Unknown)
        return k == Same;
    char bytes[8];
    char* in = reinterpret_cast<char*>(&c);
    size_t inLeft = sizeof c;
    char* outPtr = bytes;
    size_t outLeft = sizeof bytes;
    bool same = iconv(to.get(), &in, &inLeft, &outPtr, &outLeft) != size_t(-1);
    if (same) {
        const QString back = DecodeShiftJis(QByteArray(bytes, outPtr - bytes));
        same = back.size() == 1 && back.front().unicode() == c;
    }
    known[c].store(same ? Same : Other, std::memory_order_relaxed);
    return same;
}

std::optional<QByteArray> EncodeShiftJis(QStringView text)
{
    Iconv cd("CP932", HostUtf16());
    if (!cd.ok())
        return std::nullopt;
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    char* in = reinterpret_cast<char*>(const_cast<QChar*>(text.data()));
    size_t inLeft = size_t(text.size()) * sizeof(char16_t);
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    if (inLeft > 0 && iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft) == size_t(-1))
        return std::nullopt;   // the first character without a Shift_JIS form
    out.truncate(outPtr - out.data());
    for (const QChar c : text) {
        if (c.unicode() >= 0x80 && !RoundTrips(c.unicode(), cd))
            return std::nullopt;
    }
    return out;
}

QStringConverter::Encoding QtEncoding(TextCodec::Encoding encoding)
{
    switch (encoding) {
    case TextCodec::Encoding::Utf16LE: return QStringConverter::Utf16LE;
    case TextCodec::Encoding::Utf16BE: return QStringConverter::Utf16BE;
    default: return QStringConverter::Utf8;
    }
}

} // namespace

QByteArray TextCodec::Mark(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf16LE: return QByteArrayLiteral("\xFF\xFE");
    case Encoding::Utf16BE: return QByteArrayLiteral("\xFE\xFF");
    case Encoding::Utf8: return QByteArrayLiteral("\xEF\xBB\xBF");
    case Encoding::ShiftJis: break;
    }
    return {};
}

const TextCodec& TextCodec::System()
{
    static const IconvTextCodec codec;
    return codec;
}

QString IconvTextCodec::Decode(const QByteArray& bytes, Encoding encoding) const
{
    if (encoding == Encoding::ShiftJis)
        return DecodeShiftJis(bytes);
    // The mark is part of the text; a sequence cut off at the end is replaced.
    QStringDecoder decoder(QtEncoding(encoding),
                           QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

std::optional<QByteArray> IconvTextCodec::Encode(QStringView text, Encoding encoding) const
{
    if (encoding == Encoding::ShiftJis)
        return EncodeShiftJis(text);
    QStringEncoder encoder(QtEncoding(encoding), QStringConverter::Flag::Stateless);
    return QByteArray(encoder.encode(text));
}
