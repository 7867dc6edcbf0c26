// The personal days, the alarms and the spoken time under Wine: the editors driven as a user drives
// them, the days on the pages, and what the program really plays (ALSA's default device is a file
// here: see tests/CMakeLists.txt).
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "personal/alarm_editor.h"
#include "personal/personal_days_editor.h"
#include "personal/spoken_time.h"
#include "personal/time_signals.h"
#include "tests/windows/test_support.h"
#include "text/wide.h"
#include "views/calendar_page.h"
#include "views/day_page_window.h"
#include "views/month_page_window.h"

namespace {

using astro::DateToDayNumber;
using namespace personal;
using namespace shell::command;
using platform::RegistryRoot;
using test::Click;
using test::Capture;
using test::Pump;
using test::PumpUntil;
using test::Text;

constexpr RegistryRoot User = RegistryRoot::CurrentUser;

// A title as the pages show it: right-aligned in 20 bytes, a blank, the audio path.
std::string Shown(const std::string& title, const std::string& audio = "") {
    return std::string(20 - title.size(), ' ') + title + " " + audio;
}

std::vector<std::string> Rows(HWND editor) {
    HWND list = GetDlgItem(editor, kDayListId);
    std::vector<std::string> rows;
    const int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        std::wstring row(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(row.data()));
        rows.push_back(text::WideToGbk(row.c_str()));
    }
    return rows;
}

