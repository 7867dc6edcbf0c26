#include "web/service.h"

#include <charconv>
#include <cstdio>

#include "platform/files.h"
#include "text/encoding.h"
#include "text/gbk.h"
#include "web/forecast_file.h"
#include "web/open_meteo.h"
#include "web/weather_html.h"

namespace web {

namespace {

constexpr std::string_view kWeatherPrefix = "/weather/";
constexpr std::string_view kWeatherSuffix = ".shtml";

Reply Html(int status, const std::string& gbk) {
    return Reply{status, "text/html; charset=utf-8", MakePage(text::GbkToUtf8(gbk)), {}, {}};
}

Reply NotFound() {
    return Html(404, MessagePageHtml("404 没有这个网页", "这个地址没有网页。天气预报的地址是 /weather/城市代码.shtml。"));
}

bool WholeNumber(const std::string& text, int low, int high, int& value) {
    int v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || v < low || v > high) return false;
    value = v;
    return true;
}

std::string IndexPageHtml() {
    return MessagePageHtml("tempoline-web",
                           "橙鹿万年历的天气服务：<a href=\"/weather/101010100.shtml\">北京五日天气预报</a>"
                           "（/weather/城市代码.shtml）、<a href=\"/download/tempoline.html\">橙鹿万年历</a>、"
                           "<a href=\"/help/778.php\">风力等级</a>。");
}

}  // namespace

std::string PathOfTarget(std::string_view target) {
    std::string_view path;
    if (!target.empty() && target[0] == '/') {
        path = target;
    } else if (text::StartsWithNoCase(target, "http://")) {
        const std::string_view rest = target.substr(7);
        const std::size_t end = rest.find_first_of("/?#");
        if (end == 0) return {};  // no host
        path = end == std::string_view::npos || rest[end] != '/' ? std::string_view("/") : rest.substr(end);
    } else {
        return {};
    }
    return std::string(path.substr(0, path.find_first_of("?#")));
}

bool IsOfferableVersion(const std::string& version) {
    return !version.empty() && version.size() <= 10 && version.find_first_not_of("0123456789.") == std::string::npos;
}

Reply StatusReply(int status) {
    switch (status) {
        case 400: return Html(400, MessagePageHtml("400 请求有误", "这个请求不合 HTTP 的格式。"));
        case 408: return Html(408, MessagePageHtml("408 请求超时", "请求没有在限定的时间里送完。"));
        case 413: return Html(413, MessagePageHtml("413 请求太长", "这个服务只回答 GET 和 HEAD 请求，不收内容。"));
        case 414: return Html(414, MessagePageHtml("414 地址太长", "请求行超过了 8 KiB。"));
        case 431: return Html(431, MessagePageHtml("431 请求头太长", "请求行和请求头合起来超过了 8 KiB。"));
        case 503: return Html(503, MessagePageHtml("503 服务正忙", "现在的连接太多，请稍后再试。"));
        case 504: return Html(504, MessagePageHtml("504 天气数据暂时无法获取", "天气预报的来源没有及时回答，请稍后再试。"));
        default: return Html(status, MessagePageHtml(std::to_string(status), ""));
    }
}

Service::Service(ForecastSource& source, std::string version_offered, Now now, Log log)
    : source_(source),
      version_(std::move(version_offered)),
      now_(std::move(now)),
      log_(std::move(log)),
      index_(Html(200, IndexPageHtml())),
      download_(Html(200, DownloadPageHtml(version_))),
      wind_scale_(Html(200, WindScalePageHtml())),
      not_found_(NotFound()),
      calendars_(std::make_unique<CalendarMaker>()) {
    SetHolidays(calendar::BuiltInHolidays());
}

Service::~Service() = default;

namespace {

// The tag of a text (FNV-1a, 64 bits, quoted): the same contents give the same tag on every start.
std::string TagOf(const std::string& body) {
    std::uint64_t h = 14695981039346656037ULL;
    for (const unsigned char c : body) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    char tag[24];
    std::snprintf(tag, sizeof tag, "\"%016llx\"", static_cast<unsigned long long>(h));
    return tag;
}

Reply CalendarReply(const Page& text) {
    if (!text || text->empty()) return StatusReply(503);
    Reply reply;
    reply.content_type = "text/calendar; charset=utf-8";
    reply.body = text;
    reply.etag = TagOf(*text);
    return reply;
}

Reply PlainReply(int status, const std::string& utf8) {
    Reply reply;
    reply.status = status;
    reply.content_type = "text/plain; charset=utf-8";
    reply.body = MakePage(utf8 + "\n");
    return reply;
}

}  // namespace

