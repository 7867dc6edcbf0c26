// tempoline-web: the service the weather viewer and the help window's new-version check read.
//
//   GET /weather/<code>.shtml     the five-day page of a place (404 for a code no place has, 502
//                                 when the forecast source fails)
//   GET /download/tempoline.html  the download page offering a version (also /download/index.html)
//   GET /help/778.php             the wind scale the wind cells link to
//   GET /                         a short index
//
// Pages are UTF-8 HTML. The viewer asks in the absolute form ("GET http://host/weather/... HTTP/1.0"),
// which cpp-httplib 0.11 leaves whole in the path: every request is answered here from its raw
// target, in either form. One line per request goes to the log, and one more when a source fails.
#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "web/forecast.h"

namespace web {

// A log line (GBK); the program writes it to stderr in UTF-8.
using Log = std::function<void(const std::string& line)>;
using Now = std::function<std::time_t()>;

struct Reply {
    int status = 200;
    std::string content_type = "text/html; charset=utf-8";
    std::string body;  // UTF-8
};

// The path of a request target: the origin form ("/weather/1.shtml") as it is, the absolute form
// ("http://host:port/weather/1.shtml", the scheme in any case) without scheme and authority, the
// query and fragment dropped. Anything else gives "" (answered 404).
std::string PathOfTarget(std::string_view target);

// A version as --version-offered takes it: 1..10 digits and dots ("4.3", but also "4.2.1" or ".5",
// which the help window reads as no version).
bool IsOfferableVersion(const std::string& version);

class Service {
public:
    Service(ForecastSource& source, std::string version_offered, Now now, Log log)
        : source_(source), version_(std::move(version_offered)), now_(std::move(now)), log_(std::move(log)) {}

    Reply Answer(std::string_view method, std::string_view target);

private:
    Reply WeatherPage(const std::string& code);

    ForecastSource& source_;
    std::string version_;
    Now now_;
    Log log_;
};

// The service over HTTP (cpp-httplib): bound to an address and port, answering until stopped.
class HttpServer {
public:
    HttpServer(Service& service, Now now, Log log);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // The port bound (a free one for port 0), or -1 when the address and port cannot be bound.
    int Bind(const std::string& address, int port);
    // Answers until Stop; false when it could not listen.
    bool Run();
    // Listening (Run has started and not yet ended).
    bool Running() const;
    // From any thread; a server not yet running is not stopped.
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The command line of tempoline-web.
struct Options {
    std::string address = "0.0.0.0";
    int port = 8080;
    std::string source = "api";  // "api", "api:HOST[:PORT]" or "file:PATH"
    int cache_minutes = 30;
    std::string version_offered = "4.2";
    bool help = false;
};

// Reads the arguments (without the program name); "" when they are good, else what is wrong.
std::string ParseOptions(const std::vector<std::string>& args, Options& options);

// The text of --help.
std::string UsageText();

// The source an option names, or nullptr with the reason in `why`.
std::unique_ptr<ForecastSource> MakeSource(const Options& options, std::string& why);

}  // namespace web
