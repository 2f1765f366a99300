#pragma once

#include <QByteArrayView>

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates
// or code points past U+10FFFF) and hold at least one non-ASCII byte. One
// pass, sixteen bytes at a time where the processor allows it, since every
// text without a mark goes through it before it is decoded.
bool IsNonAsciiUtf8(QByteArrayView bytes);

// The same, a byte at a time: what processors without vector instructions use.
bool IsNonAsciiUtf8Scalar(QByteArrayView bytes);
