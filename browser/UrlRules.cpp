#include "browser/UrlRules.h"

#include <algorithm>

namespace {

void appendEscaped(QString& out, unsigned char byte)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    out += QLatin1Char('%');
    out += QLatin1Char(hex[byte >> 4]);
    out += QLatin1Char(hex[byte & 0x0F]);
}

} // namespace

QString EscapeUtf8Sequences(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out += QLatin1Char(static_cast<char>(lead));
            ++i;
            continue;
        }
        qsizetype length = 0;
        switch (lead >> 4) {
        case 0xC:
        case 0xD: length = 2; break;
        case 0xE: length = 3; break;
        case 0xF: length = 4; break;
        default: break; // a stray continuation byte
        }
        if (length == 0) {
            ++i;
            continue;
        }
        const qsizetype end = std::min(n, i + length);
        for (; i < end; ++i)
            appendEscaped(out, static_cast<unsigned char>(bytes[i]));
    }
    return out;
}

QString URL_UTF8Conversion(const QString& address)
{
    return EscapeUtf8Sequences(address.toUtf8());
}

QString EscapeEveryByte(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    QString out;
    out.reserve(bytes.size() * 3);
    for (const char byte : bytes)
        appendEscaped(out, static_cast<unsigned char>(byte));
    return out;
}
