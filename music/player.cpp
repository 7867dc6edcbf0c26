#include "music/player.h"

#include <algorithm>

#include "personal/background_sound.h"

namespace music {

namespace {

constexpr const char* kAlias = "AudioMCI";
const char* const kChannelOn[] = {"Set AudioMCI Audio All On", "Set AudioMCI Audio Left On",
                                  "Set AudioMCI Audio Right On"};

}  // namespace

std::int32_t NumericReply(const std::string& reply) {
    const std::string text = reply.substr(0, reply.find('\0'));
    if (text.size() < 2) return 0;
    std::int64_t value = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        value = value * 10 + (text[i] - '0');
        if (value > 200000000) return 0;  // no sound file lasts longer than 23 days
    }
    return static_cast<std::int32_t>(value * 10);
}

std::int32_t BarToMs(std::int32_t bar, std::int32_t total) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(bar) * total / kBarPixels);
}

std::int32_t MsToBar(std::int32_t ms, std::int32_t total) {
    if (total <= 0) return 0;
    return static_cast<std::int32_t>(static_cast<std::int64_t>(ms) * kBarPixels / total);
}

std::string TimeText(std::int32_t ms) {
    if (ms < 0) return {};
    const std::int32_t seconds = ms / 1000;
    const std::int32_t s = seconds % 60;
    return std::to_string(seconds / 60) + ":" + (s < 10 ? "0" : "") + std::to_string(s);
}

bool DeviceStopped(const std::string& mode) {
    std::string m = mode.substr(0, mode.find('\0'));
    while (!m.empty() && (m.back() == ' ' || m.back() == '\r' || m.back() == '\n')) m.pop_back();
    for (char& c : m) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return !m.empty() && m != "playing" && m != "seeking";
}

Player::Player(platform::MciDevice& mci, std::uintptr_t display, personal::FileExists exists)
    : mci_(mci), display_(display), exists_(std::move(exists)) {}

Player::~Player() {
    on_closed = nullptr;
    Close();
}

std::string Player::TimeLabel() const {
    if (!file_open_) return {};
    return TimeText(BarToMs(bar_, total_length_)) + "/" + TimeText(total_length_);
}

void Player::LoadList(const std::string& stored) { list_.entries = ReadAudioList(stored, exists_); }

bool Player::OpenAndPlay(const std::string& path) {
    const std::string device_path = mci_.DevicePath(path);
    if (device_path.empty() || !mci_.Send(personal::MciOpenCommand(device_path, kAlias, display_))) return false;
    mci_.Send("Set AudioMCI Time Format MS");
    std::string reply;
    mci_.Send("Status AudioMCI Length", &reply);
    total_length_ = NumericReply(reply);
    if (total_length_ == 0) {  // not a sound the device can play
        mci_.Send("Close AudioMCI");
        file_open_ = false;
        return false;
    }
    SendVolume();
    SendChannel();
    if (on_opened) on_opened(path, total_length_);
    mci_.Send("Play AudioMCI");
    file_open_ = true;
    play_state_ = kPlaying;
    mci_.Send(mute_ ? "Setaudio AudioMCI Off" : "Setaudio AudioMCI On");
    position_ms_ = 0;
    timer_running_ = true;
    return true;
}

void Player::Close() {
    if (!file_open_) return;
    timer_running_ = false;
    mci_.Send("Close AudioMCI");
    partial_play_ = false;
    range_start_ = 0;
    range_end_ = kBarPixels;
    bar_ = 0;
    file_open_ = false;
    play_state_ = kNothing;
    total_length_ = 0;
    position_ms_ = 0;
    if (on_closed) on_closed();
}

void Player::OpenEntry(int k) {
    if (k < 1 || k > list_.Count()) return;
    Close();
    list_.current = k;
    current_path_ = list_.Entry(k);
    OpenAndPlay(current_path_);
}

void Player::AddFiles(const std::vector<std::string>& paths) {
    const std::vector<std::string> chosen = AcceptedFiles(paths, exists_);
    if (chosen.empty()) return;
    Close();
    list_.PutInFront(chosen);
    list_play_ = chosen.size() > 1;
    OpenEntry(1);
}

void Player::AppendFiles(const std::vector<std::string>& paths) {
    list_.Append(AcceptedFiles(paths, exists_));
    if (play_state_ == kHalted) ApplyEndOfRange();  // a next entry may now be there
}

void Player::InsertFiles(int selected, const std::vector<std::string>& paths) {
    list_.InsertBefore(selected, AcceptedFiles(paths, exists_));
}

int Player::MoveUp(int selected) {
    const int moved = list_.MoveUp(selected);
    if (moved && play_state_ == kHalted) ApplyEndOfRange();
    return moved;
}

int Player::MoveDown(int selected) {
    const int moved = list_.MoveDown(selected);
    if (moved && play_state_ == kHalted) ApplyEndOfRange();
    return moved;
}

void Player::Remove(int selected) { list_.Remove(selected); }

void Player::PlayEntry(int k) {
    if (k < 1 || k > list_.Count()) return;
    list_play_ = false;
    OpenEntry(k);
}

void Player::ClearList() {
    Stop();
    list_.entries.clear();
}

void Player::NextTrack() { OpenEntry(list_.NextIndex(!current_path_.empty())); }
void Player::PreviousTrack() { OpenEntry(list_.PreviousIndex(!current_path_.empty())); }

