// Timing by tapping on the real audio output (the private PulseAudio of the
// test session): each Space stamps its line at the played position less the
// reaction compensation, Backspace plays again from before the stamp it
// takes back, and the result is the song's .lrc in the editor's encoding,
// shown in the lyric window at once.

#include "app/MyForm.h"
#include "documents/TextView.h"
#include "lrc/LrcController.h"
#include "lrc/LrcDisplay.h"
#include "music/MusicController.h"
#include "platform/GstAudioDevice.h"
#include "study/TapTimingController.h"
#include "study/TapTimingDialog.h"
#include "support/AudioMedia.h"
#include "support/FakeMixer.h"
#include "support/MonitorRecorder.h"
#include "support/ScriptedPrompter.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestTapReal : public QObject
{
    Q_OBJECT

    QTemporaryDir home_;
    MonitorRecorder monitor_;   // keeps the null sink at a sound card's pace

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
            QFAIL("no PulseAudio session: run through scripts/test");
        QVERIFY(home_.isValid());
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            qputenv(name, QFile::encodeName(home_.path()));
        QVERIFY(monitor_.start());
    }

    void tapsStampThePlayedPosition()
    {
        const QString wav = home_.filePath(u"tap.wav"_s);
        const QString lrc = home_.filePath(u"tap.lrc"_s);
        QVERIFY(AudioMedia::WriteTone(wav, 6000, {22050, 1, 16}));
        GstAudioDevice device;
        FakeMixer mixer;
        ScriptedPrompter prompter;
        MyForm form{prompter};
        form.setMusic(std::make_unique<MusicController>(form.context(), device, mixer));
        form.lrc().setPositionSource([&device](std::int64_t& ms) { return device.IsOpen() && device.Position(ms) == DeviceResult::Success; });
        // The lyrics as typed in the editor, to be kept in UTF-16.
        form.ui().lrcView->SetText(u"[ti:テスト]\r\n一\r\n\r\n二\r\n"_s);
        form.state().lrcEncoding = EncodingCode::Utf16LE;
        form.state().StudyTapCompensationMs = 150;
        form.lrc().LrcTextTempLabel(wav);
        form.music().MusicStart(wav, u"tap"_s);
        QCOMPARE(form.state().audioState, AudioState::WavePlaying);
        form.tapTiming().Open();
        TapTimingDialog* dialog = form.tapTiming().dialog();
        QVERIFY(dialog);
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));

        // A Space between two readings of the played position.
        auto tap = [&](Qt::Key key) {
            std::int64_t before = 0;
            std::int64_t after = 0;
            device.Position(before);
            QTest::keyClick(dialog, key);
            device.Position(after);
            return std::pair{before, after};
        };
        auto stamps = [&] { return form.tapTiming().session()->stamps(); };
        QTRY_VERIFY_WITH_TIMEOUT([&] { std::int64_t p = 0; return device.Position(p) == DeviceResult::Success && p >= 1000; }(), 5000);
        const auto [b1, a1] = tap(Qt::Key_Space);
        QCOMPARE(stamps().size(), size_t(1));
        qInfo("stamp %d between %lld and %lld less 150", stamps()[0], qlonglong(b1), qlonglong(a1));
        QVERIFY(stamps()[0] >= b1 - 150 - 10 && stamps()[0] <= a1 - 150 + 10);

        // Backspace takes it back and plays from 2 s before it (from 0 here).
        tap(Qt::Key_Backspace);
        QVERIFY(stamps().empty());
        std::int64_t replay = -1;
        QCOMPARE(device.Position(replay), DeviceResult::Success);
        QVERIFY2(replay < 300, qPrintable(QString::number(replay)));

        QTRY_VERIFY_WITH_TIMEOUT([&] { std::int64_t p = 0; return device.Position(p) == DeviceResult::Success && p >= 800; }(), 5000);
        const auto [b2, a2] = tap(Qt::Key_Space);
        QTRY_VERIFY_WITH_TIMEOUT([&] { std::int64_t p = 0; return device.Position(p) == DeviceResult::Success && p >= 1600; }(), 5000);
        const auto [b3, a3] = tap(Qt::Key_Space);
        QCOMPARE(stamps().size(), size_t(2));
        QVERIFY(stamps()[0] >= b2 - 160 && stamps()[0] <= a2 - 140);
        QVERIFY(stamps()[1] >= b3 - 160 && stamps()[1] <= a3 - 140);
        tap(Qt::Key_Space);   // no line left
        QCOMPARE(stamps().size(), size_t(2));

        QTest::keyClick(dialog, Qt::Key_S, Qt::ControlModifier);
        QFile file(lrc);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xFF\xFE"));
        const QString saved = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                                 (bytes.size() - 2) / 2);
        const QString expected = u"[ti:テスト]\r\n%1一\r\n\r\n%2二\r\n"_s.arg(
            TapTimingDialog::TimeText(stamps()[0]).prepend(u'[') + u']', TapTimingDialog::TimeText(stamps()[1]).prepend(u'[') + u']');
        QCOMPARE(saved, expected);
        // At once the song's lyrics, in the lyric window: played again from
        // the start, the first line comes at its stamp.
        QCOMPARE(form.state().LrcText, expected);
        QVERIFY(form.lrc().dlgLrcDisplay());
        form.music().MusicPlayFrom(0);
        QTRY_COMPARE_WITH_TIMEOUT(form.lrc().dlgLrcDisplay()->currentLineLabel->text(), u"一"_s, 3000);
        std::int64_t shownAt = 0;
        device.Position(shownAt);
        QVERIFY2(std::abs(shownAt - stamps()[0]) <= 100, qPrintable(QString::number(shownAt)));

        // A second save asks before writing over the file; No leaves it.
        form.tapTiming().Nudge(1, 100);
        prompter.answers = {false};
        QApplication::setActiveWindow(dialog);
        QTest::keyClick(dialog, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompter.entries.last().kind, ScriptedPrompter::Kind::YesNo);
        QVERIFY(prompter.entries.last().text.contains(u"tap.lrc"_s));
        file.seek(0);
        QCOMPARE(file.readAll(), bytes);
        form.music().MusicStop();
    }
};

QTEST_MAIN(TestTapReal)
#include "tst_tapreal.moc"
