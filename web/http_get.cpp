// Boost.Beast on a private io_context of the calling thread. Compiled with a UTF-8 execution
// character set: Asio includes <chrono>, whose literals have no GBK form. Its texts are ASCII.
#include "web/http_get.h"

#include "web/beast.h"


#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace web {

namespace {

using namespace asio_names;

// A name looked up on a thread of its own: a lookup the system's resolver holds past the deadline
// is left to end by itself, not waited for.
struct Lookup {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::string error;
    std::vector<tcp::endpoint> endpoints;
};

bool Resolve(const std::string& host, int port, Clock::time_point deadline, std::vector<tcp::endpoint>& endpoints,
             std::string& why) {
    ErrorCode error;
    const net::ip::address address = net::ip::make_address(host, error);
    if (!error) {
        endpoints = {tcp::endpoint(address, static_cast<unsigned short>(port))};
        return true;
    }
    const auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, host, port] {
            net::io_context context;
            tcp::resolver resolver(context);
            ErrorCode failed;
            const tcp::resolver::results_type results = resolver.resolve(host, std::to_string(port), failed);
            const std::lock_guard<std::mutex> lock(lookup->mutex);
            if (failed) lookup->error = failed.message();
            for (const auto& result : results) lookup->endpoints.push_back(result.endpoint());
            lookup->done = true;
            lookup->ended.notify_all();
        }).detach();
    } catch (const std::system_error& e) {
        why = std::string("cannot be reached (no thread for the name lookup: ") + e.what() + ")";
        return false;
    }
    std::unique_lock<std::mutex> lock(lookup->mutex);
    if (!lookup->ended.wait_until(lock, deadline, [&] { return lookup->done; })) {
        why = "cannot be reached (the name lookup took too long)";
        return false;
    }
    if (lookup->endpoints.empty()) {
        why = "cannot be reached (name lookup: " + (lookup->error.empty() ? "no address" : lookup->error) + ")";
        return false;
    }
    endpoints = lookup->endpoints;
    return true;
}

std::string SizeText(std::size_t bytes) {
    if (bytes % (std::size_t{1} << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

}  // namespace

HttpGetAnswer HttpGet(const std::string& host, int port, const std::string& target,
                      const std::vector<std::pair<std::string, std::string>>& fields, int deadline_ms,
                      std::size_t max_body) {
    HttpGetAnswer answer;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(deadline_ms);
    const std::string late = "gave no whole answer within " + std::to_string(deadline_ms) + " ms";
    std::vector<tcp::endpoint> endpoints;
    if (!Resolve(host, port, deadline, endpoints, answer.failure)) return answer;

    net::io_context context;
    beast::tcp_stream stream(context);
    // One time point for every step: the connection, the request and the whole answer together.
    stream.expires_at(deadline);
    http::request<http::empty_body> request{http::verb::get, target, 11};
    request.set(http::field::host, port == 80 ? host : host + ":" + std::to_string(port));
    request.set(http::field::connection, "close");
    for (const auto& [name, value] : fields) request.set(name, value);
    beast::flat_buffer buffer;
    http::response_parser<http::string_body> parser;
    parser.body_limit(max_body);

    ErrorCode failed;
    bool connected = false;
    stream.async_connect(endpoints, [&](ErrorCode error, const tcp::endpoint&) {
        if (error) {
            failed = error;
            return;
        }
        connected = true;
        stream.socket().set_option(tcp::no_delay(true), error);
        http::async_write(stream, request, [&](ErrorCode error, std::size_t) {
            if (error) {
                failed = error;
                return;
            }
            // The header first: a length over the limit is refused before any of the body is read.
            // (Beast 1.74 drops that refusal when it reads the header and body in one go.)
            http::async_read_header(stream, buffer, parser, [&](ErrorCode error, std::size_t) {
                if (!error && parser.content_length() && *parser.content_length() > max_body)
                    error = http::error::body_limit;
                if (error) {
                    failed = error;
                    return;
                }
                http::async_read(stream, buffer, parser, [&](ErrorCode error, std::size_t) { failed = error; });
            });
        });
    });
    context.run();

    if (failed == beast::error::timeout) {
        answer.failure = connected ? late : "cannot be reached (no connection within " + std::to_string(deadline_ms) + " ms)";
    } else if (failed == http::error::body_limit) {
        answer.failure = "answered more than " + SizeText(max_body);
    } else if (failed && !connected) {
        answer.failure = "cannot be reached (" + failed.message() + ")";
    } else if (failed) {
        answer.failure = "broke off its answer (" + failed.message() + ")";
    } else {
        answer.ok = true;
        answer.status = parser.get().result_int();
        answer.body = std::move(parser.get().body());
    }
    return answer;
}

}  // namespace web
