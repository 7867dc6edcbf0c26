#include "win/startup_trace.h"

#ifdef TEMPO_STARTUP_TRACE
#include <windows.h>

#include <cstdio>

namespace win {

namespace {

struct Mark {
    const char* step;
    LONGLONG counter;
};

Mark marks[64];
int mark_count = 0;
bool written = false;
LARGE_INTEGER frequency{};
double first_mark_ms = 0;  // the first mark's milliseconds since the process was created

double MillisecondsSinceCreation() {
    FILETIME creation, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &creation, &exited, &kernel, &user)) return 0;
    using Precise = void(WINAPI*)(FILETIME*);
    const auto precise = reinterpret_cast<Precise>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    if (precise)
        precise(&now);
    else
        GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(now) - ticks(creation)) / 10000.0;
}

// Before the program's own static constructors: what the loader and the libraries took.
__attribute__((constructor(101))) void MarkLoaded() { MarkStartup("libraries loaded, C runtime ready"); }

}  // namespace

void MarkStartup(const char* step) {
    if (written || mark_count == 64) return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (mark_count == 0) {
        QueryPerformanceFrequency(&frequency);
        first_mark_ms = MillisecondsSinceCreation();
    }
    marks[mark_count++] = Mark{step, now.QuadPart};
}

void MarkStartupIdle() {
    if (written) return;
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) return;
    MarkStartup("painted (the queue empty)");
    written = true;
    wchar_t path[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"TEMPO_STARTUP_TRACE", path, MAX_PATH)) return;
    FILE* file = _wfopen(path, L"a");
    if (!file) return;
    for (int i = 0; i < mark_count; ++i) {
        const double ms = first_mark_ms + 1000.0 * static_cast<double>(marks[i].counter - marks[0].counter) /
                                              static_cast<double>(frequency.QuadPart);
        std::fprintf(file, "%.1f %s\n", ms, marks[i].step);
    }
    std::fprintf(file, "\n");
    std::fclose(file);
}

}  // namespace win
#endif  // TEMPO_STARTUP_TRACE
