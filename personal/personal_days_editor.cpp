#include "personal/personal_days_editor.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "personal/background_sound.h"
#include "text/wide.h"
#include "tools/tool_window_common.h"
#include "win/controls.h"
#include "win/shell_services.h"
#include "win/window.h"

namespace personal {

namespace {

using Kind = PersonalDay::Kind;

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 372;
constexpr int kListHeight = 178;
constexpr COLORREF kMessageColour = RGB(192, 0, 0);
constexpr COLORREF kHintColour = RGB(0, 0, 160);
constexpr UINT_PTR kPreviewTimer = 1;

const char* const kTitles[] = {"", "编辑纪念日", "编辑提醒日", "编辑倒计日"};
const char* const kWhat[] = {"", "纪念事项", "提醒事项", "倒计事项"};
const char* const kKinds[] = {"", "纪念日", "提醒日", "倒计日"};

const char* CalendarName(Calendar calendar) {
    return calendar == Calendar::kLunar ? "农历" : calendar == Calendar::kHijri ? "回历" : "公历";
}

struct PersonalDaysEditor : win::Window {
    EditorContext context;
    DayList day_list;  // the rows, and what they were read from
    std::unique_ptr<SoundFile> preview;
    bool paused = false;
    Calendar fields_calendar = Calendar::kGregorian;  // what the year, month and day fields hold
    const win::WindowFont* list_font = nullptr;
    win::Colours colours;
    HWND list = nullptr, year = nullptr, month = nullptr, day = nullptr, leap = nullptr, title = nullptr,
         audio = nullptr, preview_button = nullptr, preview_state = nullptr, status = nullptr, hint = nullptr,
         kept = nullptr;
    HWND labels[3] = {};

    int Mode() const { return static_cast<int>(context.mode); }

