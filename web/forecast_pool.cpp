#include "web/forecast_pool.h"

namespace web {

namespace {

std::int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

ForecastPool::ForecastPool(ForecastSource& source, Settings settings) : source_(source), settings_(settings) {
    for (int i = 0; i < (settings_.workers > 0 ? settings_.workers : 1); ++i) workers_.emplace_back([this] { Work(); });
}

ForecastPool::~ForecastPool() {
    std::vector<Done> given_up;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        for (const std::int32_t code : queue_) {
            Question& q = questions_[code];
            for (Done& done : q.waiting) given_up.push_back(std::move(done));
            questions_.erase(code);
        }
        queue_.clear();
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) worker.join();
    const SourceAnswer stopped{false, {}, "the service is stopping"};
    for (Done& done : given_up) done(stopped, Outcome::kBusy);
}

void ForecastPool::Fetch(const Place& place, std::time_t now, Done done) {
    std::unique_lock<std::mutex> lock(mutex_);
    const std::int64_t now_ms = SteadyMs();
    const auto failed = failures_.find(place.code);
    if (failed != failures_.end()) {
        if (now_ms - failed->second.first < settings_.failure_memory_ms) {
            const SourceAnswer answer = failed->second.second;
            lock.unlock();
            done(answer, Outcome::kRemembered);
            return;
        }
        failures_.erase(failed);
    }
    const auto asked = questions_.find(place.code);
    if (asked != questions_.end()) {
        asked->second.waiting.push_back(std::move(done));
        return;
    }
    if (stopping_ || queue_.size() >= settings_.max_waiting_places) {
        lock.unlock();
        done(SourceAnswer{false, {}, "too many forecasts are waiting for the source"}, Outcome::kBusy);
        return;
    }
    Question& q = questions_[place.code];
    q.place = place;
    q.now = now;
    q.queued_ms = now_ms;
    q.waiting.push_back(std::move(done));
    queue_.push_back(place.code);
    lock.unlock();
    wake_.notify_one();
}

void ForecastPool::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        const std::int32_t code = queue_.front();
        queue_.pop_front();
        Question& q = questions_[code];
        if (SteadyMs() - q.queued_ms >= settings_.queue_wait_ms) {
            // Its requests have been answered already; asking now would only lengthen the queue.
            std::vector<Done> waiting = std::move(q.waiting);
            questions_.erase(code);
            lock.unlock();
            const SourceAnswer late{false, {}, "waited too long for a free worker"};
            for (Done& done : waiting) done(late, Outcome::kLate);
            lock.lock();
            continue;
        }
        q.started = true;
        const Place place = q.place;
        const std::time_t now = q.now;
        lock.unlock();
        const SourceAnswer answer = source_.ForecastFor(place, now);
        lock.lock();
        std::vector<Done> waiting = std::move(questions_[code].waiting);
        questions_.erase(code);
        if (!answer.ok) failures_[code] = {SteadyMs(), answer};
        lock.unlock();
        for (Done& done : waiting) done(answer, Outcome::kAsked);
        lock.lock();
    }
}

}  // namespace web
