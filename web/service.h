// tempoline-web: the service the weather viewer and the help window's new-version check read.
//
//   GET /weather/<code>.shtml     the five-day page of a place (404 for a code no place has, 502
//                                 when the forecast source fails)
//   GET /download/tempoline.html  the download page offering a version (also /download/index.html)
//   GET /help/778.php             the wind scale the wind cells link to
//   GET /holidays/cn.tsv          the public holiday table (the data file's format, UTF-8, ending with
//                                 its end line), with an ETag; If-None-Match with it gets 304
//   GET /calendar.ics?from=...    a calendar subscription (web/subscription.h): the events of
//                                 `tempo ics`, at most 10 years and 20 birthdays; 400 with the reason
//                                 for any other query (a parameter given twice too, but the birthdays)
//   GET /                         a short index
//
// Pages are UTF-8 HTML. The viewer asks in the absolute form ("GET http://host/weather/... HTTP/1.0"):
// every request is answered from its raw target, in either form. The service itself is plain
// functions of a request; web/http_server.h puts it on the network.
#pragma once

#include <ctime>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/holidays.h"
#include "web/forecast.h"
#include "web/subscription.h"

namespace web {

// A log line (GBK); the program writes it to stderr in UTF-8.
using Log = std::function<void(const std::string& line)>;
using Now = std::function<std::time_t()>;

// A page's bytes (UTF-8), never changed once made: a page the service keeps goes to every client
// from the one buffer, however many wait for it (a client that does not read holds a reference,
// not a copy).
using Page = std::shared_ptr<const std::string>;
inline Page MakePage(std::string utf8) { return std::make_shared<const std::string>(std::move(utf8)); }

struct Reply {
    int status = 200;
    std::string content_type = "text/html; charset=utf-8";
    Page body;            // nullptr: no body
    std::string problem;  // why the forecast is missing, for the log (GBK); "" for a good answer
    std::string etag;     // the entity tag of a resource that has one ("\"...\""), or ""

    const std::string& Text() const {
        static const std::string none;
        return body ? *body : none;
    }
};

// The short page of a status the server answers itself: 400, 408, 413, 414, 431, 503, 504 (any
// other status gets a page naming its number).
Reply StatusReply(int status);

// The path of a request target: the origin form ("/weather/1.shtml") as it is, the absolute form
// ("http://host:port/weather/1.shtml", the scheme in any case) without scheme and authority, the
// query and fragment dropped. Anything else gives "" (answered 404).
std::string PathOfTarget(std::string_view target);

// A version as --version-offered takes it: 1..10 digits and dots ("4.3", but also "4.2.1" or ".5",
// which the help window reads as no version).
bool IsOfferableVersion(const std::string& version);

class Service {
public:
    Service(ForecastSource& source, std::string version_offered, Now now, Log log);
    ~Service();

    // The answer to a request, the forecast asked of the source on the calling thread; a missing
    // forecast is logged.
    Reply Answer(std::string_view method, std::string_view target);

    // The same in two steps, for a server that asks for forecasts elsewhere: Route answers every
    // request but a weather page at once; for a weather page it names the place, and WeatherReply
    // makes the page once the source has answered (a missing forecast is left in Reply::problem).
    struct Routed {
        bool needs_forecast = false;
        Place place;  // when it does
        bool needs_calendar = false;  // a subscription's calendar not kept: CalendarFor makes it
        std::string calendar_key;
        cli::IcsRequest calendar_request;
        Reply reply;  // when neither
    };
    Routed Route(std::string_view method, std::string_view target) const;
    Reply WeatherReply(const Place& place, const SourceAnswer& answer, std::time_t now) const;

    ForecastSource& Source() const { return source_; }
    // The public holiday table served (the built-in one until another is set). The calendars of the
    // subscriptions follow the table the program installed (calendar::Holidays()): the kept ones
    // are forgotten.
    void SetHolidays(const calendar::HolidayTable& table);
    // Makes a subscription's calendar away from the calling thread; `done` gets the answer (503 when
    // too many calendars wait), on another thread.
    void CalendarFor(const std::string& key, const cli::IcsRequest& request, std::function<void(Reply)> done) const;
    std::time_t CurrentTime() const { return now_(); }

private:
    // A weather page as last made for a place: made again only when the date or the forecast
    // differs. At most kMaxKeptPages are kept (all are let go when that many are).
    struct KeptPage {
        astro::CalendarDate date;
        Forecast forecast;
        Page body;
    };
    static constexpr std::size_t kMaxKeptPages = 512;

    ForecastSource& source_;
    std::string version_;
    Now now_;
    Log log_;
    Reply index_, download_, wind_scale_, not_found_;  // the pages that never change
    Reply holidays_;
    std::unique_ptr<CalendarMaker> calendars_;
    mutable std::mutex pages_mutex_;
    mutable std::map<std::int32_t, KeptPage> pages_;
};

// The command line of tempoline-web.
struct Options {
    std::string address = "0.0.0.0";
    int port = 8080;
    std::string source = "api";  // "api", "api:HOST[:PORT]" or "file:PATH"
    int cache_minutes = 30;
    std::string version_offered = "4.2";
    int max_connections = 1024;
    std::string holidays;  // a holiday table file merged over the built-in one, or ""
    bool help = false;
    bool version = false;  // --version: print the version and end
};

// The table a --holidays file gives (merged over the built-in years), or false with the reason: a
// file that is no valid table, or whose merged table is over the 64 KiB clients take.
bool LoadHolidays(const std::string& path, calendar::HolidayTable& table, std::string& why);

// Reads the arguments (without the program name); "" when they are good, else what is wrong.
std::string ParseOptions(const std::vector<std::string>& args, Options& options);

// The text of --help.
std::string UsageText();

// The source an option names, or nullptr with the reason in `why`.
std::unique_ptr<ForecastSource> MakeSource(const Options& options, std::string& why);

}  // namespace web
