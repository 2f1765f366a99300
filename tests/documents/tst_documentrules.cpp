// The documents' rules that need no window: encoding detection and the
// codec, the content change rule, the font style table, break bookkeeping,
// offsets and the line-ending check.

#include "documents/DocumentRules.h"
#include "documents/EncodingDetect.h"
#include "documents/LineBreaks.h"
#include "documents/LineEndings.h"
#include "documents/Utf8Check.h"
#include "platform/TextCodec.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
const TextCodec& codec() { return TextCodec::System(); }
QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list)
        out.append(char(b));
    return out;
}
const QChar Mark(0xFEFF);
const QChar Bad(QChar::ReplacementCharacter);
} // namespace

class TestDocumentRules : public QObject
{
    Q_OBJECT

private slots:
    void detection_data();
    void detection();
    void utf8Validity_data();
    void utf8Validity();
    void utf8ValidityAgreesWithQt();
    void documentNamedByPath();
    void shiftJisDecodingReplacesBadBytes();
    void strictShiftJisRefusesCharactersWithoutForm();
    void unicodeEncodingsKeepTheMarkCharacterAndAddNone();
    void contentChangeRule();
    void fontStyleTable();
    void breakKindsSplitLikeTheEditor();
    void offsetMapOnMixedBreaksAndMark();
    void lineEndingCheck();
};

void TestDocumentRules::detection_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");   // -1: keeps its value
    QTest::addColumn<int>("mark");   // -1: keeps its value

    QTest::newRow("empty file keeps both") << QByteArray() << QString() << -1 << -1;
    QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF" "a\xE3\x81\x82") << (QString(Mark) + u"aあ"_s) << 3 << 1;
    // Without a mark, well-formed UTF-8 with a non-ASCII byte is UTF-8 and keeps no mark.
    QTest::newRow("UTF-8 without mark") << QByteArray("\xE3\x81\x82\r\n") << u"あ\r\n"_s << 3 << 0;
    // A full-width first character starts with EF like the mark does.
    QTest::newRow("UTF-8 starting with a full-width form") << QByteArray("\xEF\xBC\xA1\xEF\xBD\xB1")
                                                           << u"Ａｱ"_s << 3 << 0;
    QTest::newRow("ASCII alone is Shift_JIS") << QByteArray("plain\\") << u"plain\\"_s << 0 << 0;
    // C0 AF is an overlong "/" in UTF-8, and two half-width kana in Shift_JIS.
    QTest::newRow("overlong UTF-8 is Shift_JIS") << bytes({0xC0, 0xAF}) << u"ﾀｯ"_s << 0 << 0;
    QTest::newRow("FF FE is UTF-16LE") << bytes({0xFF, 0xFE, 0x42, 0x30, 0x0D, 0x00, 0x0A, 0x00})
                                       << (QString(Mark) + u"あ\r\n"_s) << 1 << 1;
    QTest::newRow("FF FE whatever follows") << bytes({0xFF, 0xFE, 0x41}) << (QString(Mark) + Bad) << 1 << 1;
    QTest::newRow("FE FF is UTF-16BE") << bytes({0xFE, 0xFF, 0x30, 0x42}) << (QString(Mark) + u"あ"_s) << 2 << 1;
    QTest::newRow("odd last byte of UTF-16") << bytes({0xFE, 0xFF, 0x30, 0x42, 0x30}) << (QString(Mark) + u"あ"_s + Bad) << 2 << 1;
    QTest::newRow("FF 41 gives nothing") << bytes({0xFF, 0x41, 0x42}) << QString() << 0 << -1;
    QTest::newRow("lone EF") << bytes({0xEF}) << QString() << 0 << -1;
    QTest::newRow("EF BB without BF") << bytes({0xEF, 0xBB, 0x41}) << QString() << 0 << -1;
    QTest::newRow("FE alone") << bytes({0xFE}) << QString() << 0 << -1;
    QTest::newRow("Shift_JIS") << bytes({0x82, 0xA0, 0x0D, 0x0A, 0x41, 0x0A}) << u"あ\r\nA\n"_s << 0 << 0;
    QTest::newRow("Shift_JIS half-width kana") << bytes({0xB1, 0x5C}) << u"ｱ\\"_s << 0 << 0;
}

void TestDocumentRules::detection()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QFETCH(int, code);
    QFETCH(int, mark);
    const DetectedText d = DetectAndDecode(file, codec());
    QCOMPARE(d.text, text);
    QCOMPARE(d.code.has_value() ? int(*d.code) : -1, code);
    QCOMPARE(d.markFlag.has_value() ? int(*d.markFlag) : -1, mark);
}

