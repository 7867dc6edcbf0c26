// The weather viewer's worker: one fetch of a place's forecast page on its own thread, its progress
// and its results handed to the window as updates (the window shows them on its own thread; the
// worker never touches a control). FetchState and CancelFlag are shared with the window thread and
// are atomics.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/network.h"

namespace weather {

// The host of the weather service (another host and port can be set, see settings/settings.h).
constexpr const char* kWeatherHost = "weather.tempoline.org";

// FetchState.
enum : std::int16_t { kIdle = 0, kRunning = 1, kFinished = 2 };

struct ViewUpdate {
    enum Kind { kClear, kStatus, kFilled } kind = kStatus;
    std::string status;              // kStatus, kFilled: the status line
    std::vector<std::string> dates;  // kFilled: the five date cells
    std::vector<std::string> cells;  // kFilled: the 40 value cells, row by row
};

class WeatherWorker {
public:
    using Post = std::function<void(const ViewUpdate&)>;
    WeatherWorker(platform::Network& network, std::string host, Post post)
        : network_(network), host_(std::move(host)), post_(std::move(post)) {}
    ~WeatherWorker() { Stop(); }
    WeatherWorker(const WeatherWorker&) = delete;
    WeatherWorker& operator=(const WeatherWorker&) = delete;

    // 查询: starts a fetch for the place unless one runs (then false); a finished one is released
    // first.
    bool Query(int province, int city);
    // 取消 and closing: asks the worker to stop and waits for it (a slice of a wait at most), so that
    // nothing is posted afterwards.
    void Stop();

    std::int16_t FetchState() const { return fetch_state_.load(); }

private:
    void Run(std::int32_t code, const std::string& province, const std::string& city);
    bool Cancelled() const { return cancel_flag_.load() != 0; }

    platform::Network& network_;
    std::string host_;
    Post post_;
    std::atomic<std::int16_t> fetch_state_{kIdle};
    std::atomic<std::int16_t> cancel_flag_{0};
    std::thread thread_;
};

}  // namespace weather