void ChooseRow(HWND editor, int row) {
    HWND list = GetDlgItem(editor, kDayListId);
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageW(editor, WM_COMMAND, MAKEWPARAM(kDayListId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    Pump();
}

struct Entry {
    const char* year;
    const char* month;
    const char* day;
    bool leap;
    const char* title;
};

void Enter(HWND editor, const Entry& e) {
    test::SetText(editor, kYearBoxId, e.year);
    test::SetText(editor, kMonthBoxId, e.month);
    test::SetText(editor, kDayBoxId, e.day);
    if (test::IsChecked(editor, kLeapMonthId) != e.leap) Click(editor, kLeapMonthId);
    test::SetText(editor, kTitleBoxId, e.title);
}

// A file the pages and the editor may name as a day's sound.
std::string SoundFile() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"tempoline 生日.wav";
    if (FILE* f = _wfopen(path.c_str(), L"wb")) {
        std::fputs("RIFF", f);
        std::fclose(f);
    }
    return text::WideToGbk(path);
}

// Does `action` to the window titled `caption` once it shows, from inside a modal loop (for up to
// ten seconds).
test::ModalSteps InModal(const char* caption, std::function<void(HWND)> action) {
    auto done = std::make_shared<bool>(false);
    std::vector<std::function<void()>> steps;
    for (int i = 0; i < 200; ++i) {
        steps.push_back([=] {
            HWND window = test::FindByCaption(caption);
            if (*done || !window || !IsWindowVisible(window)) return;
            *done = true;
            action(window);
        });
    }
    return test::ModalSteps(std::move(steps));
}

class PersonalTest : public test::CalendarTest {
protected:
    HWND OpenEditor(EditorMode mode, bool registry_in_use = true) {
        HWND w = CreatePersonalDaysEditor(nullptr, EditorContext{mode, &registry_, &mci_, registry_in_use});
        Pump();
        return w;
    }
};

TEST_F(PersonalTest, TheMemorialEditorAddsChecksChangesAndSaves) {
    registry_.SetValue(User, settings::SolarMemorialKey, "05-12", "AD1990" + Shown("生日"));
    HWND editor = OpenEditor(EditorMode::kMemorials);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Text(editor), "编辑纪念日");
    EXPECT_EQ(Rows(editor), std::vector<std::string>{"公历05月12日（AD1990年）：" + Shown("生日")});
    EXPECT_EQ(Text(editor, kYearLabelId), "公历年");

    // Each refusal says why, and nothing joins the list.
    const struct {
        Entry entry;
        int button;
        const char* why;
    } refused[] = {
        {{"2024", "1", "30", false, "生日"}, kAddLunarId, "农历2024年没有1月30日"},  // 2024 正月 has 29 days
        {{"2024", "2", "1", true, "生日"}, kAddLunarId, "农历2024年没有闰2月1日"},
        {{"2023", "2", "29", false, "生日"}, kAddSolarId, "公历2023年没有2月29日"},
        {{"1799", "5", "1", false, "生日"}, kAddSolarId, "公历年份须在1800～2200之间"},
        {{"1446", "12", "30", false, "生日"}, kAddHijriId, "回历1446年没有12月30日"},
        {{"2000", "13", "1", false, "生日"}, kAddSolarId, "公历月份须在1～12之间"},
        {{"2000", "5", "12", false, "另一个"}, kAddSolarId, "公历05月12日已有纪念日，同一天只能有一个"},
        {{"2000", "5", "1", false, ""}, kAddSolarId, "请输入纪念事项"},
        {{"", "5", "1", false, "生日"}, kAddSolarId, "请输入年、月、日"},
    };
    for (const auto& r : refused) {
        Enter(editor, r.entry);
        Click(editor, r.button);
        EXPECT_EQ(Text(editor, kEditorStatusId), r.why) << r.entry.year << "-" << r.entry.month << "-" << r.entry.day;
        EXPECT_EQ(Rows(editor).size(), 1u);
    }
    // 2023 has 闰二月: its 初五 is a lunar memorial.
    Enter(editor, {"2023", "2", "5", true, "小明生日"});
    Click(editor, kAddLunarId);
    EXPECT_EQ(Text(editor, kEditorStatusId), "");
    ASSERT_EQ(Rows(editor).size(), 2u);
    EXPECT_EQ(Rows(editor)[1], "农历14月05日（AD2023年）：" + Shown("小明生日"));
    EXPECT_EQ(registry_.StoredValue(User, settings::LunarMemorialKey, "14-05"), "");  // nothing stored before 保存

    // A chosen row goes into the fields, in its calendar; 修改 puts them back.
    ChooseRow(editor, 1);
    EXPECT_EQ(Text(editor, kYearLabelId), "农历年");
    EXPECT_EQ(Text(editor, kMonthBoxId), "2");
    EXPECT_TRUE(test::IsChecked(editor, kLeapMonthId));
    ChooseRow(editor, 0);
    EXPECT_EQ(Text(editor, kYearLabelId), "公历年");
    EXPECT_EQ(Text(editor, kTitleBoxId), "生日");
    test::SetText(editor, kTitleBoxId, "妈妈生日");
    Click(editor, kChangeId);
    EXPECT_EQ(Rows(editor)[0], "公历05月12日（AD1990年）：" + Shown("妈妈生日"));

    Click(editor, kSaveId);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(registry_.StoredValue(User, settings::SolarMemorialKey, "05-12"), "AD1990" + Shown("妈妈生日"));
    EXPECT_EQ(registry_.StoredValue(User, settings::LunarMemorialKey, "14-05"), "AD2023" + Shown("小明生日"));

    // 删除 and 取消: the list goes, but nothing is stored.
    editor = OpenEditor(EditorMode::kMemorials);
    ChooseRow(editor, 0);
    Click(editor, kDeleteId);
    EXPECT_EQ(Rows(editor).size(), 1u);
    Click(editor, IDCANCEL);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(registry_.StoredValue(User, settings::SolarMemorialKey, "05-12"), "AD1990" + Shown("妈妈生日"));
}

TEST_F(PersonalTest, RemindersAndTheCountdownAndAnEditPutBackBySaving) {
    HWND editor = OpenEditor(EditorMode::kReminders, false);
    EXPECT_EQ(Text(editor), "编辑提醒日");
    EXPECT_EQ(Text(editor, kAddSolarId), "添加公历提醒日");
    EXPECT_EQ(GetDlgItem(editor, kAddLunarId), nullptr);
    Enter(editor, {"2025", "3", "15", false, "交房租"});
    Click(editor, kAddSolarId);
    Enter(editor, {"2025", "4", "1", false, "体检"});
    Click(editor, kAddSolarId);
    ChooseRow(editor, 0);
    test::SetText(editor, kTitleBoxId, "交房租和水费");  // changed, not put back with 修改
    Click(editor, kSaveId);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(registry_.StoredValue(User, settings::SolarRemindedKey, "A"), "AD03-15-2025" + Shown("交房租和水费"));
    EXPECT_EQ(registry_.StoredValue(User, settings::SolarRemindedKey, "B"), "AD04-01-2025" + Shown("体检"));

    editor = OpenEditor(EditorMode::kCountdown);
    EXPECT_EQ(Text(editor), "编辑倒计日");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor, kAudioBoxId)));  // a countdown has no sound
    Enter(editor, {"2026", "2", "17", false, "马年春节"});
    Click(editor, kAddSolarId);
    Click(editor, kAddSolarId);
    EXPECT_EQ(Text(editor, kEditorStatusId), "只能有一个倒计日，请修改或删除原有的一个");
    Click(editor, kSaveId);
    EXPECT_EQ(registry_.StoredValue(User, settings::SettingsKey, "MyCountdownDay"), "AD02-17-2026马年春节");
}

