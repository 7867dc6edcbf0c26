// Forecasts from a file, for tests and for showing the viewer without the network. The file is
// JSON (UTF-8): one forecast for every place, and optionally forecasts of their own for some codes.
//
//   {
//     "credit": "演示数据",                       (optional: who the page credits)
//     "published": "08:00",
//     "days": [                                   (five days, today first)
//       {"day":   {"weather": "晴", "temperature": 26, "wind_direction": "南风", "wind_force": "3级"},
//        "night": {"weather": "多云", "temperature": 15, "wind_direction": "南风", "wind_force": "2级"}},
//       ...
//     ],
//     "places": {                                 (optional)
//       "101020100": {"published": "11:00", "days": [ ...five days... ]}
//     }
//   }
//
// A place's own forecast takes the common publication time when it has none. Every forecast must
// pass CheckForecast, every code must be a place's, and no other key is taken (a misspelt key is a
// mistake, not a default).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "web/forecast.h"

namespace web {

class FileSource : public ForecastSource {
public:
    // The source of a file's text (UTF-8), or nullptr with the reason in `why`.
    static std::unique_ptr<FileSource> FromText(std::string_view json, std::string& why);
    // The same for a file; a file larger than 4 MiB is refused.
    static std::unique_ptr<FileSource> FromFile(const std::string& path, std::string& why);

    SourceAnswer ForecastFor(const Place& place, std::time_t now) override;
    bool ForecastAtOnce(const Place& place, std::time_t now, SourceAnswer& answer) override {
        answer = ForecastFor(place, now);
        return true;
    }
    std::string Credit() const override { return credit_; }

    // The forecast a place gets.
    const Forecast& ForecastOf(std::int32_t code) const;

private:
    std::string credit_;
    Forecast common_;
    std::map<std::int32_t, Forecast> own_;
};

}  // namespace web
