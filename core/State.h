#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// The numeric codes below are the values the program has always used (the
// settings file stores reading mode, play mode and picture fit as these
// numbers), so each is an enumerator with its number, held in an int.

// The reader: each engine's three states are consecutive (speaking, paused,
// stopped), so "speaking + 2" is that engine's stop.
namespace SpeechState {
enum Code : std::int32_t {
    VoiceSpeaking = 10,        // the built-in voice
    VoicePaused = 11,
    VoiceStopped = 12,
    SynthesizerSpeaking = 20,  // the desktop's speech service
    SynthesizerPaused = 21,
    SynthesizerStopped = 22,
    Idle = 99,                 // nothing read yet
};
}

// The song on the audio device: a waveform file or an MP3, each playing,
// paused or stopped in that order.
namespace AudioState {
enum Code : std::int32_t {
    WavePlaying = 10,
    WavePaused = 11,
    WaveStopped = 12,
    Mp3Playing = 20,
    Mp3Paused = 21,
    Mp3Stopped = 22,
    Closed = 99,               // no song open
};
}

// What the read button reads (stored as "ReproductionMode").
namespace ReadingMode {
enum Code : std::int32_t { OneLine = 0, Range = 1, All = 2 };
}

// What follows the end of a song (stored as "MusicPlayMode").
namespace PlayMode {
enum Code : std::int32_t { None = 0, RepeatOne = 1, InOrder = 2, InOrderLoop = 3, Random = 4 };
}

// How the picture fills its box, in the fit box's order (stored as "PicMode").
namespace PictureFit {
enum Code : std::int32_t { Center = 0, Normal = 1, Stretch = 2, Zoom = 3 };
}

// The audio device's answer to a command: success, or the device's own
// error code.
namespace DeviceResult {
enum Code : std::int32_t { Success = 0 };
}

// Whether a speech engine could be started (each engine has its own).
namespace EngineStatus {
enum Code : std::int32_t { Ready = 0, Unavailable = 1 };
}

// The mouse button of the last click on a list or the favourites.
namespace ClickButton {
enum Code : std::int32_t { None = 0, Right = 1, Left = 2 };
}

// The file list shown, in the order of its three buttons.
namespace FileList {
enum Code : std::int32_t { All = 0, Text = 1, Music = 2 };
}

// How the last folder scan or file write ended.
namespace FileOutcome {
enum Code : std::int32_t { Done = 0, Failed = 1 };
}

// Whether the song plays only between its range's start and end.
namespace PlayRange {
enum Code : std::int16_t { Off = 0, On = 1 };
}

// Whether the position was moved while the song was paused, so resuming
// starts afresh from there.
namespace PausedMove {
enum Code : std::int32_t { None = 0, Moved = 1 };
}

// A text document in the editor: none, new, new and edited, read from or
// saved to its file, and edited since.
namespace DocumentState {
enum Code : std::int16_t { Untouched = 0, New = 1, NewEdited = 2, Stored = 3, StoredEdited = 4 };
}

// A document's load changes its editor once; that change is no edit.
namespace LoadChange {
enum Code : std::int32_t { None = 0, Pending = 1 };
}

// A document's encoding (the save dialog lists them in this order).
namespace EncodingCode {
enum Code : std::int16_t { ShiftJis = 0, Utf16LE = 1, Utf16BE = 2, Utf8 = 3 };
}

// A setting or state that is either off or on.
namespace Switch {
enum Code : std::int32_t { Off = 0, On = 1 };
}

// The lyric window: hidden, or shown while a song with lyrics plays.
namespace LyricWindowState {
enum Code : std::int32_t { Hidden = 0, Shown = 2 };
}

// The manual's window.
namespace ManualWindowState {
enum Code : std::int16_t { Closed = 0, Open = 1 };
}

// The kind of sound file a reading is written to (stored as "StudyExportFormat").
namespace ExportFormat {
enum Code : std::int32_t { Wav = 0, Mp3 = 1 };
}

// The process-wide variables every part of the program shares, under their
// own names and widths. MyForm owns the one instance; each controller gets a
// reference, and a test makes its own. The values here are the start-up
// values; ResetRunTime() puts the run-time ones back as the Load event does.
struct State
{
    // --- application shell ---------------------------------------------------
    static constexpr std::uint32_t nTimerID = 1;   // the line timer's identifier
    QString printText;
    QString repeatText;
    QString repeatLrcText;
    QString LrcText;
    QString oralNameText;
    QString deleteFileName;
    std::int32_t lastClickButton = ClickButton::None;

