#include "settings/SettingsController.h"

#include "art/ArtController.h"
#include "documents/DocumentController.h"
#include "documents/DocumentFile.h"
#include "library/LibraryController.h"
#include "music/MusicController.h"
#include "platform/BuiltInVoice.h"
#include "platform/FileErrors.h"
#include "printing/PrintController.h"
#include "settings/SettingsStore.h"
#include "study/StudyLadder.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStandardPaths>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {
constexpr int kPathCapacity = 511;       // folder paths, without the terminator
constexpr int kFontNameCapacity = 127;
constexpr int kOralNameCapacity = 511;   // bytes
const QString kFavourites = u"お気に入り.txt"_s;
const QString kDefaultFont = u"ＭＳ ゴシック"_s;
constexpr double kDefaultFontSize = 11.25;
} // namespace

SettingsController::SettingsController(const Context& context)
    : Controller(context)
{
}

SettingsController::~SettingsController() = default;

bool SettingsController::IsWindowsVersionOrGreater(std::uint16_t major, std::uint16_t minor,
                                                   std::uint16_t servicePackMajor) const
{
    return version_ && version_->VerifyVersionInfo({major, minor, servicePackMajor});
}

void SettingsController::SystemVersionProbe()
{
    if (!version_)
        version_ = std::make_shared<LinuxSystemVersion>();
    const OsVersionInfo reported = version_->Reported();
    state.OsMajor = std::int16_t(reported.major);
    state.OsMinor = std::int16_t(reported.minor);
    if (state.OsMajor == 6 && state.OsMinor == 2) {
        if (IsWindowsVersionOrGreater(6, 3, 0))
            state.OsMinor = 3;
    } else if (IsWindowsVersionOrGreater(10, 0, 0)) {
        state.OsMajor = 6;
        state.OsMinor = 3;
    }
}

void SettingsController::SpeechEngineForVoice()
{
    // The desktop service speaks only for a voice of its own that the user
    // chose; the built-in voices (the default) need no service.
    const bool service = state.OsMajor == 6 && (state.OsMinor == 2 || state.OsMinor == 3);
    if (service && BuiltInVoice::IsBuiltInName(state.oralNameText))
        state.OsMinor = 1;
}

QString SettingsController::DataFolder(const QString& executableFolder)
{
    if (QFileInfo::exists(executableFolder + u'/' + kFavourites))
        return executableFolder;
    // Installed: the share folder beside the executable's bin folder, wherever
    // the tree was put; the configured prefix only when that is not there.
    const QString beside = QDir::cleanPath(executableFolder + u'/' + QStringLiteral(MURMELIN_DATA_RELATIVE_DIR));
    if (QFileInfo::exists(beside + u'/' + kFavourites))
        return beside;
    return QStringLiteral(MURMELIN_DATA_INSTALL_DIR);
}

bool SettingsController::ProgramFolderSetting()
{
    const QString program = programFile_.isNull() ? QCoreApplication::applicationFilePath() : programFile_;
    if (program.isEmpty() || program.size() > kPathCapacity)
        return false;
    state.dir = DataFolder(QFileInfo(program).absolutePath());
    return true;
}

QString SettingsController::SettingsFile() const
{
    return settingsFile_.isNull() ? SettingsStore::DefaultFilePath() : settingsFile_;
}

