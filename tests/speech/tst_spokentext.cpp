// Where a word the built-in voice reports lands in the view: espeak-ng counts
// characters of the text it was given, from 1; the view counts QString units
// of its whole text, where a character beyond the basic plane takes two.

#include "platform/EspeakWords.h"
#include "speech/ReaderText.h"
#include "speech/SpokenText.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using Range = std::pair<int, int>;

class TestSpokenText : public QObject
{
    Q_OBJECT

private slots:
    // A line read from view offset `lineStart`; espeak-ng reports a word at
    // `position` with `length`; the view marks `expected`.
    void lineWordsInTheView_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("lineStart");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("expected");

        QTest::newRow("ASCII first word") << u"Hello big world"_s << 0 << 1 << 5 << u"Hello"_s;
        QTest::newRow("ASCII last word, later line") << u"Hello big world"_s << 17 << 11 << 5 << u"world"_s;
        QTest::newRow("Japanese second phrase") << u"今日は 良い天気です。明日も"_s << 0 << 5 << 6 << u"良い天気です"_s;
        QTest::newRow("Japanese after the full stop") << u"今日は 良い天気です。明日も"_s << 4 << 12 << 3 << u"明日も"_s;
        QTest::newRow("mixed, accents") << u"é café naïve word"_s << 0 << 8 << 5 << u"naïve"_s;
        QTest::newRow("mixed scripts") << u"私は Tokyo に住む"_s << 2 << 4 << 5 << u"Tokyo"_s;
        QTest::newRow("after a surrogate pair") << u"𝄞 music now"_s << 0 << 3 << 5 << u"music"_s;
        QTest::newRow("a surrogate pair inside the word") << u"go 𠮷野家 now"_s << 0 << 4 << 3 << u"𠮷野家"_s;
        QTest::newRow("two pairs before") << u"𠮷𠮷 ab"_s << 0 << 4 << 2 << u"ab"_s;
        QTest::newRow("mark character first") << u"\uFEFFHello you"_s << 0 << 8 << 3 << u"you"_s;
        QTest::newRow("length past the end stops at it") << u"ab cd"_s << 0 << 4 << 9 << u"cd"_s;
        QTest::newRow("position past the end") << u"ab cd"_s << 0 << 7 << 1 << QString();
        QTest::newRow("position 0 is no word") << u"ab cd"_s << 0 << 0 << 2 << QString();
    }

    void lineWordsInTheView()
    {
        QFETCH(QString, line);
        QFETCH(int, lineStart);
        QFETCH(int, position);
        QFETCH(int, length);
        QFETCH(QString, expected);

        // The view holds other text before the line.
        const QString view = QString(lineStart, u'x') + line + u"\r\nnext"_s;
        const auto [start, units] = EspeakWords::TextRange(line, position, length);
        const auto [from, count] = start < 0 ? Range{-1, 0}
                                             : SpokenText::Line(lineStart, int(line.size())).ViewRange(start, units);
        if (expected.isEmpty()) {
            QCOMPARE(from, -1);
            return;
        }
        QCOMPARE(view.mid(from, count), expected);
    }

    // The range mode reads the comment-cut pieces of the selection, each
    // with a CR LF of its own: a word maps back across the cut comments.
    void rangeWordsInTheView_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("occurrence");   // which one in the spoken text
        QTest::addColumn<int>("expectedOffset");   // in the selection

        QTest::newRow("first line") << u"one two\r\nthree"_s << u"two"_s << 0 << 4;
        QTest::newRow("after a comment") << u"one；note\r\nthree four"_s << u"three"_s << 0 << 10;
        QTest::newRow("after an empty line") << u"a b\r\n\r\nc d"_s << u"d"_s << 0 << 9;
        QTest::newRow("comment line skipped") << u";x y\r\n明日も 行く"_s << u"行く"_s << 0 << 10;
        QTest::newRow("lone LF stays inside a piece") << u"ab\ncd\r\nef"_s << u"cd"_s << 0 << 3;
        QTest::newRow("same word twice") << u"go；go\r\ngo"_s << u"go"_s << 1 << 7;
    }

    void rangeWordsInTheView()
    {
        QFETCH(QString, selected);
        QFETCH(QString, word);
        QFETCH(int, occurrence);
        QFETCH(int, expectedOffset);

        const int selectionStart = 40;
        const QString spoken = ReaderText::RangeCommentsCut(selected);
        const SpokenText map = SpokenText::Range(selected, selectionStart);
        QCOMPARE(map.size(), int(spoken.size()));
        int at = -1;
        for (int k = 0; k <= occurrence; ++k)
            at = int(spoken.indexOf(word, at + 1));
        QVERIFY(at >= 0);
        const auto [from, count] = map.ViewRange(at, int(word.size()));
        QCOMPARE(from, selectionStart + expectedOffset);
        QCOMPARE(count, int(word.size()));
    }

    void addedBreaksAreNotInTheView()
    {
        const SpokenText map = SpokenText::Range(u"ab\r\ncd"_s, 0);
        // "ab\r\ncd\r\n": the breaks after each piece were added by the cut.
        QCOMPARE(map.ViewRange(2, 2), Range(-1, 0));
        QCOMPARE(map.ViewRange(6, 2), Range(-1, 0));
        QCOMPARE(map.ViewRange(1, 4), Range(1, 4));   // b, the two breaks, c: from b to c in the view
    }
};

QTEST_GUILESS_MAIN(TestSpokenText)
#include "tst_spokentext.moc"
