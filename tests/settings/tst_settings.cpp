// The settings store as the program uses it: first run, the values read
// back and applied to the window, bad values, the save and its failures.

#include "app/MyForm.h"
#include "art/PictureBox.h"
#include "platform/FileErrors.h"
#include "platform/SystemColors.h"
#include "settings/SettingsController.h"
#include "settings/SettingsStore.h"
#include "support/RecordingControllers.h"
#include "support/ScriptedPrompter.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <clocale>

using namespace Qt::StringLiterals;

namespace {

const QStringList kAllValues = {
    u"MurmelinListFolder"_s, u"OpenDirFolder"_s, u"SpeechRate"_s, u"SpeechVol"_s, u"MixerVolume"_s,
    u"OralName"_s, u"ReproductionMode"_s, u"LoopModeCount"_s, u"PicMode"_s, u"MusicPlayMode"_s,
    u"TextFontStyle"_s, u"TextFontSize"_s, u"TextFontName"_s, u"TextFontGdiChar"_s, u"PrintLeftMargin"_s,
    u"PrintRightMargin"_s, u"PrintTopMargin"_s, u"PrintBottomMargin"_s, u"PrintLandscape"_s,
    u"StudySpeed"_s, u"StudyLinePractice"_s, u"StudyPause"_s, u"StudyFollowWord"_s,
    u"StudyTapCompensation"_s, u"StudyLadder"_s,
    u"StudyExportFormat"_s, u"StudyExportRepetitions"_s, u"StudyExportPause"_s,
};

class FakeVersion : public SystemVersion
{
public:
    FakeVersion(OsVersionInfo reported, OsVersionInfo actual) : reported_(reported), actual_(actual) {}
    OsVersionInfo Reported() const override { return reported_; }
    bool VerifyVersionInfo(const OsVersionInfo& atLeast) const override { return VersionAtLeast(actual_, atLeast); }

private:
    OsVersionInfo reported_, actual_;
};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void touch(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

    // One run of the program in a temporary home: a real window whose
    // settings controller reads and writes the files under `home`.
    struct Run
    {
        QString home;
        ScriptedPrompter prompter;
        CallLog log;
        MyForm form{prompter};
        SettingsController* settings = nullptr;

        explicit Run(const QString& home) : home(home)
        {
            const Context& c = form.context();
            form.setLibrary(std::make_unique<RecordingLibrary>(log, c));
            form.setDocuments(std::make_unique<RecordingDocuments>(log, c));
            auto controller = std::make_unique<SettingsController>(c);
            controller->setSettingsFile(settingsFile());
            controller->setDocumentsFolder(home + u"/Documents"_s);
            controller->setSystemVersion(std::make_shared<FakeVersion>(OsVersionInfo{6, 2, 0}, OsVersionInfo{6, 3, 0}));
            settings = controller.get();
            form.setSettings(std::move(controller));
        }

        QString settingsFile() const { return home + u"/config/Kestrow Software/Murmelin.conf"_s; }
        QString work() const { return home + u"/Documents/Murmelin"_s; }
        State& state() { return form.state(); }
        Controls& ui() { return form.ui(); }

        void start() { form.MyForm_Load(); }
        void exit() { form.MyForm_FormClosed(); }
    };

    QTemporaryDir tmp;
    int runs = 0;

    QString freshHome() { return tmp.filePath(QString::number(++runs)); }

    static void writeSettings(const QString& file, const QList<QPair<QString, QString>>& values)
    {
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[General]\n");
        for (const auto& [name, value] : values)
            f.write((name + u'=' + value + u'\n').toUtf8());
    }

    static QVariant stored(const QString& file, const QString& name)
    {
        QSettings s(file, QSettings::NativeFormat);
        return s.value(name);
    }

private slots:
    void firstRunSetsDefaultsAndTheExitWritesEveryValue()
    {
        Run run(freshHome());
        run.start();
        const QString speech1 = run.work() + u"/Speech1"_s;
        QVERIFY(QFileInfo(speech1).isDir());
        QCOMPARE(run.state().murmelinFolder, run.work());
        QCOMPARE(run.state().listFolderPath, speech1);
        QCOMPARE(run.state().openDirFolder, speech1);
        QCOMPARE(run.state().textFolder, speech1);
        QCOMPARE(run.ui().listFolderLabel->text(), speech1);
        QCOMPARE(run.ui().textFolderLabel->text(), speech1);
        QCOMPARE(run.ui().lrcFolderLabel->text(), speech1);
        // The three lists fill from the default folder, in order.
        QCOMPARE(run.log.calls.filter(u"FileNameWriting"_s),
                 (QStringList{u"ListViewAllFileNameWriting(%1)"_s.arg(speech1),
                              u"ListViewTextFileNameWriting(%1)"_s.arg(speech1),
                              u"ListViewMusicFileNameWriting(%1)"_s.arg(speech1)}));
        // The editor font is only stored on a first run.
        QVERIFY(!run.log.calls.contains(u"TextFontSetting"_s));
        QCOMPARE(run.state().TextFontName, u"ＭＳ ゴシック"_s);
        QCOMPARE(run.state().TextFontSize, 11.25);
        QCOMPARE(run.ui().speechSpeedSlider->value(), 0);
        QCOMPARE(run.ui().speechVolumeSlider->value(), 100);
        QCOMPARE(run.ui().speechVolumeLabel->text(), u"100"_s);
        QCOMPARE(run.ui().masterVolumeSlider->value(), 80);
        QCOMPARE(run.ui().masterVolumeLabel->text(), u"80"_s);
        QCOMPARE(run.state().oralNameText, u"なし"_s);
        QCOMPARE(run.ui().loopCountButton->text(), u"1"_s);
        QCOMPARE(run.ui().readingModeButton->text(), u"一行"_s);
        QCOMPARE(run.state().PrintTopMargin, 250);
        // A first run reads with the built-in voices, service or not.
        QCOMPARE(run.state().OsMajor, std::int16_t(6));
        QCOMPARE(run.state().OsMinor, std::int16_t(1));
        // The favourites start as the template beside the program.
        const QByteArray favourites = readAll(run.work() + u"/お気に入り.txt"_s);
        QVERIFY(favourites.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(favourites, readAll(run.state().dir + u"/お気に入り.txt"_s));
        QVERIFY(run.prompter.entries.isEmpty());

        QVERIFY(!QFileInfo::exists(run.settingsFile()));
        run.exit();
        QSettings written(run.settingsFile(), QSettings::NativeFormat);
        QStringList keys = written.allKeys();
        keys.sort();
        QStringList expected = kAllValues;
        expected.sort();
        QCOMPARE(keys, expected);
        QCOMPARE(written.value(u"TextFontSize"_s).toString(), u"11.25"_s);
        QCOMPARE(written.value(u"MixerVolume"_s).toInt(), 80);
        QCOMPARE(written.value(u"OralName"_s).toString(), QString());   // no voice chosen yet
        QCOMPARE(written.value(u"MurmelinListFolder"_s).toString(), speech1);
    }

    // The favourites file of the working folder on a first run: the template
    // when there is none, else whatever the user keeps there, unannounced.
    void firstRunFavourites_data()
    {
        QTest::addColumn<QString>("existing");   // "", "file" or "link"
        QTest::newRow("none yet: the template") << QString();
        QTest::newRow("the user's own file") << u"file"_s;
        QTest::newRow("the user's link to a file gone") << u"link"_s;
    }

    void firstRunFavourites()
    {
        QFETCH(QString, existing);
        Run run(freshHome());
        const QString favourites = run.work() + u"/お気に入り.txt"_s;
        QDir().mkpath(run.work());
        if (existing == u"file"_s) {
            QFile f(favourites);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("mine");
        } else if (existing == u"link"_s) {
            QVERIFY(QFile::link(run.home + u"/gone.txt"_s, favourites));
        }
        run.start();
        QCOMPARE(run.prompter.texts(), QStringList());
        if (existing.isEmpty())
            QCOMPARE(readAll(favourites), readAll(run.state().dir + u"/お気に入り.txt"_s));
        else if (existing == u"file"_s)
            QCOMPARE(readAll(favourites), QByteArray("mine"));
        else
            QCOMPARE(QFileInfo(favourites).symLinkTarget(), run.home + u"/gone.txt"_s);
        QVERIFY(QFileInfo(run.work() + u"/Speech1"_s).isDir());
    }

    // A template that cannot be copied is named, with what was done and why.
    void firstRunTemplateNotCopied()
    {
        Run run(freshHome());
        const QString program = tmp.filePath(u"program"_s);
        QVERIFY(QDir().mkpath(program + u"/お気に入り.txt"_s));   // a folder where the template belongs
        run.settings->setProgramFile(program + u"/murmelin"_s);
        run.start();
        QCOMPARE(run.state().dir, program);
        QVERIFY(run.prompter.texts().contains(
            FileErrors::Message(FileErrors::Doing::Read, program + u"/お気に入り.txt"_s, EISDIR)));
        QVERIFY(!QFileInfo::exists(run.work() + u"/お気に入り.txt"_s));
    }

    // A first run that cannot make its folder still runs with the defaults,
    // stores nothing, and the next start is a first run that finishes.
    void firstRunWithoutItsFolderIsRepeated()
    {
        const QString home = freshHome();
        QDir().mkpath(home);
        touch(home + u"/Documents"_s);   // a file where the documents folder belongs
        {
            Run run(home);
            run.start();
            // The folder that could not be made, and why.
            QCOMPARE(run.prompter.texts(),
                     QStringList{FileErrors::Message(FileErrors::Doing::Create, run.work() + u"/Speech1"_s, ENOTDIR)});
            const State& s = run.state();
            QCOMPARE(s.SpeechVol, 100);
            QCOMPARE(run.ui().speechVolumeSlider->value(), 100);
            QCOMPARE(s.MixerVolume, 80);
            QCOMPARE(s.TextFontSize, 11.25);
            QCOMPARE(s.PrintLeftMargin, 200);
            QCOMPARE(s.PrintBottomMargin, 250);
            QCOMPARE(s.LoopModeCount, 1);
            run.exit();
            QCOMPARE(run.prompter.texts().size(), 1);
            QVERIFY(!QFileInfo::exists(run.settingsFile()));
        }
        QVERIFY(QFile::remove(home + u"/Documents"_s));
        Run next(home);
        next.start();
        QCOMPARE(next.prompter.texts(), QStringList());
        QVERIFY(QFileInfo(next.work() + u"/Speech1"_s).isDir());
        QVERIFY(QFileInfo(next.work() + u"/お気に入り.txt"_s).isFile());
        next.exit();
        QCOMPARE(stored(next.settingsFile(), u"SpeechVol"_s).toInt(), 100);
        QCOMPARE(stored(next.settingsFile(), u"PrintTopMargin"_s).toInt(), 250);
        QCOMPARE(stored(next.settingsFile(), u"TextFontSize"_s).toString(), u"11.25"_s);
    }

    void storedValuesAreReadAndApplied()
    {
        Run run(freshHome());
        const QString list = tmp.filePath(u"songs"_s);
        QDir().mkpath(list);
        writeSettings(run.settingsFile(), {
            {u"MurmelinListFolder"_s, list}, {u"OpenDirFolder"_s, u"/srv/texts"_s},
            {u"TextFontStyle"_s, u"3"_s}, {u"TextFontSize"_s, u"9.75"_s}, {u"TextFontName"_s, u"IPAGothic"_s},
            {u"SpeechRate"_s, u"-5"_s}, {u"SpeechVol"_s, u"35"_s}, {u"MixerVolume"_s, u"64"_s},
            {u"OralName"_s, u"Japanese"_s}, {u"ReproductionMode"_s, u"2"_s}, {u"LoopModeCount"_s, u"1000"_s},
            {u"PicMode"_s, u"3"_s}, {u"MusicPlayMode"_s, u"3"_s}, {u"PrintLeftMargin"_s, u"150"_s},
            {u"PrintLandscape"_s, u"1"_s},
        });
        run.start();
        const State& s = run.state();
        QCOMPARE(s.listFolderPath, list);
        QCOMPARE(run.ui().listFolderLabel->text(), list);
        QCOMPARE(run.log.calls.filter(u"FileNameWriting"_s).size(), 3);
        QCOMPARE(s.openDirFolder, u"/srv/texts"_s);
        QCOMPARE(s.lrcTextFolder, u"/srv/texts"_s);
        QCOMPARE(run.ui().lrcFolderLabel->text(), u"/srv/texts"_s);
        QCOMPARE(s.TextFontStyle, 3);
        QCOMPARE(s.TextFontSize, 9.75);
        QCOMPARE(s.TextFontName, u"IPAGothic"_s);
        QVERIFY(run.log.calls.contains(u"TextFontSetting"_s));
        QCOMPARE(run.ui().speechSpeedSlider->value(), -5);
        QCOMPARE(run.ui().speechSpeedLabel->text(), u"-5"_s);
        QCOMPARE(run.ui().speechVolumeSlider->value(), 35);
        QCOMPARE(run.ui().masterVolumeSlider->value(), 64);
        QCOMPARE(run.ui().masterVolumeLabel->text(), u"64"_s);
        QCOMPARE(s.oralNameText, u"Japanese"_s);
        QCOMPARE(s.OralName, QByteArray("Japanese"));
        // A voice of the desktop service keeps the service in use.
        QCOMPARE(s.OsMinor, std::int16_t(3));
        QCOMPARE(s.readingMode, ReadingMode::All);
        QCOMPARE(s.LoopModeCount, 1000);
        QCOMPARE(run.ui().loopCountButton->text(), u"∞"_s);
        QCOMPARE(run.ui().artFitBox->currentIndex(), 3);
        QCOMPARE(run.ui().artPicture->sizeMode(), PictureBox::Zoom);
        QCOMPARE(s.playMode, PlayMode::InOrderLoop);
        QCOMPARE(SystemColors::BackColor(run.ui().inOrderLoopButton), SystemColors::ActiveCaption());
        QCOMPARE(SystemColors::BackColor(run.ui().inOrderButton), SystemColors::ControlLight());
        QCOMPARE(s.PrintLeftMargin, 150);
        QCOMPARE(s.PrintRightMargin, 200);
        QCOMPARE(s.PrintLandscape, Switch::On);
        QVERIFY(run.prompter.entries.isEmpty());

        run.exit();
        QCOMPARE(stored(run.settingsFile(), u"LoopModeCount"_s).toInt(), 1000);
        QCOMPARE(stored(run.settingsFile(), u"TextFontSize"_s).toString(), u"9.75"_s);
        QCOMPARE(stored(run.settingsFile(), u"SpeechRate"_s).toInt(), -5);
        QCOMPARE(stored(run.settingsFile(), u"OralName"_s).toString(), u"Japanese"_s);
    }

    void badValuesFallBackToTheirDefaults_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("speech rate not a number") << u"SpeechRate"_s << u"fast"_s;
        QTest::newRow("speech rate too high") << u"SpeechRate"_s << u"6"_s;
        QTest::newRow("volume above 100") << u"SpeechVol"_s << u"150"_s;
        QTest::newRow("mixer below 0") << u"MixerVolume"_s << u"-1"_s;
        QTest::newRow("mixer a list") << u"MixerVolume"_s << u"1, 2"_s;
        QTest::newRow("picture mode 9") << u"PicMode"_s << u"9"_s;
        QTest::newRow("reading mode 3") << u"ReproductionMode"_s << u"3"_s;
        QTest::newRow("loop count 0") << u"LoopModeCount"_s << u"0"_s;
        QTest::newRow("font size text") << u"TextFontSize"_s << u"large"_s;
        QTest::newRow("font size negative") << u"TextFontSize"_s << u"-3"_s;
        QTest::newRow("font size zero") << u"TextFontSize"_s << u"0"_s;
        QTest::newRow("font size 0.0001") << u"TextFontSize"_s << u"0.0001"_s;
        QTest::newRow("font size 0.99") << u"TextFontSize"_s << u"0.99"_s;
        QTest::newRow("font name too long") << u"TextFontName"_s << QString(200, u'a');
        QTest::newRow("voice a list") << u"OralName"_s << u"a, b"_s;
        QTest::newRow("margin negative") << u"PrintTopMargin"_s << u"-10"_s;
        QTest::newRow("landscape 2") << u"PrintLandscape"_s << u"2"_s;
        QTest::newRow("number too big") << u"SpeechVol"_s << u"99999999999"_s;
        QTest::newRow("folder too long") << u"MurmelinListFolder"_s << (u"/"_s + QString(600, u'x'));
        QTest::newRow("speed 40 %") << u"StudySpeed"_s << u"40"_s;
        QTest::newRow("speed 200 %") << u"StudySpeed"_s << u"200"_s;
        QTest::newRow("pause 75 %") << u"StudyPause"_s << u"75"_s;
        QTest::newRow("practice 3") << u"StudyLinePractice"_s << u"3"_s;
        QTest::newRow("follow word 2") << u"StudyFollowWord"_s << u"2"_s;
        QTest::newRow("export format 2") << u"StudyExportFormat"_s << u"2"_s;
        QTest::newRow("export pause -1") << u"StudyExportPause"_s << u"-1"_s;
    }

    void badValuesFallBackToTheirDefaults()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        Run run(freshHome());
        writeSettings(run.settingsFile(), {{name, text}});
        run.start();
        const State& s = run.state();
        QCOMPARE(s.SpeechRate, 0);
        QCOMPARE(s.SpeechVol, 100);
        QCOMPARE(run.ui().speechVolumeSlider->value(), 100);
        QCOMPARE(s.MixerVolume, 80);
        QCOMPARE(run.ui().masterVolumeSlider->value(), 80);
        // The sliders and their numbers show the values that hold.
        const Controls& ui = run.ui();
        QCOMPARE(ui.speechSpeedSlider->value(), s.SpeechRate);
        QCOMPARE(ui.speechSpeedLabel->text(), QString::number(s.SpeechRate));
        QCOMPARE(ui.speechVolumeSlider->value(), s.SpeechVol);
        QCOMPARE(ui.speechVolumeLabel->text(), QString::number(s.SpeechVol));
        QCOMPARE(ui.masterVolumeSlider->value(), s.MixerVolume);
        QCOMPARE(ui.masterVolumeLabel->text(), QString::number(s.MixerVolume));
        QCOMPARE(s.pictureFit, PictureFit::Center);
        QCOMPARE(run.ui().artFitBox->currentIndex(), 0);
        QCOMPARE(s.readingMode, ReadingMode::OneLine);
        QCOMPARE(s.LoopModeCount, 1);
        QCOMPARE(s.TextFontSize, 11.25);
        QCOMPARE(s.TextFontName, u"ＭＳ ゴシック"_s);
        QCOMPARE(s.oralNameText, u"なし"_s);
        QCOMPARE(s.PrintTopMargin, 250);
        QCOMPARE(s.PrintLandscape, Switch::Off);
        QCOMPARE(s.listFolderPath, run.work() + u"/Speech1"_s);
        QCOMPARE(s.StudySpeedPercent, 100);
        QCOMPARE(s.StudyPausePercent, 0);
        QCOMPARE(s.StudyLinePractice, Switch::Off);
        QCOMPARE(s.StudyFollowWord, Switch::On);
        QCOMPARE(s.StudyExportFormat, ExportFormat::Mp3);
        QCOMPARE(s.StudyExportPause, Switch::On);
    }

