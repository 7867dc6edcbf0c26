// The program's sounds under Windows: its WAVE resources through PlaySound, sound files through the
// Media Control Interface. Their library (winmm, with the audio drivers it opens) is loaded when the
// first sound is played or the first command sent, not at the program's start; where it cannot be
// loaded nothing plays and every command is refused, as when a device is missing.
#include <windows.h>

#include <mmsystem.h>

#include <string>

#include "platform/sound.h"
#include "text/wide.h"

namespace platform {

namespace {

// A function of winmm.dll from the system folder; nullptr when it is missing.
template <typename Function>
Function Winmm(const char* name) {
    static const HMODULE library = [] {
        wchar_t folder[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return HMODULE{};
        return LoadLibraryW((std::wstring(folder, length) + L"\\winmm.dll").c_str());
    }();
    return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

BOOL PlaySoundOf(const wchar_t* sound, HMODULE module, DWORD flags) {
    static const auto play = Winmm<decltype(&PlaySoundW)>("PlaySoundW");
    return play ? play(sound, module, flags) : FALSE;
}

class SystemSoundPlayer final : public SoundPlayer {
public:
    void PlayResource(const std::string& name) override {
        // SND_NODEFAULT: a missing resource plays nothing rather than the system's default sound.
        PlaySoundOf(text::GbkToWide(name).c_str(), GetModuleHandleW(nullptr), SND_RESOURCE | SND_SYNC | SND_NODEFAULT);
    }
    // A sound started by PlaySound on another thread ends when any thread plays "nothing".
    void Stop() override { PlaySoundOf(nullptr, nullptr, 0); }
};

class SystemMci final : public MciDevice {
public:
    bool Send(const std::string& command, std::string* reply) override {
        static const auto send = Winmm<decltype(&mciSendStringW)>("mciSendStringW");
        wchar_t answer[256] = {};
        const MCIERROR error = send ? send(text::GbkToWide(command).c_str(), answer, 256, nullptr) : MCIERR_CANNOT_LOAD_DRIVER;
        if (reply) *reply = text::WideToGbk(answer);
        return error == 0;
    }
    // The short form of the path has no blanks and only characters of the code page; where the
    // volume keeps no short names it is the long path, quoted when it has blanks.
    std::string DevicePath(const std::string& path) override {
        const std::wstring wide = text::GbkToWide(path);
        const DWORD size = GetShortPathNameW(wide.c_str(), nullptr, 0);
        if (size == 0) return {};
        std::wstring short_path(size, L'\0');
        const DWORD n = GetShortPathNameW(wide.c_str(), short_path.data(), size);
        if (n == 0 || n >= size) return {};
        short_path.resize(n);
        return CommandPath(text::WideToGbk(short_path));
    }
};

}  // namespace

std::unique_ptr<SoundPlayer> MakeSystemSoundPlayer() { return std::make_unique<SystemSoundPlayer>(); }
std::unique_ptr<MciDevice> MakeSystemMci() { return std::make_unique<SystemMci>(); }

}  // namespace platform
