// The program's sounds under Windows: its WAVE resources through PlaySound, sound files through the
// Media Control Interface. Their library (winmm, with the audio drivers it opens) is loaded when the
// first sound is played or the first command sent, not at the program's start.
#include <windows.h>

#include <mmsystem.h>

#include "platform/sound.h"
#include "platform/system_library.h"
#include "text/wide.h"

namespace platform {

namespace {

class SystemSoundPlayer final : public SoundPlayer {
public:
    explicit SystemSoundPlayer(const wchar_t* library) : winmm_(library) {}
    void PlayResource(const std::string& name) override {
        // SND_NODEFAULT: a missing resource plays nothing rather than the system's default sound.
        Play(text::GbkToWide(name).c_str(), GetModuleHandleW(nullptr), SND_RESOURCE | SND_SYNC | SND_NODEFAULT);
    }
    // A sound started by PlaySound on another thread ends when any thread plays "nothing".
    void Stop() override { Play(nullptr, nullptr, 0); }

private:
    void Play(const wchar_t* sound, HMODULE module, DWORD flags) {
        if (const auto play = winmm_.Function<decltype(&PlaySoundW)>("PlaySoundW")) play(sound, module, flags);
    }
    LateLibrary winmm_;
};

class SystemMci final : public MciDevice {
public:
    explicit SystemMci(const wchar_t* library) : winmm_(library) {}
    bool Send(const std::string& command, std::string* reply) override {
        const auto send = winmm_.Function<decltype(&mciSendStringW)>("mciSendStringW");
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

private:
    LateLibrary winmm_;
};

}  // namespace

std::unique_ptr<SoundPlayer> MakeSystemSoundPlayer(const wchar_t* library) { return std::make_unique<SystemSoundPlayer>(library); }
std::unique_ptr<MciDevice> MakeSystemMci(const wchar_t* library) { return std::make_unique<SystemMci>(library); }

}  // namespace platform
