// The pages tempoline-web writes (GBK; the service converts them to UTF-8 as it answers).
//
// The weather page is laid out for the viewer's parser (weather/weather_page.h), which reads it by
// byte offsets counted in GBK:
//   今天是2024年5月12日 星期日 ...(Tempoline     08:00发布)
//   per day: a row ending in "12日星期日</td></tr>" CR LF, then the 白天 row and the 夜间 row, each
//   <a ... target="_blank">晴</a></td>, <strong>26℃</strong>, and two wind cells whose text starts
//   30 bytes after "778.php" and ends with CR LF.
#pragma once

#include <string>

#include "astro/day_numbers.h"
#include "web/forecast.h"

namespace web {

// The page of a place for the five days from `today`.
std::string WeatherPageHtml(const Place& place, const astro::CalendarDate& today, const Forecast& forecast,
                            const std::string& credit);

// The download page: the product name, the version offered, then "下载", as the help window's
// new-version check reads it (help::NewVersionLine).
std::string DownloadPageHtml(const std::string& version);

// The wind scale the wind cells link to ("/help/778.php"): force 0..17 and the speeds of each.
std::string WindScalePageHtml();

// A short page for an answer that is not a forecast: the heading and one sentence.
std::string MessagePageHtml(const std::string& heading, const std::string& sentence);

}  // namespace web