// The days' keys of the real registry, with what other programs and versions leave there.
class RealRegistryTest : public PersonalTest {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override {
        Clean();
        PersonalTest::TearDown();
    }
    static void Clean() {
        for (const char* key : {settings::SolarMemorialKey, settings::LunarMemorialKey, settings::MuharramMemorialKey,
                                settings::SolarRemindedKey})
            RegDeleteTreeW(HKEY_CURRENT_USER, text::GbkToWide(key).c_str());
    }
    // Stores a value as another program would: any type, exactly these bytes.
    static void Put(const char* key, const wchar_t* name, DWORD type, const std::wstring& data, bool terminator = true) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, text::GbkToWide(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        const DWORD bytes = static_cast<DWORD>((data.size() + (terminator ? 1 : 0)) * sizeof(wchar_t));
        EXPECT_EQ(RegSetValueExW(k, name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()), bytes), ERROR_SUCCESS);
        RegCloseKey(k);
    }
    // Every value of a key: its type and its bytes, by name.
    static std::map<std::wstring, std::pair<DWORD, std::string>> Values(const char* key) {
        std::map<std::wstring, std::pair<DWORD, std::string>> values;
        HKEY k = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, text::GbkToWide(key).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return values;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD name_size = 256, type = 0, bytes = 0;
            if (RegEnumValueW(k, i, name, &name_size, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) break;
            std::string data(bytes, '\0');
            name_size = 256;
            RegEnumValueW(k, i, name, &name_size, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes);
            values[name] = {type, data};
        }
        RegCloseKey(k);
        return values;
    }
    // Each value as it was: the same names, types and bytes; a difference is told value by value.
    static void ExpectSame(const std::map<std::wstring, std::pair<DWORD, std::string>>& after,
                           const std::map<std::wstring, std::pair<DWORD, std::string>>& before) {
        for (const auto& [name, value] : before) {
            const auto it = after.find(name);
            if (it == after.end()) {
                ADD_FAILURE() << text::WideToGbk(name) << " is gone";
            } else if (it->second != value) {
                ADD_FAILURE() << text::WideToGbk(name) << ": type " << value.first << " -> " << it->second.first << ", "
                              << value.second.size() << " -> " << it->second.second.size() << " bytes";
            }
        }
        for (const auto& [name, value] : after)
            if (!before.count(name)) ADD_FAILURE() << text::WideToGbk(name) << " is new";
    }
    static std::wstring Padded(const wchar_t* title, int bytes_wide) {  // right-aligned in 20 bytes
        return std::wstring(static_cast<size_t>(20 - bytes_wide), L' ') + title;
    }
};

