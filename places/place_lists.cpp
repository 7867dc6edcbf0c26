#include "places/place_lists.h"

#include <algorithm>
#include <string>
#include <vector>

#include "places/city_table.h"
#include "win/controls.h"

namespace places {

namespace {

void FillCities(HWND list, int province) {
    std::vector<std::string> names;
    for (int k = 1; k <= CityCount(province); ++k) names.push_back(CityText(province, k));
    win::FillList(list, names);
}

}  // namespace

void PlaceLists::Show(int province_index, int city_index) {
    const int offered = province_count > 0 ? std::min(province_count, ProvinceCount) : ProvinceCount;
    if (province_count > 0 && province_index > offered) province_index = city_index = 1;  // not offered here
    province = std::clamp(province_index, 1, offered);
    city = std::clamp(city_index, 1, std::max(1, CityCount(province)));
    std::vector<std::string> names;
    for (int k = 1; k <= offered; ++k) names.push_back(CityText(k, -1));
    win::FillList(provinces, names);
    win::Select(provinces, province - 1);
    FillCities(cities, province);
    win::Select(cities, city - 1);
}

bool PlaceLists::Choose(HWND control, int code) {
    if (code != CBN_SELCHANGE || (control != provinces && control != cities)) return false;
    const int chosen = win::Selection(control) + 1;
    if (chosen < 1) return false;
    if (control == provinces) {
        if (chosen == province) return false;
        province = chosen;
        city = 1;
        FillCities(cities, province);
        win::Select(cities, 0);
        return true;
    }
    if (chosen == city) return false;
    city = chosen;
    return true;
}

}  // namespace places
