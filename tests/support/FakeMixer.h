#pragma once

// A mixer that keeps the value it is given, coarsened to a step of its
// range as a real control with fewer levels would; failAt makes one step fail.

#include "platform/Mixer.h"

#include <QStringList>

class FakeMixer : public Mixer
{
public:
    VolumeControl control{7, 0, 65535};
    std::int32_t step = 1;          // the stored value is a multiple of this above the minimum
    QString failAt;                 // "Open", "FindVolume", "SetValue", "GetValue"
    std::int32_t written = -1;
    std::int32_t stored = -1;
    QStringList calls;

    int Open() override { return Step(QStringLiteral("Open")); }
    int FindVolume(VolumeControl& c) override
    {
        c = control;
        return Step(QStringLiteral("FindVolume"));
    }
    int SetValue(const VolumeControl&, std::int32_t value) override
    {
        written = value;
        stored = control.minimum + (value - control.minimum) / step * step;
        return Step(QStringLiteral("SetValue"));
    }
    int GetValue(const VolumeControl&, std::int32_t& value) override
    {
        value = stored;
        return Step(QStringLiteral("GetValue"));
    }
    void Close() override { calls << QStringLiteral("Close"); }

private:
    int Step(const QString& name)
    {
        calls << name;
        return failAt == name ? 5 : DeviceResult::Success;
    }
};
