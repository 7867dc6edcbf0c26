#include "personal/background_sound.h"

#include <cstdlib>

namespace personal {

std::string MciOpenCommand(const std::string& device_path, const std::string& alias, std::uintptr_t window) {
    return "Open " + device_path + " Alias " + alias + " Type MPEGVideo Parent " + std::to_string(window) + " Style Child";
}

bool SoundFile::Play(const std::string& path, std::uintptr_t window) {
    Close();
    const std::string device_path = mci_.DevicePath(path);
    if (device_path.empty() || !mci_.Send(MciOpenCommand(device_path, alias_, window))) return false;
    open_ = true;
    mci_.Send("set " + alias_ + " time format ms");
    return mci_.Send("Play " + alias_);
}

void SoundFile::Close() {
    if (!open_) return;
    mci_.Send("Close " + alias_);
    open_ = false;
}

long SoundFile::Status(const char* what) {
    std::string reply;
    if (!open_ || !mci_.Send("status " + alias_ + " " + what, &reply)) return 0;
    return std::strtol(reply.c_str(), nullptr, 10);
}

std::string SoundFile::Mode() {
    std::string reply;
    if (!open_ || !mci_.Send("status " + alias_ + " mode", &reply)) return {};
    return reply;
}

long SoundFile::LengthMs() { return Status("length"); }
long SoundFile::PositionMs() { return Status("position"); }
bool SoundFile::Pause() { return open_ && mci_.Send("Pause " + alias_); }
bool SoundFile::Resume() { return open_ && mci_.Send("Resume " + alias_); }

}  // namespace personal
