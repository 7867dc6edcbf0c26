// The background sound of a memorial or reminder day, and the preview of a file in the editor: one
// sound file at a time through the Media Control Interface, under a fixed alias ("XAudioMCI" for
// the background, "EAudioMCI" for the preview), as the device type MPEGVideo, which plays MP3, WAV,
// MID and WMA files alike.
#pragma once

#include <cstdint>
#include <string>

#include "platform/sound.h"

namespace personal {

// "Open <path> Alias <alias> Type MPEGVideo Parent <window> Style Child".
std::string MciOpenCommand(const std::string& device_path, const std::string& alias, std::uintptr_t window);

// One sound file under an alias: opened and played, closed again.
class SoundFile {
public:
    SoundFile(platform::MciDevice& mci, std::string alias) : mci_(mci), alias_(std::move(alias)) {}
    ~SoundFile() { Close(); }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    // Closes what was open, then opens the file for the window and starts it; false when the device
    // refused (the file is gone or no device plays it).
    bool Play(const std::string& path, std::uintptr_t window);
    void Close();
    bool open() const { return open_; }

    // The preview's extras: the length in milliseconds (0 when unknown), the position, pausing and
    // going on.
    long LengthMs();
    long PositionMs();
    // "playing", "paused", "stopped" (at the end, or never started); "" when nothing is open.
    std::string Mode();
    bool Pause();
    bool Resume();

private:
    long Status(const char* what);

    platform::MciDevice& mci_;
    std::string alias_;
    bool open_ = false;
};

constexpr const char* kBackgroundAlias = "XAudioMCI";
constexpr const char* kPreviewAlias = "EAudioMCI";

}  // namespace personal