    void studyValuesRoundTrip_data()
    {
        QTest::addColumn<QString>("speed");
        QTest::addColumn<int>("speedRead");
        QTest::addColumn<QString>("pause");
        QTest::addColumn<int>("pauseRead");
        QTest::newRow("slowest, long pause") << u"50"_s << 50 << u"150"_s << 150;
        QTest::newRow("between steps") << u"73"_s << 70 << u"50"_s << 50;
        QTest::newRow("fastest, no pause") << u"150"_s << 150 << u"0"_s << 0;
    }

    void studyValuesRoundTrip()
    {
        QFETCH(QString, speed);
        QFETCH(int, speedRead);
        QFETCH(QString, pause);
        QFETCH(int, pauseRead);
        const QString home = freshHome();
        {
            Run run(home);
            writeSettings(run.settingsFile(), {{u"StudySpeed"_s, speed}, {u"StudyPause"_s, pause},
                                               {u"StudyLinePractice"_s, u"1"_s}, {u"StudyFollowWord"_s, u"0"_s}});
            run.start();
            QCOMPARE(run.state().StudySpeedPercent, speedRead);
            QCOMPARE(run.state().StudyPausePercent, pauseRead);
            QCOMPARE(run.state().StudyLinePractice, Switch::On);
            QCOMPARE(run.state().StudyFollowWord, Switch::Off);
            // The study menu shows the values read.
            QCOMPARE(run.ui().menuPauseNone->isChecked(), pauseRead == 0);
            QCOMPARE(run.ui().menuPauseHalf->isChecked(), pauseRead == 50);
            QCOMPARE(run.ui().menuPauseOneHalf->isChecked(), pauseRead == 150);
            QVERIFY(!run.ui().menuFollowWord->isChecked());
            run.exit();
        }
        Run again(home);
        again.start();
        QCOMPARE(again.state().StudySpeedPercent, speedRead);
        QCOMPARE(again.state().StudyPausePercent, pauseRead);
        QCOMPARE(again.state().StudyLinePractice, Switch::On);
        QCOMPARE(again.state().StudyFollowWord, Switch::Off);
    }

