// Next year's public holidays reach the program from the service (tempoline-web's /holidays/cn.tsv,
// the table in the data file's format): one GET on its own thread, as the new-version check makes
// it (the same time-out and stop), the answer checked whole before anything changes, then kept in a
// file of the user's, replaced only once the new one is complete. The program merges that file with
// its built-in table at every start.
#pragma once

#include <functional>
#include <string>

#include "calendar/holidays.h"
#include "help/background_job.h"
#include "platform/network.h"

namespace help {

constexpr const char* kHolidayPath = "/holidays/cn.tsv";

// "GET /holidays/cn.tsv HTTP/1.0", "Host: " + host, "User-Agent: Tempoline/4.2" and an empty line, each
// ended by CR LF.
std::string HolidayRequest(const std::string& host_port);

// What came of an update. `status` is the line the user reads (GBK).
struct HolidayUpdateResult {
    bool usable = false;  // `table` is a checked table, now in the file
    bool changed = false;  // it differs from what the program had
    calendar::HolidayTable table;  // when usable: the built-in table with the answer's years over it
    std::string status;
};

// Checks an answer of the service: "200" in its status line, a body of at most 64 KiB that is a
// valid table ending with its end line (calendar::ParseHolidayTable; an answer cut anywhere, even
// at a line's end, lacks it) and holding at least every year held already: the built-in table's and
// `current`'s, the table the program uses now (so a server offering an older table takes no year
// away). `current` also tells whether anything changed.
HolidayUpdateResult CheckHolidayAnswer(const std::string& answer, const calendar::HolidayTable& current);

// The kept file's text merged with the built-in table; the built-in table alone when there is no
// text or it is not a valid table (a damaged file is never taken in part). A file without an end
// line is taken (older versions kept the table so; it was whole when it was kept); one with a
// wrong end line is damaged.
calendar::HolidayTable KeptHolidays(const std::string& kept_text);

// Keeps a fetched table's text (the file replaced only when the new one is complete); false when it
// could not.
using KeepHolidays = std::function<bool(const std::string& text)>;

// One update, on the calling thread: fetches the table, checks it and has a newer one kept. False
// when a stop ended it (there is no result then).
bool FetchHolidays(platform::Network& network, const std::string& host_port, const calendar::HolidayTable& current,
                   const KeepHolidays& keep, const platform::StopAsked& stop, HolidayUpdateResult& result);

// The update on a worker of its own, posting the result (the window shows it on its own thread).
// Stopped and joined when its window closes.
class HolidayUpdate {
public:
    using Post = std::function<void(const HolidayUpdateResult& result)>;
    using Keep = KeepHolidays;
    HolidayUpdate(platform::Network& network, std::string host_port, calendar::HolidayTable current, Keep keep,
                  Post post)
        : network_(network),
          host_(std::move(host_port)),
          current_(std::move(current)),
          keep_(std::move(keep)),
          post_(std::move(post)),
          job_([this](const platform::StopAsked& stop) {
              HolidayUpdateResult result;
              if (FetchHolidays(network_, host_, current_, keep_, stop, result)) post_(result);
          }) {}

    void Start() { job_.Start(); }
    void Stop() { job_.Stop(); }
    bool Finished() const { return job_.Finished(); }

private:
    platform::Network& network_;
    std::string host_;
    calendar::HolidayTable current_;
    Keep keep_;
    Post post_;
    BackgroundJob job_;  // last: it stops before the members it uses go
};

}  // namespace help
