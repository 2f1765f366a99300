#pragma once

// An audio device that plays in real time without sound: the position runs
// on a monotonic clock from the last seek while playing, and stops at the
// length (the end of the stream). Each command is logged with the time it
// came; a test sets the length and position and makes commands fail.

#include "platform/AudioDevice.h"

#include <QElapsedTimer>
#include <QHash>
#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

class FakeAudioDevice : public AudioDevice
{
public:
    struct Call
    {
        QString text;
        qint64 at;   // ms on the device's clock
    };

    std::int64_t length = 245000;
    QHash<QString, int> failures;   // command name -> code it answers with
    QList<Call> calls;

    FakeAudioDevice() { clock_.start(); }

    qint64 Now() const { return clock_.elapsed(); }
    QStringList Commands() const
    {
        QStringList out;
        for (const Call& c : calls)
            out << c.text;
        return out;
    }

    // Puts the play head at ms, as if the track had run there.
    void SetPosition(std::int64_t ms)
    {
        base_ = ms;
        since_ = clock_.elapsed();
    }
    bool playing() const { return playing_; }

    // A failure reported while playing, as the output would.
    void RaiseError(int code)
    {
        if (onError)
            onError(code);
    }

    int Open(const QString& path, Kind kind) override
    {
        if (int code = Log(u"Open(%1,%2)"_s.arg(path, kind == Kind::Mpeg ? u"Mpeg"_s : u"Waveform"_s), u"Open"_s))
            return code;
        open_ = true;
        playing_ = false;
        SetPosition(0);
        return DeviceResult::Success;
    }
    bool IsOpen() const override { return open_; }
    int Length(std::int64_t& ms) override
    {
        ms = length;
        return Fail(u"Length"_s);
    }
    int Position(std::int64_t& ms) override
    {
        ms = Head();
        return Fail(u"Position"_s);
    }
    int Seek(std::int64_t ms) override
    {
        if (int code = Log(u"Seek(%1)"_s.arg(ms), u"Seek"_s))
            return code;
        SetPosition(std::clamp<std::int64_t>(ms, 0, length));
        return DeviceResult::Success;
    }
    int Play() override { return Run(u"Play"_s, true); }
    int Pause() override { return Run(u"Pause"_s, false); }
    int Resume() override { return Run(u"Resume"_s, true); }
    int Stop() override { return Run(u"Stop"_s, false); }
    int Close() override
    {
        Log(u"Close"_s, u"Close"_s);
        open_ = playing_ = false;
        return DeviceResult::Success;
    }
    QString ErrorText(int code) const override { return u"device error %1"_s.arg(code); }
    // The head runs at the speed from here on, as the real device's does.
    int SetSpeed(int percent) override
    {
        if (int code = Log(u"Speed(%1)"_s.arg(percent), u"Speed"_s))
            return code;
        SetPosition(Head());
        speedPercent_ = percent;
        return DeviceResult::Success;
    }

private:
    std::int64_t Head() const
    {
        const std::int64_t run = playing_ ? (clock_.elapsed() - since_) * speedPercent_ / 100 : 0;
        return std::min(base_ + run, length);
    }
    int Fail(const QString& name) const { return failures.value(name, DeviceResult::Success); }
    int Log(const QString& text, const QString& name)
    {
        calls.append({text, clock_.elapsed()});
        return Fail(name);
    }
    int Run(const QString& name, bool play)
    {
        if (int code = Log(name, name))
            return code;
        SetPosition(Head());
        playing_ = play && open_;
        return DeviceResult::Success;
    }

    QElapsedTimer clock_;
    std::int64_t base_ = 0;
    qint64 since_ = 0;
    bool open_ = false;
    bool playing_ = false;
};
