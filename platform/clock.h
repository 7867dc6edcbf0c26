// The local date and time, behind an interface: the program reads the clock, tests give it a fixed
// one, and nothing ever sets the system's clock.
#pragma once

#include <memory>

namespace platform {

struct LocalDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime Now() = 0;
    // Sets the local date, keeping the time of day; false when the system refuses (the change needs
    // a privilege that an ordinary user may not hold).
    virtual bool SetDate(int year, int month, int day) = 0;
};

// A clock that always tells the same time, for tests.
class FixedClock : public Clock {
public:
    explicit FixedClock(const LocalDateTime& t) : time_(t) {}
    LocalDateTime Now() override { return time_; }
    bool SetDate(int year, int month, int day) override {
        ++date_changes_;
        if (refuse_) return false;
        time_.year = year;
        time_.month = month;
        time_.day = day;
        return true;
    }
    void Set(const LocalDateTime& t) { time_ = t; }
    void RefuseChanges(bool refuse) { refuse_ = refuse; }
    int DateChanges() const { return date_changes_; }

private:
    LocalDateTime time_;
    bool refuse_ = false;
    int date_changes_ = 0;
};

// The system's local clock.
std::unique_ptr<Clock> MakeSystemClock();

}  // namespace platform
