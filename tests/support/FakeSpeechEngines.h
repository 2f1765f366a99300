#pragma once

// Speech engines for tests: they record every call, keep a state the test
// can set, list the voices the test gives them, fail on request, and finish
// the current utterance when the test says so.

#include "platform/SpeechSynthesizer.h"
#include "platform/SpeechVoice.h"

#include <QSet>
#include <QStringList>

#include <functional>

// Which calls fail: by name ("Speak", "setRate", "SelectVoice" ...), or all.
struct FakeFailures
{
    QSet<QString> names;
    bool all = false;
    bool operator()(const QString& call) const { return all || names.contains(call); }
};

class FakeSpeechVoice : public SpeechVoice
{
public:
    QStringList calls;        // every call with its arguments, in order
    QStringList spoken;       // every non-empty text given to Speak
    int purges = 0;           // Speak with the empty text
    QStringList voices;       // what GetVoices lists
    int voiceIndex = -1;      // the voice given last; -1 the engine's default
    int rate = 0;
    int volume = 100;
    int running = SRSEDone;
    FakeFailures fail;
    std::function<void()> destroyed;

    ~FakeSpeechVoice() override
    {
        if (destroyed)
            destroyed();
    }

    bool Speak(const QString& text, int flags) override
    {
        calls << QStringLiteral("Speak(%1,%2)").arg(text).arg(flags);
        if (fail(QStringLiteral("Speak")))
            return false;
        if (text.isEmpty()) {
            ++purges;
            running = SRSEDone;
        } else {
            spoken << text;
            running = SRSEIsSpeaking;
        }
        return true;
    }
    bool Pause() override
    {
        calls << QStringLiteral("Pause");
        if (fail(QStringLiteral("Pause")))
            return false;
        if (running == SRSEIsSpeaking)
            running = SRSEPaused;
        return true;
    }
    bool Resume() override
    {
        calls << QStringLiteral("Resume");
        if (fail(QStringLiteral("Resume")))
            return false;
        if (running == SRSEPaused)
            running = SRSEIsSpeaking;
        return true;
    }
    bool setRate(int value) override
    {
        calls << QStringLiteral("setRate(%1)").arg(value);
        if (fail(QStringLiteral("setRate")))
            return false;
        rate = value;
        return true;
    }
    bool setVolume(int value) override
    {
        calls << QStringLiteral("setVolume(%1)").arg(value);
        if (fail(QStringLiteral("setVolume")))
            return false;
        volume = value;
        return true;
    }
    int RunningState() const override { return running; }
    QStringList GetVoices() const override { return voices; }
    bool setVoice(int index) override
    {
        calls << QStringLiteral("setVoice(%1)").arg(index);
        if (fail(QStringLiteral("setVoice")) || index < 0 || index >= voices.size())
            return false;
        voiceIndex = index;
        return true;
    }

    // The current stream plays to its end.
    void finishUtterance()
    {
        running = SRSEDone;
        emit EndStream();
    }
};

class FakeSpeechSynthesizer : public SpeechSynthesizer
{
public:
    QStringList calls;
    QStringList spoken;
    int cancels = 0;
    QStringList voices;       // what GetInstalledVoices lists
    QString voiceName;        // the voice selected
    int rate = 0;
    int volume = 100;
    int state = Ready;
    bool starting = false;    // set before the set-up to make it wait
    bool available = true;
    FakeFailures fail;
    std::function<void()> destroyed;

    ~FakeSpeechSynthesizer() override
    {
        if (destroyed)
            destroyed();
    }

    bool Starting() const override { return starting; }
    bool Available() const override { return available; }

    bool SpeakAsync(const QString& text) override
    {
        calls << QStringLiteral("SpeakAsync(%1)").arg(text);
        if (fail(QStringLiteral("SpeakAsync")))
            return false;
        spoken << text;
        state = Speaking;
        return true;
    }
    bool SpeakAsyncCancelAll() override
    {
        calls << QStringLiteral("SpeakAsyncCancelAll");
        if (fail(QStringLiteral("SpeakAsyncCancelAll")))
            return false;
        ++cancels;
        state = Ready;
        return true;
    }
    bool Pause() override
    {
        calls << QStringLiteral("Pause");
        if (fail(QStringLiteral("Pause")))
            return false;
        if (state == Speaking)
            state = Paused;
        return true;
    }
    bool Resume() override
    {
        calls << QStringLiteral("Resume");
        if (fail(QStringLiteral("Resume")))
            return false;
        if (state == Paused)
            state = Speaking;
        return true;
    }
    bool setRate(int value) override
    {
        calls << QStringLiteral("setRate(%1)").arg(value);
        if (fail(QStringLiteral("setRate")))
            return false;
        rate = value;
        return true;
    }
    bool setVolume(int value) override
    {
        calls << QStringLiteral("setVolume(%1)").arg(value);
        if (fail(QStringLiteral("setVolume")))
            return false;
        volume = value;
        return true;
    }
    int State() const override { return state; }
    QStringList GetInstalledVoices() const override { return voices; }
    bool SelectVoice(const QString& name) override
    {
        calls << QStringLiteral("SelectVoice(%1)").arg(name);
        if (fail(QStringLiteral("SelectVoice")) || !voices.contains(name))
            return false;
        voiceName = name;
        return true;
    }
    QString VoiceName() const override { return voiceName; }
    bool SetOutputToDefaultAudioDevice() override
    {
        calls << QStringLiteral("SetOutputToDefaultAudioDevice");
        return !fail(QStringLiteral("SetOutputToDefaultAudioDevice"));
    }

    // The service comes up (or fails to) after a slow start.
    void finishStart(bool ok)
    {
        starting = false;
        available = ok;
        emit Started(ok);
    }
    // The current prompt plays to its end.
    void finishUtterance()
    {
        state = Ready;
        emit SpeakCompleted();
    }
};
