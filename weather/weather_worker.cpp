#include "weather/weather_worker.h"

#include "places/city_table.h"
#include "weather/fetch.h"
#include "weather/weather_page.h"

namespace weather {

bool WeatherWorker::Query(int province, int city) {
    if (fetch_state_.load() == kRunning) return false;
    if (thread_.joinable()) thread_.join();  // finished: released
    cancel_flag_ = 0;
    fetch_state_ = kRunning;  // before the thread starts: a second 查询 finds it running
    thread_ = std::thread(&WeatherWorker::Run, this, places::CityWeatherCode(province, city),
                          places::CityText(province, -1), places::CityText(province, city));
    return true;
}

void WeatherWorker::Stop() {
    cancel_flag_ = 1;
    if (thread_.joinable()) thread_.join();
}

void WeatherWorker::Run(std::int32_t code, const std::string& province, const std::string& city) {
    const auto say = [this](const char* status) { post_(ViewUpdate{ViewUpdate::kStatus, status, {}, {}}); };
    post_(ViewUpdate{ViewUpdate::kClear, "", {}, {}});
    say("  正在连接网络 ......");
    const Exchange exchange = Fetch(
        network_, host_, RequestText(host_, code), [this] { return Cancelled(); },
        [&] { say("  正在接收天气信息 ......"); });
    if (exchange.outcome == Exchange::kStopped || Cancelled()) {
        fetch_state_ = kFinished;
        return;
    }
    if (exchange.outcome == Exchange::kNoConnection) {
        say("  网络断开！！！");
        fetch_state_ = kFinished;
        return;
    }
    const std::string page = Utf8ToLocal(exchange.answer);
    if (Cancelled()) {
        fetch_state_ = kFinished;
        return;
    }
    const WeatherPage parsed = ParseWeatherPage(page);
    if (Cancelled()) {
        fetch_state_ = kFinished;
        return;
    }
    if (!parsed.ok) {
        say("  无法接收天气信息！！！");
    } else {
        ViewUpdate filled{ViewUpdate::kFilled, StatusLine(province, city, parsed), {}, FormatCells(parsed)};
        for (const auto& day : parsed.days) filled.dates.push_back(day.date_label);
        post_(filled);
    }
    fetch_state_ = kFinished;
}

}  // namespace weather