    // --- settings --------------------------------------------------------------
    std::int16_t OsMajor = 0;
    std::int16_t OsMinor = 0;
    QString dir;                    // program folder, no trailing separator
    QString murmelinFolder;  // working folder
    QString listFolderPath;
    QString openDirFolder;

    // --- file lists ------------------------------------------------------------
    std::int32_t shownList = FileList::All;
    std::int32_t allFileListSorting = 0;
    std::int32_t textFileListSorting = 0;
    std::int32_t musicListSorting = 0;
    std::int32_t lastFileOutcome = FileOutcome::Done;
    std::int32_t MusicListCount = 0;
    std::int32_t ListIndexMusic = 0;
    std::int32_t mp3TempCopyIndex = 0;

    // --- documents -------------------------------------------------------------
    QString textFolder;
    QString lrcTextFolder;
    std::int16_t textDocumentState = DocumentState::Untouched;
    std::int16_t lrcDocumentState = DocumentState::Untouched;
    std::int32_t textLoadChange = LoadChange::None;
    std::int32_t lrcLoadChange = LoadChange::None;
    std::int16_t textEncoding = EncodingCode::ShiftJis;
    std::int16_t lrcEncoding = EncodingCode::ShiftJis;
    std::int32_t TextCodeKindLength = 0;
    std::int32_t LrcTextCodeKindLength = 0;
    QString TextFontName;
    double TextFontSize = 0.0;
    std::int32_t TextFontStyle = 0;
    std::int32_t TextFontCharset = 0;

    // --- speech ----------------------------------------------------------------
    std::int32_t synthesizerStatus = EngineStatus::Ready;
    std::int32_t voiceStatus = EngineStatus::Ready;
    QByteArray OralName;            // the voice name in the ANSI code page
    std::int32_t OralSelectionNumber = 0;
    std::int32_t speechState = SpeechState::Idle;
    std::int32_t SpeechRate = 0;
    std::int32_t SpeechVol = 0;
    std::int32_t readingMode = ReadingMode::OneLine;
    std::int32_t LoopModeCount = 0;
    std::int32_t SpeechLoopCount = 0;
    std::int32_t SpeakLinesNo = 0;
    std::int32_t AllLinesCount = 0;
    std::int32_t OneLineSelectionStart = 0;
    std::int32_t OneLineSelectionLength = 0;
    std::int16_t rateSliderShown = Switch::Off;
    std::int16_t volumeSliderShown = Switch::Off;

    // --- music -----------------------------------------------------------------
    std::int32_t audioState = AudioState::Closed;
    std::int32_t audioDeviceOpen = Switch::Off;
    std::int32_t deviceError = DeviceResult::Success;
    QString songPath;
    std::int32_t PlayTimeMiriSecond = 0;
    double Second = 0.0;
    std::int32_t PositionTimeMiriSecond = 0;
    std::int32_t pausedMove = PausedMove::None;
    std::int32_t StartTime = 0;
    std::int32_t EndingTime = 0;
    std::int16_t playRange = PlayRange::On;
    std::int32_t playMode = PlayMode::None;
    std::int32_t MixerVolume = 0;
    std::int32_t MixerVolMinimum = 0;
    std::int32_t MixerVolMaximum = 0;
    std::int32_t MixerVolumeControlID = 0;
    std::int16_t mixerSliderShown = Switch::Off;

    // --- synchronized text -----------------------------------------------------
    std::int32_t LrcMp3TimeAdjustment = 0;
    std::int32_t lrcAdjustment = Switch::Off;
    std::int32_t LrcStartArrayCunt = 0;
    std::int32_t LrcEndArrayCunt = 0;
    std::int32_t LrcDspArrayCunt = 0;
    std::int32_t OffsetTime = 0;
    std::int32_t LrcTime_mSec = 0;
    std::int32_t LrcTimer_mSec = 0;
    std::int32_t LrcTimerCount = 0;
    std::int32_t LrcStartTime = 0;
    std::int32_t LrcLineStartTime = 0;
    std::int32_t CorrectTime = 0;
    std::int32_t lyricWindowState = LyricWindowState::Hidden;

    // --- cover art -------------------------------------------------------------
    std::int32_t pictureFit = PictureFit::Center;