void Service::CalendarFor(const std::string& key, const cli::IcsRequest& request,
                          std::function<void(Reply)> done) const {
    calendars_->Make(key, request, [done = std::move(done)](const Page& text) { done(CalendarReply(text)); });
}

void Service::SetHolidays(const calendar::HolidayTable& table) {
    holidays_.status = 200;
    holidays_.content_type = "text/tab-separated-values; charset=utf-8";
    holidays_.body = MakePage(calendar::HolidayTableText(table));
    holidays_.etag = TagOf(*holidays_.body);
    if (calendars_) calendars_->Forget();
}

Service::Routed Service::Route(std::string_view method, std::string_view target) const {
    Routed routed;
    if (method != "GET" && method != "HEAD") {
        routed.reply = Html(405, MessagePageHtml("405 只接受 GET", "这个服务只回答 GET 和 HEAD 请求。"));
        return routed;
    }
    const std::string path = PathOfTarget(target);
    if (path == "/") {
        routed.reply = index_;
    } else if (path == "/download/tempoline.html" || path == "/download/index.html") {
        routed.reply = download_;
    } else if (path == "/help/778.php") {
        routed.reply = wind_scale_;
    } else if (path == "/holidays/cn.tsv") {
        routed.reply = holidays_;
    } else if (path == "/calendar.ics") {
        std::string why;
        Page text;
        if (!ParseSubscription(QueryOfTarget(target), routed.calendar_request, routed.calendar_key, why)) {
            routed.reply = PlainReply(400, "400 " + why);
        } else if (const std::string empty = cli::IcsEmptyReason(routed.calendar_request); !empty.empty()) {
            routed.reply = PlainReply(404, "404 " + empty);  // a calendar file must hold an event
        } else if (calendars_->Kept(routed.calendar_key, text)) {
            routed.reply = CalendarReply(text);
        } else {
            routed.needs_calendar = true;
        }
    } else if (path.size() > kWeatherPrefix.size() + kWeatherSuffix.size() && path.starts_with(kWeatherPrefix) &&
               path.ends_with(kWeatherSuffix) &&
               FindPlace(path.substr(kWeatherPrefix.size(), path.size() - kWeatherPrefix.size() - kWeatherSuffix.size()),
                         routed.place)) {
        routed.needs_forecast = true;
    } else {
        routed.reply = not_found_;
    }
    return routed;
}

Reply Service::WeatherReply(const Place& place, const SourceAnswer& answer, std::time_t now) const {
    const std::string& problem = answer.failure;
    if (!answer.ok) {
        Reply reply = Html(502, MessagePageHtml("502 天气数据暂时无法获取", "天气预报的来源现在没有回答，"
                                                                          "请稍后再试。"));
        reply.problem = "forecast for " + std::to_string(place.code) + " (" + place.province_name + " " +
                        place.city_name + ") unavailable: " + problem;
        return reply;
    }
    const astro::CalendarDate today = ChinaTimeAt(now).date;
    const auto same_day = [&](const astro::CalendarDate& d) {
        return d.year == today.year && d.month == today.month && d.day == today.day;
    };
    {
        const std::lock_guard<std::mutex> lock(pages_mutex_);
        const auto kept = pages_.find(place.code);
        if (kept != pages_.end() && same_day(kept->second.date) && kept->second.forecast == answer.forecast)
            return Reply{200, "text/html; charset=utf-8", kept->second.body, {}, {}};  // shared, not copied
    }
    Reply reply = Html(200, WeatherPageHtml(place, today, answer.forecast, source_.Credit()));
    const std::lock_guard<std::mutex> lock(pages_mutex_);
    if (pages_.size() >= kMaxKeptPages) pages_.clear();
    pages_[place.code] = KeptPage{today, answer.forecast, reply.body};
    return reply;
}

