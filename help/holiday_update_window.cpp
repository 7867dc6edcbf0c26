#include "help/holiday_update_window.h"

#include <memory>

#include "calendar/holidays.h"
#include "help/holiday_update.h"
#include "platform/files.h"
#include "text/wide.h"
#include "win/controls.h"
#include "win/window.h"

namespace help {

namespace {

// The status line holds the longest reason whole with its conclusion ("节假日表有误（第347行：
// 结尾行与表不符，应为“# end of table: …”），节假日安排未变"): four lines of the dialog's font,
// wrapped at words, at any DPI (the layout scales as one).
constexpr int kClientWidth = 400;
constexpr int kStatusTop = 36;
constexpr int kStatusHeight = 64;
// A refused kept table is told in a box of its own above the status line (its text names the file,
// which may run long: the box scrolls).
constexpr int kKeptHeight = 64;
constexpr int kButtonTop = kStatusTop + kStatusHeight + 10;
constexpr int kClientHeight = kButtonTop + 24 + 12;

std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct HolidayUpdateWindow : win::Window {
    HolidaySource source;
    std::unique_ptr<HolidayUpdate> update;
    HWND status = nullptr;
    bool finished = false;

    bool OnCreate() override {
        AddControl(L"STATIC", "国务院办公厅每年公布次年的节假日安排。", SS_LEFT, 12, 12, kClientWidth - 24, 16);
        const int shift = source.kept_refused.empty() ? 0 : kKeptHeight + 8;
        if (shift != 0)
            AddControl(L"EDIT", KeptTableRefusedText(source.kept_refused, source.file),
                       ES_READONLY | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL, 12, kStatusTop, kClientWidth - 24,
                       kKeptHeight, kHolidayKeptId, nullptr, WS_EX_CLIENTEDGE);
        status = AddControl(L"EDIT", "", ES_READONLY | ES_MULTILINE, 12, kStatusTop + shift, kClientWidth - 24,
                            kStatusHeight, kHolidayStatusId, nullptr, WS_EX_CLIENTEDGE);
        AddControl(L"BUTTON", "关闭", BS_DEFPUSHBUTTON | WS_TABSTOP, kClientWidth - 92, kButtonTop + shift, 80, 24,
                   kHolidayCloseId);
        PlaceCentred(kClientWidth, kClientHeight + shift);
        if (!source.network) {
            win::SetText(status, "没有网络，节假日安排未变");
            finished = true;
            return true;
        }
        win::SetText(status, "正在从" + source.host_port + "下载节假日安排……");
        HWND window = handle();
        const std::string file = source.file;
        const bool set_aside = !source.kept_refused.empty();
        update = std::make_unique<HolidayUpdate>(
            *source.network, source.host_port, calendar::Holidays()->Table(),
            [file, set_aside](const std::string& text) { return KeepHolidayFile(file, text, set_aside); },
            [window](const HolidayUpdateResult& result) { PostHolidayResult(window, result); });
        update->Start();
        return true;
    }

    // The worker is waited for before the status line goes; a result it posted that was not yet
    // shown is freed.
    void OnDestroy() override {
        update.reset();
        FreeHolidayResults(handle());
    }

    bool OnCommand(int id, int, HWND) override {
        if (id != kHolidayCloseId) return false;
        Close(IDOK);
        return true;
    }

    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == kHolidayResultMessage) {
            const auto result = TakeHolidayResult(lparam);
            std::string line = result->status;
            if (result->kept && !source.kept_refused.empty())
                line += "；未能读入的原表另存为" + FileNameOf(RefusedCopyName(source.file));
            win::SetText(status, line);
            finished = true;
            return 0;
        }
        return Window::OnMessage(message, wparam, lparam);
    }
};

}  // namespace

bool KeepHolidayFile(const std::string& file, const std::string& text, bool set_aside) {
    if (file.empty()) return false;
    const std::wstring wide = text::GbkToWide(file);
    const std::size_t slash = wide.find_last_of(L"\\/");
    if (slash != std::wstring::npos) CreateDirectoryW(wide.substr(0, slash).c_str(), nullptr);  // made on first use
    if (set_aside) {
        // The user's refused table is never written over: it goes beside, whole, or nothing changes.
        std::string refused;
        if (platform::ReadWholeFile(file, refused, std::size_t{1} << 24) &&
            !platform::ReplaceFileContents(RefusedCopyName(file), refused))
            return false;
    }
    return platform::ReplaceFileContents(file, text);
}

void PostHolidayResult(HWND window, const HolidayUpdateResult& result) {
    win::PostOwned(window, kHolidayResultMessage, result);
}

std::unique_ptr<HolidayUpdateResult> TakeHolidayResult(LPARAM lparam) {
    auto result = win::TakePosted<HolidayUpdateResult>(lparam);
    if (result->usable && result->changed) calendar::InstallHolidays(result->table);
    return result;
}

void FreeHolidayResults(HWND window) { win::FreePosted<HolidayUpdateResult>(window, kHolidayResultMessage); }

HWND CreateHolidayUpdateWindow(HWND owner, const HolidaySource& source) {
    auto window = std::make_unique<HolidayUpdateWindow>();
    window->source = source;
    return win::Create(std::move(window), win::Frame{.class_name = L"TempolineHolidays", .title = "更新节假日安排"},
                       owner);
}

void ShowHolidayUpdateWindow(HWND owner, const HolidaySource& source) {
    HWND window = CreateHolidayUpdateWindow(owner, source);
    if (window) win::RunModal(window);
}

bool HolidayUpdateFinished(HWND window) {
    const HolidayUpdateWindow* w = win::StateOf<HolidayUpdateWindow>(window);
    return w && w->finished;
}

}  // namespace help
