// Calendar subscriptions: /calendar.ics?from=YYYY&years=N&terms&festivals&months&holidays&
// lunar-birthday=MM-DD:TITLE&solar-birthday=MM-DD:TITLE&name=NAME, the same events as `tempo ics`,
// so that a phone or web calendar subscribes once and stays current (next year's holidays come with
// the table the service is given). A subscription is small by rule (at most 10 years and 20
// birthdays), its answer is made on a worker of its own, never on the network thread, and kept.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/ics.h"

namespace web {

constexpr int kMaxSubscriptionYears = 10;
constexpr int kMaxSubscriptionBirthdays = 20;

// A query read: the request, and a canonical form of it that names its calendar (the cache's key:
// every field with its length, so that no text a title or name may hold can make two requests one
// key). False with a short reason (UTF-8, for a 400 answer) when the query asks for something else,
// or gives a parameter twice (only the birthdays repeat).
bool ParseSubscription(std::string_view query, cli::IcsRequest& request, std::string& key, std::string& why);

// The query of a request target ("a=1&b" of "/calendar.ics?a=1&b#x"), "" when it has none.
std::string QueryOfTarget(std::string_view target);

// Makes calendars on one worker thread and keeps the last ones made. Requests for a calendar that is
// being made wait for it; a full queue refuses at once.
class CalendarMaker {
public:
    // The calendar's text, or nullptr when it was not made (the queue was full, or the maker
    // stopped). Kept calendars are shared, never copied.
    using Text = std::shared_ptr<const std::string>;
    using Done = std::function<void(const Text& text)>;

    explicit CalendarMaker(std::size_t max_kept = 64, std::size_t max_waiting = 16);
    ~CalendarMaker();
    CalendarMaker(const CalendarMaker&) = delete;
    CalendarMaker& operator=(const CalendarMaker&) = delete;

    // The kept calendar of the key, at once; false when it is not kept.
    bool Kept(const std::string& key, Text& text);
    // Makes (or waits for) the calendar of the key; `done` is called on the worker, or at once with
    // nullptr when too many calendars wait.
    void Make(const std::string& key, const cli::IcsRequest& request, Done done);
    // Forgets every kept calendar (the holiday table changed).
    void Forget();
    // How many calendars have been made (the tests see the cache at work).
    std::size_t Made() const;

private:
    struct Job {
        cli::IcsRequest request;
        std::vector<Done> waiting;
    };
    void Work();
    void Keep(const std::string& key, const Text& text);

    const std::size_t max_kept_, max_waiting_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::size_t made_ = 0;
    std::map<std::string, Job> jobs_;  // queued or being made
    std::deque<std::string> queue_;    // keys not yet started
    std::list<std::pair<std::string, Text>> kept_;  // most recently used first
    std::thread worker_;
};

}  // namespace web
