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
};

// A clock that always tells the same time, for tests.
class FixedClock : public Clock {
public:
    explicit FixedClock(const LocalDateTime& t) : time_(t) {}
    LocalDateTime Now() override { return time_; }
    void Set(const LocalDateTime& t) { time_ = t; }

private:
    LocalDateTime time_;
};

// The system's local clock.
std::unique_ptr<Clock> MakeSystemClock();

}  // namespace platform
