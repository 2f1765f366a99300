#include "platform/AudioDevice.h"
#include "platform/Mixer.h"

using namespace Qt::StringLiterals;

// Without a sound back-end built in, the player meets a device that opens
// nothing and a mixer that cannot be opened: every command fails with a
// code, so the player reports it and the volume controls hide themselves.
namespace {

constexpr int NoDevice = 1;

class NoAudioDevice : public AudioDevice
{
public:
    int Open(const QString&, Kind) override { return NoDevice; }
    bool IsOpen() const override { return false; }
    int Length(std::int64_t& ms) override { ms = 0; return NoDevice; }
    int Position(std::int64_t& ms) override { ms = 0; return NoDevice; }
    int Seek(std::int64_t) override { return NoDevice; }
    int Play() override { return NoDevice; }
    int Pause() override { return NoDevice; }
    int Resume() override { return NoDevice; }
    int Stop() override { return NoDevice; }
    int Close() override { return 0; }
    QString ErrorText(int) const override { return u"オーディオ デバイスを使用できません。"_s; }
};

class NoMixer : public Mixer
{
public:
    int Open() override { return NoDevice; }
    int FindVolume(VolumeControl&) override { return NoDevice; }
    int SetValue(const VolumeControl&, std::int32_t) override { return NoDevice; }
    int GetValue(const VolumeControl&, std::int32_t&) override { return NoDevice; }
    void Close() override {}
};

} // namespace

std::unique_ptr<AudioDevice> CreateAudioDevice()
{
    return std::make_unique<NoAudioDevice>();
}

std::unique_ptr<Mixer> CreateMixer()
{
    return std::make_unique<NoMixer>();
}

std::int64_t Mp3Duration(const QString&)
{
    return 0;
}
