// Times how long a program takes to show its first window: starts the program, waits until a
// visible top-level window of the given class exists, and then until the program first waits for
// input with nothing left to do (its window painted); prints both in milliseconds ("visible
// painted"), then closes the window.
//   startup_probe PROGRAM CLASS [ARGUMENTS]
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Found {
    const wchar_t* class_name;
    DWORD process;
    HWND window;
};

BOOL CALLBACK Match(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<Found*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    if (process == found->process && std::wstring(name) == found->class_name && IsWindowVisible(window)) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_probe PROGRAM CLASS [ARGUMENTS]\n");
        return 2;
    }
    std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
    for (int i = 3; i < argc; ++i) command += L" " + std::wstring(argv[i]);
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        std::fprintf(stderr, "cannot start the program\n");
        return 2;
    }
    Found found{argv[2], info.dwProcessId, nullptr};
    double elapsed = 0;
    for (;;) {
        EnumWindows(Match, reinterpret_cast<LPARAM>(&found));
        QueryPerformanceCounter(&now);
        elapsed = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        if (found.window || elapsed > 60000 || WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) break;
        Sleep(1);
    }
    double painted = elapsed;
    if (found.window) {
        // Idle: the program has handled what showing the window asked of it, the paints included.
        WaitForInputIdle(info.hProcess, 20000);
        QueryPerformanceCounter(&now);
        painted = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        PostMessageW(found.window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(info.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    if (!found.window) {
        std::fprintf(stderr, "no visible window of that class\n");
        return 1;
    }
    std::printf("%.1f %.1f\n", elapsed, painted);
    return 0;
}
