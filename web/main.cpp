// tempoline-web: serves the weather pages the viewer reads and the download page the help window
// checks. See web/service.h for the routes and docs/tempoline-web.md for running it.
#include <signal.h>
#include <unistd.h>
#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <string>
#include <thread>  // std::chrono's durations too (<chrono> itself cannot be read as GBK)
#include <vector>

#include "text/encoding.h"
#include "web/http_server.h"
#include "web/log_writer.h"
#include "web/service.h"

int main(int argc, char** argv) {
    // Whoever reads the log may go away: a write to its closed pipe fails (EPIPE), it does not end
    // the service.
    signal(SIGPIPE, SIG_IGN);
    web::Options options;
    const std::string wrong = web::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options);
    if (!wrong.empty()) {
        std::cerr << "tempoline-web: " << wrong << "\n\n" << text::GbkToUtf8(web::UsageText());
        return 2;
    }
    if (options.help) {
        std::cout << text::GbkToUtf8(web::UsageText());
        return 0;
    }
    if (options.version) {
        std::cout << "tempoline-web " TEMPO_VERSION " (Tempoline " TEMPO_VERSION ")\n";
        return 0;
    }

    // The log never holds the server up, however its reader reads (web/log_writer.h); from here on
    // everything goes through it.
    web::LogWriter log_writer(STDERR_FILENO);
    const web::Log log = [&log_writer](const std::string& line) { log_writer.Add(text::GbkToUtf8(line)); };
    const web::Now now = [] { return std::time(nullptr); };

    std::string why;
    const std::unique_ptr<web::ForecastSource> source = web::MakeSource(options, why);
    if (!source) {
        log_writer.Add("tempoline-web: " + why);  // UTF-8 already
        return 2;
    }

    // The files it is given are read first, while SIGINT and SIGTERM still end it at once (and a
    // pipe or a device is refused, never waited on).
    calendar::HolidayTable holidays;
    if (!options.holidays.empty() && !web::LoadHolidays(options.holidays, holidays, why)) {
        log_writer.Add("tempoline-web: " + why);  // UTF-8 already
        return 2;
    }

    // SIGINT and SIGTERM are taken by one thread, which stops the server; blocked before any other
    // thread starts, so that none of the server's threads takes them instead.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    // Every connection is a descriptor: take as many as the system lets this process have, and keep
    // the connections a few below them (the forecast source and the log need some too).
    web::ServerLimits limits;
    limits.max_connections = options.max_connections;
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0) {
        if (files.rlim_cur < files.rlim_max) {
            files.rlim_cur = files.rlim_max;
            setrlimit(RLIMIT_NOFILE, &files);
            getrlimit(RLIMIT_NOFILE, &files);
        }
        const rlim_t room = files.rlim_cur > 96 ? files.rlim_cur - 64 : 32;
        if (static_cast<rlim_t>(limits.max_connections) > room) {
            limits.max_connections = static_cast<int>(room);
            log("tempoline-web: " + std::to_string(files.rlim_cur) + " descriptors allowed, so at most " +
                std::to_string(limits.max_connections) + " connections");
        }
    }

    web::Service service(*source, options.version_offered, now, log);
    if (!options.holidays.empty()) {
        calendar::InstallHolidays(holidays);  // the subscriptions' calendars follow it too
        service.SetHolidays(holidays);
    }
    web::HttpServer server(service, now, log, limits);
    const int port = server.Bind(options.address, options.port);
    if (port < 0) {
        log_writer.Add("tempoline-web: cannot listen on " + options.address + ":" + std::to_string(options.port));
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
        ", offering version " + options.version_offered + ", at most " + std::to_string(limits.max_connections) +
        " connections");
    const bool ran = server.Run();
    ended = true;
    pthread_kill(stopper.native_handle(), SIGTERM);  // wakes the stopper when no signal came
    stopper.join();
    log("tempoline-web stopped");
    return ran ? 0 : 1;
}
