// The music player's window "橙鹿音乐": a small caption-less skin, 273 × 100 pixels (taller while
// its play list shows), with nine text buttons, the file's name and time, the progress bar with
// the range of partial play, the volume bar, the speaker, lyric and list images, the play list and
// the popup menus. Its behaviour is music::Player; the lyrics of the playing file show in a lyric
// window or as a tooltip.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/sound.h"

namespace music {

// The player's menu commands.
enum PlayerCommand : int {
    kOpenFiles = 4025,
    kClearList = 4031,
    kFirstEntry = 4032,  // 我的音乐: 4032..4061, one per entry
    kListPlayCommand = 4075,
    kLoopPlayCommand = 4076,
    kPartialPlayCommand = 4077,
    kLyricTooltip = 4080,  // 4080..4083: the lyric styles 0..3
    kLyricDoubleKaraoke = 4083,
    kLyricFolder = 4085,
    kLyricOffsetCaption = 4086,
    kLyricEarlier = 4087,
    kLyricLater = 4088,
    kLyricOffsetReset = 4089,
    kLyricOffsetSave = 4090,
    kLyricBake = 4091,
    kLyricWrite = 4092,
    kChannelLeft = 4095,
    kChannelRight = 4096,
    kChannelStereo = 4097,
    kVolumeUpCommand = 4098,
    kVolumeDownCommand = 4099,
    kMuteCommand = 4100,
    kTopmostCommand = 4102,
    kExitCommand = 4103,
    // The play list's own menu.
    kListAppend = 4105,
    kListInsert = 4106,
    kListMoveUp = 4110,
    kListMoveDown = 4111,
    kListRemove = 4113,
};

// The nine text buttons, left to right: △ ＞ |< >| <| |> □ ▁ ×.
enum PlayerButton : int { kOpenButton, kPlayButton, kRestartButton, kEndButton, kPreviousButton, kNextButton,
                          kStopButton, kMinimiseButton, kExitButton, kButtonCount };
constexpr int kPlayListId = 4201;
constexpr int kDisplayId = 4202;

// What the player opens with and gives back when it closes. The settings it keeps are the program's:
// the list of recent files and the lyric options (read and written through these pointers).
struct PlayerContext {
    platform::MciDevice* mci = nullptr;
    std::string* history = nullptr;       // "HistoryAudioList"
    std::int16_t* lyric_style = nullptr;  // 0..3
    std::string* lyric_folder = nullptr;  // where lyric files are looked for besides the sound's folder
    std::int32_t* lyric_top = nullptr;    // the lyric window's top; -1 until placed
    bool esc_closes = true;               // Escape closes it (when a calendar page exists)
    std::function<void()> closed;         // after it closed, its values written back
};

// Opens the player (owned by `owner`, or a window of its own when nullptr) and returns it; the
// window runs modelessly until it is closed.
HWND OpenPlayer(HWND owner, const PlayerContext& context);
// Gives an open player another owner (nullptr: none) and puts it above the new owner, where an
// owned window belongs.
void ReownPlayer(HWND player, HWND owner);
// The player's state of an open player window, for tests.
class Player;
Player* PlayerOf(HWND window);
// The screen rectangle of a text button, in client coordinates.
RECT ButtonRect(int button);
// The client rectangle of the progress bar control (its pixel p lies at left + 8 + p) and of the
// volume bar (its volume v at 190 + v / 2).
RECT ProgressBarRect();
RECT VolumeBarRect();
// The images: speaker, lyrics, list.
RECT ImageRect(int image);
// The lyric window of a player, or nullptr; the lyric of its file.
HWND LyricWindowOf(HWND player);
struct Lyric;
const Lyric* LyricOf(HWND player);

}  // namespace music