Reply Service::Answer(std::string_view method, std::string_view target) {
    Routed routed = Route(method, target);
    if (routed.needs_calendar) return CalendarReply(MakePage(cli::IcsCalendar(routed.calendar_request)));
    if (!routed.needs_forecast) return routed.reply;
    const std::time_t now = now_();
    Reply reply = WeatherReply(routed.place, source_.ForecastFor(routed.place, now), now);
    if (!reply.problem.empty()) log_(reply.problem);
    return reply;
}

std::string ParseOptions(const std::vector<std::string>& args, Options& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i], value;
        bool has_value = false;
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--version") {
            options.version = true;
            continue;
        }
        const std::size_t equals = name.find('=');
        if (equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
            has_value = true;
        }
        if (name != "--address" && name != "--port" && name != "--source" && name != "--cache-minutes" &&
            name != "--version-offered" && name != "--max-connections" && name != "--holidays")
            return "unknown option " + args[i];
        if (!has_value) {
            if (i + 1 >= args.size()) return name + " needs a value";
            value = args[++i];
        }
        if (name == "--address") {
            if (value.empty()) return "--address needs an address";
            options.address = value;
        } else if (name == "--port") {
            if (!WholeNumber(value, 0, 65535, options.port)) return "--port takes 0..65535, not '" + value + "'";
        } else if (name == "--source") {
            if (value != "api" && !value.starts_with("api:") && !(value.starts_with("file:") && value.size() > 5))
                return "--source takes api, api:HOST[:PORT] or file:PATH, not '" + value + "'";
            options.source = value;
        } else if (name == "--cache-minutes") {
            if (!WholeNumber(value, 0, 1440, options.cache_minutes))
                return "--cache-minutes takes 0..1440, not '" + value + "'";
        } else if (name == "--holidays") {
            if (value.empty()) return "--holidays needs a file";
            options.holidays = value;
        } else if (name == "--max-connections") {
            if (!WholeNumber(value, 16, 100000, options.max_connections))
                return "--max-connections takes 16..100000, not '" + value + "'";
        } else {
            if (!IsOfferableVersion(value)) return "--version-offered takes 1..10 digits and dots, not '" + value + "'";
            options.version_offered = value;
        }
    }
    return {};
}

std::string UsageText() {
    // The manual page is made from this text (scripts/man_pages.py): its sections are the headings
    // ending in ":", its entries the lines indented by two.
    return "tempoline-web: the weather pages, the download page and the public holiday table Tempoline\n"
           "reads, and calendar subscriptions, over HTTP/1.0 and 1.1\n"
           "\n"
           "Routes (GET and HEAD):\n"
           "  /weather/CODE.shtml  the five-day forecast of a place code of the city table\n"
           "  /download/index.html  the download page with the version offered (also\n"
           "                       /download/tempoline.html)\n"
           "  /help/778.php        the wind scale the weather pages link to\n"
           "  /holidays/cn.tsv     the public holiday table: UTF-8 lines of a date YYYY-MM-DD, a tab,\n"
           "                       休 (day off) or 班 (weekend day worked), a tab and the holiday's\n"
           "                       name; \"#\" comment lines; the last line \"# end of table: N rows,\n"
           "                       years Y..Z\"; with an ETag\n"
           "  /calendar.ics        a calendar to subscribe to: the file of tempo ics for the query\n"
           "                       from=YYYY&years=N&terms&festivals&months&holidays&name=NAME&\n"
           "                       lunar-birthday=MM-DD:TITLE&solar-birthday=MM-DD:TITLE (at most\n"
           "                       10 years and 20 birthdays); with an ETag\n"
           "\n"
           "Options:\n"
           "  --address A          listen on address A (default 0.0.0.0)\n"
           "  --port N             listen on port N (default 8080; 0 picks a free one)\n"
           "  --source S           api: Open-Meteo (api.open-meteo.com, plain HTTP);\n"
           "                       api:HOST[:PORT]: an Open-Meteo server elsewhere;\n"
           "                       file:PATH: the forecasts of a JSON file (its format below)\n"
           "  --cache-minutes N    keep each place's Open-Meteo forecast N minutes (default 30)\n"
           "  --version-offered V  the version the download page offers (default 4.2)\n"
           "  --max-connections N  connections kept at once (default 1024); at the cap the idle\n"
           "                       ones are closed first\n"
           "  --holidays FILE      the public holiday table served at /holidays/cn.tsv, merged over\n"
           "                       the built-in years (a regular file in the format of that route;\n"
           "                       its end line is optional)\n"
           "  --version            print the version and end\n"
           "  --help               this text\n"
           "\n"
           "Forecast file (--source file:PATH), JSON in UTF-8:\n"
           "  {\"credit\": \"演示数据\",\n"
           "   \"published\": \"08:00\",\n"
           "   \"days\": [{\"day\":   {\"weather\": \"晴\", \"temperature\": 26,\n"
           "                       \"wind_direction\": \"南风\", \"wind_force\": \"3级\"},\n"
           "             \"night\": {\"weather\": \"多云\", \"temperature\": 15,\n"
           "                       \"wind_direction\": \"南风\", \"wind_force\": \"2级\"}},\n"
           "            ... five days, today first],\n"
           "   \"places\": {\"101020100\": {\"published\": \"11:00\", \"days\": [five days]}}}\n"
           "  One forecast for every place, and their own for the place codes under \"places\"\n"
           "  (optional, as is \"credit\", the source the pages name). The texts are those the\n"
           "  weather viewer reads: weather words such as 晴, 多云, 阴, 小雨, directions such as 南风 or\n"
           "  无持续风向, forces such as 3级 (none empty, the weather at most 6 characters);\n"
           "  temperatures in degrees Celsius, -99..99. Any other key, a code that is no place's or a\n"
           "  text the viewer cannot read back refuses the file at start, with the reason.\n";
}

