// The program's settings and their home in the registry.
//
// Everything the program keeps between runs is text (REG_SZ) under HKEY_CURRENT_USER
// "Software\Tempoline": the options of the popup menu, the three alarms, the calendar window's
// centre, the local place, the music player's history and lyric options, and (in subkeys written by
// the personal-days editor) the memorial and reminder days. Nothing is written unless the user has
// chosen "使用注册表(&U)"; that choice is marked by the value "Version" = "4.2", and without it every
// setting takes its default.
//
// Every stored text passes an acceptance rule when it is read, and anything else falls back to the
// default, silently. A value saved as "" or "0" is deleted rather than written, so a cleared flag
// leaves nothing behind.
//
// The settings are loaded once at start and saved once when the calendar window closes for good.
// The functions take the registry and what they need to know about the machine as parameters, so
// they run natively in the tests against a MemoryRegistry.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "places/city_table.h"
#include "platform/registry.h"

namespace settings {

// --- where things are stored ----------------------------------------------------------------------

constexpr const char* SettingsKey = "Software\\Tempoline";
constexpr const char* SolarMemorialKey = "Software\\Tempoline\\SolarMemorial";
constexpr const char* LunarMemorialKey = "Software\\Tempoline\\LunarMemorial";
constexpr const char* MuharramMemorialKey = "Software\\Tempoline\\MuharramMemorial";
constexpr const char* SolarRemindedKey = "Software\\Tempoline\\SolarReminded";
// The value "Version" holds this text exactly while the registry is in use.
constexpr const char* SettingsVersion = "4.2";

// Windows starts the programs named in the "Run" keys at log-on. The program's entry is the value
// "Tempoline" under HKEY_LOCAL_MACHINE; a user without administrator rights cannot write there, and
// the entry then goes to the same key of HKEY_CURRENT_USER, which starts the program for that user.
constexpr const char* MachineRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* UserRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* RunValueName = "Tempoline";

// --- the settings ---------------------------------------------------------------------------------

// One of the three daily alarms A, B, C: switched on, its minute of the day 1..1439 (0 = not set),
// its sound 0..4.
struct Alarm {
    std::int16_t open_flag = 0;
    std::int32_t time_minutes = 0;
    std::int16_t sound_index = 0;
};
using Alarms = std::array<Alarm, 3>;

// The program-wide settings, named after their registry values. The defaults are the settings of a
// program that does not use the registry.
struct Settings {
    std::int16_t use_registry = 0;        // "Version" = "4.2" present: "使用注册表(&U)"
    std::int16_t start_with_windows = 0;  // the Run entry names this program: "开机自动运行(&P)"

    std::int16_t whole_auto_report_time_flag = 0;  // hourly chime
    std::int16_t gan_zhi_from_chunjie_flag = 0;    // sexagenary year starts at the Spring Festival
    std::int16_t close_back_audio_play_flag = 0;   // no background music on personal days
    std::int16_t modern_calculate_ancient_flag = 0;  // historical years by the modern rules
    std::int16_t near_locate_memorial_flag = 0;    // memorial days located approximately
    std::int16_t dform_show_dynasty_flag = 0;      // the day page shows the era-name year
    std::int16_t dform_show_info_type_flag = 0;    // 0 festivals and terms, 1 sunrise/sunset, 2 dawn/dusk
    std::string dform_back_bitmap_name;            // background picture of the day page, or ""
    std::int16_t calendar_show_type_flag = 0;      // start with 0 the day page, 1 the month page
    // The public holidays (休/班) are shown unless this is set: an option on by default is stored
    // as its opposite, so that a cleared flag still leaves no value behind.
    std::int16_t hide_holidays_flag = 0;           // "显示节假日安排(&H)" switched off

    Alarms alarms{};  // A, B, C

    std::int32_t form_center_x = -1;  // centre of the calendar window in screen pixels; -1 centres
    std::int32_t form_center_y = -1;  // the window on the screen

    places::LocalPlace place;  // the local place and its coordinates (北京 天安门 by default)

    // The music player's values, loaded when the player opens (LoadMusicSettings).
    std::string history_audio_list;         // recently played files, each path followed by "|"
    std::int16_t show_lyric_window_flag = 0;  // lyric style 0..3
    std::string lyric_file_find_path;       // folder searched for lyric files, or ""
    std::int32_t lform_top = -1;            // top of the lyric window; -1 when never placed

