// The repetition ladder's arithmetic: each pass's speed and length.

#include "study/StudyLadder.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestStudyLadder : public QObject
{
    Q_OBJECT

private slots:
    void passes_data()
    {
        QTest::addColumn<int>("preset");
        QTest::addColumn<QList<int>>("speeds");   // passes 0 to 4
        QTest::addColumn<QString>("name");
        QTest::newRow("none keeps the fixed speed") << 0 << QList<int>{90, 90, 90, 90, 90} << u"倍"_s;
        QTest::newRow("slow to fast, round again") << 1 << QList<int>{75, 100, 125, 75, 100}
                                                   << u"0.75→1.0→1.25倍"_s;
        QTest::newRow("slow to normal") << 2 << QList<int>{50, 75, 100, 50, 75} << u"0.5→0.75→1.0倍"_s;
        QTest::newRow("a value naming no preset") << 9 << QList<int>{90, 90, 90, 90, 90} << u"倍"_s;
    }
    void passes()
    {
        QFETCH(int, preset);
        QFETCH(QList<int>, speeds);
        QFETCH(QString, name);
        const std::vector<int> ladder = StudyLadder::Speeds(preset);
        QList<int> got;
        for (int pass = 0; pass < 5; ++pass)
            got << StudyLadder::SpeedOfPass(ladder, pass, 90);
        QCOMPARE(got, speeds);
        QCOMPARE(StudyLadder::Name(preset), name);
    }

    // A pass lasts the line's length divided by its speed.
    void passLength_data()
    {
        QTest::addColumn<int>("trackMs");
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("wallMs");
        QTest::newRow("0.75×") << 3000 << 75 << 4000;
        QTest::newRow("1.0×") << 3000 << 100 << 3000;
        QTest::newRow("1.25×") << 3000 << 125 << 2400;
        QTest::newRow("0.5×") << 1234 << 50 << 2468;
    }
    void passLength()
    {
        QFETCH(int, trackMs);
        QFETCH(int, speed);
        QFETCH(int, wallMs);
        QCOMPARE(StudyLadder::PassWallMs(trackMs, speed), std::int64_t(wallMs));
    }

    // A reading's voice rate: the learner's moved by the step nearest the
    // pass's speed (each step 3^(1/10)), within -5..5.
    void readingRates_data()
    {
        QTest::addColumn<int>("preset");
        QTest::addColumn<int>("rate");
        QTest::addColumn<QList<int>>("rates");   // passes 0 to 3
        QTest::newRow("none keeps the learner's rate") << 0 << 2 << QList<int>{2, 2, 2, 2};
        QTest::newRow("0.75 is 3 steps down, 1.25 two up") << 1 << 0 << QList<int>{-3, 0, 2, -3};
        QTest::newRow("0.5 would be 6 down: the slowest") << 2 << 0 << QList<int>{-5, -3, 0, -5};
        QTest::newRow("from a fast rate, the top holds") << 3 << 4 << QList<int>{4, 5, 5, 4};
        QTest::newRow("from a slow rate") << 1 << -3 << QList<int>{-5, -3, -1, -5};
        QTest::newRow("a stored rate out of range") << 0 << 9 << QList<int>{5, 5, 5, 5};
    }
    void readingRates()
    {
        QFETCH(int, preset);
        QFETCH(int, rate);
        QFETCH(QList<int>, rates);
        const std::vector<int> ladder = StudyLadder::Speeds(preset);
        QList<int> got;
        for (int pass = 0; pass < 4; ++pass)
            got << StudyLadder::RateOfPass(ladder, pass, rate);
        QCOMPARE(got, rates);
    }
};

QTEST_GUILESS_MAIN(TestStudyLadder)
#include "tst_studyladder.moc"