    bool OnCreate() override {
        list_font = tools::TableFont(*this, 14);
        list = AddControl(L"LISTBOX", "", WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 12,
                          12, kClientWidth - 24, kListHeight, kDayListId, list_font, WS_EX_CLIENTEDGE);
        SendMessageW(list, LB_SETHORIZONTALEXTENT, scale().Px(1000), 0);
        int y = kListHeight + 24;
        const DWORD box = WS_TABSTOP | ES_AUTOHSCROLL;
        labels[0] = AddControl(L"STATIC", "", SS_RIGHT, 12, y + 4, 44, 16, kYearLabelId);
        year = AddControl(L"EDIT", "", box | ES_CENTER, 60, y, 52, 22, kYearBoxId, nullptr, WS_EX_CLIENTEDGE);
        labels[1] = AddControl(L"STATIC", "", SS_RIGHT, 120, y + 4, 44, 16, kMonthLabelId);
        month = AddControl(L"EDIT", "", box | ES_CENTER, 168, y, 32, 22, kMonthBoxId, nullptr, WS_EX_CLIENTEDGE);
        leap = AddControl(L"BUTTON", "闰月", WS_TABSTOP | BS_AUTOCHECKBOX, 206, y + 2, 52, 18, kLeapMonthId);
        labels[2] = AddControl(L"STATIC", "", SS_RIGHT, 262, y + 4, 44, 16, kDayLabelId);
        day = AddControl(L"EDIT", "", box | ES_CENTER, 310, y, 32, 22, kDayBoxId, nullptr, WS_EX_CLIENTEDGE);
        win::RestrictEntry(year, "0123456789", 4);
        win::RestrictEntry(month, "0123456789", 2);
        win::RestrictEntry(day, "0123456789", 2);
        AddControl(L"STATIC", kWhat[Mode()], SS_RIGHT, 350, y + 4, 60, 16);
        title = AddControl(L"EDIT", "", box, 414, y, kClientWidth - 426, 22, kTitleBoxId, nullptr, WS_EX_CLIENTEDGE);
        SendMessageW(title, EM_SETLIMITTEXT, static_cast<WPARAM>(kTitleBytes), 0);
        y += 32;
        AddControl(L"STATIC", "音频文件", SS_RIGHT, 0, y + 4, 56, 16);
        const int right = kClientWidth - 12;  // the file buttons and the preview's state end here
        audio = AddControl(L"EDIT", "", box, 60, y, right - 266, 22, kAudioBoxId, nullptr, WS_EX_CLIENTEDGE);
        AddControl(L"BUTTON", "选择音频文件", WS_TABSTOP, right - 200, y, 96, 24, kChooseAudioId);
        preview_button = AddControl(L"BUTTON", "试听", WS_TABSTOP, right - 98, y, 50, 24, kPreviewId);
        preview_state = AddControl(L"STATIC", "", SS_LEFT, right - 44, y + 5, 44, 16, kPreviewStateId);
        if (context.mode == EditorMode::kCountdown) {  // a countdown day has no sound
            for (int id : {kAudioBoxId, kChooseAudioId, kPreviewId}) EnableWindow(Item(id), FALSE);
        }
        if (context.mci == nullptr) EnableWindow(preview_button, FALSE);
        if (context.mode != EditorMode::kMemorials) EnableWindow(leap, FALSE);  // only lunar months can be leap ones
        y += 38;
        int x = 12;
        const auto button = [&](const char* caption, int id, int width) {
            AddControl(L"BUTTON", caption, WS_TABSTOP, x, y, width, 26, id);
            x += width + 6;
        };
        switch (context.mode) {
            case EditorMode::kMemorials:
                button("添加公历纪念日", kAddSolarId, 104);
                button("添加农历纪念日", kAddLunarId, 104);
                button("添加回历纪念日", kAddHijriId, 104);
                break;
            case EditorMode::kReminders: button("添加公历提醒日", kAddSolarId, 104); break;
            case EditorMode::kCountdown: button("添加公历倒计日", kAddSolarId, 104); break;
        }
        button("修改", kChangeId, 56);
        button("删除", kDeleteId, 56);
        x = kClientWidth - 12 - 2 * 70 - 6;
        button("保存", kSaveId, 70);
        button("取消", IDCANCEL, 70);
        y += 36;
        status = AddControl(L"STATIC", "", SS_LEFT, 12, y, kClientWidth - 24, 16, kEditorStatusId);
        hint = AddControl(L"STATIC",
                          context.registry_in_use ? "" : "提示：选项“使用注册表”未打开，这些日子在打开后才会在日历上显示",
                          SS_LEFT, 12, y + 20, kClientWidth - 24, 16);
        // What the editor cannot show stays in the registry; said for as long as the editor is open,
        // whatever else the status line says.
        kept = AddControl(L"STATIC", "", SS_LEFT, 12, y + 40, kClientWidth - 24, 16, kEditorKeptId);
        if (context.mci) preview = std::make_unique<SoundFile>(*context.mci, kPreviewAlias);
        win::AcceptDroppedFiles(handle());

        day_list = ReadDayList(*context.registry, context.mode);
        ShowList(-1);
        ShowFieldsCalendar(Calendar::kGregorian);
        win::SetText(kept, KeptNote(day_list));
        PlaceCentred(kClientWidth, kClientHeight);
        return true;
    }

    void OnShown() override { SetFocus(year); }
    void OnDpiChanged() override { SendMessageW(list, LB_SETHORIZONTALEXTENT, scale().Px(1000), 0); }

    void OnDestroy() override {
        KillTimer(handle(), kPreviewTimer);
        preview.reset();  // closes the device
    }

    void ShowList(int selected) {
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        for (const ListedDay& d : day_list.days)
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text::GbkToWide(RowText(d.day)).c_str()));
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    }

    int Selected() const { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }

    // The field labels name the calendar of the day last chosen or added.
    void ShowFieldsCalendar(Calendar calendar) {
        fields_calendar = calendar;
        const std::string name = CalendarName(calendar);
        win::SetText(labels[0], name + "年");
        win::SetText(labels[1], name + "月");
        win::SetText(labels[2], name + "日");
    }

    void ShowInFields(const PersonalDay& d) {
        ShowFieldsCalendar(CalendarOf(d.kind));
        win::SetText(year, std::to_string(d.year));
        win::SetText(month, std::to_string(d.month > 12 ? d.month - 12 : d.month));
        win::SetChecked(leap, d.month > 12);
        win::SetText(day, std::to_string(d.day));
        win::SetText(title, d.title);
        win::SetText(audio, d.audio);
    }

