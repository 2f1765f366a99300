#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

// The one thread that owns a synthesis library (neither espeak-ng nor
// Flite is thread-safe): it sets the library up, then runs the queued jobs
// one after another. The constructor waits for the set-up, which tells the
// engine its sample rate and voices; queueing never waits. The thread is
// never joined: the engines live as long as the process.
class SynthesisWorker
{
public:
    explicit SynthesisWorker(const std::function<void()>& setUp);
    SynthesisWorker(const SynthesisWorker&) = delete;
    SynthesisWorker& operator=(const SynthesisWorker&) = delete;

    void Queue(std::function<void()> job);

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
};
