#include "help/help_window.h"

#include <commctrl.h>

#include <memory>
#include <string>

#include "calendar/holidays.h"
#include "help/help_text.h"
#include "help/holiday_update.h"
#include "help/holiday_update_window.h"
#include "help/version_check.h"
#include "win/controls.h"
#include "win/window.h"

namespace help {

namespace {

// The layout, in client pixels: the upper box, the row of labels like tabs on top of the lower box.
constexpr int kClientWidth = 440;
constexpr int kMargin = 10;
constexpr int kBoxWidth = kClientWidth - 2 * kMargin;
constexpr int kTitleTop = kMargin;
constexpr int kTitleHeight = 104;
constexpr int kLabelTop = kTitleTop + kTitleHeight + 10;
constexpr int kLabelWidth = 64;
constexpr int kLabelHeight = 22;
constexpr int kPageTop = kLabelTop + kLabelHeight;
constexpr int kPageHeight = 190;
constexpr int kClientHeight = kPageTop + kPageHeight + kMargin;

constexpr COLORREF kCurrentLabelText = RGB(192, 80, 0);  // the program's orange, darkened
constexpr COLORREF kOtherLabelText = RGB(0, 51, 153);    // link blue: press to open

// The keyboard in the boxes: Tab, Enter and Escape go on to the window; Ctrl+Page Down and Ctrl+Page
// Up turn to the next and the previous page, as between a dialog's tabs.
constexpr UINT kTurnPageMessage = WM_APP + 0x60;  // wparam +1 or -1

LRESULT CALLBACK HelpBoxProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    if (message == WM_GETDLGCODE) return DefSubclassProc(edit, message, wparam, lparam) & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB);
    if (message == WM_KEYDOWN && (wparam == VK_NEXT || wparam == VK_PRIOR) && GetKeyState(VK_CONTROL) < 0) {
        SendMessageW(GetParent(edit), kTurnPageMessage, wparam == VK_NEXT ? 1 : static_cast<WPARAM>(-1), 0);
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, HelpBoxProc, 2);
    return DefSubclassProc(edit, message, wparam, lparam);
}

constexpr const char* kLabelCaptions[4] = {"功能", "说明", "快捷键", "关于"};

int LabelPage(int id) { return id >= kFirstLabelId && id <= kLastLabelId ? id - kFirstLabelId + 1 : 0; }

constexpr UINT kNewVersionMessage = WM_APP + 1;  // lparam: the line (a new std::string)

struct HelpDialog : win::Window {
    VersionSource source;
    std::unique_ptr<VersionCheck> check;
    HWND title = nullptr;
    HWND page_box = nullptr;
    HWND labels[4] = {};
    const win::WindowFont* bold = nullptr;  // the current page's label
    win::Colours colours;
    int page = 0;                                       // 1..4 once filled
    int fills = 0;

    bool OnCreate() override {
        bold = MakeFont("宋体", 12, FW_BOLD);
        const DWORD box = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP;
        std::string head = HelpText(0);
        if (!source.holidays_refused.empty())
            head += "\r\n" + KeptTableRefusedText(source.holidays_refused, source.holidays_file);
        title = AddControl(L"EDIT", head, box, kMargin, kTitleTop, kBoxWidth, kTitleHeight, kTitleBoxId, nullptr,
                           WS_EX_CLIENTEDGE);
        for (int k = 0; k < 4; ++k)
            labels[k] = AddControl(L"STATIC", kLabelCaptions[k], SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY | WS_BORDER,
                                   kMargin + k * (kLabelWidth + 2), kLabelTop, kLabelWidth, kLabelHeight,
                                   kFirstLabelId + k);
        page_box = AddControl(L"EDIT", "", box, kMargin, kPageTop, kBoxWidth, kPageHeight, kPageBoxId, nullptr,
                              WS_EX_CLIENTEDGE);
        for (HWND text : {title, page_box}) SetWindowSubclass(text, HelpBoxProc, 2, 0);
        ShowPage(FirstLabelPage);
        PlaceCentred(kClientWidth, kClientHeight);
        if (source.network) {
            HWND window = handle();
            VersionCheck::Then then;
            if (source.update_holidays) {
                then = [network = source.network, host = source.host_port, file = source.holidays_file,
                        set_aside = !source.holidays_refused.empty(), current = calendar::Holidays()->Table(),
                        window](const platform::StopAsked& stop) {
                    HolidayUpdateResult result;
                    const auto keep = [&file, set_aside](const std::string& text) {
                        return KeepHolidayFile(file, text, set_aside);
                    };
                    if (FetchHolidays(*network, host, current, keep, stop, result))
                        PostHolidayResult(window, result);
                };
            }
            check = std::make_unique<VersionCheck>(
                *source.network, source.host_port, source.url,
                [window](const std::string& line) {
                    win::PostOwned(window, kNewVersionMessage, line);
                },
                then);
            check->Start();
        }
        return true;
    }