bool LoadHolidays(const std::string& path, calendar::HolidayTable& table, std::string& why) {
    std::string text;
    if (!platform::ReadWholeFile(path, text, calendar::kMaxHolidayFileBytes, platform::FileKind::kRegularOnly)) {
        why = "cannot read the holiday table " + path + " (missing, unreadable, not a regular file or over 64 KiB)";
        return false;
    }
    calendar::HolidayTable read;
    calendar::HolidayTableFault wrong;
    if (!calendar::ParseHolidayTable(text, read, wrong)) {
        why = "the holiday table " + path + " is refused: " + calendar::FaultTextEnglish(wrong);
        return false;
    }
    calendar::HolidayTable merged = calendar::MergeHolidays(calendar::BuiltInHolidays(), read);
    // Every client refuses a table over that size: one it could never take is not served.
    const std::size_t bytes = calendar::HolidayTableText(merged).size();
    if (bytes > calendar::kMaxHolidayFileBytes) {
        why = "the holiday table " + path + " is refused: merged with the built-in years it would be served as " +
              std::to_string(bytes) + " bytes, over the " + std::to_string(calendar::kMaxHolidayFileBytes) +
              " bytes (64 KiB) the program takes";
        return false;
    }
    table = std::move(merged);
    return true;
}

std::unique_ptr<ForecastSource> MakeSource(const Options& options, std::string& why) {
    if (options.source.starts_with("file:")) {
        std::unique_ptr<ForecastSource> source = FileSource::FromFile(options.source.substr(5), why);
        return source;
    }
    OpenMeteoSource::Settings settings;
    settings.cache_minutes = options.cache_minutes;
    if (options.source.starts_with("api:")) {
        std::string host = options.source.substr(4);
        const std::size_t colon = host.rfind(':');
        if (colon != std::string::npos) {
            if (!WholeNumber(host.substr(colon + 1), 1, 65535, settings.port)) {
                why = "the port of --source " + options.source + " is not 1..65535";
                return nullptr;
            }
            host.resize(colon);
        }
        if (host.empty()) {
            why = "--source " + options.source + " names no host";
            return nullptr;
        }
        settings.host = host;
    } else if (options.source != "api") {
        why = "--source takes api, api:HOST[:PORT] or file:PATH";
        return nullptr;
    }
    return std::make_unique<OpenMeteoSource>(settings);
}

}  // namespace web
