#include "art/Id3Tag.h"

#include <algorithm>

namespace Id3 {

namespace {

// Reads inside the bytes we hold, never past them.
struct Bytes
{
    QByteArrayView data;

    bool Has(qint64 offset, qint64 count) const
    {
        return offset >= 0 && count >= 0 && offset + count <= data.size();
    }
    QByteArrayView At(qint64 offset, qint64 count) const
    {
        return Has(offset, count) ? data.sliced(offset, count) : QByteArrayView();
    }
    unsigned Byte(qint64 offset) const { return static_cast<unsigned char>(data[offset]); }
};

// The picture data starts after a description that ends at its first zero
// byte; at most `limit` bytes are looked at, and when none of them is zero the
// byte after them is skipped unexamined.
qint64 DescriptionEnd(const Bytes& b, qint64 start, int limit)
{
    for (int j = 0; j < limit; ++j) {
        if (!b.Has(start + j, 1))
            return -1;
        if (b.Byte(start + j) == 0)
            return start + j + 1;
    }
    return start + limit + 1;
}

Layout Picture(Layout layout, End end, qint64 dataBegin, qint64 last)
{
    // Data that would start past the frame's last byte is empty.
    layout.end = end;
    layout.pictureBegin = dataBegin < 0 ? last + 1 : std::min(dataBegin, last + 1);
    layout.pictureEnd = last + 1;
    return layout;
}

} // namespace

qint64 TagEnd(QByteArrayView first)
{
    if (first.size() < HeaderSize || first.first(3) != QByteArrayView("ID3"))
        return 0;
    const Bytes b{first};
    // Seven bits per byte as written, but each byte taken whole.
    const qint64 size = b.Byte(9) + 128 * (b.Byte(8) + 128 * (b.Byte(7) + qint64(128) * b.Byte(6)));
    return size + HeaderSize;
}

Layout Walk(QByteArrayView head, qint64 fileLength)
{
    Layout layout;
    layout.tagEnd = TagEnd(head);
    if (layout.tagEnd == 0)
        return layout;
    const Bytes b{head.first(std::min<qint64>(head.size(), std::min(layout.tagEnd, fileLength)))};
    layout.majorVersion = int(b.Byte(3));
    const bool v22 = layout.majorVersion == 2;
    const qint64 headerSize = v22 ? 6 : 10;
    const qint64 idSize = v22 ? 3 : 4;

    for (qint64 p = HeaderSize; p < layout.tagEnd;) {
        if (!b.Has(p, 1)) {
            layout.end = End::BadFrame;   // the tag claims more than the file holds
            return layout;
        }
        if (b.Byte(p) == 0) {
            layout.end = End::Padding;
            return layout;
        }
        if (!b.Has(p, headerSize)) {
            layout.end = End::BadFrame;
            return layout;
        }
        qint64 size;
        if (v22)
            size = (b.Byte(p + 3) << 16) | (b.Byte(p + 4) << 8) | b.Byte(p + 5);
        else if (layout.majorVersion == 4)   // syncsafe, seven bits per byte
            size = ((b.Byte(p + 4) & 0x7F) << 21) | ((b.Byte(p + 5) & 0x7F) << 14)
                 | ((b.Byte(p + 6) & 0x7F) << 7) | (b.Byte(p + 7) & 0x7F);
        else
            size = std::int32_t(std::uint32_t(b.Byte(p + 4) << 24) | (b.Byte(p + 5) << 16)
                                | (b.Byte(p + 6) << 8) | b.Byte(p + 7));
        if (size < 0 || !b.Has(p, headerSize + size)) {
            layout.end = End::BadFrame;
            return layout;
        }
        const QByteArrayView id = b.At(p, idSize);
        const qint64 last = p + headerSize - 1 + size;
        if (v22 && id == QByteArrayView("PIC")) {
            // encoding, 3-byte format, picture type, description
            const End kind = b.At(p + 7, 3) == QByteArrayView("JPG") ? End::Jpeg : End::OtherPicture;
            return Picture(layout, kind, DescriptionEnd(b, p + 11, 64), last);
        }
        if (!v22 && id == QByteArrayView("APIC")) {
            // encoding, MIME type and its zero byte, picture type, description
            if (b.At(p + 11, 10) == QByteArrayView("image/jpeg"))
                return Picture(layout, End::Jpeg, DescriptionEnd(b, p + 23, 63), last);
            const QByteArrayView frame = b.At(p, headerSize + size);
            const qint64 mimeZero = frame.indexOf('\0', 11);
            const qint64 description = mimeZero < 0 ? -1 : p + mimeZero + 2;
            return Picture(layout, End::OtherPicture,
                           description < 0 || description > last ? -1 : DescriptionEnd(b, description, 63), last);
        }
        p += headerSize + size;
    }
    layout.end = End::TagEnd;
    return layout;
}

} // namespace Id3
