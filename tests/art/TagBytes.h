#pragma once

// ID3v2 tags built byte by byte, so a test knows every offset it checks.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

namespace TagBytes {

inline QByteArray BigEndian(quint32 v, int bytes)
{
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i)
        out += char((v >> (8 * i)) & 0xFF);
    return out;
}

inline QByteArray Syncsafe(quint32 v)
{
    return QByteArray{} + char((v >> 21) & 0x7F) + char((v >> 14) & 0x7F) + char((v >> 7) & 0x7F) + char(v & 0x7F);
}

// A 2.3 frame (plain 32-bit size) or, with syncsafe, a 2.4 one.
inline QByteArray Frame(const char* id, const QByteArray& body, bool syncsafe = false)
{
    return QByteArray(id, 4) + (syncsafe ? Syncsafe(quint32(body.size())) : BigEndian(quint32(body.size()), 4))
         + QByteArray(2, 0) + body;
}

inline QByteArray Frame22(const char* id, const QByteArray& body)
{
    return QByteArray(id, 3) + BigEndian(quint32(body.size()), 3) + body;
}

inline QByteArray Apic(const QByteArray& mime, const QByteArray& description, const QByteArray& data)
{
    return char(0) + mime + char(0) + char(3) + description + char(0) + data;
}

inline QByteArray Pic(const QByteArray& format, const QByteArray& description, const QByteArray& data)
{
    return char(0) + format + char(3) + description + char(0) + data;
}

// Header, frames, padding; the size field says frames + padding unless told.
inline QByteArray Tag(int major, const QByteArray& frames, int padding, qint64 sizeField = -1)
{
    const quint32 size = quint32(sizeField < 0 ? frames.size() + padding : sizeField);
    return QByteArray("ID3") + char(major) + char(0) + char(0) + Syncsafe(size) + frames + QByteArray(padding, 0);
}

// Audio-like filler that holds no zero byte, so it never reads as padding.
inline QByteArray Music(int size)
{
    QByteArray out(size, 0);
    for (int i = 0; i < size; ++i)
        out[i] = char(0x20 + (i * 7) % 90);
    return out;
}

inline QByteArray Picture(int width, int height, const char* format, QColor color = Qt::red)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace TagBytes
