// What the calendar engine keeps of its work: the instants of the new and full moons and of the
// solar terms (each found by the secant solver, some 15 µs), the record of each lunar year under
// each rule of the ancient calendars, and the rule in force.
//
// The condition queries run on a worker thread while the window's thread may draw a calendar
// page, so the memo is safe to use from several threads at once: one lock guards the tables, held
// only to look up or to store, never while an event or a record is computed. Two threads that
// miss the same entry both compute it and the first stored value stays; the computation is
// deterministic, so either value is the same. Records are kept per rule, so switching the rule
// forgets nothing and a record never mixes the two.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <unordered_map>

#include "calendar/lunar_events.h"

namespace calendar::detail {

class Memo {
public:
    Rule rule() const { return modern_.load(std::memory_order_relaxed) ? Rule::kModern : Rule::kHistorical; }
    void set_rule(Rule rule) { modern_.store(rule == Rule::kModern, std::memory_order_relaxed); }

    // The instant of phase p (new moons even, full moons odd) or of term j (the Sun at 15 j
    // degrees), when it has been kept: true and `when` set.
    bool FindPhase(long long p, double& when) const { return Find(phases_, p, when); }
    bool FindTerm(long long j, double& when) const { return Find(terms_, j, when); }
    void KeepPhase(long long p, double when) { Keep(phases_, p, when); }
    void KeepTerm(long long j, double when) { Keep(terms_, j, when); }

    // The record of a year under a rule, or the empty text when none has been kept.
    std::string Record(Rule rule, int year) const {
        std::string record;
        Find(records_[Slot(rule)], year, record);
        return record;
    }
    void KeepRecord(Rule rule, int year, const std::string& record) { Keep(records_[Slot(rule)], year, record); }

    // Forgets every event and record (to measure the engine from cold); the rule stays.
    void Forget();

private:
    static int Slot(Rule rule) { return rule == Rule::kModern ? 1 : 0; }

    template <typename Map, typename Key, typename Value>
    bool Find(const Map& map, Key key, Value& value) const {
        const std::lock_guard<std::mutex> lock(mutex_);
        const auto found = map.find(key);
        if (found == map.end()) return false;
        value = found->second;
        return true;
    }
    template <typename Map, typename Key, typename Value>
    void Keep(Map& map, Key key, const Value& value) {
        const std::lock_guard<std::mutex> lock(mutex_);
        map.emplace(key, value);
    }

    mutable std::mutex mutex_;
    std::atomic<bool> modern_{false};
    std::unordered_map<long long, double> phases_;  // chronological day values (UTC+8)
    std::unordered_map<long long, double> terms_;
    std::unordered_map<int, std::string> records_[2];  // historical, modern
};

// The one memo of the program.
Memo& TheMemo();

}  // namespace calendar::detail