TEST_F(RealRegistryTest, AnEditAndSaveLeavesEveryOtherValueByteForByteAndTypeForType) {
    std::wstring long_title;  // 1000 bytes in GBK
    for (int i = 0; i < 500; ++i) long_title += L"长";
    const char* solar = settings::SolarMemorialKey;
    Put(solar, L"05-12", REG_SZ, L"AD1990" + Padded(L"生日", 4) + L" ");                 // the user changes it
    Put(solar, L"06-01", REG_EXPAND_SZ, L"AD2000" + Padded(L"旅行", 4) + L" %USERPROFILE%\\a.wav");
    Put(solar, L"07-01", REG_SZ, L"AD2000" + Padded(L"表情\U0001F600", 8) + L" ");        // GBK lacks the emoji
    Put(solar, L"08-01", REG_SZ, L"AD2000" + Padded(L"a\u00A0b", 4) + L" ");              // nor the no-break space
    Put(solar, L"09-01", REG_SZ, L"AD2000" + std::wstring(50000, L'x'));                  // 100 KB
    Put(solar, L"10-01", REG_SZ, L"AD2000" + long_title);                                 // a title of 1000 bytes
    Put(solar, L"11-01", REG_SZ, L"AD2000" + Padded(L"无结尾", 6) + L" ", false);          // no terminator stored
    Put(solar, L"12-01", REG_DWORD, std::wstring(L"\x2A\0", 2), false);
    Put(settings::SolarRemindedKey, L"A", REG_SZ, L"AD03-15-2025" + long_title);
    Put(settings::SolarRemindedKey, L"B", REG_EXPAND_SZ, L"AD04-01-2025" + Padded(L"体检\U0001F600", 8) + L" ");
    const auto solar_before = Values(solar);
    const auto reminders_before = Values(settings::SolarRemindedKey);
    ASSERT_EQ(solar_before.size(), 8u);
    const std::unique_ptr<platform::Registry> system = platform::MakeSystemRegistry();

    // 编辑纪念日: the title of 05-12 changed, a Hijri day added, 保存.
    HWND editor = CreatePersonalDaysEditor(nullptr, EditorContext{EditorMode::kMemorials, system.get(), &mci_, true});
    Pump();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Text(editor, kEditorStatusId), "有4个值无法在这里显示，已原样保留，不会改动：公历07-01、公历08-01等");
    std::string ten;
    for (int i = 0; i < 10; ++i) ten += "长";
    const std::vector<std::string> rows = Rows(editor);
    const std::vector<std::string> expected_rows = {
        "公历05月12日（AD1990年）：" + Shown("生日"), "公历06月01日（AD2000年）：" + Shown("旅行", "%USERPROFILE%\\a.wav"),
        "公历10月01日（AD2000年）：" + Shown(ten), "公历11月01日（AD2000年）：" + Shown("无结尾")};
    EXPECT_EQ(rows, expected_rows);
    ChooseRow(editor, 0);
    test::SetText(editor, kTitleBoxId, "妈妈生日");
    Click(editor, kChangeId);
    Enter(editor, {"1445", "9", "1", false, "回历纪念"});
    Click(editor, kAddHijriId);
    Click(editor, kSaveId);
    EXPECT_FALSE(IsWindow(editor)) << Text(editor, kEditorStatusId);
    if (IsWindow(editor)) DestroyWindow(editor);
    auto solar_after = Values(solar);
    ASSERT_EQ(solar_after.count(L"05-12"), 1u);
    EXPECT_EQ(solar_after[L"05-12"].first, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(text::WideToGbk(std::wstring(reinterpret_cast<const wchar_t*>(solar_after[L"05-12"].second.data()))),
              "AD1990" + Shown("妈妈生日"));
    solar_after.erase(L"05-12");
    auto solar_expected = solar_before;
    solar_expected.erase(L"05-12");
    ExpectSame(solar_after, solar_expected);  // every other value: the same type, the same bytes
    EXPECT_EQ(system->ReadValue(User, settings::MuharramMemorialKey, "09-01"), "AD1445" + Shown("回历纪念"));

    // 编辑提醒日: a reminder added goes to the first free slot; A and B stay as they are.
    editor = CreatePersonalDaysEditor(nullptr, EditorContext{EditorMode::kReminders, system.get(), &mci_, true});
    Pump();
    EXPECT_EQ(Text(editor, kEditorStatusId), "有1个值无法在这里显示，已原样保留，不会改动：提醒日B");
    Enter(editor, {"2025", "6", "1", false, "开会"});
    Click(editor, kAddSolarId);
    Click(editor, kSaveId);
    EXPECT_FALSE(IsWindow(editor)) << Text(editor, kEditorStatusId);
    if (IsWindow(editor)) DestroyWindow(editor);
    auto reminders_after = Values(settings::SolarRemindedKey);
    EXPECT_EQ(system->ReadValue(User, settings::SolarRemindedKey, "C"), "AD06-01-2025" + Shown("开会"));
    reminders_after.erase(L"C");
    ExpectSame(reminders_after, reminders_before);
}