    // --- printing --------------------------------------------------------------
    std::int32_t PrintLeftMargin = 0;
    std::int32_t PrintRightMargin = 0;
    std::int32_t PrintTopMargin = 0;
    std::int32_t PrintBottomMargin = 0;
    std::int32_t PrintLandscape = Switch::Off;
    std::int32_t PrintStartPage = 0;
    std::int32_t PrintEndPage = 0;
    std::int32_t PrintPageCount = 0;
    std::int32_t StartPrintingPosition = 0;
    std::int32_t PrintMarginBoundsWidth = 0;
    std::int32_t PrintMarginBoundsBottom = 0;

    // --- browser ---------------------------------------------------------------
    std::int16_t manualWindowState = ManualWindowState::Closed;

    // --- study tools -----------------------------------------------------------
    std::int32_t StudySpeedPercent = 100;   // playback speed, 50 to 150 in steps of 5
    std::int32_t StudyLinePractice = Switch::Off;   // on: lyric lines are practised one by one
    std::int32_t StudyPausePercent = 0;     // pause after a line: 0, 50, 100 or 150 % of its length
    std::int32_t StudyFollowWord = Switch::On;      // on: the spoken word is highlighted
    std::int32_t StudyLyricShiftMs = 0;     // lyric lines moved while listening (not stored)
    std::int32_t StudyTapCompensationMs = 150;  // timing by tapping: reaction time taken off each stamp
    std::int32_t StudyLadderPreset = 0;     // a speed per pass of a practised line (StudyLadder::Preset)
    std::int32_t StudyExportFormat = ExportFormat::Mp3;   // writing a reading to a sound file
    std::int32_t StudyExportRepetitions = Switch::On;   // on: the repetitions go into the file
    std::int32_t StudyExportPause = Switch::On;   // on: the learner's pause goes into the file

    // Puts the run-time variables back to their start-up values, as the Load
    // event does before the settings are read. Settings-backed values, the
    // folders and the engine error flags are left alone.
    void ResetRunTime()
    {
        printText.clear();
        repeatText.clear();
        repeatLrcText.clear();
        LrcText.clear();
        deleteFileName.clear();
        lastClickButton = ClickButton::None;
        shownList = FileList::All;
        allFileListSorting = textFileListSorting = musicListSorting = 0;
        lastFileOutcome = FileOutcome::Done;
        MusicListCount = ListIndexMusic = 0;
        mp3TempCopyIndex = 0;
        textDocumentState = lrcDocumentState = DocumentState::Untouched;
        textLoadChange = lrcLoadChange = LoadChange::None;
        textEncoding = lrcEncoding = EncodingCode::ShiftJis;
        TextCodeKindLength = LrcTextCodeKindLength = 0;
        OralSelectionNumber = 0;
        speechState = SpeechState::Idle;
        SpeechLoopCount = 0;
        SpeakLinesNo = AllLinesCount = 0;
        OneLineSelectionStart = OneLineSelectionLength = 0;
        rateSliderShown = volumeSliderShown = Switch::Off;
        audioState = AudioState::Closed;
        audioDeviceOpen = Switch::Off;
        deviceError = DeviceResult::Success;
        songPath.clear();
        PlayTimeMiriSecond = 0;
        Second = 0.0;
        PositionTimeMiriSecond = 0;
        pausedMove = PausedMove::None;
        StartTime = EndingTime = 0;
        playRange = PlayRange::On;
        mixerSliderShown = Switch::Off;
        LrcMp3TimeAdjustment = 0;
        lrcAdjustment = Switch::Off;
        LrcStartArrayCunt = LrcEndArrayCunt = LrcDspArrayCunt = 0;
        OffsetTime = 0;
        LrcTime_mSec = LrcTimer_mSec = LrcTimerCount = 0;
        LrcStartTime = LrcLineStartTime = CorrectTime = 0;
        lyricWindowState = LyricWindowState::Hidden;
        PrintStartPage = PrintEndPage = PrintPageCount = 0;
        StartPrintingPosition = PrintMarginBoundsWidth = PrintMarginBoundsBottom = 0;
        manualWindowState = ManualWindowState::Closed;
        StudyLyricShiftMs = 0;
    }

    // Unsaved changes: a document edited since it was made or stored.
    static bool HasUnsavedChanges(std::int16_t documentState)
    {
        return documentState == DocumentState::NewEdited || documentState == DocumentState::StoredEdited;
    }

    // Reading aloud is busy while speaking or paused with either engine.
    bool SpeechBusy() const
    {
        return speechState == SpeechState::VoiceSpeaking || speechState == SpeechState::VoicePaused
            || speechState == SpeechState::SynthesizerSpeaking || speechState == SpeechState::SynthesizerPaused;
    }
};