QString SettingsController::DocumentsFolder() const
{
    if (!documentsFolder_.isNull())
        return documentsFolder_;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void SettingsController::FillLists(const QString& folder)
{
    peers.library->ListViewAllFileNameWriting(folder);
    peers.library->ListViewTextFileNameWriting(folder);
    peers.library->ListViewMusicFileNameWriting(folder);
}

void SettingsController::ShowSliders()
{
    ui.speechSpeedSlider->setValue(state.SpeechRate);
    ui.speechSpeedLabel->setText(QString::number(state.SpeechRate));
    ui.speechVolumeSlider->setValue(state.SpeechVol);
    ui.speechVolumeLabel->setText(QString::number(state.SpeechVol));
    ui.masterVolumeSlider->setValue(state.MixerVolume);
    ui.masterVolumeLabel->setText(QString::number(state.MixerVolume));
}

void SettingsController::ShowLoopCount()
{
    switch (state.LoopModeCount) {
    case 1:
    case 2:
    case 4:
        ui.loopCountButton->setText(QString::number(state.LoopModeCount));
        break;
    default:
        ui.loopCountButton->setText(u"∞"_s);
        break;
    }
}

void SettingsController::ShowPictureMode()
{
    {
        const QSignalBlocker quiet(ui.artFitBox);
        ui.artFitBox->setCurrentIndex(state.pictureFit);
    }
    peers.art->ArtFitChanged();
}

void SettingsController::iniRead()
{
    SettingsStore store(SettingsFile());
    if (!store.Exists()) {
        iniDefine();
        return;
    }

    state.murmelinFolder = DocumentsFolder() + u"/Murmelin"_s;
    const QString defaultList = state.murmelinFolder + u"/Speech1"_s;
    if (!QFileInfo::exists(state.murmelinFolder))
        QDir().mkpath(defaultList);

    state.listFolderPath = store.ReadString(u"MurmelinListFolder"_s, defaultList, kPathCapacity);
    ui.listFolderLabel->setText(state.listFolderPath);
    FillLists(state.listFolderPath);

    state.openDirFolder = store.ReadString(u"OpenDirFolder"_s, defaultList, kPathCapacity);
    state.textFolder = state.openDirFolder;
    state.lrcTextFolder = state.openDirFolder;
    ui.textFolderLabel->setText(state.openDirFolder);
    ui.lrcFolderLabel->setText(state.openDirFolder);

    state.TextFontStyle = store.ReadDword(u"TextFontStyle"_s, 0, 0, 15);
    state.TextFontSize = store.ReadFontSize(u"TextFontSize"_s, kDefaultFontSize);
    state.TextFontName = store.ReadString(u"TextFontName"_s, kDefaultFont, kFontNameCapacity);
    if (state.TextFontName.trimmed().isEmpty())
        state.TextFontName = kDefaultFont;
    state.TextFontCharset = store.ReadDword(u"TextFontGdiChar"_s, 0, 0, 255);
    peers.documents->TextFontSetting();

    state.SpeechRate = store.ReadDword(u"SpeechRate"_s, 0, -5, 5);
    state.SpeechVol = store.ReadDword(u"SpeechVol"_s, 100, 0, 100);
    state.MixerVolume = store.ReadDword(u"MixerVolume"_s, 80, 0, 100);
    ShowSliders();
    peers.music->mixerSetControl();

    state.oralNameText = store.ReadString(u"OralName"_s, u"なし"_s, kOralNameCapacity);
    // Until a voice is chosen the name is stored empty: still the built-in
    // voices' default, not a voice of the desktop service.
    if (state.oralNameText.isEmpty())
        state.oralNameText = u"なし"_s;
    state.OralName = state.oralNameText.toLocal8Bit().left(kOralNameCapacity);
    SpeechEngineForVoice();

    state.SpeechRate = store.ReadDword(u"SpeechRate"_s, 0, -5, 5);
    state.readingMode = store.ReadDword(u"ReproductionMode"_s, ReadingMode::OneLine, ReadingMode::OneLine, ReadingMode::All);
    // Any count but 1, 2 and 4 repeats without end ("∞"); a count below one
    // would never read at all.
    state.LoopModeCount = store.ReadDword(u"LoopModeCount"_s, 1, 1, INT32_MAX);
    ShowLoopCount();

    state.pictureFit = store.ReadDword(u"PicMode"_s, PictureFit::Center, PictureFit::Center, PictureFit::Zoom);
    ShowPictureMode();

    // Only the four modes light a button; anything else means none.
    state.playMode = store.ReadDword(u"MusicPlayMode"_s, PlayMode::None, INT32_MIN, INT32_MAX);
    if (state.playMode < PlayMode::RepeatOne || state.playMode > PlayMode::Random)
        state.playMode = PlayMode::None;
    peers.music->ShowPlayMode();

    // Margins in tenths of a millimetre, up to a metre.
    state.PrintLeftMargin = store.ReadDword(u"PrintLeftMargin"_s, 200, 0, 10000);
    state.PrintRightMargin = store.ReadDword(u"PrintRightMargin"_s, 200, 0, 10000);
    state.PrintTopMargin = store.ReadDword(u"PrintTopMargin"_s, 250, 0, 10000);
    state.PrintBottomMargin = store.ReadDword(u"PrintBottomMargin"_s, 250, 0, 10000);
    state.PrintLandscape = store.ReadDword(u"PrintLandscape"_s, 0, 0, 1);
    peers.printing->PrintIni();

    ReadStudyValues(store);
}

void SettingsController::ReadStudyValues(SettingsStore& store)
{
    // Speeds between the 5 % steps go to the step below.
    const int speed = store.ReadDword(u"StudySpeed"_s, 100, 50, 150);
    state.StudySpeedPercent = speed - speed % 5;
    state.StudyLinePractice = store.ReadDword(u"StudyLinePractice"_s, 0, 0, 1);
    const int pause = store.ReadDword(u"StudyPause"_s, 0, 0, 150);
    state.StudyPausePercent = pause == 50 || pause == 100 || pause == 150 ? pause : 0;
    state.StudyFollowWord = store.ReadDword(u"StudyFollowWord"_s, 1, 0, 1);

    // Timing by tapping and the repetition ladder.
    const int compensation = store.ReadDword(u"StudyTapCompensation"_s, 150, 0, 1000);
    state.StudyTapCompensationMs = compensation - compensation % 10;
    state.StudyLadderPreset = store.ReadDword(u"StudyLadder"_s, 0, 0, 3);
    // Writing to a sound file.
    state.StudyExportFormat = store.ReadDword(u"StudyExportFormat"_s, 1, 0, 1);
    state.StudyExportRepetitions = store.ReadDword(u"StudyExportRepetitions"_s, 1, 0, 1);
    state.StudyExportPause = store.ReadDword(u"StudyExportPause"_s, 1, 0, 1);
}

void SettingsController::iniDefine()
{
    state.murmelinFolder = DocumentsFolder() + u"/Murmelin"_s;
    const QString defaultList = state.murmelinFolder + u"/Speech1"_s;
    state.listFolderPath = defaultList;
    state.openDirFolder = defaultList;
    state.textFolder = defaultList;
    state.lrcTextFolder = defaultList;

    // Without its folder the first run is not finished: the values below are
    // still set, so this run works with them, but nothing is stored at exit
    // and the next start is a first run again.
    errno = 0;
    firstRunUnfinished_ = !QDir().mkpath(defaultList);
    if (firstRunUnfinished_) {
        const int error = errno;
        prompter.MessageInfoBox(FileErrors::Message(FileErrors::Doing::Create, defaultList, error ? error : EIO));
    } else {
        ui.listFolderLabel->setText(defaultList);
        FillLists(defaultList);
        ui.textFolderLabel->setText(defaultList);
        ui.lrcFolderLabel->setText(defaultList);
    }

    state.TextFontStyle = 0;
    state.TextFontSize = kDefaultFontSize;
    state.TextFontCharset = 0;
    state.TextFontName = kDefaultFont;

    state.SpeechRate = 0;
    state.SpeechVol = 100;
    state.MixerVolume = 80;
    ShowSliders();

    state.pictureFit = PictureFit::Center;
    ShowPictureMode();

    state.oralNameText = u"なし"_s;
    state.OralSelectionNumber = 0;
    SpeechEngineForVoice();
    state.SpeechRate = 0;
    state.readingMode = ReadingMode::OneLine;
    ui.readingModeButton->setText(u"一行"_s);
    state.LoopModeCount = 1;
    ui.loopCountButton->setText(u"1"_s);
    state.playMode = PlayMode::None;

    state.PrintLeftMargin = 200;
    state.PrintRightMargin = 200;
    state.PrintTopMargin = 250;
    state.PrintBottomMargin = 250;
    state.PrintLandscape = Switch::Off;
    peers.printing->PrintIni();

    state.StudySpeedPercent = 100;
    state.StudyLinePractice = Switch::Off;
    state.StudyPausePercent = 0;
    state.StudyFollowWord = Switch::On;
    // Timing by tapping and the repetition ladder.
    state.StudyTapCompensationMs = 150;
    state.StudyLadderPreset = std::int32_t(StudyLadder::Preset::None);
    state.StudyExportFormat = ExportFormat::Mp3;
    state.StudyExportRepetitions = Switch::On;
    state.StudyExportPause = Switch::On;

    if (firstRunUnfinished_)
        return;
    // The favourites start from the template beside the program. A list
    // already in the working folder is the user's own: it stays, unannounced.
    const QString destination = state.murmelinFolder + u'/' + kFavourites;
    const QFileInfo existing(destination);
    if (existing.exists() || existing.isSymLink())
        return;
    // Read whole and written through a checked save, so a full disk leaves
    // no cut copy behind.
    const QString source = state.dir + u'/' + kFavourites;
    const DocumentFile::ReadResult read = DocumentFile::ReadWhole(source);
    const QString error = read.ok ? DocumentFile::WriteWhole(destination, read.bytes, {}) : read.error;
    if (!error.isEmpty())
        prompter.MessageInfoBox(error);
}

void SettingsController::iniWrite()
{
    if (firstRunUnfinished_) {
        RemoveTemporaryFiles();
        return;
    }
    SettingsStore store(SettingsFile());
    const QList<QPair<QString, QVariant>> values = {
        {u"MurmelinListFolder"_s, state.listFolderPath},
        {u"OpenDirFolder"_s, state.openDirFolder},
        {u"SpeechRate"_s, state.SpeechRate},
        {u"SpeechVol"_s, state.SpeechVol},
        {u"MixerVolume"_s, state.MixerVolume},
        {u"OralName"_s, QString::fromLocal8Bit(state.OralName)},
        {u"SpeechRate"_s, state.SpeechRate},
        {u"ReproductionMode"_s, state.readingMode},
        {u"LoopModeCount"_s, state.LoopModeCount},
        {u"PicMode"_s, state.pictureFit},
        {u"MusicPlayMode"_s, state.playMode},
        {u"TextFontStyle"_s, state.TextFontStyle},
        {u"TextFontSize"_s, SettingsStore::FormatFontSize(state.TextFontSize)},
        {u"TextFontName"_s, state.TextFontName},
        {u"TextFontGdiChar"_s, state.TextFontCharset},
        {u"PrintLeftMargin"_s, state.PrintLeftMargin},
        {u"PrintRightMargin"_s, state.PrintRightMargin},
        {u"PrintTopMargin"_s, state.PrintTopMargin},
        {u"PrintBottomMargin"_s, state.PrintBottomMargin},
        {u"PrintLandscape"_s, state.PrintLandscape},
        {u"StudySpeed"_s, state.StudySpeedPercent},
        {u"StudyLinePractice"_s, state.StudyLinePractice},
        {u"StudyPause"_s, state.StudyPausePercent},
        {u"StudyFollowWord"_s, state.StudyFollowWord},
        // Timing by tapping and the repetition ladder.
        {u"StudyTapCompensation"_s, state.StudyTapCompensationMs},
        {u"StudyLadder"_s, state.StudyLadderPreset},
        {u"StudyExportFormat"_s, state.StudyExportFormat},
        {u"StudyExportRepetitions"_s, state.StudyExportRepetitions},
        {u"StudyExportPause"_s, state.StudyExportPause},
    };
    switch (store.Write(values)) {
    case SettingsStore::WriteResult::OpenFailed:
        prompter.MessageInfoBox(u"レジストリ キーのオープンに失敗しました。"_s);
        return;
    case SettingsStore::WriteResult::CreateFailed:
        prompter.MessageInfoBox(u"レジストリ キーの作成に失敗しました。"_s);
        return;
    case SettingsStore::WriteResult::Ok:
        break;
    }
    RemoveTemporaryFiles();
}

void SettingsController::RemoveTemporaryFiles()
{
    if (state.murmelinFolder.isEmpty())
        return;
    for (const QString& temporary : {u"temp0.mp3"_s, u"temp1.mp3"_s, u"Mp3ArtTemp.jpg"_s}) {
        const QString path = state.murmelinFolder + u'/' + temporary;
        if (QFileInfo::exists(path))
            QFile::remove(path);
    }
}