    void numbersWrittenUnsignedReadBackSigned()
    {
        Run run(freshHome());
        writeSettings(run.settingsFile(), {{u"SpeechRate"_s, u"4294967291"_s}});
        run.start();
        QCOMPARE(run.state().SpeechRate, -5);
    }

    void unknownPlayModeReadsAsNone()
    {
        Run run(freshHome());
        writeSettings(run.settingsFile(), {{u"MusicPlayMode"_s, u"7"_s}});
        run.start();
        QCOMPARE(run.state().playMode, PlayMode::None);
        for (QPushButton* b : {run.ui().repeatOneButton, run.ui().inOrderButton, run.ui().inOrderLoopButton, run.ui().randomPlayButton})
            QCOMPARE(SystemColors::BackColor(b), SystemColors::ControlLight());
        run.exit();
        QCOMPARE(stored(run.settingsFile(), u"MusicPlayMode"_s).toInt(), 0);
    }

    void fontSizeTextIsLocaleIndependent()
    {
        QCOMPARE(SettingsStore::FormatFontSize(11.25), u"11.25"_s);
        QCOMPARE(SettingsStore::FormatFontSize(9.75), u"9.75"_s);
        QCOMPARE(SettingsStore::FormatFontSize(12.0), u"12"_s);
        QCOMPARE(SettingsStore::FormatFontSize(0.1 + 0.2), u"0.3"_s);
        QCOMPARE(SettingsStore::ParseLeadingNumber(u"11.25pt"_s), 11.25);
        QCOMPARE(SettingsStore::ParseLeadingNumber(u"  9.75"_s), 9.75);
        QCOMPARE(SettingsStore::ParseLeadingNumber(u"abc"_s), 0.0);
        QCOMPARE(SettingsStore::ParseLeadingNumber(u"11,25"_s), 11.0);
    }

