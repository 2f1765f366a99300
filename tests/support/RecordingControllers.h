#pragma once

// Controllers that only record which operation was called, in one shared log,
// with the mouse-button flag as it was at the time of the call.

#include "documents/DocumentController.h"
#include "library/LibraryController.h"
#include "lrc/LrcController.h"
#include "music/MusicController.h"
#include "support/MusicFakes.h"
#include "settings/SettingsController.h"
#include "speech/SpeechController.h"

#include <QStringList>

struct CallLog
{
    QStringList calls;
    QList<int> mouseFlags;   // lastClickButton at each call
};

#define RECORD(name) \
    void name() override { log.calls << QStringLiteral(#name); log.mouseFlags << state.lastClickButton; }
#define RECORDS(name) \
    void name(const QString& a) override { log.calls << QStringLiteral(#name "(%1)").arg(a); log.mouseFlags << state.lastClickButton; }
#define RECORD1(name, type) \
    void name(type a) override { log.calls << QStringLiteral(#name "(%1)").arg(a); log.mouseFlags << state.lastClickButton; }

class RecordingSettings : public SettingsController
{
public:
    RecordingSettings(CallLog& log, const Context& c) : SettingsController(c), log(log) {}
    RECORD(SystemVersionProbe) RECORD(iniRead)
    RECORD(iniWrite)
    bool ProgramFolderSetting() override { log.calls << QStringLiteral("ProgramFolderSetting"); log.mouseFlags << 0; return true; }
    CallLog& log;
};

class RecordingLibrary : public LibraryController
{
public:
    RecordingLibrary(CallLog& log, const Context& c) : LibraryController(c), log(log) {}
    RECORD(iniListView) RECORD(FolderSetting) RECORD1(ShowList, int) RECORD1(SelectionChanged, int)
    RECORD(DeleteFile) RECORD(FileOpen)
    RECORDS(ListViewAllFileNameWriting) RECORDS(ListViewTextFileNameWriting) RECORDS(ListViewMusicFileNameWriting)
    void ColumnClick(int list, int column) override { log.calls << QStringLiteral("ColumnClick(%1,%2)").arg(list).arg(column); log.mouseFlags << state.lastClickButton; }
    CallLog& log;
};

class RecordingDocuments : public DocumentController
{
public:
    RecordingDocuments(CallLog& log, const Context& c) : DocumentController(c), log(log) {}
    RECORD(TextDisplaySwitch) RECORD(LrcTextDisplaySwitch) RECORD(ArtDisplaySwitch) RECORD(NewText) RECORD(NewLrcText)
    RECORD(Undo) RECORD(Cut) RECORD(Copy) RECORD(Paste) RECORD(Delete) RECORD(SelectAll)
    RECORD(TextViewChanged) RECORD(LrcViewChanged) RECORD(OverWrite) RECORD(FileNameSpecifiedSave)
    RECORD(LineEndCheck) RECORD(FontSetting) RECORD(TextFontSetting)
    CallLog& log;
};

class RecordingSpeech : public SpeechController
{
public:
    RecordingSpeech(CallLog& log, const Context& c) : SpeechController(c), log(log) {}
    RECORD(SpeechPlatformInstallationCheck) RECORD(SpeechSettingSub) RECORD(SpeechPlay) RECORD(SpeechPause)
    RECORD(SpeechStop) RECORD(SpeechSkipBackward) RECORD(SpeechSkipForward) RECORD(SpeechReproductionModeSetting)
    RECORD(SpeechLoopModeSetting) RECORD(SpeechRateTrackBarDisp) RECORD(SpeechVolTrackBarDisp)
    RECORD(SpeechRateSetting) RECORD(SpeechVolSetting) RECORD(CancelQueuedSpeech) RECORD(ReleaseEngines)
    CallLog& log;
};

class RecordingMusic : private MusicFakes, public MusicController
{
public:
    RecordingMusic(CallLog& log, const Context& c) : MusicController(c, device, mixer), log(log) {}
    RECORD(MusicPlay) RECORD(MusicPause) RECORD(MusicStop) RECORD(MusicPollTick) RECORD(trackBarMovementStart)
    RECORD(trackBarMovement) RECORD(trackBarMovementEnd) RECORD(NextMusicPlay) RECORD(BackMusicPlay)
    RECORD(RepeatOneModeChosen) RECORD(InOrderModeChosen) RECORD(InOrderLoopModeChosen) RECORD(RandomModeChosen)
    RECORD(RangeEndSet) RECORD(RangeStartSet) RECORD(RangeStartClear) RECORD(RangeEndClear)
    RECORD(RangePlayToggled) RECORD(MixerVolTrackBarDisp) RECORD(MixerVolSetting) RECORD(mixerSetControl)
    RECORD1(PositionSliderWheel, int) RECORD1(PositionSliderFocus, bool)
    CallLog& log;
};

class RecordingLrc : public LrcController
{
public:
    RecordingLrc(CallLog& log, const Context& c) : LrcController(c), log(log) {}
    RECORD(LrcTextDisplay) RECORD(LrcCloseTick)
    CallLog& log;
};

#undef RECORD
#undef RECORD1
#undef RECORDS
