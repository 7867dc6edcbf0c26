// The system libraries the platform services load when they are first used rather than at the
// program's start (sound and MCI: winmm; sockets: ws2_32). Each service keeps its own LateLibrary;
// a library that cannot be loaded leaves its functions missing, and the service fails as it does
// when the system refuses it. Defined only in the Windows build.
#pragma once

#include <mutex>
#include <string>

namespace platform {

class LateLibrary {
public:
    // A library of the system folder by its file name ("winmm.dll"); nothing is loaded yet.
    explicit LateLibrary(std::wstring file) : file_(std::move(file)) {}
    // The address of a function, loading the library the first time (from any thread); nullptr
    // when the library or the function is missing.
    void* Function(const char* name);
    // The same, of the type of the declaration it stands for: Function<decltype(&PlaySoundW)>("PlaySoundW").
    template <typename F>
    F Function(const char* name) {
        return reinterpret_cast<F>(Function(name));
    }

private:
    std::wstring file_;
    std::once_flag once_;
    void* module_ = nullptr;
};

}  // namespace platform
