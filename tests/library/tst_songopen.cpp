// Opening a song in the real window, with the real cover art and lyrics
// behind the lists: a copy that the system refuses to write, and names that
// are no regular files (a FIFO named like a song or a picture), reached by a
// click, by "next" and from the command line.

#include "app/MyForm.h"
#include "library/LibraryController.h"
#include "music/MusicController.h"
#include "platform/FileErrors.h"
#include "support/FakeAudioDevice.h"
#include "support/FakeMixer.h"
#include "support/RecordingControllers.h"
#include "support/ScriptedPrompter.h"
#include "TestFolders.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Songs
{
    ScriptedPrompter prompter;
    CallLog calls;   // settings and speech stand-ins, so start-up touches nothing else
    FakeAudioDevice device;
    FakeMixer mixer;
    MyForm form{prompter};
    QTemporaryDir dir;
    QString folder;
    QString work;

    explicit Songs(bool fakeDevice)
    {
        form.setSettings(std::make_unique<RecordingSettings>(calls, form.context()));
        form.setSpeech(std::make_unique<RecordingSpeech>(calls, form.context()));
        if (fakeDevice)
            form.setMusic(std::make_unique<MusicController>(form.context(), device, mixer));
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            qWarning("window not exposed");
        folder = dir.filePath(u"songs"_s);
        work = dir.filePath(u"work"_s);
        QDir().mkpath(folder);
        QDir().mkpath(work);
        s().listFolderPath = folder;
        s().murmelinFolder = work;
        ui().listFolderLabel->setText(folder);
        prompter.clear();
    }

    State& s() { return form.state(); }
    Controls& ui() { return form.ui(); }
    QString Path(const QString& name) const { return folder + u'/' + name; }

    void Refill()
    {
        form.library().ListViewAllFileNameWriting(folder);
        form.library().ListViewTextFileNameWriting(folder);
        form.library().ListViewMusicFileNameWriting(folder);
    }

    void Click(QTreeWidget* list, const QString& name)
    {
        const QList<QTreeWidgetItem*> found = list->findItems(name, Qt::MatchExactly, 0);
        QVERIFY2(!found.isEmpty(), qPrintable(name));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
    }
};

// A lower file size limit for this process while it lives: a write past it
// fails with EFBIG, as a full disk fails, instead of raising SIGXFSZ.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = saved_;
        lower.rlim_cur = bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &lower) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    bool active() const { return active_; }

private:
    rlimit saved_{};
    void (*previous_)(int) = SIG_DFL;
    bool active_ = false;
};