TEST_F(PersonalTest, ACountdownTheCalendarWillNotShowIsSaidSoWhenAdded) {
    clock_.Set({2026, 5, 1, 9, 0, 0});
    HWND editor = CreatePersonalDaysEditor(nullptr, EditorContext{EditorMode::kCountdown, &registry_, &mci_, true, &clock_});
    Pump();
    Enter(editor, {"2026", "4", "30", false, "昨天"});
    Click(editor, kAddSolarId);
    EXPECT_EQ(Text(editor, kEditorStatusId), "这个倒计日已经过去，今后的日历上不会显示它（已留在列表中）");
    ASSERT_EQ(Rows(editor).size(), 1u);  // kept all the same
    ChooseRow(editor, 0);
    Enter(editor, {"2029", "1", "26", false, "远方"});
    Click(editor, kChangeId);
    EXPECT_EQ(Text(editor, kEditorStatusId), "这个倒计日距今天超过1000天，日历要到2026年5月2日才开始显示它（已留在列表中）");
    test::SetText(editor, kDayBoxId, "25");
    Click(editor, kChangeId);
    EXPECT_EQ(Text(editor, kEditorStatusId), "");
    DestroyWindow(editor);
}

TEST_F(PersonalTest, TheEditorHearsAFileAndTakesOneDropped) {
    HWND editor = OpenEditor(EditorMode::kMemorials);
    const std::string file = SoundFile();
    // A file dropped on the editor: its path goes into the audio field.
    const std::wstring wide = text::GbkToWide(file);
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + (wide.size() + 2) * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(GlobalLock(drop));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    wcscpy(reinterpret_cast<wchar_t*>(files + 1), wide.c_str());
    GlobalUnlock(drop);
    SendMessageW(editor, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    EXPECT_EQ(Text(editor, kAudioBoxId), file);

    mci_.commands.clear();
    Click(editor, kPreviewId);
    // Its path has a blank: quoted, as where a volume keeps no short names.
    const std::string open = "Open \"" + file + "\" Alias EAudioMCI Type MPEGVideo Parent " +
                             std::to_string(reinterpret_cast<std::uintptr_t>(editor)) + " Style Child";
    ASSERT_GE(mci_.commands.size(), 3u);
    EXPECT_EQ(mci_.commands[0], open);
    EXPECT_EQ(mci_.commands[2], "Play EAudioMCI");
    EXPECT_EQ(Text(editor, kPreviewId), "暂停");
    Click(editor, kPreviewId);
    EXPECT_EQ(mci_.commands.back(), "Pause EAudioMCI");
    EXPECT_EQ(Text(editor, kPreviewId), "播放");
    Click(editor, kPreviewId);
    EXPECT_EQ(mci_.commands.back(), "Resume EAudioMCI");
    // The end: the device says it stopped; the editor shows 结束 and closes it.
    mci_.mode = "stopped";
    EXPECT_TRUE(PumpUntil([&] { return Text(editor, kPreviewStateId) == "结束"; }, 3000));
    EXPECT_EQ(mci_.commands.back(), "Close EAudioMCI");
    EXPECT_EQ(Text(editor, kPreviewId), "试听");
    DestroyWindow(editor);
}

TEST_F(PersonalTest, TheAlarmEditorKeepsOnlyTimesThatRing) {
    Alarms alarms = {Alarm{1, 450, 1}, Alarm{}, Alarm{}};
    HWND editor = CreateAlarmEditor(nullptr, &alarms);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Text(editor), "编辑闹钟");
    EXPECT_TRUE(test::IsChecked(editor, kAlarmCheckId));
    EXPECT_EQ(Text(editor, kAlarmTimeId), "07:30");
    EXPECT_EQ(test::Selected(GetDlgItem(editor, kAlarmSoundId)), "号角声");
    EXPECT_EQ(Text(editor, kAlarmTimeId + 1), "00:00");
    Click(editor, kAlarmCheckId + 1);
    const struct {
        const char* time;
        const char* why;
    } refused[] = {{"", "闹钟2的时间不对：请按“时:分”输入，例如 07:30"},
                   {"24:00", "闹钟2的时间不对：请按“时:分”输入，例如 07:30"},
                   {"00:00", "闹钟2的时间须在 00:01～23:59 之间"}};
    for (const auto& r : refused) {
        test::SetText(editor, kAlarmTimeId + 1, r.time);
        Click(editor, IDOK);
        EXPECT_EQ(Text(editor, kAlarmStatusId), r.why) << r.time;
        ASSERT_TRUE(IsWindow(editor));
    }
    test::SetText(editor, kAlarmTimeId + 1, "21:05");
    test::Choose(editor, kAlarmSoundId + 1, 4);
    Click(editor, IDOK);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(alarms[1].open_flag, 1);
    EXPECT_EQ(alarms[1].time_minutes, 21 * 60 + 5);
    EXPECT_EQ(alarms[1].sound_index, 4);
    EXPECT_EQ(alarms[0].time_minutes, 450);
    EXPECT_EQ(alarms[2].open_flag, 0);
}