    // The day the fields describe, as a day of `kind`; false with the reason when they describe none.
    bool FromFields(Kind kind, PersonalDay& out, std::string& why) const {
        const auto number = [](HWND box) { return std::atoi(win::Text(box).c_str()); };
        out = PersonalDay{kind, number(year), number(month), number(day), win::Text(title), win::Text(audio)};
        // Blanks around a title or a path are no part of them.
        for (std::string* s : {&out.title, &out.audio}) {
            const size_t first = s->find_first_not_of(' ');
            *s = first == std::string::npos ? std::string() : s->substr(first, s->find_last_not_of(' ') - first + 1);
        }
        if (kind == Kind::kCountdown) out.audio.clear();
        if (win::Text(year).empty() || win::Text(month).empty() || win::Text(day).empty()) {
            why = "请输入年、月、日";
            return false;
        }
        if (out.month < 1 || out.month > 12) {
            why = std::string(CalendarName(CalendarOf(kind))) + "月份须在1～12之间";
            return false;
        }
        if (win::Checked(leap)) {
            if (CalendarOf(kind) != Calendar::kLunar) {
                why = std::string(CalendarName(CalendarOf(kind))) + "没有闰月";
                return false;
            }
            out.month += 12;
        }
        why = CheckPersonalDay(out);
        return why.empty();
    }

    void Say(const std::string& why) { win::SetText(status, why); }

    // Puts the fields into the list as a day of `kind`, new (replacing -1) or in place of a row.
    bool Put(Kind kind, int replacing) {
        PersonalDay d;
        std::string why;
        if (!FromFields(kind, d, why) || !(why = CheckAgainstList(day_list, d, replacing)).empty()) {
            Say(why);
            return false;
        }
        ShowFieldsCalendar(CalendarOf(kind));
        if (replacing >= 0) {
            day_list.days[static_cast<size_t>(replacing)].day = d;
        } else {
            day_list.days.push_back({d, {}, {}});
            replacing = static_cast<int>(day_list.days.size()) - 1;
        }
        ShowList(replacing);
        const platform::LocalDateTime today = Today();
        Say(CountdownNote(d, today.year, today.month, today.day));  // "" for other days
        return true;
    }

    Kind AddedKind(int id) const {
        if (context.mode == EditorMode::kReminders) return Kind::kReminder;
        if (context.mode == EditorMode::kCountdown) return Kind::kCountdown;
        return id == kAddLunarId ? Kind::kLunarMemorial : id == kAddHijriId ? Kind::kHijriMemorial : Kind::kSolarMemorial;
    }

    // Whether the fields still describe the selected row (nothing to put back before saving).
    bool FieldsShowSelected() const {
        const int i = Selected();
        if (i < 0) return true;
        PersonalDay d;
        std::string why;
        const PersonalDay& shown = day_list.days[static_cast<size_t>(i)].day;
        return FromFields(shown.kind, d, why) && d == shown;
    }

    platform::LocalDateTime Today() const {
        if (context.clock) return context.clock->Now();
        SYSTEMTIME now{};
        GetLocalTime(&now);
        return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    }

    void Save() {
        const int i = Selected();
        if (!FieldsShowSelected() && !Put(day_list.days[static_cast<size_t>(i)].day.kind, i)) return;
        const SaveResult result = SavePersonalDays(*context.registry, day_list);
        if (!result.Complete()) {
            Say(SaveReport(result));
            return;
        }
        // What was stored, and what was kept as it was, before the editor goes.
        MessageBoxW(handle(), text::GbkToWide(SavedNote(result, day_list)).c_str(),
                    text::GbkToWide(std::string("保存") + kKinds[Mode()]).c_str(), MB_OK | MB_ICONINFORMATION);
        Close(IDOK);
    }

    void ChooseAudio() {
        wchar_t file[MAX_PATH] = {};
        const std::wstring filter = text::GbkToWide("音频文件 (*.mp3;*.wav;*.mid;*.wma)") +
                                    std::wstring(L"\0*.mp3;*.wav;*.mid;*.wma\0", 25) +
                                    text::GbkToWide("所有文件 (*.*)") + std::wstring(L"\0*.*\0\0", 7);
        const std::wstring caption = text::GbkToWide("选择音频文件");
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = handle();
        ofn.lpstrFilter = filter.c_str();
        ofn.lpstrFile = file;
        ofn.nMaxFile = MAX_PATH;
        ofn.lpstrTitle = caption.c_str();
        ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
        if (win::ChooseFileToOpen(ofn)) win::SetText(audio, text::WideToGbk(file));
    }

