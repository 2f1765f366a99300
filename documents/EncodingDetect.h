#pragma once

#include "core/State.h"
#include "documents/Utf8Check.h"
#include "platform/TextCodec.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// Which of the two documents a path names: ".txt" anywhere in it (tested
// first, exact letter case) names the text document, else ".lrc" the
// synchronized-text document.
enum class DocumentKind { None, Text, Lrc };
DocumentKind DocumentFor(const QString& path);

// The encoding of a file's bytes, decided by its mark, and its whole content
// decoded with the mark kept as U+FEFF. Without a mark, valid UTF-8 holding
// a non-ASCII byte is UTF-8 (EncodingCode::Utf8, mark flag 0), as most text on this
// desktop is; anything else is Shift_JIS. Empty optionals leave the
// document's encoding code or mark flag as they were.
struct DetectedText
{
    QString text;
    std::optional<std::int16_t> code;       // an EncodingCode
    std::optional<std::int32_t> markFlag;   // 1: the text begins with the mark
};

DetectedText DetectAndDecode(const QByteArray& bytes, const TextCodec& codec);

// The codec's encoding for a document's encoding code (out of range: Shift_JIS).
TextCodec::Encoding EncodingOf(int code);
