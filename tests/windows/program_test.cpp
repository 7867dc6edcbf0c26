// Tempoline.exe as a process: one copy at a time, the command-line switches, the settings kept in
// the real registry across a restart.
#include <windows.h>

#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "almanac/almanac_window.h"
#include "help/holiday_update_window.h"
#include "platform/registry.h"
#include "text/wide.h"
#include "shell/command_ids.h"
#include "shell/program_win32.h"
#include "settings/settings.h"

namespace {

using platform::RegistryRoot;

const wchar_t* const kProgram = TEMPO_PROGRAM_PATH;

struct Process {
    PROCESS_INFORMATION info{};
    bool started = false;
    ~Process() {
        if (!started) return;
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    bool Ended(DWORD ms) { return WaitForSingleObject(info.hProcess, ms) == WAIT_OBJECT_0; }
    DWORD ExitCode() {
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        return code;
    }
};

std::unique_ptr<Process> Start(const std::wstring& arguments) {
    auto p = std::make_unique<Process>();
    std::wstring command = L"\"" + std::wstring(kProgram) + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    p->started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &p->info) != 0;
    return p;
}

int CountDayPages() {
    int count = 0;
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (std::wstring(name) == L"TempolineDayPage") ++*reinterpret_cast<int*>(data);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

HWND WaitForPage(const wchar_t* page_class, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 100) {
        HWND page = FindWindowW(page_class, nullptr);
        if (page && IsWindowVisible(page)) return page;
        Sleep(100);
    }
    return nullptr;
}

HWND WaitForDayPage(DWORD ms) { return WaitForPage(L"TempolineDayPage", ms); }

std::string Lower(std::string name) {
    for (char& c : name) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return name;
}

// The libraries a program file imports, read from its import table (lower case).
std::vector<std::string> ImportedLibraries(const wchar_t* program) {
    std::ifstream file(program, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> names;
    const auto at = [&bytes](size_t offset, size_t size) { return offset + size <= bytes.size() ? bytes.data() + offset : nullptr; };
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(at(0, sizeof(IMAGE_DOS_HEADER)));
    if (!dos) return names;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(at(dos->e_lfanew, sizeof(IMAGE_NT_HEADERS64)));
    if (!nt || nt->Signature != IMAGE_NT_SIGNATURE) return names;
    const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
        at(dos->e_lfanew + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader,
           nt->FileHeader.NumberOfSections * sizeof(IMAGE_SECTION_HEADER)));
    if (!sections) return names;
    const auto file_offset = [&](DWORD rva) -> size_t {
        for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& section = sections[i];
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.Misc.VirtualSize)
                return rva - section.VirtualAddress + section.PointerToRawData;
        }
        return bytes.size();
    };
    DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (;; rva += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(file_offset(rva), sizeof(IMAGE_IMPORT_DESCRIPTOR)));
        if (!entry || entry->Name == 0) break;
        const size_t name = file_offset(entry->Name);
        if (!at(name, 1)) break;
        names.push_back(Lower(std::string(bytes.data() + name, strnlen(bytes.data() + name, bytes.size() - name))));
    }
    return names;
}

// The libraries loaded in a process now (lower case).
std::vector<std::string> LoadedLibraries(HANDLE process) {
    HMODULE modules[512];
    DWORD needed = 0;
    std::vector<std::string> names;
    if (!EnumProcessModules(process, modules, sizeof modules, &needed)) return names;
    for (DWORD i = 0; i < std::min<DWORD>(needed / sizeof(HMODULE), 512); ++i) {
        wchar_t name[MAX_PATH] = {};
        if (GetModuleBaseNameW(process, modules[i], name, MAX_PATH)) names.push_back(Lower(text::WideToGbk(name)));
    }
    return names;
}

