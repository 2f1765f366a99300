// What the lyric window's speak button says for a line and the lines that
// share its time: the part in the voice's language, or each part.

#include "speech/BilingualLine.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using Kind = BilingualLine::Voice::Kind;

Q_DECLARE_METATYPE(Kind)

class TestBilingualLine : public QObject
{
    Q_OBJECT

private slots:
    void parts_data()
    {
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("said");
        const QStringList pair{u"こんにちは"_s, u"Hello"_s};
        QTest::newRow("English voice: the English part") << pair << Kind::OneLanguage << u"en"_s << QStringList{u"Hello"_s};
        QTest::newRow("Japanese voice: the Japanese part") << pair << Kind::OneLanguage << u"ja"_s << QStringList{u"こんにちは"_s};
        QTest::newRow("automatic: each part") << pair << Kind::Automatic << QString() << pair;
        QTest::newRow("unknown voice: the line itself") << pair << Kind::Unknown << QString() << QStringList{u"こんにちは"_s};
        QTest::newRow("region code") << pair << Kind::OneLanguage << u"en-GB"_s << QStringList{u"Hello"_s};
        QTest::newRow("French voice reads Latin letters") << QStringList{u"さようなら"_s, u"Au revoir"_s}
                                                         << Kind::OneLanguage << u"fr"_s << QStringList{u"Au revoir"_s};
        QTest::newRow("no part in its language: the line") << pair << Kind::OneLanguage << u"ru"_s << QStringList{u"こんにちは"_s};
        QTest::newRow("Russian voice: the Cyrillic part") << QStringList{u"Hello"_s, u"Привет"_s} << Kind::OneLanguage
                                                         << u"ru"_s << QStringList{u"Привет"_s};
        QTest::newRow("two translations in one language") << QStringList{u"猫"_s, u"cat"_s, u"the cat"_s}
                                                          << Kind::OneLanguage << u"en"_s << QStringList{u"cat"_s, u"the cat"_s};
        QTest::newRow("a line of only a tag: its translation") << QStringList{QString(), u"Hello"_s} << Kind::Unknown
                                                               << QString() << QStringList{u"Hello"_s};
        QTest::newRow("blank and comment parts never count") << QStringList{u"歌詞"_s, u"  "_s, u"；メモ"_s}
                                                             << Kind::Automatic << QString() << QStringList{u"歌詞"_s};
        QTest::newRow("nothing to read") << QStringList{QString(), u"；"_s} << Kind::Automatic << QString() << QStringList();
    }
    void parts()
    {
        QFETCH(QStringList, parts);
        QFETCH(Kind, kind);
        QFETCH(QString, language);
        QFETCH(QStringList, said);
        QCOMPARE(BilingualLine::PartsToSay(parts, {kind, language}), said);
    }
};

QTEST_GUILESS_MAIN(TestBilingualLine)
#include "tst_bilingualline.moc"
