// Song practice on the fake device: a clicked line becomes the play range,
// each line is heard as often as the repetition button says, the pause
// after a pass, and pause, stop and skips during that pause.

#include "StudyRig.h"

#include "support/EventWait.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
// Lines 0.3 s apart after a header; the last one runs to the track's end.
const QString kSong = u"[ti:歌]\r\n[00:01.00]一\r\n[00:01.30]二\r\n[00:01.60]三\r\n[00:01.90]四\r\n"_s;
}

class TestStudy : public QObject
{
    Q_OBJECT

private slots:
    void clickOnALineMakesItTheRange_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("playing") << u"playing"_s;
        QTest::newRow("paused") << u"paused"_s;
    }
    void clickOnALineMakesItTheRange()
    {
        QFETCH(QString, where);
        StudyRig rig(kSong);
        rig.Start();
        rig.SeekTo(1100);   // 一 current, 二 and 三 below it
        if (where == u"paused"_s)
            rig.music->MusicPause();
        LrcDisplay* window = rig.lyrics->dlgLrcDisplay();
        QVERIFY(window);
        QCOMPARE(window->label3->text(), u"二"_s);

        // The speak button beside the line is not a click on the line.
        QTest::mouseClick(window->button3, Qt::LeftButton);
        QCOMPARE(rig.study->practisedLine(), -1);

        rig.state.RangeEn = 0;
        rig.ui.button30->setText(QString());
        QTest::mouseClick(window->label3, Qt::LeftButton);
        QCOMPARE(rig.study->practisedLine(), 2);
        QCOMPARE(rig.state.StartTime, 1300);
        QCOMPARE(rig.state.EndingTime, 1600);
        QCOMPARE(rig.state.RangeEn, std::int16_t(1));
        QCOMPARE(rig.ui.button30->text(), u"レ"_s);
        QCOMPARE(rig.ui.label7->text(), u"Start：1.30 sec"_s);
        QCOMPARE(rig.ui.label9->text(), u"End：1.60 sec"_s);
        QCOMPARE(rig.state.AudioStateFlag, std::int32_t(10));
        QVERIFY(rig.device.playing());
        QCOMPARE(rig.device.Commands().last(2), (QStringList{u"Seek(1300)"_s, u"Play"_s}));
        // The window shows the line as current at once.
        QCOMPARE(window->label2->text(), u"二"_s);
    }

    void clickOnABlankLabelDoesNothing()
    {
        StudyRig rig(kSong);
        rig.Start();   // before the first line: four blank labels
        QTest::mouseClick(rig.lyrics->dlgLrcDisplay()->label2, Qt::LeftButton);
        QCOMPARE(rig.study->practisedLine(), -1);
        QCOMPARE(rig.state.StartTime, 0);
    }

    // Each line is heard as often as the repetition button says, then the
    // next line follows; ∞ stays on the line.
    void linePracticePasses_data()
    {
        QTest::addColumn<int>("loopCount");
        QTest::addColumn<int>("passes");
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("2") << 2 << 2;
        QTest::newRow("4") << 4 << 4;
        QTest::newRow("∞") << 1000 << -1;
    }
    void linePracticePasses()
    {
        QFETCH(int, loopCount);
        QFETCH(int, passes);
        StudyRig rig(kSong);
        rig.state.LoopModeCount = loopCount;
        rig.Start();
        // Turned on before the first line, practice starts on the first line.
        rig.study->menuLinePractice_Toggled(true);
        QCOMPARE(rig.study->practisedLine(), 1);
        QCOMPARE(rig.state.StartTime, 1000);
        if (passes < 0) {
            QVERIFY(WaitFor([&] { return rig.SeeksTo(1000) >= 6; }, 5000));
            QCOMPARE(rig.study->practisedLine(), 1);
            QCOMPARE(rig.SeeksTo(1300), 0);
            return;
        }
        QVERIFY(WaitFor([&] { return rig.study->practisedLine() == 2; }, 1000 + passes * 600));
        QCOMPARE(rig.SeeksTo(1000), passes);
        QCOMPARE(rig.state.StartTime, 1300);
        QCOMPARE(rig.state.EndingTime, 1600);
        QCOMPARE(rig.ui.label7->text(), u"Start：1.30 sec"_s);
    }

    void lastLineEndsThePractice()
    {
        StudyRig rig(kSong, 2200);
        rig.Start();
        rig.study->menuLinePractice_Toggled(true);
        rig.study->PracticeLine(4);   // 1.9 s to the end of the track
        QCOMPARE(rig.state.EndingTime, 2200);
        QVERIFY(WaitFor([&] { return rig.state.AudioStateFlag == 12; }, 2000));
        QCOMPARE(rig.study->practisedLine(), -1);
    }

    void practiceOffPlaysOnOverTheWholeTrack()
    {
        StudyRig rig(kSong);
        rig.Start();
        rig.study->menuLinePractice_Toggled(true);
        rig.study->PracticeLine(2);
        rig.study->menuLinePractice_Toggled(false);
        QCOMPARE(rig.state.StudyLinePractice, 0);
        QCOMPARE(rig.state.StartTime, 0);
        QCOMPARE(rig.state.EndingTime, 6000);
        QVERIFY(rig.device.playing());
    }

    // The pause after a pass lasts as long as the line took (its length at
    // the playing speed) times the factor.
    void gapLength_data()
    {
        QTest::addColumn<int>("pausePercent");
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("gapMs");   // 0: none
        QTest::newRow("none") << 0 << 100 << 0;
        QTest::newRow("half") << 50 << 100 << 150;
        QTest::newRow("one at half speed") << 100 << 50 << 600;
        QTest::newRow("one and a half at 1.25") << 150 << 125 << 360;
    }
    void gapLength()
    {
        QFETCH(int, pausePercent);
        QFETCH(int, speed);
        QFETCH(int, gapMs);
        StudyRig rig(kSong);
        rig.state.StudyPausePercent = pausePercent;
        rig.state.StudySpeedPercent = speed;
        rig.state.LoopModeCount = 2;
        rig.Start();
        rig.study->menuLinePractice_Toggled(true);   // on line 1
        QVERIFY(WaitFor([&] { return rig.study->passes() == 1; }, 2000));
        if (gapMs == 0) {
            QVERIFY(!rig.study->gapTimer()->isActive());
            QVERIFY(rig.device.playing());
            return;
        }
        QVERIFY(rig.study->gapTimer()->isActive());
        QCOMPARE(rig.study->gapTimer()->interval(), gapMs);
        // Silent at the line's start, the line shown, the player still playing.
        QVERIFY(!rig.device.playing());
        QCOMPARE(rig.ui.trackBar3->value(), 1000);
        QCOMPARE(rig.state.AudioStateFlag, std::int32_t(10));
        QCOMPARE(rig.lyrics->dlgLrcDisplay()->label2->text(), u"一"_s);
        QVERIFY(!rig.lineTimer->isActive());
        QVERIFY(WaitFor([&] { return rig.device.playing(); }, gapMs + 500));
        QCOMPARE(rig.SeeksTo(1000), 3);   // the click, the hold, the second pass
    }

    // Pause, stop and skips act on the gap at once.
    void commandsDuringTheGap_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("pause") << u"pause"_s;
        QTest::newRow("stop") << u"stop"_s;
        QTest::newRow("skip on") << u"skip on"_s;
        QTest::newRow("skip back") << u"skip back"_s;
        QTest::newRow("speed") << u"speed"_s;
    }
    void commandsDuringTheGap()
    {
        QFETCH(QString, command);
        StudyRig rig(kSong);
        rig.state.StudyPausePercent = 150;
        rig.Start();
        rig.study->menuLinePractice_Toggled(true);
        rig.study->PracticeLine(2);
        QVERIFY(WaitFor([&] { return rig.study->gapTimer()->isActive(); }, 2000));
        if (command == u"pause"_s) {
            rig.music->MusicPause();
            QVERIFY(!rig.study->gapTimer()->isActive());
            QCOMPARE(rig.state.AudioStateFlag, std::int32_t(11));
            Wait(600);
            QVERIFY(!rig.device.playing());
            // A resume plays the line from its start.
            rig.music->MusicPause();
            QVERIFY(rig.device.playing());
            std::int64_t p = 0;
            rig.device.Position(p);
            QVERIFY2(p >= 1300 && p < 1400, qPrintable(QString::number(p)));
        } else if (command == u"stop"_s) {
            rig.music->MusicStop();
            QVERIFY(!rig.study->gapTimer()->isActive());
            Wait(600);
            QCOMPARE(rig.state.AudioStateFlag, std::int32_t(12));
            QVERIFY(!rig.device.playing());
        } else if (command.startsWith(u"skip"_s)) {
            rig.study->SkipLine(command == u"skip on"_s ? 1 : -1);
            QVERIFY(!rig.study->gapTimer()->isActive());
            QVERIFY(rig.device.playing());
            QCOMPARE(rig.state.StartTime, command == u"skip on"_s ? 1600 : 1000);
        } else {
            rig.study->SpeedDown();
            // Still silent: the gap goes on at the new speed.
            QVERIFY(rig.study->gapTimer()->isActive());
            QVERIFY(!rig.device.playing());
            QVERIFY(!rig.music->rangeEndTimer()->isActive());
            QVERIFY(WaitFor([&] { return rig.device.playing(); }, 1500));
        }
    }

    void skipsFromTheSoundingLine_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("start");
        QTest::newRow("on from a line") << 1400 << 1 << 1600;
        QTest::newRow("back from a line") << 1400 << -1 << 1000;
        QTest::newRow("on before the first line") << 500 << 1 << 1000;
        QTest::newRow("back stays on the first") << 1100 << -1 << 1000;
        QTest::newRow("on stays on the last") << 3000 << 1 << 1900;
    }
    void skipsFromTheSoundingLine()
    {
        QFETCH(int, position);
        QFETCH(int, step);
        QFETCH(int, start);
        StudyRig rig(kSong);
        rig.Start();
        rig.music->MusicPause();
        rig.SeekTo(position);
        rig.study->SkipLine(step);
        QCOMPARE(rig.state.StartTime, start);
        QVERIFY(rig.device.playing());
    }

    void rangeSetByHandEndsThePractice()
    {
        StudyRig rig(kSong);
        rig.Start();
        rig.study->menuLinePractice_Toggled(true);
        rig.study->PracticeLine(1);
        rig.ui.trackBar3->setValue(500);
        rig.music->button15_Click();
        rig.ui.trackBar3->setValue(900);
        rig.music->button14_Click();
        rig.SeekTo(500);
        QVERIFY(WaitFor([&] { return rig.SeeksTo(500) >= 3; }, 3000));
        QCOMPARE(rig.study->practisedLine(), -1);
        QCOMPARE(rig.state.StartTime, 500);
    }
};

QTEST_MAIN(TestStudy)
#include "tst_study.moc"
