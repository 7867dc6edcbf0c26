#include "places/local_coordinates_dialog.h"

#include <memory>

#include "places/place_lists.h"
#include "win/controls.h"
#include "win/window.h"

namespace places {

namespace {

// The client area; the frame comes around it.
constexpr int kClientWidth = 213;
constexpr int kClientHeight = 175;

struct LocalCoordinatesDialog : win::Window {
    LocalPlace* place = nullptr;
    PlaceLists lists;  // the selection, applied only on 确定
    HWND longitude = nullptr;
    HWND latitude = nullptr;

    void ShowCoordinates(double lon, double lat) {
        win::SetText(longitude, LongitudeText(lon));
        win::SetText(latitude, LatitudeText(lat));
    }

    bool OnCreate() override {
        const DWORD list = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        lists.provinces = AddControl(L"COMBOBOX", "", list, 16, 16, 75, 22 + 164, kProvinceListId);
        lists.cities = AddControl(L"COMBOBOX", "", list, 93, 16, 105, 22 + 164, kCityListId);
        AddControl(L"STATIC", "经 度", SS_LEFT, 22, 52, 45, 14);
        const DWORD field = ES_READONLY | ES_CENTER | ES_AUTOHSCROLL | WS_BORDER;
        longitude = AddControl(L"EDIT", "", field, 72, 52, 120, 14, kLongitudeFieldId);
        AddControl(L"STATIC", "纬 度", SS_LEFT, 22, 82, 45, 14);
        latitude = AddControl(L"EDIT", "", field, 72, 82, 120, 14, kLatitudeFieldId);
        SendMessageW(longitude, EM_SETLIMITTEXT, 14, 0);
        SendMessageW(latitude, EM_SETLIMITTEXT, 14, 0);
        AddControl(L"STATIC", "历算时区为东8区", SS_CENTER, 16, 110, 182, 14);
        AddControl(L"BUTTON", "确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 22, 135, 76, 24, IDOK);
        AddControl(L"BUTTON", "取消", WS_TABSTOP | BS_PUSHBUTTON, 116, 135, 76, 24, IDCANCEL);

        lists.Show(place->prov_index, place->city_index);
        ShowCoordinates(place->longitude, place->latitude);
        PlaceCentred(kClientWidth, kClientHeight);
        return true;
    }

    bool OnCommand(int id, int code, HWND control) override {
        if (id == IDOK) {
            place->prov_index = lists.province;
            place->city_index = lists.city;
            place->longitude = CityLongitude(lists.province, lists.city);
            place->latitude = CityLatitude(lists.province, lists.city);
            Close(IDOK);
            return true;
        }
        if (lists.Choose(control, code))
            ShowCoordinates(CityLongitude(lists.province, lists.city), CityLatitude(lists.province, lists.city));
        return id == kProvinceListId || id == kCityListId;
    }
};

}  // namespace

HWND CreateLocalCoordinatesDialog(HWND owner, LocalPlace* place) {
    if (place == nullptr) return nullptr;
    auto dialog = std::make_unique<LocalCoordinatesDialog>();
    dialog->place = place;
    return win::Create(std::move(dialog), win::Frame{.class_name = L"TempolineLocalCoordinates", .title = "本地坐标"},
                       owner);
}

int ShowLocalCoordinatesDialog(HWND owner, LocalPlace& place) {
    HWND dialog = CreateLocalCoordinatesDialog(owner, &place);
    return dialog != nullptr && win::RunModal(dialog) == IDOK ? IDOK : IDCANCEL;
}

}  // namespace places