void TestDocumentRules::utf8Validity_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("nonAsciiUtf8");

    const QByteArray run("0123456789abcdef");   // past the eight-byte ASCII stride
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("ASCII only") << run << false;
    QTest::newRow("two bytes") << QByteArray("\xC3\xA9") << true;
    QTest::newRow("three bytes after a run") << run + "\xE3\x81\x82" << true;
    QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x98\x80") << true;
    QTest::newRow("last before surrogates") << QByteArray("\xED\x9F\xBF") << true;
    QTest::newRow("last code point") << QByteArray("\xF4\x8F\xBF\xBF") << true;
    QTest::newRow("overlong two bytes") << QByteArray("\xC1\xBF") << false;
    QTest::newRow("overlong three bytes") << QByteArray("\xE0\x9F\xBF") << false;
    QTest::newRow("overlong four bytes") << QByteArray("\xF0\x8F\xBF\xBF") << false;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
    QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
    QTest::newRow("F5 lead") << QByteArray("\xF5\x80\x80\x80") << false;
    QTest::newRow("stray continuation after a run") << run + "\x80" + run << false;
    QTest::newRow("cut off at the end") << run + "\xE3\x81" << false;
    QTest::newRow("lead before ASCII") << QByteArray("\xE3\x41\x42") << false;
    QTest::newRow("Shift_JIS あ") << bytes({0x82, 0xA0}) << false;
    QTest::newRow("bad byte far on") << QByteArray(5000, 'a') + "\xE3\x81\x82" + QByteArray(5000, 'b') + "\xFF"
                                     << false;
    QByteArray japanese;
    for (int i = 0; i < 1000; ++i)
        japanese += "\xE3\x81\x82";
    QTest::newRow("bad first byte, then valid") << "\x80" + japanese << false;
    QTest::newRow("valid, then bad last byte") << japanese + "\x80" << false;
    // Sequences across every place in a sixteen-byte block, and cut off there.
    for (int k = 0; k < 20; ++k) {
        const QByteArray lead(k, 'a');
        QTest::addRow("あ😀 after %d", k) << lead + "\xE3\x81\x82\xF0\x9F\x98\x80" << true;
        QTest::addRow("cut off after %d, then ASCII", k) << lead + "\xE3\x81" + QByteArray(20, 'b') << false;
        QTest::addRow("cut off after %d, at the end", k) << lead + "\xF0\x9F\x98" << false;
        QTest::addRow("surrogate after %d", k) << lead + "\xED\xB0\x80" + QByteArray(20, 'b') << false;
    }
}

void TestDocumentRules::utf8Validity()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, nonAsciiUtf8);
    QCOMPARE(IsNonAsciiUtf8(bytes), nonAsciiUtf8);
    QCOMPARE(IsNonAsciiUtf8Scalar(bytes), nonAsciiUtf8);
}

void TestDocumentRules::utf8ValidityAgreesWithQt()
{
    // Random texts made of pieces of UTF-8, broken pieces and ASCII, against
    // Qt's own validator.
    const QList<QByteArray> pieces = {"a", "\r\n", "\xE3\x81\x82", "\xC3\xA9", "\xF0\x9F\x98\x80", "\x80",
                                      "\xE3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xEF\xBF\xBF",
                                      "\xFF", "\xE0\xA0\x80", "0123456789"};
    QRandomGenerator random(7);
    for (int i = 0; i < 20000; ++i) {
        QByteArray text;
        const int count = int(random.bounded(12));
        for (int j = 0; j < count; ++j)
            text += pieces[random.bounded(int(i % 2 ? pieces.size() : 5))];
        const bool expected = QByteArrayView(text).isValidUtf8()
                              && std::any_of(text.begin(), text.end(), [](char c) { return quint8(c) >= 0x80; });
        QVERIFY2(IsNonAsciiUtf8(text) == expected, text.toHex(' ').constData());
        QVERIFY2(IsNonAsciiUtf8Scalar(text) == expected, text.toHex(' ').constData());
    }
}

void TestDocumentRules::documentNamedByPath()
{
    QCOMPARE(DocumentFor(u"/a/b.txt"_s), DocumentKind::Text);
    QCOMPARE(DocumentFor(u"/a/b.lrc"_s), DocumentKind::Lrc);
    QCOMPARE(DocumentFor(u"/a.txt.d/b.lrc"_s), DocumentKind::Text);   // ".txt" first, anywhere
    QCOMPARE(DocumentFor(u"/a/b.TXT"_s), DocumentKind::None);         // exact letter case
    QCOMPARE(DocumentFor(u"/a/b.mp3"_s), DocumentKind::None);
}

