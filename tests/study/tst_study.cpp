// Song practice and lyric timing on the fake device: a clicked line becomes
// the play range, each line is heard as often as the repetition button
// says, the pause after a pass and the commands during it, the speed in the
// timers, and the timing saved into the .lrc in its own encoding.

#include "app/MyForm.h"
#include "documents/DocumentController.h"
#include "lrc/LrcController.h"
#include "lrc/LrcDisplay.h"
#include "music/PlayerRig.h"
#include "study/StudyController.h"
#include "documents/TextView.h"
#include "support/EventWait.h"
#include "support/ScriptedPrompter.h"

#include <QAction>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/fsuid.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Lines 0.3 s apart after a header; the last one runs to the track's end.
const QString kSong = u"[ti:歌]\r\n[00:01.00]一\r\n[00:01.30]二\r\n[00:01.60]三\r\n[00:01.90]四\r\n"_s;

// The player on the fake device with the real lyric window and the study
// tools, hooked in as the main window hooks them.
struct StudyRig : PlayerRig
{
    QTimer* lineTimer = new QTimer(&form);
    LrcController lyrics{context};
    StudyController study{context};

    explicit StudyRig(const QString& lrcText)
    {
        device.length = 6000;
        ui.lineTimer = lineTimer;
        for (QAction** a : {&ui.menuLyricsEarlier, &ui.menuLyricsLater, &ui.menuSaveTiming})
            *a = new QAction(&form);
        peers.lrc = &lyrics;
        lyrics.setPositionSource([this](std::int64_t& ms) { return device.Position(ms) == DeviceResult::Success; });
        QObject::connect(lineTimer, &QTimer::timeout, &form, [this] { lyrics.LrcTextDisplay(); });
        music->onTrackStart = [this] { study.TrackStarting(); };
        music->onRangeEnd = [this] { return study.RangeEnded(); };
        music->onHalt = [this] { study.Halted(); };
        lyrics.onLineClicked = [this](std::int32_t line) { study.PracticeLine(line); };
        state.LrcText = lrcText;
        state.LoopModeCount = 1;
        music->MusicStart(u"/m/a.wav"_s, QString());
    }
    void SeekTo(int ms)
    {
        ui.musicPositionSlider->setValue(ms);
        music->trackBarMovementEnd();
    }
    int SeeksTo(int ms) const { return int(device.Commands().count(u"Seek(%1)"_s.arg(ms))); }
};

// Root writes anything: the read-only case checks as "nobody".
struct AsNobody
{
    bool active = ::geteuid() == 0 && (::setfsuid(65534), ::setfsuid(65534) == 65534);
    ~AsNobody()
    {
        if (active)
            ::setfsuid(0);
    }
};

// A small song in one encoding with its two time tags; a mark (UTF-16),
// two kinds of breaks and a header, which must all stay.
QByteArray SongBytes(const QString& encoding, const QString& first, const QString& second)
{
    if (encoding == u"Shift_JIS"_s)
        return "[ti:\x89\xcc]\r\n[" + first.toLatin1() + "]\x82\xa0\n[" + second.toLatin1() + "]\x82\xa2\r\n";
    const QString text = u"[ti:歌]\r\n[%1]あ\n[%2]い\r\n"_s.arg(first, second);
    if (encoding == u"UTF-8"_s)
        return text.toUtf8();
    QStringEncoder enc(encoding == u"UTF-16LE"_s ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                       QStringConverter::Flag::WriteBom);
    return enc.encode(text);
}

} // namespace

class TestStudy : public QObject
{
    Q_OBJECT

private slots:
    void clickOnALineMakesItTheRange()
    {
        StudyRig rig(kSong);
        LrcDisplay* window = rig.lyrics.dlgLrcDisplay();
        // In front for a while: a click that only brings it there practises nothing.
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::qWait(LrcDisplay::ActivationClickMs);
        rig.SeekTo(1100);   // 一 current, 二 below it
        QTest::mouseClick(window->nextLineSpeakButton, Qt::LeftButton);   // its speak button
        QCOMPARE(rig.study.practisedLine(), -1);
        rig.music->RangePlayToggled();   // range play off
        QTest::mouseClick(window->nextLineLabel, Qt::LeftButton);
        QCOMPARE(rig.study.practisedLine(), 2);
        QCOMPARE(rig.state.StartTime, 1300);
        QCOMPARE(rig.state.EndingTime, 1600);
        QCOMPARE(rig.ui.rangePlayButton->text(), u"レ"_s);
        QCOMPARE(rig.ui.rangeStartLabel->text(), u"Start：1.30 sec"_s);
        QCOMPARE(rig.ui.rangeEndLabel->text(), u"End：1.60 sec"_s);
        QCOMPARE(rig.device.Commands().last(2), (QStringList{u"Seek(1300)"_s, u"Play"_s}));
        QCOMPARE(window->currentLineLabel->text(), u"二"_s);
    }

