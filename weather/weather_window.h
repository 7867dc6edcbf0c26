// The weather viewer "橙鹿天气": a place chosen by province (1..34) and city, "查询" fetches its
// five-day forecast on a worker, shown in a table of 白天 and 夜间 halves with a status line below;
// "取消" (and closing) stops the worker and closes the window.
#pragma once

#include <windows.h>

#include <string>

#include "platform/network.h"

namespace weather {

constexpr int kProvinceListId = 501;
constexpr int kCityListId = 502;
constexpr int kQueryId = 503;
constexpr int kCancelId = IDCANCEL;
constexpr int kStatusId = 510;
constexpr int kFirstDateId = 511;   // 511..515: the date cells
constexpr int kFirstCellId = 521;   // 521..560: the value cells, row by row

struct WeatherContext {
    platform::Network* network = nullptr;
    std::string host;       // the weather service, "host" or "host:port"
    int province = 1;       // the place first chosen (NowProvIndex, NowCityIndex)
    int city = 1;
};

// Opens the viewer (owned by `owner`, or alone when nullptr); it runs modelessly until closed.
HWND OpenWeatherViewer(HWND owner, const WeatherContext& context);
// The worker's FetchState of an open viewer (for tests); -1 for another window.
int WeatherFetchState(HWND viewer);

}  // namespace weather