    // 试听: plays the file of the audio field; pressed again it pauses, then goes on.
    void TogglePreview() {
        if (!preview) return;
        if (preview->open()) {
            paused = paused ? !preview->Resume() : preview->Pause();
            win::SetText(preview_button, paused ? "播放" : "暂停");
            return;
        }
        const std::string path = win::Text(audio);
        if (path.empty() || !preview->Play(path, reinterpret_cast<std::uintptr_t>(handle()))) {
            Say(path.empty() ? "请先选择音频文件" : "无法播放这个文件");
            return;
        }
        paused = false;
        win::SetText(preview_button, "暂停");
        win::SetText(preview_state, "");
        SetTimer(handle(), kPreviewTimer, 250, nullptr);
    }

    void StopPreview(const char* state) {
        KillTimer(handle(), kPreviewTimer);
        if (preview) preview->Close();
        paused = false;
        win::SetText(preview_button, "试听");
        win::SetText(preview_state, state);
    }

    void PreviewTick() {
        if (!preview || !preview->open() || paused) return;
        const long length = preview->LengthMs();
        if (preview->Mode() != "playing" || (length > 0 && preview->PositionMs() >= length)) StopPreview("结束");
    }

    bool OnCommand(int id, int code, HWND control) override {
        switch (id) {
            case kAddSolarId:
            case kAddLunarId:
            case kAddHijriId: Put(AddedKind(id), -1); return true;
            case kChangeId:
                if (Selected() < 0)
                    Say("请先在列表中选择要修改的一行");
                else
                    Put(day_list.days[static_cast<size_t>(Selected())].day.kind, Selected());
                return true;
            case kDeleteId:
                if (Selected() < 0) {
                    Say("请先在列表中选择要删除的一行");
                } else {
                    DeleteDay(day_list, static_cast<size_t>(Selected()));
                    ShowList(-1);
                    Say("");
                }
                return true;
            case kSaveId: Save(); return true;
            case kChooseAudioId: ChooseAudio(); return true;
            case kPreviewId: TogglePreview(); return true;
            case kDayListId:
                if (code == LBN_SELCHANGE && Selected() >= 0) {
                    ShowInFields(day_list.days[static_cast<size_t>(Selected())].day);
                    Say("");
                }
                return true;
            case kAudioBoxId:
                if (code == EN_CHANGE && preview && preview->open()) StopPreview("");
                return false;
            default:
                (void)control;
                return false;
        }
    }

    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        switch (message) {
            case WM_TIMER:
                if (wparam == kPreviewTimer) PreviewTick();
                return 0;
            case WM_DROPFILES: {  // a file dropped on the editor becomes its audio file
                const std::vector<std::wstring> files = win::TakeDroppedFiles(reinterpret_cast<HDROP>(wparam));
                if (context.mode != EditorMode::kCountdown && !files.empty())
                    win::SetText(audio, text::WideToGbk(files.front()));
                return 0;
            }
            default: return Window::OnMessage(message, wparam, lparam);
        }
    }

    HBRUSH OnControlColour(HDC dc, HWND control) override {
        if (control == status) return colours.Use(dc, kMessageColour, GetSysColor(COLOR_BTNFACE));
        if (control == hint || control == kept) return colours.Use(dc, kHintColour, GetSysColor(COLOR_BTNFACE));
        return nullptr;
    }
};

}  // namespace

HWND CreatePersonalDaysEditor(HWND owner, const EditorContext& context) {
    const int mode = static_cast<int>(context.mode);
    if (context.registry == nullptr || mode < 1 || mode > 3) return nullptr;
    auto editor = std::make_unique<PersonalDaysEditor>();
    editor->context = context;
    return win::Create(std::move(editor), win::Frame{.class_name = L"TempolinePersonalDays", .title = kTitles[mode]},
                       owner);
}

int ShowPersonalDaysEditor(HWND owner, const EditorContext& context) {
    HWND editor = CreatePersonalDaysEditor(owner, context);
    return editor != nullptr && win::RunModal(editor) == IDOK ? IDOK : IDCANCEL;
}

}  // namespace personal
