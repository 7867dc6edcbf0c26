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
    // A command string ends a path at its first blank; the short form of the path has none.
    std::string DevicePath(const std::string& path) override {
        const std::wstring wide = text::GbkToWide(path);
        wchar_t short_path[MAX_PATH] = {};
        const DWORD n = GetShortPathNameW(wide.c_str(), short_path, MAX_PATH);
        return n > 0 && n < MAX_PATH ? text::WideToGbk(short_path) : path;
    }
};

}  // namespace

std::unique_ptr<SoundPlayer> MakeSystemSoundPlayer() { return std::make_unique<SystemSoundPlayer>(); }
std::unique_ptr<MciDevice> MakeSystemMci() { return std::make_unique<SystemMci>(); }

}  // namespace platform
