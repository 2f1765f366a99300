#pragma once

#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class PcmUtterance;
class QProcess;


// One line said by open_jtalk: the program runs as a child process (the text
// on its standard input, the sound and the trace into a private folder), and
// when it has finished, the sound goes into the utterance on a thread of its
// own, with the words at the times the trace gives. Nothing waits on the
// user-interface thread. The object deletes itself when done.
class OpenJTalkRun : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QString program;
        QString dictionary;
        QString voicePath;
        QString text;
        double speed = 1.0;    // times the normal speed
        int sampleRate = 0;    // what the utterance plays at
    };

    // Starts at once; Failed is raised (queued) when the program cannot be
    // had, and the utterance is then ended with a moment of silence so the
    // reader goes on.
    static OpenJTalkRun* Start(Request request, std::shared_ptr<PcmUtterance> utterance, QObject* parent);

    // Stops the program of a purged line.
    void Cancel();

signals:
    // A Japanese message saying what went wrong and what to install.
    void Failed(const QString& message);

private:
    OpenJTalkRun(Request request, std::shared_ptr<PcmUtterance> utterance, QObject* parent);
    void Begin();
    void Finished(int exitCode, bool crashed);
    void Fail(const QString& message);

    Request request_;
    std::shared_ptr<PcmUtterance> utterance_;
    QProcess* process_ = nullptr;
    std::unique_ptr<QTemporaryDir> folder_;
    bool done_ = false;
};
