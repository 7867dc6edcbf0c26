// Sounds embedded in the program (WAVE resources), played by name, and the Media Control Interface
// that plays sound files. Both are small interfaces: the program uses the Windows ones
// (platform/sound_win32.cpp), the tests of the core record what would have been played.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>  // std::chrono's clocks and durations too (<chrono> itself cannot be read as GBK)
#include <vector>

namespace platform {

// Plays the program's WAVE resources.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Plays the resource to its end and returns then; a missing resource plays nothing. May be
    // called from any thread, one sound at a time.
    virtual void PlayResource(const std::string& name) = 0;
    // Cuts short the sound that plays now, from another thread.
    virtual void Stop() = 0;
};

// The Media Control Interface: command strings sent to devices named by an alias.
class MciDevice {
public:
    virtual ~MciDevice() = default;
    // Sends one command string; true when the device accepted it, and its answer in *reply.
    virtual bool Send(const std::string& command, std::string* reply = nullptr) = 0;
    // The path as a command string can carry it (the short path under Windows: no blanks), or ""
    // when the file cannot be named.
    virtual std::string DevicePath(const std::string& path) { return CommandPath(path); }

    // A command string ends a path at its first blank. Volumes without short names give back the
    // long path with its blanks; in double quotes MCI reads it whole.
    static std::string CommandPath(const std::string& path) {
        if (path.find(' ') == std::string::npos || path.find('"') != std::string::npos) return path;
        return '"' + path + '"';
    }
};

// The program's sound player and MCI of Windows. Each loads its library (winmm.dll) when it first
// plays or sends; where the library cannot be loaded nothing plays and every command is refused, as
// when a device is missing (tests name a library that is not there). Defined only in the Windows build.
std::unique_ptr<SoundPlayer> MakeSystemSoundPlayer(const wchar_t* library = L"winmm.dll");
std::unique_ptr<MciDevice> MakeSystemMci(const wchar_t* library = L"winmm.dll");

// --- for tests --------------------------------------------------------------------------------------

// Records the resources played, in order; each takes `duration`, cut short by Stop.
class RecordingSoundPlayer final : public SoundPlayer {
public:
    explicit RecordingSoundPlayer(std::chrono::milliseconds duration = std::chrono::milliseconds(0))
        : duration_(duration) {}
    void PlayResource(const std::string& name) override {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            played_.push_back(name);
            stopped_ = false;
        }
        const auto end = std::chrono::steady_clock::now() + duration_;
        while (std::chrono::steady_clock::now() < end) {
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                if (stopped_) return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    void Stop() override {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
    }
    std::vector<std::string> Played() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return played_;
    }
    void Clear() {
        const std::lock_guard<std::mutex> lock(mutex_);
        played_.clear();
    }

private:
    std::chrono::milliseconds duration_;
    mutable std::mutex mutex_;
    std::vector<std::string> played_;
    bool stopped_ = false;
};

// Records the command strings sent; every command succeeds but those beginning with `refused`. A
// status command (any case) is answered by what it asks: `length`, `position` or `mode`.
class RecordingMci final : public MciDevice {
public:
    bool Send(const std::string& command, std::string* reply = nullptr) override {
        commands.push_back(command);
        std::string lower = command;
        for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (reply) {
            const std::string asked = lower.substr(lower.rfind(' ') + 1);
            *reply = lower.rfind("status ", 0) != 0 ? ""
                     : asked == "length"            ? length
                     : asked == "position"          ? position
                     : asked == "mode"              ? mode
                                                    : "";
        }
        return refused.empty() || command.rfind(refused, 0) != 0;
    }
    std::vector<std::string> commands;
    std::string length = "1000";
    std::string position = "0";
    std::string mode = "playing";
    std::string refused;
};

}  // namespace platform