void Player::SeekTo(int bar, bool then_play) {
    position_ms_ = BarToMs(bar, total_length_);
    const std::string ms = std::to_string(position_ms_);
    if (mci_.Send("Seek AudioMCI To " + ms)) {
        if (then_play) mci_.Send("Play AudioMCI");
    } else {
        // Some MCI drivers of the MPEGVideo type (Wine's) cannot seek but play from a position:
        // the same place reached by playing from it, and pausing there unless it plays on.
        mci_.Send("Play AudioMCI From " + ms);
        if (!then_play) mci_.Send("Pause AudioMCI");
    }
    bar_ = bar;
}

void Player::RestartRange() {
    if (!file_open_) return;
    SeekTo(range_start_, true);
    play_state_ = kPlaying;
}

void Player::JumpToRangeEnd() {
    if (!file_open_ || (play_state_ != kPlaying && play_state_ != kPaused)) return;
    SeekTo(range_end_, false);
    ApplyEndOfRange();
}

void Player::ApplyEndOfRange() {
    switch (EndOfRangeAction(list_play_, loop_play_, list_.current, list_.Count())) {
        case EndOfRange::kHalt:
            play_state_ = kHalted;
            mci_.Send("Pause AudioMCI");
            break;
        case EndOfRange::kRestart: RestartRange(); break;
        case EndOfRange::kNextTrack: NextTrack(); break;
    }
}

void Player::PlayPause() {
    switch (play_state_) {
        case kPlaying:
            mci_.Send("Pause AudioMCI");
            play_state_ = kPaused;
            break;
        case kPaused:
            mci_.Send("Play AudioMCI");
            play_state_ = kPlaying;
            break;
        // Two states where the button shows "＞" and the user expects it to play: halted at the end
        // of the range (it plays the range again), and nothing open with files in the list (it plays
        // the chosen entry, or the first).
        case kHalted: RestartRange(); break;
        default:
            if (list_.Count() > 0) OpenEntry(list_.current >= 1 ? list_.current : 1);
            break;
    }
}

void Player::Stop() {
    Close();
    current_path_.clear();
    list_play_ = false;
    list_.current = 0;
}

void Player::SetListPlay(bool on) {
    list_play_ = on;
    if (on && play_state_ == kHalted) ApplyEndOfRange();
}

void Player::SetLoopPlay(bool on) {
    loop_play_ = on;
    if (on && play_state_ == kHalted) ApplyEndOfRange();
}

void Player::SetPartialPlay(bool on) {
    if (on) {
        if (file_open_) partial_play_ = true;
        return;
    }
    partial_play_ = false;
    range_start_ = 0;
    range_end_ = kBarPixels;
    if (play_state_ == kHalted && range_end_ > bar_) {  // the old end halted it; the new one lies ahead
        mci_.Send("Play AudioMCI");
        play_state_ = kPlaying;
    }
}

void Player::MarkRangeStart(int x) {
    if (!partial_play_) return;
    const int start = std::max(0, x - 8);
    if (start >= range_end_) return;
    range_start_ = start;
    if (range_start_ > bar_) SeekTo(range_start_, play_state_ == kPlaying);
}

void Player::MarkRangeEnd(int x) {
    if (!partial_play_) return;
    const int end = std::min(kBarPixels, x - 8);
    if (end > range_start_) range_end_ = end;
}

void Player::BeginDrag() {
    if (!file_open_ || dragging_) return;
    dragging_ = true;
    timer_running_ = false;
    playing_before_drag_ = play_state_ == kPlaying;
    if (playing_before_drag_) mci_.Send("Pause AudioMCI");
}

void Player::EndDrag(int bar) {
    if (!dragging_) return;
    dragging_ = false;
    if (!file_open_) return;
    SeekTo(std::clamp(bar, 0, kBarPixels), playing_before_drag_);
    timer_running_ = true;
}

// While muted the device's volume is 0 as well: some devices (Wine's) ignore "Setaudio ... Off".
// The volume the user chose stays in volume_ and comes back with the sound.
void Player::SendVolume() {
    mci_.Send("Setaudio AudioMCI Volume TO " + std::to_string(mute_ ? 0 : 10 * volume_));
}

void Player::SendChannel() {
    mci_.Send("Set AudioMCI Audio All Off");
    mci_.Send(kChannelOn[channel_]);
}

void Player::SetVolume(int volume) {
    volume_ = std::clamp(volume - volume % 2, 0, 100);
    if (file_open_ && !mute_) SendVolume();
}

void Player::VolumeUp() {
    if (volume_ <= 98) SetVolume(volume_ + 2);
}

void Player::VolumeDown() {
    if (volume_ >= 2) SetVolume(volume_ - 2);
}

void Player::ToggleMute() {
    mute_ = !mute_;
    if (!file_open_) return;
    mci_.Send(mute_ ? "Setaudio AudioMCI OFF" : "Setaudio AudioMCI ON");
    SendVolume();
}

void Player::SetChannel(int channel) {
    if (channel < 0 || channel > 2) return;
    channel_ = channel;
    if (file_open_) SendChannel();
}

void Player::Tick() {
    if (!file_open_ || play_state_ != kPlaying || dragging_) return;
    std::string reply;
    mci_.Send("Status AudioMCI Position", &reply);
    std::int32_t ms = NumericReply(reply);
    // A device that played to the end of the file stops there, and some then give the position 0
    // (Wine's): one that no longer plays, though told to, has reached the end.
    std::string mode;
    if (mci_.Send("Status AudioMCI Mode", &mode) && DeviceStopped(mode)) ms = total_length_;
    int bar = MsToBar(ms, total_length_);
    if (bar < range_start_) {
        bar = range_start_;
        ms = BarToMs(bar, total_length_);
    } else if (bar > range_end_) {
        bar = range_end_;
        ms = BarToMs(bar, total_length_);
    }
    bar_ = bar;
    position_ms_ = ms;
    if (bar_ >= range_end_) ApplyEndOfRange();
}

}  // namespace music