    // Where the user put the almanac window 黄历 (its top left corner in screen pixels), loaded when
    // it opens (LoadAlmanacPlace); almanac_placed false while it has never been moved.
    bool almanac_placed = false;
    std::int32_t almanac_left = 0;
    std::int32_t almanac_top = 0;
};

// --- what the settings need to know about the machine ---------------------------------------------

// The program's own file: its folder and its file name, as cut from the module's full path.
struct ProgramPath {
    std::string folder;     // "C:\Tools" (a drive's root keeps its "\": "C:\")
    std::string file_name;  // "Tempoline.exe"
};

// Cuts a module path at its last ":", "/" or "\" into folder and file name. The separator is not
// part of the folder unless the folder would otherwise be a bare drive ("C:") or nothing.
ProgramPath SplitProgramPath(const std::string& module_path);
// The folder, "\" unless the folder already ends in "\", "/" or ":" (or is empty), and the file name.
std::string ProgramFullPath(const ProgramPath& program);

// Answers a question about a file system path (does it name a loadable bitmap, an existing folder).
using PathPredicate = std::function<bool(const std::string& path)>;

struct ScreenSize {
    std::int32_t width = 0;  // pixels
    std::int32_t height = 0;
};

// --- acceptance rules of the stored texts ---------------------------------------------------------

// "1" gives 1, anything else 0.
std::int16_t AcceptFlag(const std::string& stored);
// The information type of the day page: "1" or "2", else 0.
std::int16_t AcceptInfoType(const std::string& stored);
// An alarm time: a canonical integer 1..1439 (minutes after midnight), else 0.
std::int32_t AcceptAlarmTime(const std::string& stored);
// An alarm sound: "1", "2", "3" or "4", else 0.
std::int16_t AcceptSoundIndex(const std::string& stored);
// A window centre coordinate, stored as "512.0": a decimal number (digits, optionally "." and more
// digits; no sign, no blanks) whose integer part lies in 0..screen_size; else -1.
std::int32_t AcceptFormCenter(const std::string& stored, std::int32_t screen_size);
// The background picture: a path of at most 260 bytes, without "*" or "?", starting with a drive
// letter and ":", that the predicate says names a bitmap file that loads; else "".
std::string AcceptBitmapPath(const std::string& stored, const PathPredicate& bitmap_loads);
// The lyric style: "1", "2" or "3", else 0.
std::int16_t AcceptLyricStyle(const std::string& stored);
// The lyric folder: kept when the predicate says the folder exists, else "".
std::string AcceptLyricFolder(const std::string& stored, const PathPredicate& folder_exists);
// The lyric window's top: a canonical integer, else -1.
std::int32_t AcceptWindowTop(const std::string& stored);
// A window's top left corner, stored as "left,top": two canonical integers within the screen
// coordinates Windows has (-32768..32767) and nothing else; false (left and top untouched) otherwise.
bool AcceptWindowCorner(const std::string& stored, std::int32_t& left, std::int32_t& top);

// --- the start-with-Windows entry -------------------------------------------------------------------

// The text of the Run entry for the program: its full path, in double quotes when it holds a blank
// (Windows would otherwise try "C:\Program.exe" first for "C:\Program Files\...").
std::string RunEntryText(const ProgramPath& program);
// True when a stored Run entry starts this program: the full path, with or without the quotes,
// compared without regard to the case of ASCII letters.
bool RunEntryNamesProgram(const std::string& stored, const ProgramPath& program);

// --- loading, saving, removing ----------------------------------------------------------------------

// Reads every setting (not the music values): the defaults when "Version" is not "4.2", else each
// stored value through its acceptance rule. The city index is checked against the province just
// accepted, and the place's coordinates are looked up.
Settings LoadSettings(const platform::Registry& registry, const ProgramPath& program, ScreenSize screen,
                      const PathPredicate& bitmap_loads);

// Writes the settings back when the registry is in use: "Version", the Run entry, every value in the
// order of loading, and the music values too while the music player is open. When the registry is
// not in use only "Version" is deleted, so the values left behind are not read again.
void SaveSettings(platform::Registry& registry, const Settings& settings, const ProgramPath& program,
                  bool music_player_open);

// The music player's four values, read when the player opens and written when it closes; without the
// registry they keep (resp. get) their defaults and nothing is written.
void LoadMusicSettings(const platform::Registry& registry, Settings& settings, const PathPredicate& folder_exists);
void SaveMusicSettings(platform::Registry& registry, const Settings& settings);
// The almanac window's place ("AlmanacPlace"), read when it opens and written when the user has
// moved it; only while the registry is in use (else the place of this session stays as it is).
void LoadAlmanacPlace(const platform::Registry& registry, Settings& settings);
void SaveAlmanacPlace(platform::Registry& registry, const Settings& settings);

// "WebHost": another host (and port) for the weather service and the download page, as
// "host" or "host:port"; read whether or not the registry is in use, so that a user or a test can
// point the program at their own tempoline-web. "" when it is not set or not a plain host name
// (letters, digits, ".", "-", and one ":" before a port of 1..65535).
constexpr const char* WebHostValue = "WebHost";
std::string LoadWebHost(const platform::Registry& registry);
bool IsWebHost(const std::string& text);

// Deletes everything the program stored: the four subkeys of the personal days, the settings key and
// the Run entries. Quiet when nothing is there.
void RemoveAllSettings(platform::Registry& registry);

}  // namespace settings
