// The local-coordinates dialog (本地坐标): the user picks the province and the city whose longitude
// and latitude the sun times use.
#pragma once

#include <windows.h>

namespace places {

constexpr int kProvinceListId = 101;
constexpr int kCityListId = 102;
constexpr int kLongitudeFieldId = 103;
constexpr int kLatitudeFieldId = 104;

// Creates the dialog (not yet modal) over its owner, filled with the current local place.
HWND CreateLocalCoordinatesDialog(HWND owner);
// Shows the dialog modally; IDOK when the user confirmed a place (the settings then hold it), else
// IDCANCEL. The owner redraws its views afterwards.
int ShowLocalCoordinatesDialog(HWND owner);

}  // namespace places