// Opens the writing end of a FIFO once the time is up, and again until it
// is destroyed, so a reader stuck on it is let go and the test fails
// instead of hanging.
class FifoRelease
{
public:
    FifoRelease(const QString& path, int ms) : path_(QFile::encodeName(path)), thread_([this, ms] { Run(ms); }) {}
    ~FifoRelease()
    {
        stop_ = true;
        thread_.join();
    }
    bool fired() const { return fired_; }

private:
    void Run(int ms)
    {
        QElapsedTimer clock;
        clock.start();
        while (!stop_) {
            if (clock.elapsed() >= ms) {
                const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    fired_ = true;
                    ::close(fd);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    QByteArray path_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

bool MakeFifo(const QString& path)
{
    QFile::remove(path);
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
}

} // namespace

class TestSongOpen : public QObject
{
    Q_OBJECT

private slots:
    // The system refuses to write the tag-less copy: the song before stops,
    // no half copy stays, and neither the new song's name, nor its lyrics,
    // nor a range belong to what is left.
    void failedCopyStopsAndBindsNothing()
    {
        Songs f(true);
        TestFolders::Touch(f.Path(u"first.mp3"_s), QByteArray(4000, 'm'));
        TestFolders::Touch(f.Path(u"first.lrc"_s), "[00:01.00]first line\n");
        TestFolders::Touch(f.Path(u"second.mp3"_s), QByteArray(1 << 20, 'm'));
        TestFolders::Touch(f.Path(u"second.lrc"_s), "[00:01.00]second line\n");
        f.Refill();
        QTreeWidget* all = f.ui().allFileList;
        f.Click(all, u"first.mp3"_s);
        QCOMPARE(f.s().audioState, AudioState::Mp3Playing);
        QCOMPARE(f.ui().songNameLabel->text(), u"first"_s);
        QVERIFY(f.s().LrcText.contains(u"first line"_s));

        f.prompter.clear();
        {
            FileSizeLimit limit(256 * 1024);
            QVERIFY(limit.active());
            f.Click(all, u"second.mp3"_s);
        }
        const QStringList texts = f.prompter.texts();
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts[0].contains(u"「"_s + f.Path(u"second.mp3"_s) + u"」"_s)
                     && texts[0].contains(FileErrors::Reason(EFBIG)),
                 qPrintable(texts[0]));
        QCOMPARE(f.s().audioState, AudioState::Closed);
        QVERIFY(!f.device.IsOpen());
        QVERIFY(!f.ui().musicPollTimer->isActive());
        QCOMPARE(f.ui().songNameLabel->text(), QString());
        QVERIFY(!f.s().LrcText.contains(u"second line"_s));
        QCOMPARE(f.s().StartTime, 0);
        QCOMPARE(f.s().EndingTime, 0);
        QCOMPARE(QDir(f.work).entryList({u"temp*"_s}, QDir::Files | QDir::Hidden), QStringList{u"temp0.mp3"_s});

        // The disk has room again: the same song opens from the same copy name.
        f.Click(all, u"first.mp3"_s);
        f.Click(all, u"second.mp3"_s);
        QCOMPARE(f.s().audioState, AudioState::Mp3Playing);
        QCOMPARE(f.ui().songNameLabel->text(), u"second"_s);
        QVERIFY(f.s().LrcText.contains(u"second line"_s));
    }

    void namesThatAreNoFiles_data()
    {
        QTest::addColumn<QString>("fifo");      // made a FIFO once the lists are filled
        QTest::addColumn<QString>("how");       // "click", "next", "command line"
        QTest::addColumn<QString>("song");      // what is opened
        QTest::addColumn<bool>("realDevice");   // the device opens the file itself
        QTest::addColumn<bool>("message");      // a message names the FIFO

        QTest::newRow("mp3, list click") << u"b.mp3"_s << u"click"_s << u"b.mp3"_s << false << true;
        QTest::newRow("wav, list click") << u"b.wav"_s << u"click"_s << u"b.wav"_s << true << true;
        QTest::newRow("mp3, next") << u"b.mp3"_s << u"next"_s << u"b.mp3"_s << false << true;
        QTest::newRow("wav, next") << u"b.wav"_s << u"next"_s << u"b.wav"_s << true << true;
        QTest::newRow("mp3, command line") << u"b.mp3"_s << u"command line"_s << u"b.mp3"_s << false << true;
        QTest::newRow("wav, command line") << u"b.wav"_s << u"command line"_s << u"b.wav"_s << true << true;
        // The song-named picture, and a link to it among the folder's pictures.
        QTest::newRow("jpg, folder picture") << u"a.jpg"_s << u"click"_s << u"a.wav"_s << false << false;
    }

    void namesThatAreNoFiles()
    {
        QFETCH(QString, fifo);
        QFETCH(QString, how);
        QFETCH(QString, song);
        QFETCH(bool, realDevice);
        QFETCH(bool, message);

        Songs f(!realDevice);
        for (const QString& name : {u"a.mp3"_s, u"a.wav"_s, u"b.mp3"_s, u"b.wav"_s})
            TestFolders::Touch(f.Path(name), QByteArray(4000, 'm'));
        f.Refill();
        QVERIFY(MakeFifo(f.Path(fifo)));
        if (fifo.endsWith(u".jpg"_s))
            QVERIFY(QFile::link(f.Path(fifo), f.Path(u"z.jpg"_s)));

        QElapsedTimer clock;
        clock.start();
        const FifoRelease release(f.Path(fifo), 3000);
        if (how == u"click"_s) {
            f.Click(f.ui().allFileList, song);
        } else if (how == u"next"_s) {
            QTest::mouseClick(f.ui().musicListButton, Qt::LeftButton);
            f.s().ListIndexMusic = song.endsWith(u".mp3"_s) ? 1 : 2;   // a.mp3 a.wav b.mp3 b.wav
            QTest::mouseClick(f.ui().nextSongButton, Qt::LeftButton);
            QCOMPARE(f.s().ListIndexMusic, song.endsWith(u".mp3"_s) ? 2 : 3);
        } else {
            f.form.library().CommandLineOpen({f.Path(song)});
        }
        const qint64 took = clock.elapsed();
        QVERIFY2(!release.fired(), "the window waited on the FIFO");
        QVERIFY2(took < 3000, qPrintable(u"%1 ms"_s.arg(took)));
        if (message) {
            QCOMPARE(f.prompter.texts().size(), 1);
            QVERIFY2(f.prompter.texts()[0].contains(u"「"_s + f.Path(fifo) + u"」"_s)
                         && f.prompter.texts()[0].contains(FileErrors::NotRegularReason()),
                     qPrintable(f.prompter.texts()[0]));
            QCOMPARE(f.s().audioState, AudioState::Closed);
            // Nothing names a song that did not open.
            QCOMPARE(f.ui().songNameLabel->text(), QString());
            QVERIFY(f.s().LrcText.isEmpty());
        }
    }
};

MURMELIN_LIST_TEST_MAIN(TestSongOpen)
#include "tst_songopen.moc"