    // Each line is heard as often as the repetition button says (∞ stays).
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
        rig.study.menuLinePractice_Toggled(true);   // before the first line: on line 1
        QCOMPARE(rig.state.StartTime, 1000);
        if (passes < 0) {
            QVERIFY(WaitFor([&] { return rig.SeeksTo(1000) >= 6; }, 5000));
            QCOMPARE(rig.SeeksTo(1300), 0);
            return;
        }
        QVERIFY(WaitFor([&] { return rig.study.practisedLine() == 2; }, 1000 + passes * 600));
        QCOMPARE(rig.SeeksTo(1000), passes);
        QCOMPARE(rig.ui.rangeStartLabel->text(), u"Start：1.30 sec"_s);
    }

    // A ladder's pass is heard at its speed from its first sample: the
    // device has the pass's speed when the pass starts to play, the first
    // pass of a line too, with or without a pause between the passes.
    void ladderPassStartsAtItsSpeed_data()
    {
        QTest::addColumn<int>("pausePercent");
        QTest::newRow("no pause") << 0;
        QTest::newRow("a pause as long as the line") << 100;
    }
    void ladderPassStartsAtItsSpeed()
    {
        QFETCH(int, pausePercent);
        StudyRig rig(kSong);
        rig.state.StudyPausePercent = pausePercent;
        rig.study.SetLadder(1);
        const qsizetype from = rig.device.calls.size();
        rig.study.menuLinePractice_Toggled(true);
        QVERIFY(WaitFor([&] { return rig.study.practisedLine() == 2; }, 8000));
        QList<int> speedAtPlay;
        int speed = 100;
        for (const QString& c : rig.device.Commands().mid(from)) {
            if (c.startsWith(u"Speed("_s))
                speed = c.mid(6).chopped(1).toInt();
            else if (c == u"Play"_s)
                speedAtPlay << speed;
        }
        QCOMPARE(speedAtPlay.mid(0, 4), (QList<int>{75, 100, 125, 75}));
    }

    // Lines of equal time are one place in the song: practised once.
    void equalTimesPractisedOnce()
    {
        StudyRig rig(u"[00:01.00]一\r\n[00:01.30]二\r\n[00:01.30]二\r\n[00:01.60]三\r\n[00:01.90]四\r\n"_s);
        rig.study.menuLinePractice_Toggled(true);
        QVERIFY(WaitFor([&] { return rig.study.practisedLine() == 3; }, 3000));
        QCOMPARE(rig.SeeksTo(1300), 1);
    }

    // The pause after a pass: the line's length at the playing speed times
    // the factor, silent at the line's start, the line shown.
    void gapAfterAPass_data()
    {
        QTest::addColumn<int>("pausePercent");
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("gapMs");
        QTest::newRow("none") << 0 << 100 << 0;
        QTest::newRow("half") << 50 << 100 << 150;
        QTest::newRow("one at half speed") << 100 << 50 << 600;
        QTest::newRow("one and a half at 1.25") << 150 << 125 << 360;
    }
    void gapAfterAPass()
    {
        QFETCH(int, pausePercent);
        QFETCH(int, speed);
        QFETCH(int, gapMs);
        StudyRig rig(kSong);
        rig.state.StudyPausePercent = pausePercent;
        rig.state.StudySpeedPercent = speed;
        rig.state.LoopModeCount = 2;
        rig.study.menuLinePractice_Toggled(true);
        QVERIFY(WaitFor([&] { return rig.study.passes() == 1; }, 2000));
        QCOMPARE(rig.study.gapTimer()->isActive() ? rig.study.gapTimer()->interval() : 0, gapMs);
        QCOMPARE(rig.device.playing(), gapMs == 0);
        if (gapMs == 0)
            return;
        QCOMPARE(rig.ui.musicPositionSlider->value(), 1000);
        QCOMPARE(rig.state.audioState, AudioState::WavePlaying);
        QCOMPARE(rig.lyrics.dlgLrcDisplay()->currentLineLabel->text(), u"一"_s);
        QVERIFY(!rig.lineTimer->isActive());
        QVERIFY(WaitFor([&] { return rig.device.playing(); }, gapMs + 500));
        QCOMPARE(rig.SeeksTo(1000), 3);   // the start, the hold, the second pass
    }

    // Pause, skips and a speed change act on the gap at once.
    void commandsDuringTheGap_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("start");   // the range start after it
        QTest::newRow("pause, resume") << u"pause"_s << 1300;
        QTest::newRow("skip on") << u"on"_s << 1600;
        QTest::newRow("skip back") << u"back"_s << 1000;
        QTest::newRow("slower: the gap goes on to the next line") << u"slower"_s << 1600;
        QTest::newRow("play: the line again now") << u"play"_s << 1300;
        QTest::newRow("range off: plays on after the gap") << u"range"_s << 1300;
    }
    void commandsDuringTheGap()
    {
        QFETCH(QString, command);
        QFETCH(int, start);
        StudyRig rig(kSong);
        rig.state.StudyPausePercent = 150;
        rig.study.PracticeLine(2);
        rig.study.menuLinePractice_Toggled(true);
        QVERIFY(WaitFor([&] { return rig.study.gapTimer()->isActive(); }, 2000));
        if (command == u"pause"_s) {
            rig.music->MusicPause();
            QVERIFY(!rig.study.gapTimer()->isActive());
            Wait(600);
            QVERIFY(!rig.device.playing());
            rig.music->MusicPause();
        } else if (command == u"slower"_s) {
            rig.study.SpeedDown();
            QVERIFY(rig.study.gapTimer()->isActive());   // still silent
            QVERIFY(!rig.device.playing());
            QVERIFY(!rig.music->rangeEndTimer()->isActive());
            QVERIFY(WaitFor([&] { return rig.device.playing(); }, 1500));
        } else if (command == u"play"_s) {
            rig.music->MusicPlay();
            QVERIFY(!rig.study.gapTimer()->isActive());
        } else if (command == u"range"_s) {
            rig.music->RangePlayToggled();
            QVERIFY(WaitFor([&] { return rig.device.playing(); }, 1500));
            QCOMPARE(rig.study.practisedLine(), -1);
        } else {
            rig.study.SkipLine(command == u"on"_s ? 1 : -1);
            QVERIFY(!rig.study.gapTimer()->isActive());
        }
        QVERIFY(rig.device.playing());
        QCOMPARE(rig.state.StartTime, start);
        std::int64_t p = 0;
        rig.device.Position(p);
        QVERIFY2(p >= start && p < start + 100, qPrintable(QString::number(p)));
    }

    // Timers that count in track time wait it divided by the speed; the
    // device gets the speed with the track's start.
    void speedStretchesTheTimers_data()
    {
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("lineMs");    // line timer after a seek to 0.5 s
        QTest::addColumn<int>("rangeMs");   // range end of 一 (0.3 s) from its start
        QTest::newRow("0.5") << 50 << 1000 << 600;
        QTest::newRow("0.75") << 75 << 666 << 400;
        QTest::newRow("1.25") << 125 << 400 << 240;
        QTest::newRow("1.5") << 150 << 333 << 200;
    }
    void speedStretchesTheTimers()
    {
        QFETCH(int, speed);
        QFETCH(int, lineMs);
        QFETCH(int, rangeMs);
        StudyRig rig(kSong);
        rig.state.StudySpeedPercent = speed;
        rig.music->MusicStart(u"/m/a.wav"_s, QString());
        QCOMPARE(rig.device.SpeedPercent(), speed);
        rig.SeekTo(500);
        QVERIFY(std::abs(rig.lineTimer->interval() - lineMs) <= 2);
        rig.study.PracticeLine(1);
        QVERIFY(std::abs(rig.music->rangeEndTimer()->interval() - rangeMs) <= 3);
    }

    // Saving moves the tags in the file and nothing else: the encoding, the
    // mark, the breaks and the header come back byte for byte; a file that
    // cannot be written is left as it was, and the shift is kept.
    void saveTiming_data()
    {
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("Shift_JIS") << u"Shift_JIS"_s << false;
        QTest::newRow("UTF-16LE") << u"UTF-16LE"_s << false;
        QTest::newRow("UTF-16BE") << u"UTF-16BE"_s << false;
        QTest::newRow("UTF-8") << u"UTF-8"_s << false;
        QTest::newRow("read-only") << u"UTF-8"_s << true;
    }

    // The same file in the synchronized-text editor: edited, it is not
    // written behind its back; unedited, it shows the saved tags. A file
    // emptied meanwhile is not written over.
    void saveTimingBesideTheEditor_data()
    {
        QTest::addColumn<QString>("editor");   // "edited", "unedited", "emptied"
        QTest::newRow("edited in the editor") << u"edited"_s;
        QTest::newRow("unedited in the editor") << u"unedited"_s;
        QTest::newRow("file emptied meanwhile") << u"emptied"_s;
    }
    void saveTimingBesideTheEditor()
    {
        QFETCH(QString, editor);
        ScriptedPrompter prompter;
        MyForm form{prompter};
        QTemporaryDir dir;
        const QString path = dir.filePath(u"song.lrc"_s);
        const QByteArray original = SongBytes(u"UTF-8"_s, u"00:01.00"_s, u"01:02.50"_s);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(original) == original.size());
        f.close();
        form.documents().TextOpenFile(path, u"song.lrc"_s);
        QCOMPARE(form.state().lrcDocumentState, DocumentState::Stored);
        if (editor == u"edited"_s)
            form.ui().lrcView->appendPlainText(u"[00:09.00]追加"_s);
        form.lrc().LrcTextTempLabel(dir.filePath(u"song.wav"_s));
        form.study().TrackStarting();
        form.study().LyricsLater();
        if (editor == u"emptied"_s)
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.close();
        prompter.answers = {true};
        form.study().SaveTiming();
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray saved = f.readAll();
        f.close();
        if (editor == u"unedited"_s) {
            QCOMPARE(saved, SongBytes(u"UTF-8"_s, u"00:01.10"_s, u"01:02.60"_s));
            QCOMPARE(form.ui().lrcView->toPlainText(), QString::fromUtf8(saved).replace(u"\r\n"_s, u"\n"_s));
            QCOMPARE(form.state().lrcDocumentState, DocumentState::Stored);
            return;
        }
        QCOMPARE(saved, editor == u"emptied"_s ? QByteArray() : original);
        QCOMPARE(form.state().StudyLyricShiftMs, 100);
        QCOMPARE(prompter.entries.last().kind, ScriptedPrompter::Kind::Message);
    }
    void saveTiming()
    {
        QFETCH(QString, encoding);
        QFETCH(bool, readOnly);
        QTemporaryDir dir;
        QFile f(dir.filePath(u"song.lrc"_s));
        const QByteArray original = SongBytes(encoding, u"00:01.00"_s, u"01:02.50"_s);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(original) == original.size());
        f.close();
        StudyRig rig{QString()};
        rig.state.murmelinFolder = dir.path();
        rig.lyrics.LrcTextTempLabel(dir.filePath(u"song.wav"_s));
        rig.music->MusicStart(u"/m/a.wav"_s, QString());
        QVERIFY(!rig.ui.menuSaveTiming->isEnabled());
        for (int i = 0; i < 3; ++i)
            rig.study.LyricsLater();
        QCOMPARE(rig.lyrics.dlgLrcDisplay()->windowTitle(), u"同期テキスト・ディスプレイ (+0.3秒)"_s);
        rig.prompter.answers = {true};
        if (readOnly) {
            QVERIFY(QFile::setPermissions(f.fileName(), QFileDevice::Permissions(0x4444)));
            QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x5555)));
            AsNobody nobody;
            rig.study.SaveTiming();
            QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7700));
        } else {
            rig.study.SaveTiming();
        }
        QCOMPARE(rig.prompter.entries.first().text, u"「song.lrc」の歌詞のタイミングを+0.3秒移して上書き保存しますか？"_s);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray saved = f.readAll();
        f.close();
        if (readOnly) {
            QCOMPARE(saved, original);
            QVERIFY(rig.prompter.entries.last().text.contains(f.fileName()));
            QVERIFY2(rig.prompter.entries.last().text.contains(u"を保存できませんでした"_s),
                     qPrintable(rig.prompter.entries.last().text));
            QCOMPARE(rig.state.StudyLyricShiftMs, 300);
            QVERIFY(rig.ui.menuSaveTiming->isEnabled());
            return;
        }
        QCOMPARE(saved, SongBytes(encoding, u"00:01.30"_s, u"01:02.80"_s));
        QCOMPARE(rig.state.StudyLyricShiftMs, 0);
        // And back: the very bytes the file had.
        for (int i = 0; i < 3; ++i)
            rig.study.LyricsEarlier();
        rig.prompter.answers = {true};
        rig.study.SaveTiming();
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), original);
        // Another song starts with its file's own timing.
        rig.study.LyricsLater();
        rig.music->MusicStart(u"/m/a.wav"_s, QString());
        QCOMPARE(rig.state.StudyLyricShiftMs, 0);
        QCOMPARE(rig.lyrics.dlgLrcDisplay()->windowTitle(), u"同期テキスト・ディスプレイ"_s);
    }

    // The lyrics move earlier until a tag would pass 0, a tag at 0
    // (shown from the start) included.
    void lyricsEarlierStopsAtZero_data()
    {
        QTest::addColumn<QString>("lyrics");
        QTest::addColumn<int>("shift");   // after ten presses
        QTest::newRow("first line reaches 0") << u"[ti:x]\n[00:00.50]a\n[00:01.00]b"_s << -500;
        QTest::newRow("a line at 0 moves no earlier") << u"[00:00.00]t\n[00:00.50]a"_s << 0;
        QTest::newRow("word tag counts") << u"[00:01.00]<00:00.80>a\n[00:02.00]b"_s << -800;
    }
    void lyricsEarlierStopsAtZero()
    {
        QFETCH(QString, lyrics);
        QFETCH(int, shift);
        StudyRig rig(lyrics);
        for (int i = 0; i < 10; ++i)
            rig.study.LyricsEarlier();
        QCOMPARE(rig.state.StudyLyricShiftMs, shift);
    }

    // Only the tags' bytes change: bytes that form no character, half a
    // UTF-16 unit, half a surrogate pair and the NEC/IBM twins of CP932 come
    // back as they were, whatever the breaks.
    void saveTimingTouchesOnlyTheTags_data()
    {
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<QByteArray>("saved");   // after +0.2 s
        const auto utf16 = [](const QByteArray& ascii, bool le) {
            QByteArray out = le ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
            for (char c : ascii)
                le ? out.append(c).append('\0') : out.append('\0').append(c);
            return out;
        };
        const QByteArray before = "[ti:x]\r\n[00:01.00]a\r\n[00:02.00]b\r\n";
        const QByteArray after = "[ti:x]\r\n[00:01.20]a\r\n[00:02.20]b\r\n";
        QTest::newRow("UTF-8 with mark, a byte that forms nothing")
            << QByteArray("\xEF\xBB\xBF[00:01.00]\xE6\xAD\x8C\xFF!\r\n[00:02.00]\xC3\r\n")
            << QByteArray("\xEF\xBB\xBF[00:01.20]\xE6\xAD\x8C\xFF!\r\n[00:02.20]\xC3\r\n");
        QTest::newRow("UTF-16LE, half a unit at the end") << utf16(before, true) + 'Z' << utf16(after, true) + 'Z';
        QTest::newRow("UTF-16BE, half a unit at the end") << utf16(before, false) + 'Z' << utf16(after, false) + 'Z';
        QTest::newRow("UTF-16LE, half a surrogate pair")
            << utf16("[00:01.00]", true) + QByteArray("\x00\xD8", 2) + utf16("\r\n[00:02.00]b", true).mid(2)
            << utf16("[00:01.20]", true) + QByteArray("\x00\xD8", 2) + utf16("\r\n[00:02.20]b", true).mid(2);
        QTest::newRow("UTF-16BE, half a surrogate pair")
            << utf16("[00:01.00]", false) + QByteArray("\xDC\x00", 2) + utf16("\r\n[00:02.00]b", false).mid(2)
            << utf16("[00:01.20]", false) + QByteArray("\xDC\x00", 2) + utf16("\r\n[00:02.20]b", false).mid(2);
        // ED40 and FA5C are one kanji, EEEF and FA40 one numeral, 8754 and
        // FA4A one numeral, 8790 and 81E0 one sign; 815B has ']'-like trail.
        QTest::newRow("Shift_JIS NEC/IBM twins")
            << QByteArray("[ti:\xED\x40]\r\n[00:01.00]\xED\x40\xFA\x5C\xEE\xEF\xFA\x40\r\n"
                          "[00:02.00]\x87\x54\xFA\x4A\x87\x90\x81\xE0\x81\x5B\r\n")
            << QByteArray("[ti:\xED\x40]\r\n[00:01.20]\xED\x40\xFA\x5C\xEE\xEF\xFA\x40\r\n"
                          "[00:02.20]\x87\x54\xFA\x4A\x87\x90\x81\xE0\x81\x5B\r\n");
        QTest::newRow("Shift_JIS, LF, CR and CR LF, a byte that forms nothing")
            << QByteArray("[00:01.00]a\r[00:02.00]\x80\x82\xA0\n\n[00:03]c\r\n\r\n[00:04.00]<00:04.50>d")
            << QByteArray("[00:01.20]a\r[00:02.20]\x80\x82\xA0\n\n[00:03.20]c\r\n\r\n[00:04.20]<00:04.70>d");
    }
    void saveTimingTouchesOnlyTheTags()
    {
        QFETCH(QByteArray, original);
        QFETCH(QByteArray, saved);
        QTemporaryDir dir;
        QFile f(dir.filePath(u"song.lrc"_s));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(original) == original.size());
        f.close();
        StudyRig rig{QString()};
        rig.lyrics.LrcTextTempLabel(dir.filePath(u"song.wav"_s));
        rig.music->MusicStart(u"/m/a.wav"_s, QString());
        rig.study.LyricsLater();
        rig.study.LyricsLater();
        rig.prompter.answers = {true};
        rig.study.SaveTiming();
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().toHex(' '), saved.toHex(' '));
        QCOMPARE(rig.prompter.entries.size(), 1);   // the question, nothing refused
    }

    // The keys reach the study menu with the text view focused; the title
    // tells the speed; without timed lines the lyric commands are off.
    void keysInTheMainWindow()
    {
        ScriptedPrompter prompter;
        MyForm form{prompter};
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QWidget* view = form.ui().textView;
        view->setVisible(true);
        view->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(view->hasFocus(), 2000);
        QTest::keyClick(view, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(form.state().StudySpeedPercent, 105);
        QCOMPARE(form.windowTitle(), u"Murmelin (速さ 1.05倍)"_s);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(view, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(form.state().StudySpeedPercent, 90);
        QTest::keyClick(view, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(form.state().StudySpeedPercent, 100);
        QCOMPARE(form.windowTitle(), u"Murmelin"_s);
        QVERIFY(!form.ui().menuLyricsLater->isEnabled());
        QTest::keyClick(view, Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(form.state().StudyLyricShiftMs, 0);

        // The lyric window, active after a click on a line, takes them too.
        form.state().LrcText = kSong;
        form.study().TrackStarting();
        form.lrc().LrcDisplayOpen();
        LrcDisplay* lyrics = form.lrc().dlgLrcDisplay();
        QVERIFY(lyrics);
        lyrics->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(lyrics));
        QTest::keyClick(lyrics, Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(form.state().StudyLyricShiftMs, 100);
        QTest::keyClick(lyrics, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(form.state().StudySpeedPercent, 95);
        // Back to the normal speed, which the settings keep for the next start.
        QTest::keyClick(lyrics, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(form.state().StudySpeedPercent, 100);
        form.lrc().LrcDisplayClose();
        form.close();
    }
};

QTEST_MAIN(TestStudy)
#include "tst_study.moc"
