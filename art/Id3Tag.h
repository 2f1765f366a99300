#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The leading ID3v2 tag of an MP3, walked frame by frame on its bytes: where
// the embedded picture lies and where the music after the tag begins.
namespace Id3 {

enum class End {
    Untagged,       // no "ID3" signature: the whole file is music
    Jpeg,           // an "APIC" frame of type "image/jpeg" or a "PIC" frame of format "JPG"
    OtherPicture,   // a picture frame of another type (PNG covers are common)
    Padding,        // the frames ended in padding before any picture
    TagEnd,         // the frames ran to the tag's end without padding or picture
    BadFrame,       // a frame size before its frame, past the tag or past the file
};

struct Layout
{
    End end = End::Untagged;
    int majorVersion = 0;
    qint64 tagEnd = 0;         // where the tag-less copy begins (0 when untagged)
    qint64 pictureBegin = 0;   // the picture's bytes, for Jpeg and OtherPicture:
    qint64 pictureEnd = 0;     // [pictureBegin, pictureEnd), possibly empty

    bool HasPicture() const { return end == End::Jpeg || end == End::OtherPicture; }
};

constexpr qint64 HeaderSize = 10;

// The offset just past the tag, from the file's first ten bytes; 0 when they
// carry no tag signature.
qint64 TagEnd(QByteArrayView first);

// Walks the tag. `head` holds the file's first min(TagEnd, fileLength) bytes
// (more does no harm); nothing outside it is ever read.
Layout Walk(QByteArrayView head, qint64 fileLength);

} // namespace Id3
