// The program's sounds under Windows: its WAVE resources through PlaySound, sound files through the
// Media Control Interface.
#include <windows.h>

#include <mmsystem.h>

#include "platform/sound.h"
#include "text/wide.h"

namespace platform {

namespace {

class SystemSoundPlayer final : public SoundPlayer {
public:
    void PlayResource(const std::string& name) override {
        // SND_NODEFAULT: a missing resource plays nothing rather than the system's default sound.
        PlaySoundW(text::GbkToWide(name).c_str(), GetModuleHandleW(nullptr), SND_RESOURCE | SND_SYNC | SND_NODEFAULT);
    }
    // A sound started by PlaySound on another thread ends when any thread plays "nothing".
    void Stop() override { PlaySoundW(nullptr, nullptr, 0); }
};

class SystemMci final : public MciDevice {
public:
    bool Send(const std::string& command, std::string* reply) override {
        wchar_t answer[256] = {};
        const MCIERROR error = mciSendStringW(text::GbkToWide(command).c_str(), answer, 256, nullptr);
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
