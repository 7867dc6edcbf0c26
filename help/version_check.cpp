#include "help/version_check.h"

#include "help/help_text.h"
#include "weather/fetch.h"
#include "weather/weather_page.h"

namespace help {

std::string DownloadRequest(const std::string& host_port, const std::string& url) {
    return "GET " + url + " HTTP/1.0\r\nReferer: http://" + host_port + "/\r\nUser-Agent: nvk HTTP FILE DOWNLOAD\r\n\r\n";
}

void VersionCheck::Run(const platform::StopAsked& stop) {
    const weather::Exchange exchange = weather::Fetch(network_, host_, DownloadRequest(host_, url_), stop);
    if (exchange.outcome == weather::Exchange::kAnswered && !stop()) {
        const std::string page = weather::Utf8ToLocal(exchange.answer);
        const std::string line = page.empty() ? "" : NewVersionLine(page, VersionText(), url_);
        if (!line.empty() && !stop()) post_(line);
    }
    if (then_ && !stop()) then_(stop);
}

}  // namespace help
