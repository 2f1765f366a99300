// Lyric timing moved while listening and saved into the .lrc file in its
// own encoding, and the playback speed: its range, the timers that count
// in track time, and the keys in the main window.

#include "StudyRig.h"

#include "app/MyForm.h"
#include "support/EventWait.h"

#include <QFile>
#include <QLabel>
#include "documents/TextView.h"
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/fsuid.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Root writes anything: for the read-only case the file system checks are
// made as "nobody" (the file-system user id), then as root again.
class AsNobody
{
public:
    AsNobody()
    {
        if (::geteuid() != 0)
            return;
        ::setfsuid(65534);
        active_ = ::setfsuid(65534) == 65534;
    }
    ~AsNobody()
    {
        if (active_)
            ::setfsuid(0);
    }
    bool ok() const { return active_ || ::geteuid() != 0; }

private:
    bool active_ = false;
};

const QString kSong = u"[ti:歌]\r\n[00:01.00]一\r\n[00:02.00]二\r\n"_s;

// The bytes of a small song in one encoding, its two time tags given.
QByteArray SongBytes(const QString& encoding, const QString& first, const QString& second)
{
    // A mark, breaks of two kinds and a header, which must all stay.
    const QString text = u"[ti:歌あい]\r\n[%1]あ\n[%2]い\r\n"_s.arg(first, second);
    if (encoding == u"Shift_JIS"_s) {
        QByteArray b = "[ti:\x89\xcc\x82\xa0\x82\xa2]\r\n[" + first.toLatin1() + "]\x82\xa0\n["
                       + second.toLatin1() + "]\x82\xa2\r\n";
        return b;
    }
    if (encoding == u"UTF-8"_s)
        return text.toUtf8();   // no mark: taken as UTF-8 all the same
    QStringEncoder enc(encoding == u"UTF-16LE"_s ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                       QStringConverter::Flag::WriteBom);
    return enc.encode(text);
}

} // namespace

class TestStudyTiming : public QObject
{
    Q_OBJECT

private slots:
    void shiftMovesTheLinesAndResetsWithTheNextSong()
    {
        StudyRig rig(kSong);
        rig.Start();
        for (int i = 0; i < 3; ++i)
            rig.study->LyricsLater();
        QCOMPARE(rig.state.StudyLyricShiftMs, 300);
        QCOMPARE(rig.state.LrcText, u"[ti:歌]\r\n[00:01.30]一\r\n[00:02.30]二\r\n"_s);
        QCOMPARE(rig.lyrics->dlgLrcDisplay()->windowTitle(), u"同期テキスト・ディスプレイ (+0.3秒)"_s);
        QVERIFY(rig.ui.menuSaveTiming->isEnabled());
        // The line timer aims at the moved first line from where the device is.
        std::int64_t p = 0;
        rig.device.Position(p);
        QVERIFY(rig.lineTimer->isActive());
        QVERIFY2(std::abs(rig.lineTimer->interval() - (1300 - int(p))) <= 20,
                 qPrintable(u"%1 at %2"_s.arg(rig.lineTimer->interval()).arg(p)));

        rig.state.LrcText = kSong;   // the next song's lyrics, as read
        rig.Start();
        QCOMPARE(rig.state.StudyLyricShiftMs, 0);
        QCOMPARE(rig.lyrics->dlgLrcDisplay()->windowTitle(), u"同期テキスト・ディスプレイ"_s);
        QVERIFY(!rig.ui.menuSaveTiming->isEnabled());
    }

    void noLineIsMovedToZero()
    {
        StudyRig rig(u"[00:00.25]一\r\n[00:01.00]二\r\n"_s);
        rig.Start();
        rig.study->LyricsEarlier();
        rig.study->LyricsEarlier();
        rig.study->LyricsEarlier();   // would put the first line on 0
        QCOMPARE(rig.state.StudyLyricShiftMs, -200);
        QCOMPARE(rig.state.LrcText, u"[00:00.05]一\r\n[00:00.80]二\r\n"_s);
    }

