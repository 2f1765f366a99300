// Files named on the command line: the real window starts, reads its
// settings, then opens them as the open command would.

#include "app/MyForm.h"
#include "platform/FileErrors.h"
#include "support/EventWait.h"
#include "support/MusicFakes.h"
#include "support/RecordingControllers.h"
#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

// The player with fake sound services, remembering what it was asked to play.
class StartRecordingMusic : private MusicFakes, public MusicController
{
public:
    explicit StartRecordingMusic(const Context& c) : MusicController(c, device, mixer) {}
    void MusicStart(const QString& path, const QString& name) override { started << path + u'|' + name; }
    QStringList started;
};

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp;
    int runs = 0;

    // One start of the program in its own home with the given arguments.
    struct Run
    {
        QString home;
        ScriptedPrompter prompter;
        CallLog log;
        MyForm form{prompter};
        StartRecordingMusic* music = nullptr;

        Run(const QString& home, const QStringList& arguments) : home(home)
        {
            const Context& c = form.context();
            auto settings = std::make_unique<SettingsController>(c);
            settings->setSettingsFile(home + u"/config/Murmelin.conf"_s);
            settings->setDocumentsFolder(home + u"/Documents"_s);
            form.setSettings(std::move(settings));
            form.setSpeech(std::make_unique<RecordingSpeech>(log, c));
            auto player = std::make_unique<StartRecordingMusic>(c);
            music = player.get();
            form.setMusic(std::move(player));
            form.setStartFiles(arguments);
        }

        // Shown, with the start-up steps done.
        bool start()
        {
            form.show();
            return WaitFor([this] { return log.calls.contains(u"SpeechPlatformInstallationCheck"_s); }, 5000);
        }
    };

    QString folder()
    {
        const QString path = tmp.filePath(QString::number(++runs));
        QDir().mkpath(path + u"/files"_s);
        return path;
    }

private slots:
    void textsOpenInTheirViewsAndFaultsAreToldOnce()
    {
        const QString base = folder();
        const QString files = base + u"/files"_s;
        write(files + u"/一つ目.txt"_s, "\xEF\xBB\xBF" "こんにちは\r\n");
        write(files + u"/二つ目.txt"_s, "second\r\n");
        write(files + u"/歌.lrc"_s, "[00:01.00]うた\r\n");
        write(files + u"/表.pdf"_s, "%PDF");
        const QString missing = files + u"/ない.txt"_s;

        // Relative paths are the shell's: from the current folder.
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(files));
        Run run(base, {u"一つ目.txt"_s, missing, u"表.pdf"_s, files + u"/二つ目.txt"_s, files + u"/歌.lrc"_s});
        const bool started = run.start();
        QDir::setCurrent(before);
        QVERIFY(started);

        QVERIFY(run.form.isVisible());
        // A missing file is named, with what was being done and why.
        const QStringList texts = run.prompter.texts();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[0], FileErrors::Message(FileErrors::Doing::Open, missing, ENOENT));
        QCOMPARE(texts[1], u"このファイルフォーマットには、現在対応していません。"_s);
        // The first text stays in the text document; the second never replaced it.
        QVERIFY(run.form.ui().textView->toPlainText().contains(u"こんにちは"_s));
        QCOMPARE(run.form.ui().textNameBox->text(), u"一つ目"_s);
        QCOMPARE(run.form.state().textDocumentState, DocumentState::Stored);
        QVERIFY(run.form.ui().lrcView->toPlainText().contains(u"[00:01.00]うた"_s));
        QCOMPARE(run.form.state().lrcDocumentState, DocumentState::Stored);
        // As after the open dialog, its start folder is where the file was.
        QCOMPARE(run.form.state().openDirFolder, files);
        // The first run still made its working folder and favourites.
        QVERIFY(QFileInfo::exists(base + u"/Documents/Murmelin/お気に入り.txt"_s));
        QVERIFY(run.music->started.isEmpty());
    }

    void theFirstSongPlays()
    {
        const QString base = folder();
        const QString files = base + u"/files"_s;
        write(files + u"/a.wav"_s, "RIFF");
        write(files + u"/b.WAV"_s, "RIFF");
        Run run(base, {u"file://"_s + files + u"/a.wav"_s, files + u"/b.WAV"_s, files + u"/c.MP3"_s});
        QVERIFY(run.start());
        QCOMPARE(run.music->started, QStringList{files + u"/a.wav|a.wav"_s});
        QCOMPARE(run.form.ui().songNameLabel->text(), u"a"_s);
        // Capitals are another kind to the open command.
        QCOMPARE(run.prompter.texts(), QStringList{u"このファイルフォーマットには、現在対応していません。"_s});
    }

    void withoutFilesNothingIsOpened()
    {
        Run run(folder(), {});
        QVERIFY(run.start());
        QVERIFY(run.prompter.entries.isEmpty());
        QCOMPARE(run.form.state().textDocumentState, DocumentState::Untouched);
        QVERIFY(run.music->started.isEmpty());
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
