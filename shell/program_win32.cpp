#include "shell/program_win32.h"

#include <commctrl.h>

#include <memory>
#include <optional>

#include "almanac/almanac_window.h"
#include "calendar/holidays.h"
#include "calendar/lunar_year.h"
#include "help/help_text.h"
#include "help/holiday_update.h"
#include "platform/files.h"
#include "music/player_window.h"
#include "weather/weather_window.h"
#include "weather/weather_worker.h"
#include "settings/command_line.h"
#include "text/wide.h"
#include "tools/date_tools_window.h"
#include "tools/query_window.h"
#include "tools/yearly_tables_window.h"
#include "views/day_page_model.h"
#include "win/services.h"
#include "win/shell_services.h"
#include "win/startup_trace.h"

namespace shell {

namespace {

// The page's centre at the stored one (or centred on the primary monitor), on the monitor that holds
// that centre at its DPI, the whole page on that monitor's work area: a centre stored near an edge,
// one the other page left behind, or one on a monitor that is gone must not put the caption out of
// reach.
void PlaceAtStoredCentre(HWND window, const settings::Settings& settings) {
    std::optional<POINT> centre;
    if (settings.form_center_x >= 0 && settings.form_center_y >= 0) centre = POINT{settings.form_center_x, settings.form_center_y};
    win::PlaceAtCentre(window, centre);
}

// A switch of the command line that opens one tools window as the program's only window.
HWND OpenToolAlone(settings::StartAction action, const tools::ToolContext& context) {
    switch (action) {
        case settings::StartAction::kJulianDay: return tools::CreateDateToolsWindow(nullptr, 1, context);
        case settings::StartAction::kInterval: return tools::CreateDateToolsWindow(nullptr, 2, context);
        case settings::StartAction::kGanZhi: return tools::CreateDateToolsWindow(nullptr, 3, context);
        case settings::StartAction::kConversion: return tools::CreateDateToolsWindow(nullptr, 4, context);
        case settings::StartAction::kLunarMonths: return tools::CreateYearlyTablesWindow(nullptr, 1, context);
        case settings::StartAction::kSolarTerms: return tools::CreateYearlyTablesWindow(nullptr, 2, context);
        case settings::StartAction::kMoons: return tools::CreateYearlyTablesWindow(nullptr, 3, context);
        case settings::StartAction::kSunTimes: return tools::CreateYearlyTablesWindow(nullptr, 4, context);
        case settings::StartAction::kConditionDays: return tools::CreateQueryWindow(nullptr, 1, context);
        case settings::StartAction::kConditionMonths: return tools::CreateQueryWindow(nullptr, 2, context);
        default: return nullptr;
    }
}

}  // namespace

views::PageOptions PageOptionsOf(Program& program) {
    const settings::Settings& s = program.settings;
    Program* p = &program;
    return views::PageOptions{
        .ganzhi_from_chunjie = s.gan_zhi_from_chunjie_flag,
        .show_era_names = s.dform_show_dynasty_flag != 0,
        .info_type = s.dform_show_info_type_flag,
        .longitude = s.place.longitude,
        .latitude = s.place.latitude,
        .background_picture = s.dform_back_bitmap_name,
        .show_holidays = s.hide_holidays_flag == 0,
        .personal_days =
            [p](astro::DayNumber day) {
                if (!p->settings.use_registry || p->registry == nullptr) return personal::DayTexts{};
                return personal::PersonalDaysOf({p->registry, win::FileExists}, day,
                                                p->settings.near_locate_memorial_flag != 0);
            },
        .background_sound =
            [p](const std::string& audio, HWND page) {
                if (!p->background) return;
                if (audio.empty())
                    p->background->Close();
                else if (!p->settings.close_back_audio_play_flag)
                    p->background->Play(audio, reinterpret_cast<std::uintptr_t>(page));
            },
        .day_shown = [p](astro::DayNumber day) { almanac::ShowAlmanacDay(p->almanac_window, day); },
        .open_almanac = [p](astro::DayNumber day) { OpenAlmanac(*p, p->calendar_window, day); },
    };
}

void StartSounds(Program& program, platform::SoundPlayer& player, platform::MciDevice& mci) {
    program.sound_player = &player;
    program.mci = &mci;
    program.time_signals = std::make_unique<personal::TimeSignals>(*program.clock, player);
    program.background = std::make_unique<personal::SoundFile>(mci, personal::kBackgroundAlias);
}

astro::DayNumber Today(const Program& program) {
    const platform::LocalDateTime now = program.clock->Now();
    return astro::DateToDayNumber(now.year, now.month, now.day);
}

views::PageWindow* ShownPage(const Program& program) { return views::PageWindowOf(program.calendar_window); }

tools::ToolContext ToolContextOf(const Program& program) {
    const views::PageWindow* page = ShownPage(program);
    return tools::ToolContext{
        .start_day = page ? page->Day() : Today(program),
        .ganzhi_from_chunjie = program.settings.gan_zhi_from_chunjie_flag,
        .province = program.settings.place.prov_index,
        .city = program.settings.place.city_index,
    };
}

HWND OpenCalendarPage(Program& program, views::CalendarView view, astro::DayNumber day) {
    const views::CalendarPage& page = views::PageOf(view);
    HWND window = page.create(day, PageOptionsOf(program));
    TEMPO_STARTUP_MARK("page made");
    if (window == nullptr) return nullptr;
    program.view = view;
    program.page = &page;
    program.calendar_window = window;
    program.settings.calendar_show_type_flag = static_cast<std::int16_t>(view);
    InstallCalendarFrame(program, window);
    TEMPO_STARTUP_MARK("frame: timers");
    PlaceAtStoredCentre(window, program.settings);
    TEMPO_STARTUP_MARK("placed");
    win::Show(window);
    TEMPO_STARTUP_MARK("shown");
    // Only now: under Wine a window made topmost while hidden loses it when it is shown.
    ApplyPlacement(program, window);
    TEMPO_STARTUP_MARK("on top");
    program.view_switching = false;
    return window;
}

void SwitchView(Program& program, views::CalendarView view) {
    const views::PageWindow* page = ShownPage(program);
    if (program.view == view || page == nullptr) return;
    const astro::DayNumber day = page->Day();
    program.placement = Placement::kOnTop;
    program.move_lock = false;
    program.transparency_level = 0;
    program.fade_step = 0;
    program.view_switching = true;  // the close below must neither save nor end the program
    // The music player belongs to the calendar window; it moves to the new page instead of going
    // with the old one.
    if (program.music_player) music::ReownPlayer(program.music_player, nullptr);
    // So does the almanac, with its day and its chosen days.
    if (program.almanac_window) almanac::ReownAlmanac(program.almanac_window, nullptr);
    SendMessageW(program.calendar_window, WM_CLOSE, 0, 0);
    // Without a calendar window nothing could end the program: it ends now.
    if (OpenCalendarPage(program, view, day) == nullptr) {
        PostQuitMessage(0);
        return;
    }
    if (program.music_player) music::ReownPlayer(program.music_player, program.calendar_window);
    if (program.almanac_window) almanac::ReownAlmanac(program.almanac_window, program.calendar_window);
}

HWND OpenMusicPlayer(Program& program, HWND owner) {
    if (program.music_player && music::PlayerOf(program.music_player) != nullptr) {
        ShowWindow(program.music_player, SW_RESTORE);
        SetForegroundWindow(program.music_player);
        return program.music_player;
    }
    settings::Settings& s = program.settings;
    if (s.use_registry && program.registry) settings::LoadMusicSettings(*program.registry, s, win::FolderExists);
    music::PlayerContext context;
    context.mci = program.mci;
    context.history = &s.history_audio_list;
    context.lyric_style = &s.show_lyric_window_flag;
    context.lyric_folder = &s.lyric_file_find_path;
    context.lyric_top = &s.lform_top;
    context.esc_closes = owner != nullptr;  // alone, it is the program
    Program* p = &program;
    context.closed = [p] {
        p->music_player = nullptr;
        // Written as the player closes, so that its list is kept however the program ends later.
        if (p->settings.use_registry && p->registry) settings::SaveMusicSettings(*p->registry, p->settings);
    };
    program.music_player = music::OpenPlayer(owner, context);
    return program.music_player;
}

HWND OpenWeather(Program& program, HWND owner) {
    // Still the viewer (a handle of a window that has gone may name another window by now).
    if (program.weather_viewer && weather::WeatherFetchState(program.weather_viewer) >= 0) {
        ShowWindow(program.weather_viewer, SW_RESTORE);
        SetForegroundWindow(program.weather_viewer);
        return program.weather_viewer;
    }
    if (!program.network) return nullptr;
    weather::WeatherContext context;
    context.network = program.network;
    const std::string host = program.registry ? settings::LoadWebHost(*program.registry) : std::string();
    context.host = host.empty() ? weather::kWeatherHost : host;
    context.province = program.settings.place.prov_index;
    context.city = program.settings.place.city_index;
    program.weather_viewer = weather::OpenWeatherViewer(owner, context);
    return program.weather_viewer;
}

HWND OpenAlmanac(Program& program, HWND owner, astro::DayNumber day) {
    if (almanac::ShowAlmanacDay(program.almanac_window, day)) {
        ShowWindow(program.almanac_window, SW_RESTORE);
        SetForegroundWindow(program.almanac_window);
        return program.almanac_window;
    }
    almanac::AlmanacContext context;
    context.day = day;
    Program* p = &program;
    context.today = [p] { return Today(*p); };
    context.closed = [p] { p->almanac_window = nullptr; };
    context.place_province = program.settings.place.prov_index;
    context.place_city = program.settings.place.city_index;
    context.first_day = views::FirstShownDay();
    context.last_day = views::LastShownDay();
    settings::Settings& s = program.settings;
    if (program.registry) settings::LoadAlmanacPlace(*program.registry, s);
    context.placed = s.almanac_placed;
    context.corner = POINT{s.almanac_left, s.almanac_top};
    context.moved = [p](POINT corner) {
        p->settings.almanac_placed = true;
        p->settings.almanac_left = corner.x;
        p->settings.almanac_top = corner.y;
        if (p->registry) settings::SaveAlmanacPlace(*p->registry, p->settings);
    };
    program.almanac_window = almanac::OpenAlmanacWindow(owner, context);
    return program.almanac_window;
}

help::VersionSource VersionSourceOf(const Program& program) {
    const std::string host = program.registry ? settings::LoadWebHost(*program.registry) : std::string();
    if (host.empty())
        return {program.network, help::DownloadHost, help::DownloadUrl, true, program.holidays_file,
                program.holidays_refused};
    return {program.network, host, "http://" + host + help::DownloadPath, true, program.holidays_file,
            program.holidays_refused};
}

help::HolidaySource HolidaySourceOf(const Program& program) {
    const std::string host = program.registry ? settings::LoadWebHost(*program.registry) : std::string();
    return {program.network, host.empty() ? std::string(help::DownloadHost) : host, program.holidays_file,
            program.holidays_refused};
}

std::string KeptHolidaysFile() {
    const std::wstring folder = win::ApplicationDataFolder();
    if (folder.empty()) return {};
    const std::wstring file = folder + L"\\Tempoline\\holidays.tsv";
    // The program's file functions take GBK paths: a folder whose name GBK cannot write is not used.
    const std::string gbk = text::WideToGbk(file);
    return text::GbkToWide(gbk) == file ? gbk : std::string();
}

std::string LoadKeptHolidays(const std::string& file) {
    if (file.empty() || GetFileAttributesW(text::GbkToWide(file).c_str()) == INVALID_FILE_ATTRIBUTES) return {};
    std::string text;
    if (!platform::ReadWholeFile(file, text, calendar::kMaxHolidayFileBytes)) return "文件无法读取，或超过64KB";
    std::string refused;
    calendar::InstallHolidays(help::KeptHolidays(text, &refused));
    return refused;
}

void RecheckKeptHolidays(Program& program) {
    if (program.holidays_refused.empty()) return;
    std::string text;
    if (platform::ReadWholeFile(program.holidays_file, text, calendar::kMaxHolidayFileBytes))
        help::KeptHolidays(text, &program.holidays_refused);
}

void RefreshCalendarPage(Program& program) {
    if (views::PageWindow* page = ShownPage(program)) page->Refresh(PageOptionsOf(program));
}

int RunProgram(const std::string& command_line) {
    TEMPO_STARTUP_MARK("entry");
    const win::SingleInstance instance(kInstanceMutex);
    if (instance.AlreadyRunning()) return 0;

    INITCOMMONCONTROLSEX controls{sizeof controls, 0x7FFF};  // every class, ICC_LISTVIEW_CLASSES .. 0x4000
    InitCommonControlsEx(&controls);
    InitCommonControls();
    TEMPO_STARTUP_MARK("single instance, common controls");

    const std::unique_ptr<platform::Registry> registry = platform::MakeSystemRegistry();
    const std::unique_ptr<platform::Clock> clock = platform::MakeSystemClock();
    const std::unique_ptr<platform::SoundPlayer> player = platform::MakeSystemSoundPlayer();
    const std::unique_ptr<platform::MciDevice> mci = platform::MakeSystemMci();
    Program program;
    program.registry = registry.get();
    program.clock = clock.get();
    StartSounds(program, *player, *mci);
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    program.path = settings::SplitProgramPath(text::WideToGbk(module));
    TEMPO_STARTUP_MARK("platform services");

    // A stored centre is taken when it lies within the monitors' reach (on a second monitor too).
    const SIZE reach = win::DesktopReach();
    program.settings = settings::LoadSettings(*program.registry, program.path, settings::ScreenSize{reach.cx, reach.cy}, win::BitmapFileLoads);
    calendar::SetModernCalculateAncientFlag(program.settings.modern_calculate_ancient_flag != 0);
    TEMPO_STARTUP_MARK("settings");
    program.holidays_file = KeptHolidaysFile();
    program.holidays_refused = LoadKeptHolidays(program.holidays_file);
    TEMPO_STARTUP_MARK("holiday table");
    program.picture_folder = program.settings.dform_back_bitmap_name.empty()
                                 ? program.path.folder
                                 : settings::SplitProgramPath(program.settings.dform_back_bitmap_name).folder;

    const settings::StartOptions options = settings::ParseCommandLine(settings::ArgumentsOf(command_line));
    if (options.action == settings::StartAction::kUnregister) {
        settings::RemoveAllSettings(*program.registry);
        // And the fetched holiday table with its folder, when nothing else is in it.
        if (!program.holidays_file.empty()) {
            const std::wstring file = text::GbkToWide(program.holidays_file);
            DeleteFileW(file.c_str());
            RemoveDirectoryW(file.substr(0, file.find_last_of(L'\\')).c_str());
        }
        return 0;
    }
    const std::unique_ptr<platform::Network> network = platform::MakeSystemNetwork();
    program.network = network.get();
    if (options.action == settings::StartAction::kWeather) {
        if (HWND viewer = OpenWeather(program, nullptr)) win::RunModal(viewer);
        return 0;
    }
    if (options.action == settings::StartAction::kAlmanac) {
        if (HWND almanac = OpenAlmanac(program, nullptr, Today(program))) win::RunModal(almanac);
        return 0;
    }
    if (options.action == settings::StartAction::kMusicPlayer) {
        if (HWND player = OpenMusicPlayer(program, nullptr)) win::RunModal(player);
        return 0;
    }
    if (options.action != settings::StartAction::kCalendar) {
        tools::RunToolWindow(OpenToolAlone(options.action, ToolContextOf(program)));
        return 0;
    }
    const views::CalendarView view = options.view >= 0 ? static_cast<views::CalendarView>(options.view)
                                                       : static_cast<views::CalendarView>(program.settings.calendar_show_type_flag);

    TEMPO_STARTUP_MARK("command line, network");
    BuildPopupMenu(program);
    TEMPO_STARTUP_MARK("popup menu");
    if (OpenCalendarPage(program, view, Today(program)) == nullptr) return 0;
    MSG msg;
    while (TEMPO_STARTUP_IDLE(), GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (program.calendar_window && IsDialogMessageW(program.calendar_window, &msg)) continue;
        // The almanac's keys (Tab, Escape) while it stands beside the calendar.
        if (program.almanac_window && IsDialogMessageW(program.almanac_window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace shell