bool Holds(const std::vector<std::string>& names, const char* name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Whether the window is (or within a moment becomes: the program puts it on top right after showing
// it) always on top.
bool Topmost(HWND window) {
    for (int waited = 0; waited < 5000; waited += 50) {
        if (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) return true;
        Sleep(50);
    }
    return false;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        registry_ = platform::MakeSystemRegistry();
        settings::RemoveAllSettings(*registry_);
    }
    void TearDown() override { settings::RemoveAllSettings(*registry_); }
    std::unique_ptr<platform::Registry> registry_;
};

TEST_F(ProgramTest, ASecondCopyEndsAtOnceWhileTheFirstRuns) {
    auto first = Start(L"");
    ASSERT_TRUE(first->started);
    HWND page = WaitForDayPage(60000);
    ASSERT_NE(page, nullptr);
    auto second = Start(L"");
    ASSERT_TRUE(second->started);
    EXPECT_TRUE(second->Ended(20000));
    EXPECT_EQ(second->ExitCode(), 0u);
    EXPECT_EQ(CountDayPages(), 1);
    PostMessageW(page, WM_CLOSE, 0, 0);
    EXPECT_TRUE(first->Ended(20000));
}

TEST_F(ProgramTest, TheCalendarIsOnTopAfterTheStartAndAfterEachSwitchOfViews) {
    auto program = Start(L"");
    HWND day = WaitForDayPage(60000);
    ASSERT_NE(day, nullptr);
    EXPECT_TRUE(Topmost(day));
    PostMessageW(day, WM_COMMAND, shell::command::kMonthPage, 0);
    HWND month = WaitForPage(L"TempolineMonthPage", 20000);
    ASSERT_NE(month, nullptr);
    EXPECT_TRUE(Topmost(month));
    PostMessageW(month, WM_COMMAND, shell::command::kDayPage, 0);
    day = WaitForDayPage(20000);
    ASSERT_NE(day, nullptr);
    EXPECT_TRUE(Topmost(day));
    PostMessageW(day, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program->Ended(20000));
}

TEST_F(ProgramTest, SettingsSurviveARestart) {
    const std::string key = settings::SettingsKey;
    registry_->SetValue(RegistryRoot::CurrentUser, key, "Version", "4.2");
    registry_->SetValue(RegistryRoot::CurrentUser, key, "DFORMShowDynastyFlag", "1");
    registry_->SetValue(RegistryRoot::CurrentUser, key, "FormCenterX", "300.0");
    registry_->SetValue(RegistryRoot::CurrentUser, key, "FormCenterY", "200.0");
    registry_->SetValue(RegistryRoot::CurrentUser, key, "NowProvIndex", "5");
    registry_->SetValue(RegistryRoot::CurrentUser, key, "NowCityIndex", "99");  // beyond 黑龙江's 13 cities
    auto program = Start(L"");
    HWND page = WaitForDayPage(60000);
    ASSERT_NE(page, nullptr);
    RECT r;
    GetWindowRect(page, &r);
    EXPECT_EQ((r.left + r.right) / 2, 300);
    EXPECT_EQ((r.top + r.bottom) / 2, 200);
    SetWindowPos(page, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PostMessageW(page, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program->Ended(20000));
    EXPECT_EQ(registry_->ReadValue(RegistryRoot::CurrentUser, key, "Version"), "4.2");
    EXPECT_EQ(registry_->ReadValue(RegistryRoot::CurrentUser, key, "FormCenterX"), "140.0");
    EXPECT_EQ(registry_->ReadValue(RegistryRoot::CurrentUser, key, "FormCenterY"), "95.0");
    EXPECT_EQ(registry_->ReadValue(RegistryRoot::CurrentUser, key, "DFORMShowDynastyFlag"), "1");
    EXPECT_EQ(registry_->ReadValue(RegistryRoot::CurrentUser, key, "NowProvIndex"), "5");
    EXPECT_EQ(registry_->ReadValue(RegistryRoot::CurrentUser, key, "NowCityIndex"), "1");
}

TEST_F(ProgramTest, WithoutTheRegistryNothingIsWritten) {
    auto program = Start(L"/D");
    HWND page = WaitForDayPage(60000);
    ASSERT_NE(page, nullptr);
    PostMessageW(page, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program->Ended(20000));
    EXPECT_EQ(registry_->ReadValue(RegistryRoot::CurrentUser, settings::SettingsKey, "FormCenterX"), "");
    EXPECT_EQ(registry_->ReadValue(RegistryRoot::CurrentUser, settings::SettingsKey, "Version"), "");
}

// Each /U/ switch opens one page of the tools alone, whatever the case it is typed in; the program
// ends when that window closes. The captions are the pages' titles.
TEST_F(ProgramTest, EachToolSwitchOpensItsPageAloneAndEndsWithIt) {
    const struct {
        const wchar_t* arguments;
        const char* caption;
    } cases[] = {
        {L"/U/J", "橙鹿万年历：计算儒略日"},     {L"/u/i", "橙鹿万年历：计算间隔日"},
        {L"/U/G", "橙鹿万年历：计算干支历"},     {L"/U/c", "橙鹿万年历：公历农历回历互转"},
        {L"/U/L", "橙鹿万年历：计算农历月"},     {L"/u/T", "橙鹿万年历：计算节气日"},
        {L"/U/N", "橙鹿万年历：计算塑望日"},     {L"/U/S", "橙鹿万年历：计算太阳升降时刻"},
        {L"/U/D", "橙鹿万年历：查询条件日"},     {L"/u/m", "橙鹿万年历：查询条件月"},
    };
    for (const auto& c : cases) {
        auto program = Start(c.arguments);
        ASSERT_TRUE(program->started);
        const std::wstring caption = text::GbkToWide(c.caption);
        HWND tool = nullptr;
        for (int waited = 0; waited < 60000 && tool == nullptr; waited += 100) {
            HWND found = FindWindowW(nullptr, caption.c_str());
            if (found && IsWindowVisible(found)) tool = found;
            else Sleep(100);
        }
        ASSERT_NE(tool, nullptr) << c.caption;
        EXPECT_EQ(CountDayPages(), 0) << c.caption;
        EXPECT_EQ(FindWindowW(L"TempolineMonthPage", nullptr), nullptr) << c.caption;
        PostMessageW(tool, WM_CLOSE, 0, 0);
        EXPECT_TRUE(program->Ended(20000)) << c.caption;
    }
}

// /H opens the almanac 黄历 alone, in either case; Escape closes it and the program ends with it.
TEST_F(ProgramTest, TheAlmanacSwitchOpensItAloneAndEscapeEndsIt) {
    for (const wchar_t* arguments : {L"/H", L"/h"}) {
        auto program = Start(arguments);
        ASSERT_TRUE(program->started);
        const std::wstring caption = text::GbkToWide("黄历");
        HWND almanac = nullptr;
        for (int waited = 0; waited < 60000 && almanac == nullptr; waited += 100) {
            HWND found = FindWindowW(L"TempolineAlmanac", caption.c_str());
            if (found && IsWindowVisible(found)) almanac = found;
            else Sleep(100);
        }
        ASSERT_NE(almanac, nullptr);
        EXPECT_EQ(CountDayPages(), 0);
        EXPECT_EQ(FindWindowW(L"TempolineMonthPage", nullptr), nullptr);
        // Escape, to the window that has the focus (its 后一天 button).
        HWND focus = GetDlgItem(almanac, almanac::kNextDayId);
        PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 0);
        EXPECT_TRUE(program->Ended(20000));
    }
}

// The program starts with only the libraries its first window needs: sound, sockets, the open
// dialog, COM and the shell come when a feature first asks for them (the time spoken by Ctrl+Alt+V
// brings the sound library).
TEST_F(ProgramTest, StartsWithOnlyWhatItsFirstWindowNeeds) {
    const std::vector<std::string> imported = ImportedLibraries(kProgram);
    ASSERT_TRUE(Holds(imported, "user32.dll")) << "the import table was read";
    for (const char* later : {"winmm.dll", "ws2_32.dll", "comdlg32.dll", "ole32.dll", "shell32.dll", "oleacc.dll",
                              "oleaut32.dll"})
        EXPECT_FALSE(Holds(imported, later)) << later;

    auto program = Start(L"");
    HWND day = WaitForDayPage(60000);
    ASSERT_NE(day, nullptr);
    WaitForInputIdle(program->info.hProcess, 20000);
    const std::vector<std::string> loaded = LoadedLibraries(program->info.hProcess);
    ASSERT_TRUE(Holds(loaded, "user32.dll")) << "the modules were listed";
    for (const char* later : {"winmm.dll", "ws2_32.dll", "comdlg32.dll", "winspool.drv", "oleacc.dll"})
        EXPECT_FALSE(Holds(loaded, later)) << later;
    PostMessageW(day, WM_HOTKEY, shell::kHotkeySpeak, 0);
    bool sound = false;
    for (int waited = 0; waited < 20000 && !sound; waited += 100) {
        sound = Holds(LoadedLibraries(program->info.hProcess), "winmm.dll");
        if (!sound) Sleep(100);
    }
    EXPECT_TRUE(sound);
    PostMessageW(day, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program->Ended(20000));
}

TEST_F(ProgramTest, UnregisterRemovesEverythingAndEndsQuietly) {
    registry_->SetValue(RegistryRoot::CurrentUser, settings::SettingsKey, "Version", "4.2");
    registry_->SetValue(RegistryRoot::CurrentUser, settings::SolarMemorialKey, "05-12", "AD2000   title");
    // A holiday table fetched earlier, kept where the program keeps it (its folder made on the way).
    const std::string kept = shell::KeptHolidaysFile();
    ASSERT_FALSE(kept.empty());
    ASSERT_TRUE(help::KeepHolidayFile(kept, "2027-01-01\t\xe4\xbc\x91\tx\n"));
    ASSERT_NE(GetFileAttributesW(text::GbkToWide(kept).c_str()), INVALID_FILE_ATTRIBUTES);
    auto program = Start(L"/UNREGISTER");
    ASSERT_TRUE(program->Ended(30000));
    EXPECT_EQ(program->ExitCode(), 0u);
    const std::wstring folder = text::GbkToWide(kept.substr(0, kept.rfind('\\')));
    EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES) << "the file and its folder are gone";
    EXPECT_EQ(registry_->ReadValue(RegistryRoot::CurrentUser, settings::SettingsKey, "Version"), "");
    EXPECT_EQ(registry_->ReadValue(RegistryRoot::CurrentUser, settings::SolarMemorialKey, "05-12"), "");
    auto again = Start(L"/unreg");  // nothing stored: still quiet
    ASSERT_TRUE(again->Ended(30000));
    EXPECT_EQ(again->ExitCode(), 0u);
    EXPECT_EQ(CountDayPages(), 0);
}

