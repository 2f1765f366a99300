#pragma once

#include "core/Controller.h"
#include "platform/SystemVersion.h"

#include <QString>

#include <cstdint>
#include <memory>

// The settings store: effective system version, program and working folders,
// and the stored settings read at start-up and written at exit.
class SettingsStore;

class SettingsController : public Controller
{
public:
    explicit SettingsController(const Context& context);
    ~SettingsController() override;

    // Seams for tests: the version the platform reports, where the settings
    // file lives, the user's documents folder and the program folder.
    void setSystemVersion(std::shared_ptr<SystemVersion> version) { version_ = std::move(version); }
    void setSettingsFile(const QString& path) { settingsFile_ = path; }
    void setDocumentsFolder(const QString& path) { documentsFolder_ = path; }
    void setProgramFile(const QString& path) { programFile_ = path; }

    virtual void SystemVersionProbe();
    // The probe's version, narrowed by the stored voice (read with the
    // settings): 6.3 only for a voice of the desktop speech service, else
    // 6.1, the built-in voices.
    void SpeechEngineForVoice();
    virtual bool ProgramFolderSetting();
    virtual void iniRead();
    virtual void iniDefine();
    virtual void iniWrite();

    bool IsWindowsVersionOrGreater(std::uint16_t major, std::uint16_t minor, std::uint16_t servicePackMajor) const;

    // The folder that holds the program's data files: the executable's own
    // folder when they are there (a build tree), else the installed share
    // folder.
    static QString DataFolder(const QString& executableFolder);

private:
    QString SettingsFile() const;
    QString DocumentsFolder() const;
    void FillLists(const QString& folder);
    void ShowSliders();
    void ShowLoopCount();
    void ShowPictureMode();
    void RemoveTemporaryFiles();
    void ReadStudyValues(SettingsStore& store);

    std::shared_ptr<SystemVersion> version_;
    QString settingsFile_;
    QString documentsFolder_;
    QString programFile_;
    bool firstRunUnfinished_ = false;   // the first run could not make its folders
};
