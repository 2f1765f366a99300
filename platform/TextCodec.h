#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

// Text encodings by name: documents, synchronized text and favourites are read
// and written through this service.
class TextCodec
{
public:
    // In the order of the documents' encoding codes (0 to 3).
    enum class Encoding { ShiftJis, Utf16LE, Utf16BE, Utf8 };

    virtual ~TextCodec() = default;

    // Decodes the whole buffer. A byte order mark at its start stays in the
    // text as U+FEFF; bytes that form no character become U+FFFD.
    virtual QString Decode(const QByteArray& bytes, Encoding encoding) const = 0;

    // Encodes the text as it is, a leading U+FEFF included, without adding a
    // mark. Shift_JIS is strict: nothing comes back when a character has no
    // form in it, or only one that reads back as another character. The
    // Unicode encodings always succeed.
    virtual std::optional<QByteArray> Encode(QStringView text, Encoding encoding) const = 0;

    // The byte order mark of an encoding (none for Shift_JIS).
    static QByteArray Mark(Encoding encoding);

    // The implementation of this desktop.
    static const TextCodec& System();
};

// Shift_JIS through glibc's iconv code page "CP932"; the Unicode encodings
// through Qt's converters.
class IconvTextCodec : public TextCodec
{
public:
    QString Decode(const QByteArray& bytes, Encoding encoding) const override;
    std::optional<QByteArray> Encode(QStringView text, Encoding encoding) const override;
};
