// tempoline-web: serves the weather pages the viewer reads and the download page the help window
// checks. See web/service.h for the routes and README.md for running it.
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>  // std::chrono's durations too (<chrono> itself cannot be read as GBK)
#include <vector>

#include "text/encoding.h"
#include "web/service.h"

int main(int argc, char** argv) {
    web::Options options;
    const std::string wrong = web::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options);
    if (!wrong.empty()) {
        std::cerr << "tempoline-web: " << wrong << "\n\n" << web::UsageText();
        return 2;
    }
    if (options.help) {
        std::cout << web::UsageText();
        return 0;
    }

    std::mutex log_mutex;
    const web::Log log = [&log_mutex](const std::string& line) {
        const std::lock_guard<std::mutex> lock(log_mutex);
        std::cerr << text::GbkToUtf8(line) << std::endl;
    };
    const web::Now now = [] { return std::time(nullptr); };

    std::string why;
    const std::unique_ptr<web::ForecastSource> source = web::MakeSource(options, why);
    if (!source) {
        std::cerr << "tempoline-web: " << why << "\n";
        return 2;
    }

    // SIGINT and SIGTERM are taken by one thread, which stops the server; blocked before any other
    // thread starts, so that none of the server's threads takes them instead.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    web::Service service(*source, options.version_offered, now, log);
    web::HttpServer server(service, now, log);
    const int port = server.Bind(options.address, options.port);
    if (port < 0) {
        std::cerr << "tempoline-web: cannot listen on " << options.address << ":" << options.port << "\n";
        return 1;
    }
    std::atomic<bool> ended{false};
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stop_signals, &signal);
        // A signal that comes before the server runs must still stop it.
        while (!ended) {
            server.Stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    log("tempoline-web listening on " + options.address + ":" + std::to_string(port) + ", source " + options.source +
        ", offering version " + options.version_offered);
    const bool ran = server.Run();
    ended = true;
    pthread_kill(stopper.native_handle(), SIGTERM);  // wakes the stopper when no signal came
    stopper.join();
    log("tempoline-web stopped");
    return ran ? 0 : 1;
}
