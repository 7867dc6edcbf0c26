// The local-coordinates dialog (本地坐标): the user picks the province and the city whose longitude
// and latitude the sun times use.
#pragma once

#include <windows.h>

#include "places/city_table.h"

namespace places {

// Control ids, for the tests.
enum LocalCoordinatesControlId : int { kProvinceListId = 101, kCityListId, kLongitudeFieldId, kLatitudeFieldId };

// Creates and shows the dialog (not yet modal) over its owner, on `place`. "确定" writes the chosen
// place into it; `place` must outlive the dialog.
HWND CreateLocalCoordinatesDialog(HWND owner, LocalPlace* place);
// Asks modally; IDOK when the user confirmed a place (`place` then holds it), else IDCANCEL. The
// owner redraws its views afterwards.
int ShowLocalCoordinatesDialog(HWND owner, LocalPlace& place);

}  // namespace places
