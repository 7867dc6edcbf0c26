#include <windows.h>

#include "platform/clock.h"

namespace platform {

namespace {

class SystemClock : public Clock {
public:
    LocalDateTime Now() override {
        SYSTEMTIME t;
        GetLocalTime(&t);
        return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
    }
};

}  // namespace

std::unique_ptr<Clock> MakeSystemClock() { return std::make_unique<SystemClock>(); }

}  // namespace platform
