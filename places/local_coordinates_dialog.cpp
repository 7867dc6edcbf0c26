#include "places/local_coordinates_dialog.h"

#include <string>

#include "places/city_table.h"
#include "shell/app_win32.h"
#include "text/wide.h"

namespace places {

namespace {

constexpr const wchar_t* kClassName = L"TempolineLocalCoordinates";

struct Dialog {
    HWND window = nullptr;
    HWND owner = nullptr;
    HWND provinces = nullptr;
    HWND cities = nullptr;
    HWND longitude = nullptr;
    HWND latitude = nullptr;
    HFONT font = nullptr;
    int province = 1;  // the selection, applied only on 确定
    int city = 1;
    int result = IDCANCEL;
};

// The answer of the last dialog closed (the dialog's record goes with its window).
int g_last_result = IDCANCEL;

Dialog* DialogOf(HWND window) { return reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

void SetText(HWND control, const std::string& gbk) { SetWindowTextW(control, text::GbkToWide(gbk).c_str()); }

void ShowCoordinates(Dialog& d, double longitude, double latitude) {
    SetText(d.longitude, LongitudeText(longitude));
    SetText(d.latitude, LatitudeText(latitude));
}

void FillCities(Dialog& d) {
    SendMessageW(d.cities, CB_RESETCONTENT, 0, 0);
    const int count = CityCount(d.province);
    for (int k = 1; k <= count; ++k)
        SendMessageW(d.cities, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text::GbkToWide(CityText(d.province, k)).c_str()));
}

HWND Control(Dialog& d, const wchar_t* cls, const std::string& caption, DWORD style, int x, int y, int w, int h, int id) {
    HWND c = CreateWindowExW(0, cls, text::GbkToWide(caption).c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                             d.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                             nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(d.font), FALSE);
    return c;
}

void CreateControls(Dialog& d) {
    d.font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, text::GbkToWide("宋体").c_str());
    const DWORD list = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
    d.provinces = Control(d, L"COMBOBOX", "", list, 16, 16, 75, 22 + 164, kProvinceListId);
    d.cities = Control(d, L"COMBOBOX", "", list, 93, 16, 105, 22 + 164, kCityListId);
    Control(d, L"STATIC", "经 度", SS_LEFT, 22, 52, 45, 14, -1);
    const DWORD field = ES_READONLY | ES_CENTER | ES_AUTOHSCROLL | WS_BORDER;
    d.longitude = Control(d, L"EDIT", "", field, 72, 52, 120, 14, kLongitudeFieldId);
    Control(d, L"STATIC", "纬 度", SS_LEFT, 22, 82, 45, 14, -1);
    d.latitude = Control(d, L"EDIT", "", field, 72, 82, 120, 14, kLatitudeFieldId);
    SendMessageW(d.longitude, EM_SETLIMITTEXT, 14, 0);
    SendMessageW(d.latitude, EM_SETLIMITTEXT, 14, 0);
    Control(d, L"STATIC", "历算时区为东8区", SS_CENTER, 16, 110, 182, 14, -1);
    Control(d, L"BUTTON", "确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 22, 135, 76, 24, IDOK);
    Control(d, L"BUTTON", "取消", WS_TABSTOP | BS_PUSHBUTTON, 116, 135, 76, 24, IDCANCEL);
}

void Populate(Dialog& d) {
    const shell::Settings& s = shell::TheApp().settings;
    d.province = s.place.prov_index;
    d.city = s.place.city_index;
    for (int k = 1; k <= ProvinceCount; ++k)
        SendMessageW(d.provinces, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text::GbkToWide(CityText(k, -1)).c_str()));
    SendMessageW(d.provinces, CB_SETCURSEL, d.province - 1, 0);
    FillCities(d);
    SendMessageW(d.cities, CB_SETCURSEL, d.city - 1, 0);
    ShowCoordinates(d, s.place.longitude, s.place.latitude);
}

void Close(Dialog& d, int result) {
    d.result = result;
    g_last_result = result;
    if (result == IDOK) {
        shell::Settings& s = shell::TheApp().settings;
        s.place.prov_index = d.province;
        s.place.city_index = d.city;
        s.place.longitude = CityLongitude(d.province, d.city);
        s.place.latitude = CityLatitude(d.province, d.city);
    }
    DestroyWindow(d.window);
}

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Dialog* d = DialogOf(window);
    switch (message) {
        case WM_COMMAND:
            if (!d) break;
            switch (LOWORD(wparam)) {
                case IDOK: Close(*d, IDOK); return 0;
                case IDCANCEL: Close(*d, IDCANCEL); return 0;
                case kProvinceListId:
                    if (HIWORD(wparam) == CBN_SELCHANGE) {
                        const int province = static_cast<int>(SendMessageW(d->provinces, CB_GETCURSEL, 0, 0)) + 1;
                        if (province != d->province && province >= 1) {
                            d->province = province;
                            d->city = 1;
                            FillCities(*d);
                            SendMessageW(d->cities, CB_SETCURSEL, 0, 0);
                            ShowCoordinates(*d, CityLongitude(province, 1), CityLatitude(province, 1));
                        }
                    }
                    return 0;
                case kCityListId:
                    if (HIWORD(wparam) == CBN_SELCHANGE) {
                        const int city = static_cast<int>(SendMessageW(d->cities, CB_GETCURSEL, 0, 0)) + 1;
                        if (city != d->city && city >= 1) {
                            d->city = city;
                            ShowCoordinates(*d, CityLongitude(d->province, city), CityLatitude(d->province, city));
                        }
                    }
                    return 0;
                default: break;
            }
            break;
        case WM_CLOSE:
            if (d) Close(*d, IDCANCEL);
            return 0;
        case WM_DESTROY:
            if (d) {
                if (d->owner) EnableWindow(d->owner, TRUE);
                DeleteObject(d->font);
            }
            return 0;
        case WM_NCDESTROY:
            delete d;
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

HWND CreateLocalCoordinatesDialog(HWND owner) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    shell::RegisterProgramClass(kClassName, DialogProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    constexpr int kWidth = 213;
    constexpr int kHeight = 175;
    const shell::ScreenSize screen = shell::ScreenPixels();
    HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClassName,
                                  text::GbkToWide("本地坐标").c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                  (screen.width - kWidth) / 2, (screen.height - kHeight) / 2, kWidth, kHeight, owner,
                                  nullptr, instance, nullptr);
    if (!window) return nullptr;
    auto* d = new Dialog;
    d->window = window;
    d->owner = owner;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(d));
    CreateControls(*d);
    Populate(*d);
    ShowWindow(window, SW_SHOW);
    return window;
}

int ShowLocalCoordinatesDialog(HWND owner) {
    HWND window = CreateLocalCoordinatesDialog(owner);
    if (!window) return IDCANCEL;
    g_last_result = IDCANCEL;
    shell::RunModal(window, owner);
    const int result = g_last_result;
    return result;
}

}  // namespace places
