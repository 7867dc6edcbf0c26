#include "settings/settings.h"

#include "text/gbk.h"
#include "text/numbers.h"

#include <charconv>
#include <string_view>
#include <system_error>

namespace settings {

namespace {

using platform::Registry;
using platform::RegistryRoot;

constexpr RegistryRoot User = RegistryRoot::CurrentUser;
constexpr RegistryRoot Machine = RegistryRoot::LocalMachine;

// The value names of the alarms A, B and C.
struct AlarmValueNames {
    const char* open_flag;
    const char* time;
    const char* sound_index;
};
constexpr AlarmValueNames AlarmValues[3] = {
    {"OpenAlarmClockAFlag", "DefiniteAlarmATime", "DefiniteAlarmASoundIndex"},
    {"OpenAlarmClockBFlag", "DefiniteAlarmBTime", "DefiniteAlarmBSoundIndex"},
    {"OpenAlarmClockCFlag", "DefiniteAlarmCTime", "DefiniteAlarmCSoundIndex"},
};

constexpr std::size_t MaxBitmapPathBytes = 260;
constexpr std::int32_t LastMinuteOfDay = 1439;

std::string Read(const Registry& registry, const char* name) {
    return platform::ReadRegistryString(registry, User, SettingsKey, name);
}

void Write(Registry& registry, const char* name, const std::string& value) {
    platform::WriteRegistryString(registry, User, SettingsKey, name, value);
}

void WriteNumber(Registry& registry, const char* name, std::int32_t value) {
    Write(registry, name, std::to_string(value));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The entry without one pair of surrounding double quotes.
std::string_view Unquoted(std::string_view entry) {
    if (entry.size() >= 2 && entry.front() == '"' && entry.back() == '"') return entry.substr(1, entry.size() - 2);
    return entry;
}

}  // namespace

// --- the program's path ---------------------------------------------------------------------------

ProgramPath SplitProgramPath(const std::string& module_path) {
    const std::size_t cut = text::LastPathSeparator(module_path);
    if (cut == std::string::npos) return {"", module_path};
    ProgramPath program{module_path.substr(0, cut), module_path.substr(cut + 1)};
    const bool bare_drive = program.folder.size() == 2 && program.folder[1] == ':';
    if (module_path[cut] == ':' || bare_drive || program.folder.empty()) program.folder += module_path[cut];
    return program;
}

std::string ProgramFullPath(const ProgramPath& program) {
    const bool ends_in_separator =
        !program.folder.empty() && text::LastPathSeparator(program.folder) == program.folder.size() - 1;
    if (program.folder.empty() || ends_in_separator) return program.folder + program.file_name;
    return program.folder + "\\" + program.file_name;
}

// --- acceptance rules ------------------------------------------------------------------------------

std::int16_t AcceptFlag(const std::string& stored) { return stored == "1" ? 1 : 0; }

std::int16_t AcceptInfoType(const std::string& stored) {
    if (stored == "1") return 1;
    if (stored == "2") return 2;
    return 0;
}

std::int32_t AcceptAlarmTime(const std::string& stored) {
    std::int32_t minutes = 0;
    if (!text::ParseCanonicalInteger(stored, minutes) || minutes < 1 || minutes > LastMinuteOfDay) return 0;
    return minutes;
}

std::int16_t AcceptSoundIndex(const std::string& stored) {
    if (stored.size() == 1 && stored[0] >= '1' && stored[0] <= '4') return static_cast<std::int16_t>(stored[0] - '0');
    return 0;
}

std::int32_t AcceptFormCenter(const std::string& stored, std::int32_t screen_size) {
    constexpr std::int32_t Centred = -1;
    std::size_t digits = 0;
    while (digits < stored.size() && IsDigit(stored[digits])) ++digits;
    if (digits == 0) return Centred;
    if (digits < stored.size()) {
        if (stored[digits] != '.') return Centred;
        for (std::size_t i = digits + 1; i < stored.size(); ++i) {
            if (!IsDigit(stored[i])) return Centred;
        }
    }
    std::int32_t whole = 0;
    const auto [end, error] = std::from_chars(stored.data(), stored.data() + digits, whole);
    if (error != std::errc() || whole > screen_size) return Centred;
    return whole;
}

std::string AcceptBitmapPath(const std::string& stored, const PathPredicate& bitmap_loads) {
    if (stored.size() < 2 || stored.size() > MaxBitmapPathBytes) return {};
    if (!IsDriveLetter(stored[0]) || stored[1] != ':') return {};
    if (stored.find_first_of("*?") != std::string::npos) return {};
    if (!bitmap_loads || !bitmap_loads(stored)) return {};
    return stored;
}

std::int16_t AcceptLyricStyle(const std::string& stored) {
    if (stored.size() == 1 && stored[0] >= '1' && stored[0] <= '3') return static_cast<std::int16_t>(stored[0] - '0');
    return 0;
}

std::string AcceptLyricFolder(const std::string& stored, const PathPredicate& folder_exists) {
    if (stored.empty() || !folder_exists || !folder_exists(stored)) return {};
    return stored;
}

std::int32_t AcceptWindowTop(const std::string& stored) {
    std::int32_t top = 0;
    return text::ParseCanonicalInteger(stored, top) ? top : -1;
}

bool AcceptWindowCorner(const std::string& stored, std::int32_t& left, std::int32_t& top) {
    const std::size_t comma = stored.find(',');
    if (comma == std::string::npos) return false;
    std::int32_t x = 0, y = 0;
    if (!text::ParseCanonicalInteger(stored.substr(0, comma), x) || !text::ParseCanonicalInteger(stored.substr(comma + 1), y))
        return false;
    if (x < -32768 || x > 32767 || y < -32768 || y > 32767) return false;
    left = x;
    top = y;
    return true;
}

// --- the start-with-Windows entry -------------------------------------------------------------------

std::string RunEntryText(const ProgramPath& program) {
    const std::string path = ProgramFullPath(program);
    if (path.find_first_of(" \t") != std::string::npos) return "\"" + path + "\"";
    return path;
}

bool RunEntryNamesProgram(const std::string& stored, const ProgramPath& program) {
    if (stored.empty()) return false;
    return text::UpperCaseAscii(Unquoted(stored)) == text::UpperCaseAscii(ProgramFullPath(program));
}

// --- loading, saving, removing ----------------------------------------------------------------------

Settings LoadSettings(const Registry& registry, const ProgramPath& program, ScreenSize screen,
                      const PathPredicate& bitmap_loads) {
    Settings settings;  // every default, the place 北京 天安门 with its coordinates
    settings.place = places::LoadLocalPlace("", "");
    if (Read(registry, "Version") != SettingsVersion) return settings;
    settings.use_registry = 1;

    const std::string machine_entry = platform::ReadRegistryString(registry, Machine, MachineRunKey, RunValueName);
    const std::string user_entry = platform::ReadRegistryString(registry, User, UserRunKey, RunValueName);
    settings.start_with_windows =
        RunEntryNamesProgram(machine_entry, program) || RunEntryNamesProgram(user_entry, program) ? 1 : 0;

    settings.whole_auto_report_time_flag = AcceptFlag(Read(registry, "WholeAutoReportTimeFlag"));
    settings.gan_zhi_from_chunjie_flag = AcceptFlag(Read(registry, "GanZhiFromChunjieFlag"));
    settings.close_back_audio_play_flag = AcceptFlag(Read(registry, "CloseBackAudioPlayFlag"));
    settings.modern_calculate_ancient_flag = AcceptFlag(Read(registry, "ModernCalculateAncientFlag"));
    settings.near_locate_memorial_flag = AcceptFlag(Read(registry, "NearLocateMemorialFlag"));
    settings.dform_show_dynasty_flag = AcceptFlag(Read(registry, "DFORMShowDynastyFlag"));
    settings.dform_show_info_type_flag = AcceptInfoType(Read(registry, "DFORMShowInfoTypeFlag"));
    settings.dform_back_bitmap_name = AcceptBitmapPath(Read(registry, "DFORMBackBitmapName"), bitmap_loads);
    settings.calendar_show_type_flag = AcceptFlag(Read(registry, "CalendarShowTypeFlag"));
    settings.hide_holidays_flag = AcceptFlag(Read(registry, "HideHolidaysFlag"));

    for (std::size_t i = 0; i < settings.alarms.size(); ++i) {
        Alarm& alarm = settings.alarms[i];
        alarm.open_flag = AcceptFlag(Read(registry, AlarmValues[i].open_flag));
        alarm.time_minutes = AcceptAlarmTime(Read(registry, AlarmValues[i].time));
        alarm.sound_index = AcceptSoundIndex(Read(registry, AlarmValues[i].sound_index));
    }

    settings.form_center_x = AcceptFormCenter(Read(registry, "FormCenterX"), screen.width);
    settings.form_center_y = AcceptFormCenter(Read(registry, "FormCenterY"), screen.height);

    // The city is accepted against the number of cities of the province accepted just before.
    const std::string stored_province = Read(registry, "NowProvIndex");
    const std::string stored_city = Read(registry, "NowCityIndex");
    settings.place = places::LoadLocalPlace(stored_province, stored_city);
    return settings;
}

void SaveSettings(Registry& registry, const Settings& settings, const ProgramPath& program, bool music_player_open) {
    if (settings.use_registry == 0) {
        platform::DeleteRegistryValue(registry, User, SettingsKey, "Version");
        return;
    }
    Write(registry, "Version", SettingsVersion);

    if (settings.start_with_windows != 0) {
        // One entry only, or Windows would start the program twice: the machine's when it can be
        // written, else the user's.
        const std::string entry = RunEntryText(program);
        if (platform::WriteRegistryString(registry, Machine, MachineRunKey, RunValueName, entry)) {
            platform::DeleteRegistryValue(registry, User, UserRunKey, RunValueName);
        } else {
            platform::WriteRegistryString(registry, User, UserRunKey, RunValueName, entry);
        }
    } else {
        platform::DeleteRegistryValue(registry, Machine, MachineRunKey, RunValueName);
        platform::DeleteRegistryValue(registry, User, UserRunKey, RunValueName);
    }

    WriteNumber(registry, "WholeAutoReportTimeFlag", settings.whole_auto_report_time_flag);
    WriteNumber(registry, "GanZhiFromChunjieFlag", settings.gan_zhi_from_chunjie_flag);
    WriteNumber(registry, "CloseBackAudioPlayFlag", settings.close_back_audio_play_flag);
    WriteNumber(registry, "ModernCalculateAncientFlag", settings.modern_calculate_ancient_flag);
    WriteNumber(registry, "NearLocateMemorialFlag", settings.near_locate_memorial_flag);
    WriteNumber(registry, "DFORMShowDynastyFlag", settings.dform_show_dynasty_flag);
    WriteNumber(registry, "DFORMShowInfoTypeFlag", settings.dform_show_info_type_flag);
    Write(registry, "DFORMBackBitmapName", settings.dform_back_bitmap_name);
    WriteNumber(registry, "CalendarShowTypeFlag", settings.calendar_show_type_flag);
    WriteNumber(registry, "HideHolidaysFlag", settings.hide_holidays_flag);

    for (std::size_t i = 0; i < settings.alarms.size(); ++i) {
        const Alarm& alarm = settings.alarms[i];
        WriteNumber(registry, AlarmValues[i].open_flag, alarm.open_flag);
        WriteNumber(registry, AlarmValues[i].time, alarm.time_minutes);
        WriteNumber(registry, AlarmValues[i].sound_index, alarm.sound_index);
    }

    // The centre is written as a number with one decimal, "512.0" (-1 as "-1.0", which reads back
    // as -1 through the acceptance rule).
    Write(registry, "FormCenterX", std::to_string(settings.form_center_x) + ".0");
    Write(registry, "FormCenterY", std::to_string(settings.form_center_y) + ".0");

    WriteNumber(registry, "NowProvIndex", settings.place.prov_index);
    WriteNumber(registry, "NowCityIndex", settings.place.city_index);

    if (music_player_open) SaveMusicSettings(registry, settings);
}

void LoadMusicSettings(const Registry& registry, Settings& settings, const PathPredicate& folder_exists) {
    const Settings defaults;
    settings.history_audio_list = defaults.history_audio_list;
    settings.show_lyric_window_flag = defaults.show_lyric_window_flag;
    settings.lyric_file_find_path = defaults.lyric_file_find_path;
    settings.lform_top = defaults.lform_top;
    if (settings.use_registry == 0) return;
    // The entries of the history list are checked by the player, which knows which files it plays.
    settings.history_audio_list = Read(registry, "HistoryAudioList");
    settings.show_lyric_window_flag = AcceptLyricStyle(Read(registry, "ShowLyricWindowFlag"));
    settings.lyric_file_find_path = AcceptLyricFolder(Read(registry, "LyricFileFindPath"), folder_exists);
    settings.lform_top = AcceptWindowTop(Read(registry, "LFORMTop"));
}

bool IsWebHost(const std::string& text) {
    if (text.empty() || text.size() > 255) return false;
    const size_t colon = text.find(':');
    const std::string name = text.substr(0, colon);
    if (name.empty() || name.front() == '.' || name.front() == '-') return false;
    for (char c : name) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-')) return false;
    }
    if (colon == std::string::npos) return true;
    std::int32_t port = 0;
    return text::ParseCanonicalInteger(text.substr(colon + 1), port) && port >= 1 && port <= 65535;
}

std::string LoadWebHost(const Registry& registry) {
    const std::string stored = Read(registry, WebHostValue);
    return IsWebHost(stored) ? stored : std::string();
}

void SaveMusicSettings(Registry& registry, const Settings& settings) {
    if (settings.use_registry == 0) return;
    Write(registry, "HistoryAudioList", settings.history_audio_list);
    WriteNumber(registry, "ShowLyricWindowFlag", settings.show_lyric_window_flag);
    Write(registry, "LyricFileFindPath", settings.lyric_file_find_path);
    // A window never placed (-1) leaves no value, which reads back as -1.
    Write(registry, "LFORMTop", settings.lform_top < 0 ? std::string() : std::to_string(settings.lform_top));
}

void LoadAlmanacPlace(const Registry& registry, Settings& settings) {
    if (settings.use_registry == 0) return;  // the place of this session stays
    settings.almanac_placed = AcceptWindowCorner(Read(registry, "AlmanacPlace"), settings.almanac_left, settings.almanac_top);
}

void SaveAlmanacPlace(Registry& registry, const Settings& settings) {
    if (settings.use_registry == 0 || !settings.almanac_placed) return;
    Write(registry, "AlmanacPlace", std::to_string(settings.almanac_left) + "," + std::to_string(settings.almanac_top));
}

void RemoveAllSettings(Registry& registry) {
    // The subkeys first: a key with subkeys cannot be deleted.
    for (const char* subkey : {SolarMemorialKey, LunarMemorialKey, MuharramMemorialKey, SolarRemindedKey, SettingsKey}) {
        platform::DeleteRegistryKey(registry, User, subkey);
    }
    platform::DeleteRegistryValue(registry, Machine, MachineRunKey, RunValueName);
    platform::DeleteRegistryValue(registry, User, UserRunKey, RunValueName);
}

}  // namespace settings