void TestDocumentRules::shiftJisDecodingReplacesBadBytes()
{
    // 0x80 starts nothing; a lead byte before a byte that cannot trail it
    // is replaced alone and the next byte read again; a cut-off lead byte at
    // the end is one replacement.
    QCOMPARE(codec().Decode(bytes({0x41, 0x80, 0x42}), TextCodec::Encoding::ShiftJis), u"A"_s + Bad + u"B"_s);
    QCOMPARE(codec().Decode(bytes({0x81, 0x20, 0x43}), TextCodec::Encoding::ShiftJis), QString(Bad) + u" C"_s);
    QCOMPARE(codec().Decode(bytes({0x43, 0x82}), TextCodec::Encoding::ShiftJis), u"C"_s + Bad);
    // NEC special characters of code page 932 are there.
    QCOMPARE(codec().Decode(bytes({0x87, 0x40}), TextCodec::Encoding::ShiftJis), u"①"_s);
}

void TestDocumentRules::strictShiftJisRefusesCharactersWithoutForm()
{
    const auto sjis = TextCodec::Encoding::ShiftJis;
    QCOMPARE(codec().Encode(u"あA①ｱ\r\n"_s, sjis), std::optional(bytes({0x82, 0xA0, 0x41, 0x87, 0x40, 0xB1, 0x0D, 0x0A})));
    QCOMPARE(codec().Encode(QString(), sjis), std::optional(QByteArray()));
    QVERIFY(!codec().Encode(u"あ😀"_s, sjis));      // outside the BMP
    QVERIFY(!codec().Encode(u"ㇰ"_s, sjis));        // katakana extension, no CP932 form
    QVERIFY(!codec().Encode(u"한"_s, sjis));
    QVERIFY(!codec().Encode(QString(Mark) + u"a"_s, sjis));   // the mark character has no form either
    QVERIFY(!codec().Encode(QString(Bad), sjis));
    // glibc gives these the bytes of a near neighbour (¥ would read back as
    // "\\", 〜 as "～"): refused, never replaced.
    for (const QString& c : {u"¥"_s, u"‾"_s, u"〜"_s, u"‖"_s, u"−"_s, u"¢"_s, u"£"_s, u"¬"_s, u"—"_s})
        QVERIFY2(!codec().Encode(u"あ"_s + c, sjis), qPrintable(c));
    // Their neighbours themselves round-trip.
    QCOMPARE(codec().Encode(u"～＼―￢"_s, sjis), std::optional(bytes({0x81, 0x60, 0x81, 0x5F, 0x81, 0x5C, 0x81, 0xCA})));
}

void TestDocumentRules::unicodeEncodingsKeepTheMarkCharacterAndAddNone()
{
    const QString text = QString(Mark) + u"あ😀"_s;
    QCOMPARE(*codec().Encode(text, TextCodec::Encoding::Utf8), QByteArray("\xEF\xBB\xBF\xE3\x81\x82\xF0\x9F\x98\x80"));
    QCOMPARE(*codec().Encode(text, TextCodec::Encoding::Utf16LE), bytes({0xFF, 0xFE, 0x42, 0x30, 0x3D, 0xD8, 0x00, 0xDE}));
    QCOMPARE(*codec().Encode(u"あ"_s, TextCodec::Encoding::Utf16BE), bytes({0x30, 0x42}));
    QCOMPARE(TextCodec::Mark(TextCodec::Encoding::Utf16BE), bytes({0xFE, 0xFF}));
    QVERIFY(TextCodec::Mark(TextCodec::Encoding::ShiftJis).isEmpty());
}

void TestDocumentRules::contentChangeRule()
{
    using namespace DocumentRules;
    struct Case { std::int16_t from; std::int32_t ignore; std::int16_t to; };
    const Case cases[] = {{0, 0, 2}, {1, 0, 2}, {2, 0, 2}, {3, 0, 4}, {4, 0, 4},
                          {3, 1, 3}, {0, 1, 0}, {4, 1, 4}};
    for (const Case& c : cases) {
        std::int16_t state = c.from;
        std::int32_t ignore = c.ignore;
        ContentChanged(state, ignore);
        QCOMPARE(state, c.to);
        QCOMPARE(ignore, 0);
    }
    // The load's one change is swallowed, the next one counts.
    std::int16_t state = Stored;
    std::int32_t ignore = 1;
    ContentChanged(state, ignore);
    ContentChanged(state, ignore);
    QCOMPARE(state, StoredEdited);
}

