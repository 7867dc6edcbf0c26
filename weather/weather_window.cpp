#include "weather/weather_window.h"

#include <memory>
#include <vector>

#include "places/city_table.h"
#include "places/place_lists.h"
#include "weather/weather_worker.h"
#include "win/controls.h"
#include "win/services.h"
#include "win/window.h"

namespace weather {

namespace {

constexpr UINT kUpdateMessage = WM_APP + 2;  // lparam: a ViewUpdate (new), from the worker
constexpr int kClientWidth = 469;
constexpr int kClientHeight = 329;
constexpr int kTableLeft = 10;
constexpr int kTableTop = 44;
constexpr int kDateWidth = 48;
constexpr int kColumnWidths[4] = {56, 58, 48, 38};  // 天气 温度 风向 风力, in each half
constexpr int kHeaderHeight = 20;
constexpr int kRowHeight = 42;
constexpr COLORREF kGrid = RGB(220, 240, 250);
constexpr COLORREF kDayHalf = RGB(255, 248, 225);
constexpr COLORREF kNightHalf = RGB(230, 235, 255);

int ColumnLeft(int column) {  // column 0: the dates; 1..8 the values
    int x = kTableLeft + kDateWidth;
    if (column == 0) return kTableLeft;
    for (int c = 1; c < column; ++c) x += kColumnWidths[(c - 1) % 4];
    return x;
}

struct WeatherViewer : win::Window {
    WeatherContext context;
    places::PlaceLists place;
    std::unique_ptr<WeatherWorker> worker;
    HWND status = nullptr;
    HWND dates[5] = {};
    HWND cells[40] = {};
    win::Colours colours;

    bool OnCreate() override {
        place.provinces = AddControl(L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 10, 10, 110, 300,
                                     kProvinceListId);
        place.cities = AddControl(L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 126, 10, 130, 300,
                                  kCityListId);
        place.province_count = places::ChineseProvinceCount;
        place.Show(context.province, context.city);
        AddControl(L"BUTTON", "查询", WS_TABSTOP | BS_DEFPUSHBUTTON, 300, 9, 76, 24, kQueryId);
        AddControl(L"BUTTON", "取消", WS_TABSTOP, 383, 9, 76, 24, kCancelId);
        // The header: 日期, then 白天 and 夜间 over their four columns each.
        const DWORD centred = SS_CENTER | SS_CENTERIMAGE;
        AddControl(L"STATIC", "日期", centred, kTableLeft, kTableTop, kDateWidth - 1, 2 * kHeaderHeight - 1);
        AddControl(L"STATIC", "白天", centred, ColumnLeft(1), kTableTop, ColumnLeft(5) - ColumnLeft(1) - 1, kHeaderHeight - 1, 601);
        AddControl(L"STATIC", "夜间", centred, ColumnLeft(5), kTableTop, ColumnLeft(9) - ColumnLeft(5) - 1, kHeaderHeight - 1, 602);
        const char* const names[4] = {"天气", "温度", "风向", "风力"};
        for (int c = 1; c <= 8; ++c)
            AddControl(L"STATIC", names[(c - 1) % 4], centred, ColumnLeft(c), kTableTop + kHeaderHeight,
                       kColumnWidths[(c - 1) % 4] - 1, kHeaderHeight - 1, 610 + c);
        const int rows_top = kTableTop + 2 * kHeaderHeight;
        for (int r = 0; r < 5; ++r) {
            dates[r] = AddControl(L"STATIC", "", centred, kTableLeft, rows_top + r * kRowHeight, kDateWidth - 1,
                                  kRowHeight - 1, kFirstDateId + r);
            for (int c = 1; c <= 8; ++c)
                cells[r * 8 + c - 1] = AddControl(L"STATIC", "", SS_CENTER, ColumnLeft(c), rows_top + r * kRowHeight + 6,
                                                  kColumnWidths[(c - 1) % 4] - 1, kRowHeight - 7, kFirstCellId + r * 8 + c - 1);
        }
        status = AddControl(L"STATIC", "", SS_LEFT | SS_CENTERIMAGE, kTableLeft, rows_top + 5 * kRowHeight + 6,
                            ColumnLeft(9) - kTableLeft, 20, kStatusId);
        HWND window = handle();
        worker = std::make_unique<WeatherWorker>(*context.network, context.host, [window](const ViewUpdate& update) {
            win::PostOwned(window, kUpdateMessage, update);
        });
        PlaceCentred(kClientWidth, kClientHeight);
        return true;
    }

    void OnShown() override { SetFocus(Item(kQueryId)); }

    // The worker is stopped and waited for before the labels go; updates it posted meanwhile are freed.
    void OnDestroy() override {
        worker.reset();
        win::FreePosted<ViewUpdate>(handle(), kUpdateMessage);
    }

    void OnCancel() override {
        worker->Stop();
        Close(IDCANCEL);
    }

    bool OnCommand(int id, int code, HWND control) override {
        if (place.Choose(control, code)) return true;
        if (id == kQueryId && code == BN_CLICKED) {
            worker->Query(place.province, place.city);
            return true;
        }
        return false;
    }

    void Apply(const ViewUpdate& update) {
        switch (update.kind) {
            case ViewUpdate::kClear:
                for (HWND d : dates) win::SetText(d, "");
                for (HWND c : cells) win::SetText(c, "");
                win::SetText(status, "");
                break;
            case ViewUpdate::kStatus: win::SetText(status, update.status); break;
            case ViewUpdate::kFilled:
                for (size_t r = 0; r < 5 && r < update.dates.size(); ++r) win::SetText(dates[r], update.dates[r]);
                for (size_t i = 0; i < 40 && i < update.cells.size(); ++i) win::SetText(cells[i], update.cells[i]);
                win::SetText(status, update.status);
                break;
        }
    }

    HBRUSH OnControlColour(HDC dc, HWND control) override {
        const int id = GetDlgCtrlID(control);
        int column = 0;
        if (id >= kFirstCellId && id < kFirstCellId + 40) column = (id - kFirstCellId) % 8 + 1;
        if (id > 610 && id <= 618) column = id - 610;
        if (id == 601) column = 1;
        if (id == 602) column = 5;
        if (control == status) return colours.Use(dc, RGB(0, 64, 128), GetSysColor(COLOR_BTNFACE));
        if (id >= kFirstDateId && id < kFirstDateId + 5) return colours.Use(dc, RGB(0, 0, 0), kGrid);
        if (column == 0 && id != -1) return nullptr;
        if (column == 0) return colours.Use(dc, RGB(0, 0, 0), kGrid);
        return colours.Use(dc, RGB(0, 0, 0), column <= 4 ? kDayHalf : kNightHalf);
    }

    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == kUpdateMessage) {
            const auto update = win::TakePosted<ViewUpdate>(lparam);
            Apply(*update);
            return 0;
        }
        return Window::OnMessage(message, wparam, lparam);
    }
};

}  // namespace

HWND OpenWeatherViewer(HWND owner, const WeatherContext& context) {
    if (!context.network) return nullptr;
    auto viewer = std::make_unique<WeatherViewer>();
    viewer->context = context;
    return win::Create(std::move(viewer), win::Frame{.class_name = L"TempolineWeather", .title = "橙鹿天气"}, owner);
}

int WeatherFetchState(HWND window) {
    const WeatherViewer* viewer = win::StateOf<WeatherViewer>(window);
    return viewer ? viewer->worker->FetchState() : -1;
}

}  // namespace weather