// The pages show the day's personal days and play its sound; the alarm and the spoken time run
// from the calendar window.
class PersonalCalendarTest : public PersonalTest {
protected:
    void SetUp() override {
        program_.settings.use_registry = 1;
        audio_ = SoundFile();
        // 2025-02-12 is 正月十五 of 2025.
        registry_.SetValue(User, settings::LunarMemorialKey, "01-15", "AD2020" + Shown("元宵生日", audio_));
    }
    // The day page's tooltip on its information line: the day's personal days, "" when none.
    std::string Tooltip() {
        HWND tooltip = views::PageWindowOf(Window())->KeptOnTop();
        wchar_t text[512] = {};
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = Window();
        info.uId = reinterpret_cast<UINT_PTR>(Item(views::kInformationLineId));
        info.lpszText = text;
        if (!SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info))) return "";
        SendMessageW(tooltip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&info));
        return text::WideToGbk(text);
    }
    std::string OpenCommand() const {
        return "Open \"" + audio_ + "\" Alias XAudioMCI Type MPEGVideo Parent " +
               std::to_string(reinterpret_cast<std::uintptr_t>(Window())) + " Style Child";
    }
    std::string audio_;
};

TEST_F(PersonalCalendarTest, ALunarBirthdayOnTheDayAndMonthPagesWithItsSound) {
    ASSERT_NE(Open(views::CalendarView::kDay, DateToDayNumber(2025, 2, 12)), nullptr);
    EXPECT_EQ(Tooltip(), Shown("元宵生日", audio_));
    ASSERT_GE(mci_.commands.size(), 3u);
    EXPECT_EQ(mci_.commands[mci_.commands.size() - 3], OpenCommand());
    EXPECT_EQ(mci_.commands.back(), "Play XAudioMCI");
    // Another day: the sound stops, the tooltip goes.
    ShowDay(DateToDayNumber(2025, 2, 13));
    EXPECT_EQ(mci_.commands.back(), "Close XAudioMCI");
    EXPECT_EQ(Tooltip(), "");
    // 关闭背景音乐播放功能: the day still shows, silently.
    ShowDay(DateToDayNumber(2025, 2, 12));
    Command(kNoBackgroundMusic);
    mci_.commands.clear();
    ShowDay(DateToDayNumber(2025, 2, 12));
    EXPECT_EQ(Tooltip(), Shown("元宵生日", audio_));
    for (const std::string& c : mci_.commands) EXPECT_NE(c.rfind("Open ", 0), 0u) << c;
    // The month page's panel has the day too.
    Command(kMonthPage);
    Pump();
    EXPECT_NE(Text(Item(views::kMonthPanelId)).find("元宵生日"), std::string::npos);
    // Without the registry in use the personal days are gone at once.
    Command(kUseRegistry);
    EXPECT_EQ(Text(Item(views::kMonthPanelId)).find("元宵生日"), std::string::npos);
}

