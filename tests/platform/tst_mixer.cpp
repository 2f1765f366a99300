// The master volume through ALSA's "default" mixer, which the private sound
// session routes to its PulseAudio null sink: what is written must show up
// as that sink's volume.

#include "support/AudioMedia.h"
#include "platform/AlsaMixer.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The default sink's volumes in percent, one per channel, as PulseAudio says.
QList<int> SinkPercents()
{
    const QString out = AudioMedia::Pactl({u"get-sink-volume"_s, u"@DEFAULT_SINK@"_s});
    QList<int> percents;
    static const QRegularExpression re(uR"((\d+)\s*/\s*(\d+)%)"_s);
    for (auto it = re.globalMatch(out.section(u'\n', 0, 0)); it.hasNext();)
        percents << it.next().captured(2).toInt();
    return percents;
}

} // namespace

class TestMixer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
            QFAIL("needs the private sound session: run through scripts/test or after "
                  "eval \"$(scripts/audio-session)\"");
        QVERIFY(!SinkPercents().isEmpty());
    }

    void writeReadBackAndCompare_data()
    {
        QTest::addColumn<int>("percent");
        QTest::newRow("80") << 80;
        QTest::newRow("0 is the minimum") << 0;
        QTest::newRow("100 is the maximum") << 100;
        QTest::newRow("37") << 37;
    }
    void writeReadBackAndCompare()
    {
        QFETCH(int, percent);
        AlsaMixer mixer;
        QCOMPARE(mixer.Open(), DeviceResult::Success);
        Mixer::VolumeControl control;
        QCOMPARE(mixer.FindVolume(control), DeviceResult::Success);
        QVERIFY(control.maximum > control.minimum);
        const std::int32_t range = control.maximum - control.minimum;
        const std::int32_t value = range * percent / 100 + control.minimum;
        QCOMPARE(mixer.SetValue(control, value), DeviceResult::Success);
        std::int32_t back = -1;
        QCOMPARE(mixer.GetValue(control, back), DeviceResult::Success);
        QCOMPARE(back, value);
        mixer.Close();

        // The sound server holds it, as a new mixer and pactl both see.
        AlsaMixer other;
        QCOMPARE(other.Open(), DeviceResult::Success);
        Mixer::VolumeControl again;
        QCOMPARE(other.FindVolume(again), DeviceResult::Success);
        back = -1;
        QCOMPARE(other.GetValue(again, back), DeviceResult::Success);
        QCOMPARE((std::uint32_t(back - again.minimum) * 100 + std::uint32_t(range) / 2) / std::uint32_t(range),
                 std::uint32_t(percent));
        const QList<int> percents = SinkPercents();
        QVERIFY(!percents.isEmpty());
        for (int p : percents)
            QCOMPARE(p, percent);
    }

    void failingSteps_data()
    {
        QTest::addColumn<QByteArray>("card");
        QTest::addColumn<QByteArray>("element");
        QTest::addColumn<bool>("opens");
        QTest::newRow("no such card") << QByteArray("hw:97") << QByteArray("Master") << false;
        QTest::newRow("no such control") << QByteArray("default") << QByteArray("Murmelin Nowhere") << true;
    }
    void failingSteps()
    {
        QFETCH(QByteArray, card);
        QFETCH(QByteArray, element);
        QFETCH(bool, opens);
        AlsaMixer mixer(card, element);
        Mixer::VolumeControl control;
        std::int32_t value = 0;
        if (!opens) {
            QVERIFY(mixer.Open() != DeviceResult::Success);
        } else {
            QCOMPARE(mixer.Open(), DeviceResult::Success);
            QVERIFY(mixer.FindVolume(control) != DeviceResult::Success);
        }
        // Later steps refuse too rather than touch a control never found.
        QVERIFY(mixer.SetValue(control, 1) != DeviceResult::Success);
        QVERIFY(mixer.GetValue(control, value) != DeviceResult::Success);
        mixer.Close();
    }
};

QTEST_MAIN(TestMixer)
#include "tst_mixer.moc"
