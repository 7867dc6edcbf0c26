// The help window's new-version check: one GET of the download page on its own thread; when the
// page names a newer version, the line that says so is handed to the window (which shows it on its
// own thread). Every failure ends the check silently. Stopped and joined when the window closes.
#pragma once

#include <functional>
#include <string>

#include "help/background_job.h"
#include "platform/network.h"

namespace help {

class VersionCheck {
public:
    using Post = std::function<void(const std::string& line)>;
    // A further job for the same worker once the page has been read (the public holidays are
    // fetched so); it is given the worker's stop.
    using Then = std::function<void(const platform::StopAsked& stop)>;
    // `host_port` is where the page is fetched from; `url` the page's address, as sent and shown.
    VersionCheck(platform::Network& network, std::string host_port, std::string url, Post post, Then then = {})
        : network_(network),
          host_(std::move(host_port)),
          url_(std::move(url)),
          post_(std::move(post)),
          then_(std::move(then)),
          job_([this](const platform::StopAsked& stop) { Run(stop); }) {}

    void Start() { job_.Start(); }
    void Stop() { job_.Stop(); }
    bool Finished() const { return job_.Finished(); }

private:
    void Run(const platform::StopAsked& stop);

    platform::Network& network_;
    std::string host_, url_;
    Post post_;
    Then then_;
    BackgroundJob job_;  // last: it stops before the members it uses go
};

// "GET " + url + " HTTP/1.0", "Referer: http://" + host + "/", "User-Agent: nvk HTTP FILE DOWNLOAD",
// and an empty line, each ended by CR LF.
std::string DownloadRequest(const std::string& host_port, const std::string& url);

}  // namespace help