    // Read and written the same under locales that write a decimal comma.
    void fontSizeUnderOtherLocales_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QByteArray>("posix");
        QTest::newRow("German") << int(QLocale::German) << QByteArray("de_DE.UTF-8");
        QTest::newRow("French") << int(QLocale::French) << QByteArray("fr_FR.UTF-8");
    }

    void fontSizeUnderOtherLocales()
    {
        QFETCH(int, language);
        QFETCH(QByteArray, posix);
        if (!std::setlocale(LC_ALL, posix.constData())) {
            // The set-up script generates these; on CI their absence is a fault.
            if (qEnvironmentVariable("CI") == u"true"_s)
                QFAIL(qPrintable(u"locale %1 is not installed"_s.arg(QString::fromLatin1(posix))));
            QSKIP("locale not installed here");
        }
        const QByteArray point = std::localeconv()->decimal_point;
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::Language(language)));
        {
            Run run(freshHome());
            writeSettings(run.settingsFile(), {{u"TextFontSize"_s, u"11.25"_s}});
            run.start();
            const double size = run.state().TextFontSize;
            run.state().TextFontSize = 9.75;
            run.exit();
            std::setlocale(LC_ALL, "C");
            QLocale::setDefault(before);
            QCOMPARE(point, QByteArray(","));   // the case means something only then
            QCOMPARE(size, 11.25);
            QCOMPARE(stored(run.settingsFile(), u"TextFontSize"_s).toString(), u"9.75"_s);
        }
    }

    void fontSizeBounds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("points");
        QTest::newRow("one point") << u"1"_s << 1.0;
        QTest::newRow("just below one") << u"0.999"_s << 11.25;
        QTest::newRow("a ten-thousandth") << u"0.0001"_s << 11.25;
        QTest::newRow("tiny exponent") << u"1e-300"_s << 11.25;
        QTest::newRow("1000") << u"1000"_s << 1000.0;
        QTest::newRow("above 1000") << u"1000.5"_s << 11.25;
        QTest::newRow("not a number") << u"nan"_s << 11.25;
    }

    void fontSizeBounds()
    {
        QFETCH(QString, text);
        QFETCH(double, points);
        const QString file = tmp.filePath(u"bounds-%1.conf"_s.arg(++runs));
        writeSettings(file, {{u"TextFontSize"_s, text}});
        QCOMPARE(SettingsStore(file).ReadFontSize(u"TextFontSize"_s, 11.25), points);
    }

    void deletedWorkingFolderIsMadeAgain()
    {
        Run run(freshHome());
        const QString list = tmp.filePath(u"elsewhere"_s);
        QDir().mkpath(list);
        writeSettings(run.settingsFile(), {{u"MurmelinListFolder"_s, list}});
        QVERIFY(!QFileInfo::exists(run.work()));
        run.start();
        QVERIFY(QFileInfo(run.work() + u"/Speech1"_s).isDir());
        QCOMPARE(run.state().listFolderPath, list);
        QCOMPARE(run.ui().listFolderLabel->text(), list);
    }

    void exitRemovesTheTemporaryFiles()
    {
        Run run(freshHome());
        run.start();
        touch(run.work() + u"/Mp3ArtTemp.jpg"_s);
        touch(run.work() + u"/keep.mp3"_s);
        run.exit();
        QVERIFY(!QFileInfo::exists(run.work() + u"/Mp3ArtTemp.jpg"_s));
        QVERIFY(QFileInfo::exists(run.work() + u"/keep.mp3"_s));
        QVERIFY(run.prompter.entries.isEmpty());

        Run second(run.home);
        second.start();
        for (const QString& name : {u"temp0.mp3"_s, u"temp1.mp3"_s, u"Mp3ArtTemp.jpg"_s})
            touch(second.work() + u'/' + name);
        second.exit();
        for (const QString& name : {u"temp0.mp3"_s, u"temp1.mp3"_s, u"Mp3ArtTemp.jpg"_s})
            QVERIFY2(!QFileInfo::exists(second.work() + u'/' + name), qPrintable(name));
    }

    // A file with one bad line is still read; the save rewrites it whole and
    // is judged by its own success, so the exit says nothing and cleans up.
    void aBadLineDoesNotFailTheSave_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("stray [") << QByteArray("[");
        QTest::newRow("unclosed section") << QByteArray("[General");
        QTest::newRow("stray ]") << QByteArray("]");
        QTest::newRow("no equals sign") << QByteArray("junk");
        QTest::newRow("lone quote") << QByteArray("\"");
    }

    void aBadLineDoesNotFailTheSave()
    {
        QFETCH(QByteArray, line);
        Run run(freshHome());
        writeSettings(run.settingsFile(), {{u"SpeechVol"_s, u"35"_s}, {u"MixerVolume"_s, u"64"_s}});
        {
            QFile f(run.settingsFile());
            QVERIFY(f.open(QIODevice::Append));
            f.write(line + "\nPicMode=2\n");   // a line must follow to upset the reader
        }
        {
            QSettings before(run.settingsFile(), QSettings::NativeFormat);
            before.allKeys();   // some faults show only once the values are parsed
            QCOMPARE(before.status(), QSettings::FormatError);
        }
        run.start();
        QCOMPARE(run.state().SpeechVol, 35);
        QCOMPARE(run.state().MixerVolume, 64);
        touch(run.work() + u"/temp0.mp3"_s);
        touch(run.work() + u"/Mp3ArtTemp.jpg"_s);
        run.state().SpeechVol = 36;
        // Saved unchanged by an editor meanwhile, so the exit reads it afresh.
        {
            QFile f(run.settingsFile());
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        }
        run.exit();
        QCOMPARE(run.prompter.texts(), QStringList());
        QVERIFY(!QFileInfo::exists(run.work() + u"/temp0.mp3"_s));
        QVERIFY(!QFileInfo::exists(run.work() + u"/Mp3ArtTemp.jpg"_s));
        QVERIFY(!readAll(run.settingsFile()).contains("\n" + line + "\n"));
        QSettings written(run.settingsFile(), QSettings::NativeFormat);
        QCOMPARE(written.value(u"SpeechVol"_s).toInt(), 36);
        QCOMPARE(written.status(), QSettings::NoError);
        QCOMPARE(written.value(u"MixerVolume"_s).toInt(), 64);
        // Nothing is left beside the settings file.
        QCOMPARE(QDir(QFileInfo(run.settingsFile()).absolutePath()).entryList(QDir::Files),
                 QStringList{u"Murmelin.conf"_s});
    }

    void unwritableSettingsAreReportedAndNothingIsRemoved()
    {
        // The settings folder cannot be made: a file stands where it belongs.
        {
            Run run(freshHome());
            run.start();
            QDir().mkpath(run.home + u"/config"_s);
            touch(run.home + u"/config/Kestrow Software"_s);
            touch(run.work() + u"/temp0.mp3"_s);
            run.exit();
            QCOMPARE(run.prompter.texts(), QStringList{u"レジストリ キーのオープンに失敗しました。"_s});
            QVERIFY(QFileInfo::exists(run.work() + u"/temp0.mp3"_s));
        }
        // The file itself cannot be written: a folder stands in its place.
        {
            Run run(freshHome());
            run.start();
            QDir().mkpath(run.settingsFile());
            touch(run.work() + u"/Mp3ArtTemp.jpg"_s);
            run.exit();
            QCOMPARE(run.prompter.texts(), QStringList{u"レジストリ キーの作成に失敗しました。"_s});
            QVERIFY(QFileInfo::exists(run.work() + u"/Mp3ArtTemp.jpg"_s));
        }
    }

    void programFolderFindsTheDataFiles()
    {
        ScriptedPrompter prompter;
        MyForm form(prompter);
        // The tests run from the build tree, where the data files sit beside them.
        QVERIFY(form.settings().ProgramFolderSetting());
        QCOMPARE(form.state().dir, QCoreApplication::applicationDirPath());
        QVERIFY(QFileInfo::exists(form.state().dir + u"/inipic.jpg"_s));
        // Installed, the executable's folder has no data: the share folder does.
        QCOMPARE(SettingsController::DataFolder(tmp.path()), QStringLiteral(MURMELIN_DATA_INSTALL_DIR));
        // An installed tree put anywhere (an unpacked package): the share
        // folder seen from its bin folder, not the configured prefix.
        const QString root = tmp.path() + u"/unpacked/usr"_s;
        QVERIFY(QDir().mkpath(root + u"/bin"_s));
        const QString share = QDir::cleanPath(root + u"/bin/"_s + QStringLiteral(MURMELIN_DATA_RELATIVE_DIR));
        QVERIFY(QDir().mkpath(share));
        QVERIFY(QFile::copy(form.state().dir + u"/お気に入り.txt"_s, share + u"/お気に入り.txt"_s));
        QCOMPARE(SettingsController::DataFolder(root + u"/bin"_s), share);
        QVERIFY(share.endsWith(u"/share/murmelin"_s));
        form.settings().setProgramFile(QString(u""_s));
        QVERIFY(!form.settings().ProgramFolderSetting());
    }

    void changesOfOneRunAreThereInTheNext()
    {
        const QString home = freshHome();
        {
            Run run(home);
            form_show(run);
            // The user moves the sliders, picks a play mode and a picture mode.
            Controls& c = run.ui();
            run.state().rateSliderShown = Switch::Off;
            QTest::mouseClick(c.speechSpeedButton, Qt::LeftButton);
            QVERIFY(c.speechSpeedSlider->isVisible());
            c.speechSpeedSlider->setSliderPosition(3);
            c.speechSpeedSlider->triggerAction(QAbstractSlider::SliderMove);
            QCOMPARE(c.speechSpeedLabel->text(), u"3"_s);
            QTest::mouseClick(c.speechVolumeButton, Qt::LeftButton);
            c.speechVolumeSlider->setSliderPosition(40);
            c.speechVolumeSlider->triggerAction(QAbstractSlider::SliderMove);
            QTest::mouseClick(c.randomPlayButton, Qt::LeftButton);
            QCOMPARE(SystemColors::BackColor(c.randomPlayButton), SystemColors::ActiveCaption());
            c.artFitBox->setCurrentIndex(2);
            QCOMPARE(c.artPicture->sizeMode(), PictureBox::StretchImage);
            QVERIFY(run.form.close());
        }
        {
            Run run(home);
            form_show(run);
            // No voice was chosen: the built-in voices read again, though the
            // desktop service is there.
            QCOMPARE(run.state().OsMinor, std::int16_t(1));
            QVERIFY(!run.form.speech().synthesizer());
            QCOMPARE(run.state().SpeechRate, 3);
            QCOMPARE(run.ui().speechSpeedSlider->value(), 3);
            QCOMPARE(run.state().SpeechVol, 40);
            QCOMPARE(run.ui().speechVolumeLabel->text(), u"40"_s);
            QCOMPARE(run.state().playMode, PlayMode::Random);
            QCOMPARE(SystemColors::BackColor(run.ui().randomPlayButton), SystemColors::ActiveCaption());
            QCOMPARE(run.ui().artFitBox->currentIndex(), 2);
            QCOMPARE(run.ui().artPicture->sizeMode(), PictureBox::StretchImage);
            // Pressing the active mode again turns it off, and that is kept too.
            QTest::mouseClick(run.ui().randomPlayButton, Qt::LeftButton);
            QCOMPARE(run.state().playMode, PlayMode::None);
            QVERIFY(run.form.close());
        }
        QCOMPARE(stored(Run(home).settingsFile(), u"MusicPlayMode"_s).toInt(), 0);
    }

private:
    static void form_show(Run& run)
    {
        run.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&run.form));
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
