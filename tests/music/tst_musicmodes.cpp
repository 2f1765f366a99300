// What happens at the end of a track or range, the list navigation, the
// mode and range buttons, the precise range end, and the master volume.

#include "PlayerRig.h"
#include "platform/SystemColors.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestMusicModes : public QObject
{
    Q_OBJECT

private slots:
    void endOfTrack_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("millisecond");   // of the clock, for random play
        QTest::addColumn<bool>("partRange");
        QTest::addColumn<int>("expectedIndex");
        QTest::addColumn<int>("selected");       // -1: nothing selected
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<int>("clicked");        // an unticked row the user clicked meanwhile, or -1

        const QStringList none;
        const QStringList stop{u"Stop"_s};
        QTest::newRow("no mode stops") << int(PlayMode::None) << 1 << 0 << false << 1 << 1 << int(AudioState::WaveStopped) << stop << -1;
        QTest::newRow("repeat restarts") << int(PlayMode::RepeatOne) << 1 << 0 << false << 1 << 1 << int(AudioState::WavePlaying)
                                         << QStringList{u"Stop"_s, u"Seek(0)"_s, u"Play"_s} << -1;
        QTest::newRow("in order moves on") << int(PlayMode::InOrder) << 1 << 0 << false << 2 << 2 << int(AudioState::WavePlaying) << none << -1;
        QTest::newRow("in order ends at the last") << int(PlayMode::InOrder) << 4 << 0 << false << 4 << -1 << int(AudioState::WaveStopped) << stop << -1;
        QTest::newRow("loop wraps to the first") << int(PlayMode::InOrderLoop) << 4 << 0 << false << 0 << 0 << int(AudioState::WavePlaying) << none << -1;
        // The generator's classic sequence from 1: 41, 18467, 6334, 26500, 19169 ...
        QTest::newRow("random, 2 draws skipped") << int(PlayMode::Random) << 1 << 23 << false << 0 << 0 << int(AudioState::WavePlaying) << none << -1;
        QTest::newRow("random, 4 draws skipped") << int(PlayMode::Random) << 1 << 45 << false << 2 << 2 << int(AudioState::WavePlaying) << none << -1;
        QTest::newRow("random, none skipped") << int(PlayMode::Random) << 3 << 9 << false << 0 << 0 << int(AudioState::WavePlaying) << none << -1;
        QTest::newRow("a part range replays in any mode") << int(PlayMode::InOrder) << 1 << 0 << true << 1 << 1 << int(AudioState::WavePlaying)
                                                           << QStringList{u"Stop"_s, u"Seek(10000)"_s, u"Play"_s} << -1;
        QTest::newRow("in order after an unticked row was clicked") << int(PlayMode::InOrder) << 1 << 0 << false << 2 << 2 << int(AudioState::WavePlaying) << none << 3;
        QTest::newRow("loop after an unticked row was clicked") << int(PlayMode::InOrderLoop) << 4 << 0 << false << 0 << 0 << int(AudioState::WavePlaying) << none << 2;
    }

    void endOfTrack()
    {
        QFETCH(int, mode);
        QFETCH(int, index);
        QFETCH(int, millisecond);
        QFETCH(bool, partRange);
        QFETCH(int, expectedIndex);
        QFETCH(int, selected);
        QFETCH(int, state);
        QFETCH(QStringList, commands);
        QFETCH(int, clicked);

        PlayerRig rig;
        rig.FillList(5, {0, 1, 2, 3, 4});
        rig.state.ListIndexMusic = index;
        rig.ui.musicList->topLevelItem(index)->setSelected(true);
        if (clicked >= 0) {
            // A click selects that row alone; unticked, it plays nothing.
            QTreeWidgetItem* row = rig.ui.musicList->topLevelItem(clicked);
            row->setCheckState(0, Qt::Unchecked);
            rig.ui.musicList->setCurrentItem(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        rig.state.playMode = mode;
        rig.music->millisecond = millisecond;
        rig.Reach(u"playing"_s);
        int end = 245000;
        if (partRange) {
            rig.SetRange(10000, 20000);
            end = 20000;
        }
        rig.device.SetPosition(end);
        rig.device.calls.clear();
        rig.music->MusicPollTick();

        QCOMPARE(rig.state.ListIndexMusic, expectedIndex);
        QCOMPARE(rig.SelectedRow(), selected);
        QCOMPARE(rig.state.audioState, state);
        QCOMPARE(rig.device.Commands(), commands);
        QCOMPARE(rig.ui.musicPollTimer->isActive(), state == 10);
        if (state == 12)
            QCOMPARE(rig.ui.musicPositionSlider->value(), 0);
    }

    // Unchecked entries are passed over one per poll tick.
    void uncheckedPassedOverPerTick()
    {
        PlayerRig rig;
        rig.FillList(4, {0, 3});
        rig.state.playMode = PlayMode::InOrderLoop;
        rig.Reach(u"playing"_s);
        rig.device.SetPosition(245000);
        QList<int> seen;
        for (int tick = 0; tick < 3; ++tick) {
            rig.music->MusicPollTick();
            seen << rig.state.ListIndexMusic;
        }
        QCOMPARE(seen, (QList<int>{1, 2, 3}));
        QCOMPARE(rig.state.audioState, AudioState::WavePlaying);
    }

    void nextAndPrevious_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("checked");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("expectedIndex");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("clicked");   // an unticked row the user clicked meanwhile, or -1

        const QList<int> all{0, 1, 2, 3};
        QTest::newRow("next") << 4 << all << 1 << 1 << 2 << 2 << -1;
        QTest::newRow("next wraps to the top") << 4 << all << 3 << 1 << 0 << 0 << -1;
        QTest::newRow("previous wraps to the bottom") << 4 << all << 0 << -1 << 3 << 3 << -1;
        QTest::newRow("next skips unchecked") << 4 << QList<int>{0, 3} << 0 << 1 << 3 << 3 << -1;
        QTest::newRow("previous skips unchecked") << 4 << QList<int>{1} << 3 << -1 << 1 << 1 << -1;
        QTest::newRow("only the current checked") << 4 << QList<int>{2} << 2 << 1 << 2 << 2 << -1;
        QTest::newRow("nothing checked") << 4 << QList<int>{} << 2 << 1 << 2 << -1 << -1;
        QTest::newRow("empty list") << 0 << QList<int>{} << 0 << 1 << 0 << -1 << -1;
        QTest::newRow("next after an unticked row was clicked") << 4 << QList<int>{0, 1, 3} << 1 << 1 << 3 << 3 << 2;
        QTest::newRow("previous after an unticked row was clicked") << 4 << QList<int>{0, 2, 3} << 2 << -1 << 0 << 0 << 1;
    }

    void nextAndPrevious()
    {
        QFETCH(int, count);
        QFETCH(QList<int>, checked);
        QFETCH(int, index);
        QFETCH(int, step);
        QFETCH(int, expectedIndex);
        QFETCH(int, selected);
        QFETCH(int, clicked);

        PlayerRig rig;
        rig.FillList(count, checked);
        rig.state.ListIndexMusic = index;
        if (count)
            rig.ui.musicList->topLevelItem(index)->setSelected(true);
        if (clicked >= 0)
            rig.ui.musicList->setCurrentItem(rig.ui.musicList->topLevelItem(clicked), 0,
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        rig.Reach(u"paused"_s);
        if (step > 0)
            rig.music->NextMusicPlay();
        else
            rig.music->BackMusicPlay();
        QCOMPARE(rig.state.ListIndexMusic, expectedIndex);
        QCOMPARE(rig.SelectedRow(), count ? selected : rig.SelectedRow());
        if (count)
            QCOMPARE(SystemColors::BackColor(rig.ui.musicPauseButton), SystemColors::ControlLight());
    }

    void modeButtons()
    {
        PlayerRig rig;
        QPushButton* buttons[] = {rig.ui.repeatOneButton, rig.ui.inOrderButton, rig.ui.inOrderLoopButton, rig.ui.randomPlayButton};
        auto active = [&] {
            int n = 0;
            for (int i = 0; i < 4; ++i)
                if (SystemColors::BackColor(buttons[i]) == SystemColors::ActiveCaption())
                    n = n * 10 + i + 1;
            return n;
        };
        rig.music->InOrderModeChosen();
        QCOMPARE(rig.state.playMode, PlayMode::InOrder);
        QCOMPARE(active(), 2);
        rig.music->RandomModeChosen();
        QCOMPARE(rig.state.playMode, PlayMode::Random);
        QCOMPARE(active(), 4);
        rig.music->RandomModeChosen();
        QCOMPARE(rig.state.playMode, PlayMode::None);
        QCOMPARE(active(), 0);
        QCOMPARE(SystemColors::BackColor(rig.ui.repeatOneButton), SystemColors::ControlLight());
    }

    void rangeButtons_data()
    {
        QTest::addColumn<int>("adjustment");
        QTest::addColumn<int>("startAt");
        QTest::addColumn<int>("endAt");
        QTest::addColumn<int>("startTime");
        QTest::addColumn<int>("endingTime");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("message");

        QTest::newRow("range set") << 0 << 10000 << 20005 << 10000 << 20005 << u"Start：10.00 sec"_s
                                   << u"End：20.01 sec"_s << QString();
        QTest::newRow("start after the end") << 0 << 30000 << 20000 << 0 << 20000 << u"Start：0.00 sec"_s
                                             << u"End：20.00 sec"_s << u"エンディング時間よりスタート時間を早くしてください。"_s;
        QTest::newRow("end before the start") << 0 << 30000 << 20000 << 30000 << 245000 << u"Start：30.00 sec"_s
                                              << u"End：245.00 sec"_s << u"スタート時間よりエンディング時間を遅くしてください。"_s;
        QTest::newRow("mp3 start adjusted") << 1000 << 10000 << 20000 << 11000 << 20000 << u"Start：10.00 sec"_s
                                            << u"End：20.00 sec"_s << QString();
    }

    // In "end before the start" the start is set first, then the end;
    // otherwise the end first.
    void rangeButtons()
    {
        QFETCH(int, adjustment);
        QFETCH(int, startAt);
        QFETCH(int, endAt);
        QFETCH(int, startTime);
        QFETCH(int, endingTime);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, message);

        PlayerRig rig;
        rig.Reach(u"playing"_s);
        rig.state.LrcMp3TimeAdjustment = adjustment;
        const bool startFirst = QByteArray(QTest::currentDataTag()) == "end before the start";
        for (int i = 0; i < 2; ++i) {
            if ((i == 0) == startFirst) {
                rig.ui.musicPositionSlider->setValue(startAt);
                rig.music->RangeStartSet();
            } else {
                rig.ui.musicPositionSlider->setValue(endAt);
                rig.music->RangeEndSet();
            }
        }
        QCOMPARE(rig.state.StartTime, startTime);
        QCOMPARE(rig.state.EndingTime, endingTime);
        QCOMPARE(rig.ui.rangeStartLabel->text(), start);
        QCOMPARE(rig.ui.rangeEndLabel->text(), end);
        QCOMPARE(rig.prompter.entries.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QCOMPARE(rig.prompter.entries[0].text, message);

        rig.music->RangeStartClear();
        rig.music->RangeEndClear();
        QCOMPARE(rig.state.StartTime, 0);
        QCOMPARE(rig.state.EndingTime, 245000);
        QCOMPARE(rig.ui.rangeStartLabel->text(), u"Start：0.00 sec"_s);
        QCOMPARE(rig.ui.rangeEndLabel->text(), u"End：245.00 sec"_s);
    }

    void rangeSwitch()
    {
        PlayerRig rig;
        rig.music->RangePlayToggled();
        QCOMPARE(rig.state.playRange, PlayRange::Off);
        QCOMPARE(rig.ui.rangePlayButton->text(), QString());
        rig.music->RangePlayToggled();
        QCOMPARE(rig.state.playRange, PlayRange::On);
        QCOMPARE(rig.ui.rangePlayButton->text(), u"レ"_s);
    }

    // The range hands over on time, between polls, and only while playing.
    void rangeEndOnTime()
    {
        PlayerRig rig;
        rig.Reach(u"playing"_s);
        rig.SetRange(10000, 10300);
        rig.device.calls.clear();
        rig.music->MusicPlay();   // restarts at 10 000, 300 ms before the end
        QVERIFY(rig.music->rangeEndTimer()->isActive());
        const qint64 playedAt = rig.device.calls.last().at;
        QTRY_COMPARE_WITH_TIMEOUT(rig.device.Commands().count(u"Seek(10000)"_s), 2, 2000);
        const qint64 late = rig.device.calls[rig.device.Commands().lastIndexOf(u"Seek(10000)"_s)].at - playedAt - 300;
        qInfo("range end handed over %lld ms after it", late);
        QVERIFY2(late >= 0 && late <= 20, qPrintable(u"handed over %1 ms after the range end"_s.arg(late)));

        rig.music->MusicPause();
        QVERIFY(!rig.music->rangeEndTimer()->isActive());
        rig.music->MusicPause();
        QVERIFY(rig.music->rangeEndTimer()->isActive());
        rig.music->MusicStop();
        QVERIFY(!rig.music->rangeEndTimer()->isActive());
        rig.music->MusicPlay();
        QVERIFY(rig.music->rangeEndTimer()->isActive());
        rig.music->RangePlayToggled();   // range off: the end of the track decides
        QVERIFY(!rig.music->rangeEndTimer()->isActive());
    }

    void masterVolume_data()
    {
        QTest::addColumn<int>("volume");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("failAt");
        QTest::addColumn<int>("written");
        QTest::addColumn<bool>("kept");

        QTest::newRow("80 percent") << 80 << 0 << 65535 << 1 << QString() << 52428 << true;
        QTest::newRow("0 percent writes the minimum") << 0 << -100 << 900 << 1 << QString() << -100 << true;
        QTest::newRow("100 percent writes the maximum") << 100 << -100 << 900 << 1 << QString() << 900 << true;
        QTest::newRow("coarse mixer") << 37 << 0 << 65535 << 4096 << QString() << 24247 << false;
        QTest::newRow("no mixer") << 80 << 0 << 65535 << 1 << u"Open"_s << -1 << false;
        QTest::newRow("no volume control") << 80 << 0 << 65535 << 1 << u"FindVolume"_s << -1 << false;
        QTest::newRow("write refused") << 80 << 0 << 65535 << 1 << u"SetValue"_s << 52428 << false;
        QTest::newRow("read back refused") << 80 << 0 << 65535 << 1 << u"GetValue"_s << 52428 << false;
    }

    void masterVolume()
    {
        QFETCH(int, volume);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, step);
        QFETCH(QString, failAt);
        QFETCH(int, written);
        QFETCH(bool, kept);

        PlayerRig rig;
        rig.form.show();
        rig.mixer.control = {3, minimum, maximum};
        rig.mixer.step = step;
        rig.mixer.failAt = failAt;
        rig.music->MixerVolTrackBarDisp();
        rig.ui.masterVolumeSlider->setValue(volume);
        rig.music->MixerVolSetting();
        QCOMPARE(rig.mixer.written, written);
        QCOMPARE(rig.ui.masterVolumeLabel->text(), QString::number(volume));
        QCOMPARE(rig.state.MixerVolume, volume);
        for (QWidget* w : {static_cast<QWidget*>(rig.ui.masterVolumeButton), static_cast<QWidget*>(rig.ui.masterVolumeSlider),
                           static_cast<QWidget*>(rig.ui.masterVolumeLabel)}) {
            QCOMPARE(w->isVisible(), kept);
            QCOMPARE(w->isEnabled(), kept);
        }
        if (kept)
            QCOMPARE(rig.state.MixerVolMaximum, maximum);
    }

    void sliderToggleLeavesMixerAlone()
    {
        PlayerRig rig;
        rig.form.show();
        rig.music->MixerVolTrackBarDisp();
        QVERIFY(rig.ui.masterVolumeSlider->isVisible() && rig.ui.masterVolumeLabel->isVisible());
        rig.music->MixerVolTrackBarDisp();
        QVERIFY(!rig.ui.masterVolumeSlider->isVisible() && !rig.ui.masterVolumeLabel->isVisible());
        QVERIFY(rig.mixer.calls.isEmpty());
    }
};

QTEST_MAIN(TestMusicModes)
#include "tst_musicmodes.moc"
