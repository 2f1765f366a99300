#include "platform/SynthesisWorker.h"

#include <future>
#include <thread>

SynthesisWorker::SynthesisWorker(const std::function<void()>& setUp)
{
    std::promise<void> done;
    std::future<void> ready = done.get_future();
    std::thread([this, &setUp, &done] {
        setUp();
        done.set_value();
        Run();
    }).detach();
    ready.wait();
}

void SynthesisWorker::Queue(std::function<void()> job)
{
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void SynthesisWorker::Run()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return !queue_.empty(); });
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        job();
    }
}
