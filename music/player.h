// The music player's behaviour, apart from its window: one sound file at a time open under the MCI
// alias "AudioMCI", the play list, the play modes (list, loop, a part of the file), the progress
// bar's 240 pixels, volume, mute and channels. The window forwards the user's actions here and
// shows what the state then says; the tests drive it with a recording MCI device.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "music/play_list.h"
#include "platform/sound.h"

namespace music {

constexpr int kBarPixels = 240;
constexpr const char* kPlayText = "＞";
constexpr const char* kPauseText = "||";

// PlayState.
enum PlayState : int { kNothing = 0, kPlaying = 1, kPaused = 2, kHalted = 3 };

// A numeric MCI reply: the text up to its zero byte without its last character, times 10. So
// "183456" gives 183450; anything that is not digits gives 0.
std::int32_t NumericReply(const std::string& reply);
// A bar pixel as milliseconds of a file `total` ms long, and back; both truncate.
std::int32_t BarToMs(std::int32_t bar, std::int32_t total);
std::int32_t MsToBar(std::int32_t ms, std::int32_t total);
// Minutes and two-digit seconds, "3:07"; "" for a negative time.
std::string TimeText(std::int32_t ms);
// Whether a reply to "Status AudioMCI Mode" says the device has stopped by itself: any answer but
// "playing" and "seeking" (on its way to playing), in any case, blanks and line ends after it
// ignored. No answer says nothing.
bool DeviceStopped(const std::string& mode);

class Player {
public:
    // `display` is the window MCI draws into (its handle as a number); `exists` tells whether a
    // file exists.
    Player(platform::MciDevice& mci, std::uintptr_t display, personal::FileExists exists);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Called after a file opened (its path and length) and after it closed: the lyrics follow.
    std::function<void(const std::string& path, std::int32_t total_ms)> on_opened;
    std::function<void()> on_closed;

    // --- the user's actions
    void AddFiles(const std::vector<std::string>& paths);  // the open dialog, dropped files
    void AppendFiles(const std::vector<std::string>& paths);  // 添加
    void InsertFiles(int selected, const std::vector<std::string>& paths);  // 插入
    int MoveUp(int selected);    // 上移; the moved entry's new index or 0
    int MoveDown(int selected);  // 下移
    void Remove(int selected);   // 删除
    void PlayEntry(int k);       // an entry of 我的音乐
    void ClearList();            // 清空列表
    void NextTrack();
    void PreviousTrack();
    void RestartRange();  // |<
    void JumpToRangeEnd();  // >|
    void PlayPause();       // ＞ / ||
    void Stop();            // □
    void Close();
    void SetListPlay(bool on);
    void SetLoopPlay(bool on);
    void SetPartialPlay(bool on);
    void MarkRangeStart(int x);  // Ctrl + left click at x of the bar control
    void MarkRangeEnd(int x);    // Ctrl + right click
    void BeginDrag();            // the left button pressed on the bar
    void EndDrag(int bar);       // released with the thumb at `bar`
    void SetVolume(int volume);  // 0..100, even
    void VolumeUp();
    void VolumeDown();
    void ToggleMute();
    void SetChannel(int channel);  // 0 stereo, 1 left, 2 right
    // The 100 ms timer: the position, the range, the end of the range.
    void Tick();

    // --- what the window shows
    const PlayList& list() const { return list_; }
    const std::string& current_path() const { return current_path_; }
    bool file_open() const { return file_open_; }
    int play_state() const { return play_state_; }
    std::int32_t total_length() const { return total_length_; }
    int bar() const { return bar_; }
    int range_start() const { return range_start_; }
    int range_end() const { return range_end_; }
    bool list_play() const { return list_play_; }
    bool loop_play() const { return loop_play_; }
    bool partial_play() const { return partial_play_; }
    int volume() const { return volume_; }
    bool mute() const { return mute_; }
    int channel() const { return channel_; }
    // The timer should run (a file open and not being dragged).
    bool timer_running() const { return timer_running_; }
    // The time the position stands for, for the lyrics: the last position read or sought.
    std::int32_t position_ms() const { return position_ms_; }
    std::string PlayButtonText() const { return play_state_ == kPlaying ? kPauseText : kPlayText; }
    std::string TitleText() const { return file_open_ ? FileNameOf(current_path_) : ""; }
    std::string TimeLabel() const;

    // The list as read from the setting, and its stored form.
    void LoadList(const std::string& stored);
    std::string StoredList() const { return AudioListText(list_.entries); }

private:
    bool OpenAndPlay(const std::string& path);
    void OpenEntry(int k);
    void ApplyEndOfRange();
    // Moves playback to a bar pixel; playing on from there when then_play.
    void SeekTo(int bar, bool then_play);
    void SendVolume();
    void SendChannel();

    platform::MciDevice& mci_;
    std::uintptr_t display_;
    personal::FileExists exists_;
    PlayList list_;
    std::string current_path_;
    bool file_open_ = false;
    int play_state_ = kNothing;
    std::int32_t total_length_ = 0;
    int bar_ = 0;
    int range_start_ = 0;
    int range_end_ = kBarPixels;
    bool list_play_ = false, loop_play_ = false, partial_play_ = false;
    int volume_ = 60;
    bool mute_ = false;
    int channel_ = 0;
    bool timer_running_ = false;
    bool dragging_ = false, playing_before_drag_ = false;
    std::int32_t position_ms_ = 0;
};

}  // namespace music
