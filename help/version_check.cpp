#include "help/version_check.h"

#include "help/help_text.h"
#include "weather/fetch.h"
#include "weather/weather_page.h"

namespace help {

std::string DownloadRequest(const std::string& host_port, const std::string& url) {
    return "GET " + url + " HTTP/1.0\r\nReferer: http://" + host_port + "/\r\nUser-Agent: nvk HTTP FILE DOWNLOAD\r\n\r\n";
}

void VersionCheck::Start() {
    Stop();  // a second start replaces the first
    stop_ = false;
    finished_ = false;
    thread_ = std::thread(&VersionCheck::Run, this);
}

void VersionCheck::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void VersionCheck::Run() {
    const weather::Exchange exchange =
        weather::Fetch(network_, host_, DownloadRequest(host_, url_), [this] { return stop_.load(); });
    if (exchange.outcome == weather::Exchange::kAnswered && !stop_.load()) {
        const std::string page = weather::Utf8ToLocal(exchange.answer);
        const std::string line = page.empty() ? "" : NewVersionLine(page, VersionText(), url_);
        if (!line.empty() && !stop_.load()) post_(line);
    }
    if (then_ && !stop_.load()) then_([this] { return stop_.load(); });
    finished_ = true;
}

}  // namespace help