    // The check is waited for before the boxes go; a line it posted that was not yet shown is freed.
    void OnDestroy() override {
        check.reset();
        win::FreePosted<std::string>(handle(), kNewVersionMessage);
        FreeHolidayResults(handle());
    }

    // The reader starts in the page; no text is selected.
    void OnShown() override {
        SetFocus(page_box);
        SendMessageW(page_box, EM_SETSEL, 0, 0);
    }

    // Makes `shown` current: its label marked, its text in the lower box. Nothing happens when it is
    // current already.
    void ShowPage(int shown) {
        if (shown < FirstLabelPage || shown > LastLabelPage || shown == page) return;
        const int previous = page;
        page = shown;
        win::SetText(page_box, HelpText(page));
        ++fills;
        for (int k : {previous, page}) {
            if (k < FirstLabelPage) continue;
            HWND label = labels[k - FirstLabelPage];
            SetControlFont(label, k == page ? bold : DialogFont());
            InvalidateRect(label, nullptr, TRUE);
        }
    }

    bool OnCommand(int id, int code, HWND) override {
        if (id == IDOK) {
            Close(IDOK);
            return true;
        }
        // A press on a label (the second press of a double click comes as STN_DBLCLK).
        if (LabelPage(id) != 0 && (code == STN_CLICKED || code == STN_DBLCLK)) {
            ShowPage(LabelPage(id));
            return true;
        }
        return false;
    }

    // The read-only boxes on white like paper; the labels as tabs, the current one white like the box
    // it stands on, the others on the dialog's colour in link blue.
    HBRUSH OnControlColour(HDC dc, HWND control) override {
        const int shown = LabelPage(GetDlgCtrlID(control));
        if (shown == 0) return colours.Use(dc, GetSysColor(COLOR_WINDOWTEXT), RGB(255, 255, 255));
        if (shown == page) return colours.Use(dc, kCurrentLabelText, RGB(255, 255, 255));
        return colours.Use(dc, kOtherLabelText, GetSysColor(COLOR_BTNFACE));
    }

    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == kHolidayResultMessage) {
            const auto result = TakeHolidayResult(lparam);
            if (!result->usable || result->changed) win::SetText(title, win::Text(title) + "\r\n" + result->status);
            return 0;
        }
        if (message == kTurnPageMessage) {
            ShowPage(page + static_cast<int>(static_cast<INT_PTR>(wparam)));
            return 0;
        }
        if (message == kNewVersionMessage) {
            const auto line = win::TakePosted<std::string>(lparam);
            win::SetText(title, win::Text(title) + "\r\n" + *line);
            return 0;
        }
        if (message == WM_SETCURSOR) {
            HWND over = reinterpret_cast<HWND>(wparam);
            const int shown = LabelPage(GetDlgCtrlID(over));
            if (shown != 0 && GetParent(over) == handle()) {
                SetCursor(LoadCursorW(nullptr, shown == page ? IDC_ARROW : IDC_HAND));
                return TRUE;
            }
        }
        return Window::OnMessage(message, wparam, lparam);
    }
};

}  // namespace

HWND CreateHelpDialog(HWND owner, const VersionSource& source) {
    auto dialog = std::make_unique<HelpDialog>();
    dialog->source = source;
    return win::Create(std::move(dialog), win::Frame{.class_name = L"TempolineHelp", .title = "帮助"}, owner);
}

int ShowHelpDialog(HWND owner, const VersionSource& source) {
    HWND dialog = CreateHelpDialog(owner, source);
    if (!dialog) return -1;
    win::RunModal(dialog);
    return IDOK;
}

int HelpDialogPage(HWND dialog) {
    const HelpDialog* d = win::StateOf<HelpDialog>(dialog);
    return d ? d->page : 0;
}

int HelpDialogPageFills(HWND dialog) {
    const HelpDialog* d = win::StateOf<HelpDialog>(dialog);
    return d ? d->fills : 0;
}

}  // namespace help
