#pragma once

#include <QByteArray>
#include <QString>

// Address rules shared by the browser window and its favourites.

// Walks UTF-8 bytes: ASCII bytes stay as they are; every byte of a sequence
// led by 0xC?/0xD? (two bytes), 0xE? (three) or 0xF? (four) is written as
// "%XX" in upper-case hexadecimal. A continuation byte where a sequence should
// start is dropped; a sequence cut short by the end escapes what is there.
QString EscapeUtf8Sequences(const QByteArray& bytes);

// An address with each non-ASCII character percent-escaped; an all-ASCII
// address comes back unchanged.
QString URL_UTF8Conversion(const QString& address);

// Search words for the query string: every UTF-8 byte, letters included,
// as "%XX".
QString EscapeEveryByte(const QString& text);