    void commandsNeedTimedLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("timed lines") << kSong << true;
        QTest::newRow("headers and plain text") << u"[ti:歌]\r\nただの文\r\n"_s << false;
        QTest::newRow("only a zero time") << u"[00:00.00]一\r\n"_s << false;
        QTest::newRow("no lyrics") << QString() << false;
    }
    void commandsNeedTimedLines()
    {
        QFETCH(QString, text);
        QFETCH(bool, enabled);
        StudyRig rig(text);
        rig.Start();
        QCOMPARE(rig.ui.menuLyricsEarlier->isEnabled(), enabled);
        QCOMPARE(rig.ui.menuLyricsLater->isEnabled(), enabled);
        QVERIFY(!rig.ui.menuSaveTiming->isEnabled());
        const QString before = rig.state.LrcText;
        rig.study->LyricsLater();
        rig.study->PracticeLine(0);
        if (!enabled) {
            QCOMPARE(rig.state.LrcText, before);
            QCOMPARE(rig.state.StudyLyricShiftMs, 0);
            QCOMPARE(rig.state.StartTime, 0);
        }
    }

    // Saving moves the tags in the file and nothing else: the encoding, the
    // mark, the breaks and the headers come back byte for byte.
    void saveKeepsTheFile_data()
    {
        QTest::addColumn<QString>("encoding");
        QTest::newRow("Shift_JIS") << u"Shift_JIS"_s;
        QTest::newRow("UTF-16LE") << u"UTF-16LE"_s;
        QTest::newRow("UTF-16BE") << u"UTF-16BE"_s;
        QTest::newRow("UTF-8") << u"UTF-8"_s;
    }
    void saveKeepsTheFile()
    {
        QFETCH(QString, encoding);
        QTemporaryDir dir;
        const QString lrc = dir.filePath(u"song.lrc"_s);
        const QByteArray original = SongBytes(encoding, u"00:01.00"_s, u"01:02.50"_s);
        QFile f(lrc);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(original);
        f.close();

        StudyRig rig{QString()};
        rig.state.cMurmelinCreateFolder = dir.path();
        rig.lyrics->LrcTextTempLabel(dir.filePath(u"song.wav"_s));
        rig.Start();
        rig.study->LyricsLater();
        rig.study->LyricsLater();
        rig.study->LyricsLater();
        rig.prompter.answers = {true};
        rig.study->SaveTiming();
        QCOMPARE(rig.prompter.entries.size(), 1);
        QCOMPARE(rig.prompter.entries[0].text, u"「song.lrc」の歌詞のタイミングを+0.3秒移して上書き保存しますか？"_s);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), SongBytes(encoding, u"00:01.30"_s, u"01:02.80"_s));
        f.close();
        QCOMPARE(rig.state.StudyLyricShiftMs, 0);
        QVERIFY(!rig.ui.menuSaveTiming->isEnabled());

        // And back: the very bytes the file had.
        for (int i = 0; i < 3; ++i)
            rig.study->LyricsEarlier();
        rig.prompter.answers = {true};
        rig.study->SaveTiming();
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), original);
    }

    void saveRefusedOrFailingLeavesTheFile_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("answered no") << false << false;
        QTest::newRow("read-only file") << true << true;
    }
    void saveRefusedOrFailingLeavesTheFile()
    {
        QFETCH(bool, answer);
        QFETCH(bool, readOnly);
        QTemporaryDir dir;
        const QString lrc = dir.filePath(u"song.lrc"_s);
        const QByteArray original = SongBytes(u"UTF-8"_s, u"00:01.00"_s, u"00:02.00"_s);
        QFile f(lrc);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(original);
        f.close();
        StudyRig rig{QString()};
        rig.state.cMurmelinCreateFolder = dir.path();
        rig.lyrics->LrcTextTempLabel(dir.filePath(u"song.wav"_s));
        rig.Start();
        rig.study->LyricsLater();
        rig.prompter.answers = {answer};
        if (readOnly) {
            // Neither the file nor its folder takes a write; root's checks
            // are made as "nobody", since root writes anything.
            const auto readable = QFileDevice::Permissions(0x5555);
            QVERIFY(QFile::setPermissions(lrc, QFileDevice::Permissions(0x4444)));
            QVERIFY(QFile::setPermissions(dir.path(), readable));
            AsNobody nobody;
            QVERIFY(nobody.ok());
            rig.study->SaveTiming();
        } else {
            rig.study->SaveTiming();
        }
        QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7700));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), original);
        // Nothing lost: the shift is still there to save.
        QCOMPARE(rig.state.StudyLyricShiftMs, 100);
        QVERIFY(rig.ui.menuSaveTiming->isEnabled());
        QCOMPARE(rig.prompter.entries.size(), readOnly ? 2 : 1);
        if (readOnly)
            QVERIFY2(rig.prompter.entries[1].text.contains(lrc), qPrintable(rig.prompter.entries[1].text));
    }

    // At every speed the timers that count in track time wait that time
    // divided by the speed; the device gets the speed with its start.
    void speedStretchesTheTimers_data()
    {
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("lineMs");    // line timer after a seek to 0.5 s
        QTest::addColumn<int>("rangeMs");   // range end of 1 s to 2 s from its start
        QTest::newRow("0.5") << 50 << 1000 << 2000;
        QTest::newRow("0.75") << 75 << 666 << 1333;
        QTest::newRow("1.0") << 100 << 500 << 1000;
        QTest::newRow("1.25") << 125 << 400 << 800;
        QTest::newRow("1.5") << 150 << 333 << 666;
    }
    void speedStretchesTheTimers()
    {
        QFETCH(int, speed);
        QFETCH(int, lineMs);
        QFETCH(int, rangeMs);
        StudyRig rig(kSong);
        rig.state.StudySpeedPercent = speed;
        rig.Start();
        QCOMPARE(rig.device.SpeedPercent(), speed);
        rig.SeekTo(500);
        QVERIFY(std::abs(rig.lineTimer->interval() - lineMs) <= 2);
        rig.study->PracticeLine(1);
        QVERIFY(std::abs(rig.music->rangeEndTimer()->interval() - rangeMs) <= 3);
    }

    void speedSteps_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("to");
        QTest::newRow("up") << 100 << u"up"_s << 105;
        QTest::newRow("down") << 100 << u"down"_s << 95;
        QTest::newRow("up stops at 1.5") << 150 << u"up"_s << 150;
        QTest::newRow("down stops at 0.5") << 50 << u"down"_s << 50;
        QTest::newRow("normal") << 65 << u"normal"_s << 100;
    }
    void speedSteps()
    {
        QFETCH(int, from);
        QFETCH(QString, command);
        QFETCH(int, to);
        StudyRig rig(kSong);
        rig.state.StudySpeedPercent = from;
        rig.Start();
        rig.music->MusicPause();   // a change while paused waits for the resume
        if (command == u"up"_s)
            rig.study->SpeedUp();
        else if (command == u"down"_s)
            rig.study->SpeedDown();
        else
            rig.study->SpeedNormal();
        QCOMPARE(rig.state.StudySpeedPercent, to);
        QCOMPARE(rig.device.SpeedPercent(), to);
        rig.music->MusicPause();
        QVERIFY(rig.device.playing());
    }

    // The keys reach the study menu with the text view focused, and the
    // window's title tells the speed.
    void keysInTheMainWindow()
    {
        ScriptedPrompter prompter;
        MyForm form{prompter};
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QWidget* view = form.ui().textBox1;
        view->setVisible(true);
        view->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(view->hasFocus(), 2000);
        const int start = form.state().StudySpeedPercent;
        QTest::keyClick(view, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(form.state().StudySpeedPercent, start + 5);
        QVERIFY2(form.windowTitle().endsWith(u"倍)"_s), qPrintable(form.windowTitle()));
        QTest::keyClick(view, Qt::Key_Down, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(form.state().StudySpeedPercent, start - 5);
        QTest::keyClick(view, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(form.state().StudySpeedPercent, 100);
        QCOMPARE(form.windowTitle(), u"Murmelin"_s);
        // Without lyrics the lyric keys do nothing.
        QTest::keyClick(view, Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(form.state().StudyLyricShiftMs, 0);
        form.close();
    }
};

QTEST_MAIN(TestStudyTiming)
#include "tst_studytiming.moc"
