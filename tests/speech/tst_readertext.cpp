// Lines, offsets and comments as the reader sees them.

#include "speech/ReaderText.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using namespace ReaderText;

class TestReaderText : public QObject
{
    Q_OBJECT

private slots:
    void linesAtEveryKindOfBreak()
    {
        QCOMPARE(Lines(QString()), QList<QString>{});
        QCOMPARE(Lines(u"a"_s), QList<QString>{u"a"_s});
        QCOMPARE(Lines(u"a\r\nb\rc\nd"_s), (QList<QString>{u"a"_s, u"b"_s, u"c"_s, u"d"_s}));
        // A final break leaves an empty last line; LF CR is two breaks.
        QCOMPARE(Lines(u"a\r\n"_s), (QList<QString>{u"a"_s, QString()}));
        QCOMPARE(Lines(u"a\n\rb"_s), (QList<QString>{u"a"_s, QString(), u"b"_s}));
        QCOMPARE(Lines(u"\r\n\r\n"_s), (QList<QString>{QString(), QString(), QString()}));
    }

    void offsetsCountEachBreakByItsCharacters()
    {
        const TextLines lines(u"ab\r\n\r\n今日は；メモ\r\nxyz"_s);
        QCOMPARE(lines.Start(0), 0);
        QCOMPARE(lines.Start(1), 4);
        QCOMPARE(lines.Start(2), 6);
        QCOMPARE(lines.Start(3), 14);
        QCOMPARE(lines.End(3), 19);
        // The caret just after a line's last character still belongs to it;
        // the start of the next line does not.
        QCOMPARE(lines.At(2), 0);
        QCOMPARE(lines.At(3), 0);
        QCOMPARE(lines.At(4), 1);
        QCOMPARE(lines.At(17), 3);
        QCOMPARE(lines.At(18), 3);
        QCOMPARE(lines.At(19), -1);
        QCOMPARE(TextLines(QString()).At(0), -1);

        // A lone LF or CR is one character.
        const TextLines mixed(u"ab\ncd\r\ne\rf"_s);
        QCOMPARE(mixed.Start(1), 3);
        QCOMPARE(mixed.Start(2), 7);
        QCOMPARE(mixed.Start(3), 9);
        QCOMPARE(mixed.At(2), 0);
        QCOMPARE(mixed.At(3), 1);
        QCOMPARE(mixed.At(8), 2);
        QCOMPARE(mixed.At(9), 3);
    }

    void commentsAreNeverRead()
    {
        QCOMPARE(CommentsCut(u"今日は；メモ"_s), u"今日は"_s);
        QCOMPARE(CommentsCut(u"a;b；c"_s), u"a"_s);
        QCOMPARE(CommentsCut(u"；all comment"_s), QString());
        QCOMPARE(CommentsCut(u"plain"_s), u"plain"_s);
        QCOMPARE(CommentsCut(QString()), QString());

        QCOMPARE(RangeCommentsCut(u"a\r\n\r\nb；c"_s), u"a\r\nb\r\n"_s);
        QCOMPARE(RangeCommentsCut(u"\r\n\r\n"_s), QString());
        QCOMPARE(RangeCommentsCut(u";x\r\ny"_s), u"\r\ny\r\n"_s);

        QCOMPARE(DisplayLineText(u"歌詞;注"_s), u"歌詞\r\n"_s);
        QCOMPARE(DisplayLineText(u"；注"_s), u"\r\n"_s);
        QCOMPARE(DisplayLineText(u"歌詞"_s), u"歌詞"_s);
    }
};

QTEST_MAIN(TestReaderText)
#include "tst_readertext.moc"
