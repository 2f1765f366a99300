#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTextToSpeech>
#include <QVoice>

// The engine side of QtSpeechSynthesizer: owns the QTextToSpeech on the
// service thread and turns Qt's state changes into "this prompt finished".
//
// Qt collapses speech-dispatcher's begin, end and cancel notifications into
// state changes, delivered late and from another thread, so a cancelled
// prompt's "ready" looks like a finished one. After every cancel a marker
// goes through this thread's queue: state changes queued before it belong
// to earlier prompts, and when the engine was still busy at the cancel, the
// next "ready" after it is the cancellation's. A prompt has finished only
// when it was seen speaking and then ready.
//
// Pause does not use the service's own pause: speech-dispatcher pauses every
// client at once, only at index marks (plain text has none, so the prompt
// plays on), and Qt resumes only a pause that was reported, which leaves the
// whole service paused. Instead a pause cancels the prompt, and resume says
// the rest of it again from the start of the clause it had reached,
// estimated from the time spent speaking.
class QtSpeechWorker : public QObject
{
    Q_OBJECT

public:
    void Start();
    void Speak(quint64 utterance, const QString& text);
    void Cancel();
    void Pause();
    void Resume();
    // Qt's rate, and the speed it gives relative to normal.
    void SetRate(double rate, double factor);
    void SetVolume(double volume);
    void SelectVoice(const QString& name);
    void Shutdown();

    // Where to say a text again from after `spokenMs` of speaking at
    // `factor` times normal speed: the start of the clause reached.
    static qsizetype ResumePosition(const QString& text, qsizetype from, qint64 spokenMs, double factor);

signals:
    void Started(bool ok, const QStringList& voices, const QString& voice);
    void Completed(quint64 utterance);
    void Failed(quint64 utterance);

private:
    void SayFrom(qsizetype offset);
    void StopService();
    void OnState(QTextToSpeech::State state);

    QTextToSpeech* tts_ = nullptr;
    QHash<QString, QVoice> voices_;
    double factor_ = 1.0;

    quint64 utterance_ = 0;      // the prompt being spoken or paused; 0 none
    QString text_;
    qsizetype offset_ = 0;       // where the part now said starts in text_
    qsizetype resumeAt_ = 0;
    bool begun_ = false;         // the part now said was seen speaking
    QElapsedTimer speaking_;
    bool paused_ = false;
    bool settled_ = true;        // the marker of the last cancel has come through
    bool skipToReady_ = false;   // the next "ready" is the last cancel's
    quint64 marker_ = 0;
};
