// One job of a window on a thread of its own (the new-version check, the update of the public
// holidays): started, asked to stop (the job hears it between the slices of its waits), and joined,
// so that it never outlives the window it reports to. A second start replaces the first.
#pragma once

#include <atomic>
#include <functional>
#include <thread>
#include <utility>

#include "platform/network.h"

namespace help {

class BackgroundJob {
public:
    using Job = std::function<void(const platform::StopAsked& stop)>;
    explicit BackgroundJob(Job job) : job_(std::move(job)) {}
    ~BackgroundJob() { Stop(); }
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    void Start() {
        Stop();
        stop_ = false;
        finished_ = false;
        thread_ = std::thread([this] {
            job_([this] { return stop_.load(); });
            finished_ = true;
        });
    }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    bool Finished() const { return finished_.load(); }

private:
    Job job_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

}  // namespace help