TEST_F(PersonalCalendarTest, AUserAddsALunarBirthdayAndSeesItNextYear) {
    ASSERT_NE(Open(views::CalendarView::kDay, DateToDayNumber(2024, 6, 1)), nullptr);
    // 编辑纪念日: 农历 2024-05-05 (端午, 2024-06-10) becomes a birthday.
    const test::ModalSteps steps = InModal("编辑纪念日", [](HWND editor) {
        Enter(editor, {"2024", "5", "5", false, "端午生日"});
        Click(editor, kAddLunarId);
        Click(editor, kSaveId);
    });
    Command(kMemorialDays);
    EXPECT_EQ(registry_.StoredValue(User, settings::LunarMemorialKey, "05-05"), "AD2024" + Shown("端午生日"));
    // 端午 of 2025 is 2025-05-31.
    ShowDay(DateToDayNumber(2025, 5, 31));
    EXPECT_EQ(Tooltip(), Shown("端午生日"));
    Command(kMonthPage);
    Pump();
    EXPECT_NE(Text(Item(views::kMonthPanelId)).find("端午生日"), std::string::npos);
}

TEST_F(PersonalCalendarTest, TheAlarmRingsInItsMinuteAndTheTimeIsSpoken) {
    ASSERT_NE(Open(views::CalendarView::kDay, DateToDayNumber(2025, 3, 15)), nullptr);
    const test::ModalSteps steps = InModal("编辑闹钟", [](HWND editor) {
        Click(editor, kAlarmCheckId + 2);
        test::SetText(editor, kAlarmTimeId + 2, "07:30");
        test::Choose(editor, kAlarmSoundId + 2, 3);
        Click(editor, IDOK);
    });
    Command(kAlarms);
    EXPECT_EQ(program_.settings.alarms[2].time_minutes, 450);
    // The timer's tick at that minute rings 锣鼓声; at the next minute nothing.
    clock_.Set({2025, 3, 15, 7, 30, 10});
    SendMessageW(Window(), WM_TIMER, program_.page->alarm_timer, 0);
    EXPECT_TRUE(PumpUntil([&] { return !program_.time_signals->AlarmSounding(); }, 3000));
    EXPECT_EQ(sounds_.Played(), std::vector<std::string>{"SoundAlarm3"});
    clock_.Set({2025, 3, 15, 7, 31, 0});
    SendMessageW(Window(), WM_TIMER, program_.page->alarm_timer, 0);
    Pump();
    EXPECT_EQ(sounds_.Played().size(), 1u);
    // 语音报时 speaks through the same sounds.
    sounds_.Clear();
    Command(kSpeakTime);
    EXPECT_TRUE(PumpUntil([&] { return program_.time_signals->SpeechState() == 2; }, 5000));
    EXPECT_EQ(sounds_.Played(), SpokenTimeSounds(7, 31, true));
    // 整点自动报时 switched on: its timer speaks the hour at 08:00:00, and only then.
    sounds_.Clear();
    Command(kHourlyChime);
    clock_.Set({2025, 3, 15, 7, 59, 59});
    SendMessageW(Window(), WM_TIMER, program_.page->chime_timer, 0);
    clock_.Set({2025, 3, 15, 8, 0, 0});
    SendMessageW(Window(), WM_TIMER, program_.page->chime_timer, 0);
    EXPECT_TRUE(PumpUntil([&] { return program_.time_signals->SpeechState() == 2; }, 5000));
    EXPECT_EQ(sounds_.Played(), SpokenTimeSounds(8, 0, false));
}

// --- what is really played ------------------------------------------------------------------------

// The length of an embedded WAVE resource, from its header: data bytes over bytes per second.
double ResourceSeconds(const std::string& name) {
    HRSRC found = FindResourceW(nullptr, text::GbkToWide(name).c_str(), L"WAVE");
    if (!found) return 0;
    const auto* wav = static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
    const DWORD size = SizeofResource(nullptr, found);
    const auto u32 = [wav](DWORD at) { return wav[at] | wav[at + 1] << 8 | wav[at + 2] << 16 | static_cast<DWORD>(wav[at + 3]) << 24; };
    DWORD bytes_per_second = 0;
    for (DWORD at = 12; at + 8 <= size; at += 8 + u32(at + 4)) {
        if (std::memcmp(wav + at, "fmt ", 4) == 0) bytes_per_second = u32(at + 16);
        if (std::memcmp(wav + at, "data", 4) == 0 && bytes_per_second) return static_cast<double>(u32(at + 4)) / bytes_per_second;
    }
    return 0;
}

