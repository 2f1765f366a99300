// The player in the real main window: its buttons, slider and mode buttons
// clicked as a user would, with a fake device and mixer behind them.

#include "app/MyForm.h"
#include "music/MusicController.h"
#include "platform/SystemColors.h"
#include "support/FakeAudioDevice.h"
#include "support/FakeMixer.h"
#include "support/ScriptedPrompter.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestMusicForm : public QObject
{
    Q_OBJECT

    struct Form
    {
        FakeAudioDevice device;
        FakeMixer mixer;
        ScriptedPrompter prompter;
        std::unique_ptr<MyForm> form;

        Form()
        {
            form = std::make_unique<MyForm>(prompter);
            form->setMusic(std::make_unique<MusicController>(form->context(), device, mixer));
        }
        ~Form() { form.reset(); }
        Controls& ui() { return form->ui(); }
        int state() { return form->state().AudioStateFlag; }
    };

    QTemporaryDir home_;

private slots:
    void initTestCase()
    {
        QVERIFY(home_.isValid());
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            qputenv(name, QFile::encodeName(home_.path()));
    }

    void playPauseStop()
    {
        Form f;
        Controls& c = f.ui();
        QVERIFY(!c.trackBar3->isEnabled());
        QTest::mouseClick(c.button21, Qt::LeftButton);   // nothing open yet
        QCOMPARE(f.state(), 99);
        QVERIFY(f.device.calls.isEmpty());

        f.form->music().MusicStart(u"/music/song.wav"_s, u"song.wav"_s);
        QCOMPARE(f.state(), 10);
        QVERIFY(c.trackBar3->isEnabled());
        QCOMPARE(c.label9->text(), u"End：245.00 sec"_s);

        QTest::mouseClick(c.button22, Qt::LeftButton);
        QCOMPARE(f.state(), 11);
        QCOMPARE(SystemColors::BackColor(c.button22), SystemColors::ActiveCaption());
        QVERIFY(!c.timer1->isActive());
        QTest::mouseClick(c.button21, Qt::LeftButton);
        QCOMPARE(f.state(), 10);
        QCOMPARE(SystemColors::BackColor(c.button22), SystemColors::ControlLight());
        QVERIFY(c.timer1->isActive());

        QTest::mouseClick(c.button23, Qt::LeftButton);
        QCOMPARE(f.state(), 12);
        QVERIFY(c.timer2->isActive());
        const int commands = int(f.device.calls.size());
        QTest::mouseClick(c.button23, Qt::LeftButton);
        QCOMPARE(f.device.calls.size(), commands);
        QTest::mouseClick(c.button21, Qt::LeftButton);
        QCOMPARE(f.state(), 10);
        QCOMPARE(f.device.Commands().mid(commands), (QStringList{u"Seek(0)"_s, u"Play"_s}));
    }

    // One wheel notch moves the slider by 500 ms and nothing more.
    void wheelOnTheSlider()
    {
        Form f;
        f.form->music().MusicStart(u"/music/song.wav"_s, u"song.wav"_s);
        QSlider* slider = f.ui().trackBar3;
        slider->setValue(10000);
        QWheelEvent wheel(QPointF(5, 5), slider->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(slider, &wheel);
        QCOMPARE(slider->value(), 10500);
        QCOMPARE(f.device.Commands().last(), u"Play"_s);
        QVERIFY(f.device.Commands().contains(u"Seek(10500)"_s));
    }

    void modeButtons()
    {
        Form f;
        Controls& c = f.ui();
        QTest::mouseClick(c.button28, Qt::LeftButton);
        QCOMPARE(f.form->state().MusicPlayMode, 3);
        QCOMPARE(SystemColors::BackColor(c.button28), SystemColors::ActiveCaption());
        QCOMPARE(SystemColors::BackColor(c.button26), SystemColors::ControlLight());
        QTest::mouseClick(c.button26, Qt::LeftButton);
        QCOMPARE(f.form->state().MusicPlayMode, 1);
        QCOMPARE(SystemColors::BackColor(c.button28), SystemColors::ControlLight());
        QTest::mouseClick(c.button26, Qt::LeftButton);
        QCOMPARE(f.form->state().MusicPlayMode, 0);
        QCOMPARE(SystemColors::BackColor(c.button26), SystemColors::ControlLight());

        QTest::mouseClick(c.button30, Qt::LeftButton);
        QCOMPARE(f.form->state().RangeEn, 0);
        QCOMPARE(c.button30->text(), QString());
    }

    // A mixer that does not keep the value hides the volume controls.
    void failingMixerHidesControls()
    {
        Form f;
        Controls& c = f.ui();
        f.mixer.step = 20000;
        QTest::mouseClick(c.button11, Qt::LeftButton);
        QVERIFY(!c.trackBar4->isHidden());
        c.trackBar4->setValue(50);
        c.trackBar4->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(f.form->state().MixerVolume, 51);
        QCOMPARE(c.label6->text(), u"51"_s);
        for (QWidget* w : {static_cast<QWidget*>(c.button11), static_cast<QWidget*>(c.trackBar4),
                           static_cast<QWidget*>(c.label6)}) {
            QVERIFY(w->isHidden());
            QVERIFY(!w->isEnabled());
        }
    }
};

QTEST_MAIN(TestMusicForm)
#include "tst_musicform.moc"