void TestDocumentRules::fontStyleTable()
{
    using namespace DocumentRules;
    QCOMPARE(StyleBits({false, true, false, false}), 2);
    QCOMPARE(StyleBits({true, false, false, false}), 1);
    QCOMPARE(StyleBits({false, false, false, true}), 8);
    QCOMPARE(StyleBits({false, false, true, false}), 4);
    QCOMPARE(StyleBits({true, true, false, false}), 3);
    QCOMPARE(StyleBits({true, false, true, false}), 0);   // bold with underline is outside the table
    QCOMPARE(StyleBits({}), 0);
    for (int bits : {1, 2, 3, 4, 8})
        QCOMPARE(StyleBits(StyleFromBits(bits)), bits);
    const FontStyle other = StyleFromBits(5);
    QVERIFY(!other.bold && !other.italic && !other.underline && !other.strikeout);
    QCOMPARE(ClampFontSize(30), 24.0);
    QCOMPARE(ClampFontSize(6), 9.0);
    QCOMPARE(ClampFontSize(10.5), 10.5);
}

void TestDocumentRules::breakKindsSplitLikeTheEditor()
{
    using namespace LineBreaks;
    QCOMPARE(Kinds(u"a\r\nb\nc\rd\r\r\n\n\u2029"_s), (QList<Kind>{CrLf, Lf, Cr, Cr, CrLf, Lf, ParagraphSeparator}));
    QCOMPARE(Kinds(u"\n\r"_s), (QList<Kind>{Lf, Cr}));   // LF CR is two breaks
    QCOMPARE(MostCommon({Lf, CrLf, Lf}), Lf);
    QCOMPARE(MostCommon({}), CrLf);
}

void TestDocumentRules::offsetMapOnMixedBreaksAndMark()
{
    // "\uFEFFab\r\ncd\nef\r\r\ngh": paragraphs "\uFEFFab", "cd", "ef", "", "gh".
    using namespace LineBreaks;
    const OffsetMap map({3, 2, 2, 0, 2}, {CrLf, Lf, Cr, CrLf});
    QCOMPARE(map.TextLength(), 3 + 2 + 2 + 1 + 2 + 1 + 0 + 2 + 2);
    // editor positions: paragraph starts 0, 4, 7, 10, 11
    const int editorToText[][2] = {{0, 0}, {1, 1}, {3, 3}, {4, 5}, {6, 7}, {7, 8}, {9, 10},
                                   {10, 11}, {11, 13}, {13, 15}, {99, 15}, {-5, 0}};
    for (const auto& [pos, off] : editorToText)
        QCOMPARE(map.ToTextOffset(pos), off);
    for (const auto& [pos, off] : editorToText)
        if (pos >= 0 && pos <= 13)
            QCOMPARE(map.ToEditorPosition(off), pos);
    // Between CR and LF: the end of the paragraph before.
    QCOMPARE(map.ToEditorPosition(4), 3);
    QCOMPARE(map.ToEditorPosition(12), 10);
    QVERIFY(!map.AllCrLf());
    QVERIFY(OffsetMap({1, 1}, {CrLf}).AllCrLf());
    QCOMPARE(OffsetMap().TextLength(), 0);
}

void TestDocumentRules::lineEndingCheck()
{
    using LineEndings::Finding;
    QCOMPARE(LineEndings::Examine(u""_s), Finding::Nothing);
    QCOMPARE(LineEndings::Examine(u"\r\n\r\n"_s), Finding::Nothing);   // only CR LF breaks: no pieces
    QCOMPARE(LineEndings::Examine(u"a\r\nb\r\n"_s), Finding::Sound);
    QCOMPARE(LineEndings::Examine(u"a\rb"_s), Finding::Sound);          // a lone CR is not reported
    QCOMPARE(LineEndings::Examine(u"a\r\nb\nc"_s), Finding::LoneLf);
    QCOMPARE(LineEndings::Examine(u"\n"_s), Finding::LoneLf);
    QCOMPARE(LineEndings::Repair(u"a\nb\r\nc\rd\n\n"_s), u"a\r\nb\r\nc\rd\r\n\r\n"_s);
}

QTEST_GUILESS_MAIN(TestDocumentRules)
#include "tst_documentrules.moc"