TEST(Sounds, EveryResourceIsThereAndShort) {
    std::vector<std::string> names = {"SoundRing", "SoundTime", "Sound10", "Sound20", "Sound30", "Sound40", "Sound50",
                                      "SoundTwo", "SoundHour", "SoundMinute"};
    for (int i = 0; i < 10; ++i) names.push_back("Sound" + std::to_string(i));
    for (int i = 0; i < kAlarmSoundCount; ++i) names.push_back(AlarmSoundResource(i));
    for (const std::string& n : names) {
        const double seconds = ResourceSeconds(n);
        EXPECT_GT(seconds, 0.2) << n;
        EXPECT_LT(seconds, n.find("Alarm") != std::string::npos ? 6.0 : 2.5) << n;
    }
}

TEST(Sounds, TheSpokenTimeAndAnAlarmSoundAsLongAsTheirRecordings) {
    Capture capture;
    ASSERT_TRUE(capture.Available()) << "ALSA's default device is no file: run with the test HOME";
    const std::unique_ptr<platform::SoundPlayer> player = platform::MakeSystemSoundPlayer();
    platform::FixedClock clock({2025, 3, 15, 14, 35, 0});
    TimeSignals signals(clock, *player);
    // 14:35: eight recordings one after the other.
    capture.Mark();
    signals.RequestSpokenTime();
    ASSERT_TRUE(PumpUntil([&] { return signals.SpeechState() == 2; }, 30000));
    double expected = 0;
    for (const std::string& s : SpokenTimeSounds(14, 35, true)) expected += ResourceSeconds(s);
    std::printf("spoken 14:35: %.3f s captured, %.3f s recorded\n", capture.LoudSeconds(), expected);
    EXPECT_NEAR(capture.LoudSeconds(), expected, 0.15 * expected);
    // 空袭警报 at 07:30 while its alarm is set.
    clock.Set({2025, 3, 15, 7, 30, 0});
    capture.Mark();
    signals.AlarmTick({Alarm{1, 450, 4}, Alarm{}, Alarm{}});
    ASSERT_TRUE(PumpUntil([&] { return !signals.AlarmSounding(); }, 30000));
    std::printf("alarm sound 4 (siren): %.3f s captured, %.3f s recorded\n", capture.LoudSeconds(), ResourceSeconds("SoundAlarm4"));
    EXPECT_NEAR(capture.LoudSeconds(), ResourceSeconds("SoundAlarm4"), 0.15 * ResourceSeconds("SoundAlarm4"));
}

// Ctrl+Alt+V pressed twice in a row: one spoken time, not two.
TEST_F(PersonalCalendarTest, CtrlAltVTwiceSpeaksOnce) {
    Capture capture;
    ASSERT_TRUE(capture.Available()) << "ALSA's default device is no file: run with the test HOME";
    static const std::unique_ptr<platform::SoundPlayer> player = platform::MakeSystemSoundPlayer();
    shell::StartSounds(program_, *player, mci_);
    clock_.Set({2025, 3, 15, 9, 5, 0});
    ASSERT_NE(Open(views::CalendarView::kDay, DateToDayNumber(2025, 3, 15)), nullptr);
    SetForegroundWindow(Window());
    Pump();
    capture.Mark();
    const auto press = [] {
        INPUT keys[6] = {};
        const WORD vks[3] = {VK_CONTROL, VK_MENU, 'V'};
        for (int i = 0; i < 3; ++i) {
            keys[i].type = keys[5 - i].type = INPUT_KEYBOARD;
            keys[i].ki.wVk = keys[5 - i].ki.wVk = vks[i];
            keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
        }
        SendInput(6, keys, sizeof(INPUT));
    };
    press();
    press();
    EXPECT_TRUE(PumpUntil([&] { return program_.time_signals->SpeechState() == 1; }, 5000));
    ASSERT_TRUE(PumpUntil([&] { return program_.time_signals->SpeechState() == 2; }, 30000));
    Pump();
    double once = 0;
    for (const std::string& s : SpokenTimeSounds(9, 5, true)) once += ResourceSeconds(s);
    std::printf("Ctrl+Alt+V twice at 09:05: %.3f s captured, %.3f s recorded once\n", capture.LoudSeconds(), once);
    EXPECT_NEAR(capture.LoudSeconds(), once, 0.15 * once);
}

}  // namespace
