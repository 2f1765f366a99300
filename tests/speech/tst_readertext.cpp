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

    void offsetsCountTwoForEveryBreak()
    {
        const QList<QString> lines = Lines(u"ab\r\n\r\n今日は；メモ\r\nxyz"_s);
        QCOMPARE(LineStart(lines, 0), 0);
        QCOMPARE(LineStart(lines, 1), 4);
        QCOMPARE(LineStart(lines, 2), 6);
        QCOMPARE(LineStart(lines, 3), 14);
        QCOMPARE(LineEnd(lines, 3), 19);
        // The caret just after a line's last character still belongs to it;
        // the start of the next line does not.
        QCOMPARE(LineAt(lines, 2), 0);
        QCOMPARE(LineAt(lines, 3), 0);
        QCOMPARE(LineAt(lines, 4), 1);
        QCOMPARE(LineAt(lines, 17), 3);
        QCOMPARE(LineAt(lines, 18), 3);
        QCOMPARE(LineAt(lines, 19), -1);
        QCOMPARE(LineAt({}, 0), -1);
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
