// The province list and the city list of the city table, as the windows that choose a place show
// them: a choice of province refills the cities and takes the province's first one.
#pragma once

#include <windows.h>

namespace places {

struct PlaceLists {
    HWND provinces = nullptr;  // drop-down lists the window made
    HWND cities = nullptr;
    int province = 1;          // the place chosen (1-based, as in the city table)
    int city = 1;
    int province_count = 0;    // the provinces offered, 1..province_count; 0 for all of them

    // Fills both lists and selects the place (indexes out of range fall back to the first).
    void Show(int province_index, int city_index);
    // Takes a notification of either list; true when it chose another place.
    bool Choose(HWND control, int code);
};

}  // namespace places
