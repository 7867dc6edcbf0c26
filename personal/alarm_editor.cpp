#include "personal/alarm_editor.h"

#include <memory>
#include <string>
#include <vector>

#include "win/controls.h"
#include "win/window.h"

namespace personal {

namespace {

constexpr int kClientWidth = 372;
constexpr int kRowTop = 16;
constexpr int kRowPitch = 34;
constexpr COLORREF kMessageColour = RGB(192, 0, 0);

struct AlarmEditor : win::Window {
    Alarms* alarms = nullptr;
    HWND checks[3] = {};
    HWND times[3] = {};
    HWND sounds[3] = {};
    HWND status = nullptr;
    win::Colours colours;

    bool OnCreate() override {
        const std::vector<std::string> sound_names(kAlarmSoundNames, kAlarmSoundNames + kAlarmSoundCount);
        for (int k = 0; k < 3; ++k) {
            const int y = kRowTop + k * kRowPitch;
            const Alarm& a = (*alarms)[k];
            checks[k] = AddControl(L"BUTTON", "打开闹钟" + std::to_string(k + 1), WS_TABSTOP | BS_AUTOCHECKBOX, 16, y + 2,
                                   96, 20, kAlarmCheckId + k);
            AddControl(L"STATIC", "时间", SS_LEFT, 124, y + 5, 30, 16);
            times[k] = AddControl(L"EDIT", AlarmTimeText(a.time_minutes), WS_TABSTOP | ES_CENTER | ES_AUTOHSCROLL, 156,
                                  y + 2, 56, 22, kAlarmTimeId + k, nullptr, WS_EX_CLIENTEDGE);
            win::RestrictEntry(times[k], "0123456789:", 5);
            AddControl(L"STATIC", "铃声", SS_LEFT, 230, y + 5, 30, 16);
            sounds[k] = AddControl(L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 262, y + 2, 94, 200,
                                   kAlarmSoundId + k);
            win::FillList(sounds[k], sound_names);
            win::Select(sounds[k], a.sound_index >= 0 && a.sound_index < kAlarmSoundCount ? a.sound_index : 0);
            win::SetChecked(checks[k], a.open_flag != 0);
        }
        const int bottom = kRowTop + 3 * kRowPitch;
        status = AddControl(L"STATIC", "", SS_LEFT, 16, bottom + 2, kClientWidth - 32, 16, kAlarmStatusId);
        AddControl(L"BUTTON", "确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 180, bottom + 26, 80, 26, IDOK);
        AddControl(L"BUTTON", "取消", WS_TABSTOP, 276, bottom + 26, 80, 26, IDCANCEL);
        PlaceCentred(kClientWidth, bottom + 66);
        return true;
    }

    void OnShown() override { SetFocus(checks[0]); }

    // The rows as entered, or why one cannot be kept: a time that is no time, or 00:00 for an alarm
    // that is on (a stored time of 0 means "not set", so midnight cannot ring).
    std::string Read(Alarms& out) const {
        for (int k = 0; k < 3; ++k) {
            int minutes = 0;
            const std::string number = std::to_string(k + 1);
            if (!ParseAlarmTime(win::Text(times[k]), minutes))
                return "闹钟" + number + "的时间不对：请按“时:分”输入，例如 07:30";
            out[k].open_flag = win::Checked(checks[k]) ? 1 : 0;
            if (out[k].open_flag && minutes == 0) return "闹钟" + number + "的时间须在 00:01～23:59 之间";
            out[k].time_minutes = minutes;
            const int sound = win::Selection(sounds[k]);
            out[k].sound_index = static_cast<std::int16_t>(sound >= 0 ? sound : 0);
        }
        return {};
    }

    bool OnCommand(int id, int code, HWND) override {
        if (id == IDOK) {
            Alarms entered = *alarms;
            const std::string why = Read(entered);
            win::SetText(status, why);
            if (!why.empty()) return true;
            *alarms = entered;
            Close(IDOK);
            return true;
        }
        if (code == EN_CHANGE || code == BN_CLICKED) win::SetText(status, "");  // the reason goes with the change
        return false;
    }

    HBRUSH OnControlColour(HDC dc, HWND control) override {
        if (control == status) return colours.Use(dc, kMessageColour, GetSysColor(COLOR_BTNFACE));
        return nullptr;
    }
};

}  // namespace

HWND CreateAlarmEditor(HWND owner, Alarms* alarms) {
    if (alarms == nullptr) return nullptr;
    auto editor = std::make_unique<AlarmEditor>();
    editor->alarms = alarms;
    return win::Create(std::move(editor), win::Frame{.class_name = L"TempolineAlarms", .title = "编辑闹钟"}, owner);
}

int ShowAlarmEditor(HWND owner, Alarms& alarms) {
    HWND editor = CreateAlarmEditor(owner, &alarms);
    return editor != nullptr && win::RunModal(editor) == IDOK ? IDOK : IDCANCEL;
}

}  // namespace personal