// A screen reader, a program of its own, reads the running program's month page: its 37 cells, the
// month's days among them named by their dates, the rest unavailable. The program loads the
// accessibility library only now that it is asked.
TEST_F(ProgramTest, AScreenReaderReadsTheMonthPageOfTheRunningProgram) {
    auto program = Start(L"/M");
    HWND page = WaitForPage(L"TempolineMonthPage", 60000);
    ASSERT_NE(page, nullptr);
    WaitForInputIdle(program->info.hProcess, 20000);
    EXPECT_FALSE(Holds(LoadedLibraries(program->info.hProcess), "oleacc.dll"));
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring file = std::wstring(folder) + L"tempoline-program-tree.txt";
    std::wstring command = L"\"" + std::wstring(TEMPO_READER_PATH) + L"\" " +
                           std::to_wstring(reinterpret_cast<INT_PTR>(page)) + L" \"" + file + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION reader{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &reader));
    EXPECT_EQ(WaitForSingleObject(reader.hProcess, 60000), WAIT_OBJECT_0);
    DWORD status = 99;
    GetExitCodeProcess(reader.hProcess, &status);
    CloseHandle(reader.hProcess);
    CloseHandle(reader.hThread);
    EXPECT_EQ(status, 0u);
    std::ifstream in(file.c_str(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::wstring tree(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    // The cells: depth 2, role 29 (ROLE_SYSTEM_CELL); a used one's name begins with its date.
    SYSTEMTIME today{};
    GetLocalTime(&today);
    const std::wstring month = std::to_wstring(today.wYear) + L"\u5e74" + std::to_wstring(today.wMonth) + L"\u6708";
    int cells = 0, days = 0, unavailable = 0;
    for (size_t at = 0; (at = tree.find(L"2\t29\t", at)) != std::wstring::npos; ++at) {
        if (at > 0 && tree[at - 1] != L'\n') continue;
        ++cells;
        const size_t state = at + 5;
        const long bits = std::wcstol(tree.c_str() + state, nullptr, 10);
        const size_t name = tree.find(L'\t', tree.find(L'\t', state) + 1) + 1;
        if (tree.compare(name, month.size(), month) == 0) ++days;
        if (bits & 0x1) ++unavailable;  // STATE_SYSTEM_UNAVAILABLE
    }
    EXPECT_EQ(cells, 37);
    const int in_month = today.wMonth == 2 ? (today.wYear % 4 == 0 && (today.wYear % 100 != 0 || today.wYear % 400 == 0) ? 29 : 28)
                         : (today.wMonth == 4 || today.wMonth == 6 || today.wMonth == 9 || today.wMonth == 11) ? 30
                                                                                                                 : 31;
    EXPECT_EQ(days, in_month);
    EXPECT_EQ(unavailable, 37 - in_month);
    EXPECT_TRUE(Holds(LoadedLibraries(program->info.hProcess), "oleacc.dll"));
    PostMessageW(page, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program->Ended(20000));
}

}  // namespace
