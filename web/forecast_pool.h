// Forecasts asked of a source away from the server's network thread: a few worker threads ask the
// source, so a slow source holds at most that many threads and never the thread that answers the
// other pages. Requests for a place already being asked for wait for that one answer; a place whose
// source failed gets that failure at once for a while (30 s unless told), so that a source which
// drips or hangs is asked once per place and period, not once per request.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "web/forecast.h"

namespace web {

class ForecastPool {
public:
    struct Settings {
        int workers = 4;
        int failure_memory_ms = 30000;  // how long a place's failure is given without asking again
        int queue_wait_ms = 15000;      // a place that waited this long for a worker is given up
        std::size_t max_waiting_places = 256;  // places waiting for a worker; more are refused at once
    };

    enum class Outcome {
        kAsked,       // the source answered (well or not) for this request or one it shares
        kRemembered,  // the source failed for this place a moment ago and was not asked again
        kBusy,        // too many places wait for a worker: not asked
        kLate,        // waited too long for a worker: not asked
    };
    // Called once per Fetch, on a worker thread or, for a remembered failure or a full queue, on
    // the caller's thread before Fetch returns.
    using Done = std::function<void(const SourceAnswer& answer, Outcome outcome)>;

    ForecastPool(ForecastSource& source, Settings settings);
    // Waits for the workers' current questions to end (the source bounds them); questions still
    // waiting are answered kBusy.
    ~ForecastPool();
    ForecastPool(const ForecastPool&) = delete;
    ForecastPool& operator=(const ForecastPool&) = delete;

    // The forecast of `place` for `now`, given to `done`. From any thread.
    void Fetch(const Place& place, std::time_t now, Done done);

private:
    struct Question {
        Place place;
        std::time_t now = 0;
        std::int64_t queued_ms = 0;
        std::vector<Done> waiting;
        bool started = false;
    };
    void Work();

    ForecastSource& source_;
    const Settings settings_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::map<std::int32_t, Question> questions_;  // by place code: queued or being asked
    std::deque<std::int32_t> queue_;               // codes of the questions not yet started
    std::map<std::int32_t, std::pair<std::int64_t, SourceAnswer>> failures_;  // code -> (when, answer)
    std::vector<std::thread> workers_;
};

}  // namespace web
