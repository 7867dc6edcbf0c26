// Compiled with a UTF-8 execution character set: Asio includes <chrono>, whose literals have no GBK
// form. The texts here are ASCII; the pages come from the service (GBK sources, UTF-8 answers).
#include "web/http_server.h"

#include "web/beast.h"

#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>

#include <array>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <list>
#include <optional>

#include "web/forecast_pool.h"

namespace web {

namespace {

using namespace asio_names;

constexpr std::size_t kMaxLoggedBytes = 300;
constexpr std::size_t kMaxDrainedBytes = 1 << 20;  // a closing client sending more is reset

// A request's text as the log shows it: printable ASCII kept, every other byte (and the backslash)
// escaped as \xNN, so that a NUL or a terminal's control sequence reads as what it was; cut short.
std::string Printable(std::string_view s) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < s.size() && i < kMaxLoggedBytes; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    if (s.size() > kMaxLoggedBytes) out += "...";
    return out;
}

// Whether a Host field's value is a host as a URI writes it, with an optional port: a name of the
// characters a URI allows there (percent escapes too), an IPv4 address, or an IPv6 one in brackets;
// empty is allowed (a target without authority).
bool IsHostField(std::string_view host) {
    std::string_view name = host, port;
    if (!host.empty() && host.front() == '[') {
        const std::size_t close = host.find(']');
        if (close == std::string_view::npos) return false;
        const std::string_view literal = host.substr(1, close - 1);
        if (literal.empty() || literal.find_first_not_of("0123456789abcdefABCDEF:.") != std::string_view::npos)
            return false;
        name = {};
        const std::string_view rest = host.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return false;
            port = rest.substr(1);
        }
    } else if (const std::size_t colon = host.find(':'); colon != std::string_view::npos) {
        name = host.substr(0, colon);
        port = host.substr(colon + 1);
    }
    // A port is digits (none is allowed: "h:" is the default port) naming 0..65535.
    if (port.find_first_not_of("0123456789") != std::string_view::npos) return false;
    port.remove_prefix(std::min(port.size(), port.find_first_not_of('0')));
    if (port.size() > 5 || (port.size() == 5 && port > "65535")) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (std::isalnum(static_cast<unsigned char>(c)) || std::strchr("-._~!$&'()*+,;=", c)) continue;
        if (c == '%' && i + 2 < name.size() && std::isxdigit(static_cast<unsigned char>(name[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(name[i + 2]))) {
            i += 2;
            continue;
        }
        return false;
    }
    return true;
}

// A page's bytes as a response's body: the shared buffer itself is written, never copied.
struct PageBody {
    using value_type = Page;
    static std::uint64_t size(const value_type& page) { return page ? page->size() : 0; }

    class writer {
    public:
        using const_buffers_type = net::const_buffer;
        template <bool isRequest, class Fields>
        writer(const http::header<isRequest, Fields>&, const value_type& page) : page_(page) {}
        void init(beast::error_code& error) { error = {}; }
        boost::optional<std::pair<const_buffers_type, bool>> get(beast::error_code& error) {
            error = {};
            if (!page_ || page_->empty()) return boost::none;
            return {{net::const_buffer(page_->data(), page_->size()), false}};
        }

    private:
        const value_type& page_;
    };
};

std::string UtcText(std::time_t moment) {
    std::tm t{};
    gmtime_r(&moment, &t);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

std::string_view Std(beast::string_view s) { return {s.data(), s.size()}; }

// Whether an If-None-Match field names the tag: "*", or the tag among its comma-separated tags,
// weak ones (W/"...") compared by their opaque part as the field wants.
bool MatchesTag(std::string_view field, std::string_view tag) {
    while (!field.empty()) {
        const std::size_t comma = field.find(',');
        std::string_view one = field.substr(0, comma);
        field = comma == std::string_view::npos ? std::string_view() : field.substr(comma + 1);
        while (!one.empty() && (one.front() == ' ' || one.front() == '\t')) one.remove_prefix(1);
        while (!one.empty() && (one.back() == ' ' || one.back() == '\t')) one.remove_suffix(1);
        if (one.substr(0, 2) == "W/") one.remove_prefix(2);
        if (one == "*" || one == tag) return true;
    }
    return false;
}

// "GET /x HTTP/1.1", as the log shows it.
template <class Request>
std::string RequestLine(const Request& request) {
    return Printable(Std(request.method_string())) + " " + Printable(Std(request.target())) + " HTTP/" +
           std::to_string(request.version() / 10) + "." + std::to_string(request.version() % 10);
}

std::string AddressText(const tcp::endpoint& endpoint) {
    const std::string host = endpoint.address().to_string();
    return (endpoint.address().is_v6() ? "[" + host + "]" : host) + ":" + std::to_string(endpoint.port());
}

class Connection;

}  // namespace

struct HttpServer::Impl {
    Impl(Service& service, Now now, Log log, ServerLimits limits)
        : service(service), now(std::move(now)), log(std::move(log)), limits(limits) {}

    void Accept();
    void Admit(tcp::socket socket);
    void Write(const std::string& address, const std::string& line) { log(UtcText(now()) + " " + address + " " + line); }

    Service& service;
    const Now now;
    const Log log;
    const ServerLimits limits;
    net::io_context context{1};
    tcp::acceptor acceptor{context};
    net::steady_timer accept_pause{context};
    std::list<std::shared_ptr<Connection>> connections;  // every connection not yet closed
    std::array<char, 16384> drain{};  // what closing connections still send, read and dropped here
    std::atomic<bool> running{false};
    bool bound = false;
    // Last: its workers end (and post their last answers) before anything above goes.
    std::unique_ptr<ForecastPool> pool;
};

namespace {

// One client's connection: it waits for a request, reads it, answers it (the forecast of a weather
// page asked on the pool meanwhile), then waits for the next or closes. One timer bounds each phase.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    enum class Phase { kWaiting, kReading, kAnswering, kWriting, kLingering, kClosed };

    Connection(HttpServer::Impl& server, tcp::socket socket)
        : server_(server), socket_(std::move(socket)), timer_(server.context), buffer_(server.limits.header_bytes) {}

    void Start() {
        ErrorCode ignored;
        socket_.set_option(tcp::no_delay(true), ignored);
        const tcp::endpoint peer = socket_.remote_endpoint(ignored);
        address_ = ignored ? "-" : AddressText(peer);
        WaitForRequest();
    }

    Phase phase() const { return phase_; }
    Clock::time_point since() const { return since_; }
    const std::string& address() const { return address_; }
    std::list<std::shared_ptr<Connection>>::iterator entry;  // in the server's list

    // Closed to make room for a new connection.
    void Evict() {
        server_.Write(address_, std::string("closed while ") + (phase_ == Phase::kReading ? "sending a request" : "idle") +
                                    " to make room: " + std::to_string(server_.limits.max_connections) +
                                    " connections at once");
        Close();
    }

private:
    void Enter(Phase phase) {
        phase_ = phase;
        since_ = Clock::now();
        ++generation_;  // every completion of an earlier phase is stale from now on
    }

    void Arm(int ms) {
        timer_.expires_after(std::chrono::milliseconds(ms));
        timer_.async_wait([self = shared_from_this(), generation = generation_](ErrorCode error) {
            if (!error) self->OnDeadline(generation);
        });
    }

    void WaitForRequest() {
        Enter(Phase::kWaiting);
        parser_.emplace();
        parser_->header_limit(static_cast<std::uint32_t>(server_.limits.header_bytes));
        parser_->body_limit(server_.limits.body_bytes);
        timed_out_ = false;
        header_used_ = 0;
        received_ = buffer_.size();  // what came with the request before (pipelined)
        Arm(server_.limits.idle_ms);
        Advance();
    }

    // Parses what has come; answers a whole request, refuses a bad one, or reads on.
    void Advance() {
        while (buffer_.size() > 0) {
            ErrorCode error;
            const bool in_header = !parser_->is_header_done();
            const std::size_t used = parser_->put(buffer_.data(), error);
            buffer_.consume(used);
            if (in_header) header_used_ += used;
            if (error && error != http::error::need_more) {
                RefuseUnreadable(error);
                return;
            }
            if (parser_->is_done()) {
                OnRequest();
                return;
            }
            if (error || used == 0) break;
        }
        if (phase_ == Phase::kWaiting && (buffer_.size() > 0 || parser_->got_some())) {
            // The whole request must come within its deadline, however slowly each piece does.
            Enter(Phase::kReading);
            Arm(server_.limits.request_deadline_ms);
        }
        // The parser takes the request line as soon as it is whole: the limit is for the line and
        // the fields together, so it is counted here.
        const std::size_t room = buffer_.max_size() - buffer_.size();
        if (room == 0 || (!parser_->is_header_done() && header_used_ + buffer_.size() >= server_.limits.header_bytes)) {
            RefuseUnreadable(http::error::header_limit);
            return;
        }
        socket_.async_read_some(buffer_.prepare(std::min<std::size_t>(room, 4096)),
                                [self = shared_from_this()](ErrorCode error, std::size_t n) { self->OnRead(error, n); });
    }

    void OnRead(ErrorCode error, std::size_t n) {
        if (phase_ != Phase::kWaiting && phase_ != Phase::kReading) return;
        buffer_.commit(n);
        received_ += n;
        if (timed_out_) {
            if (phase_ == Phase::kReading) {
                Refuse(408, "timed out: " + std::to_string(received_) + " bytes of a request in " +
                                std::to_string(server_.limits.request_deadline_ms) + " ms");
            } else {
                if (requests_ == 0)
                    server_.Write(address_, "timed out: no request in " + std::to_string(server_.limits.idle_ms) + " ms");
                Close();
            }
            return;
        }
        if (error) {  // the client closed or reset the connection
            if (phase_ == Phase::kReading)
                server_.Write(address_, "closed the connection after " + std::to_string(received_) + " bytes of a request");
            Close();
            return;
        }
        Advance();
    }

    void RefuseUnreadable(ErrorCode error) {
        if (error == http::error::header_limit || error == http::error::buffer_overflow) {
            const std::string_view seen(static_cast<const char*>(buffer_.data().data()), buffer_.size());
            if (header_used_ == 0 && seen.find('\n') == std::string_view::npos)
                Refuse(414, "request line longer than " + std::to_string(server_.limits.header_bytes) + " bytes");
            else
                Refuse(431, "request line and header fields longer than " + std::to_string(server_.limits.header_bytes) +
                                " bytes");
        } else if (error == http::error::body_limit) {
            Refuse(413, "body longer than " + std::to_string(server_.limits.body_bytes) + " bytes");
        } else {
            Refuse(400, "not a request (" + error.message() + ")");
        }
    }

    // What HTTP/1.1 requires of a request's framing and its Host, or "" when it is sound. A body
    // whose length cannot be told (a transfer coding other than chunked last) would be read as the
    // next request: that request is refused and the connection closed, so nothing after it is read.
    std::string Unsound(const http::request<http::string_body>& request) const {
        if (request.count(http::field::transfer_encoding) != 0 && !parser_->chunked())
            return "Transfer-Encoding \"" + Printable(Std(request[http::field::transfer_encoding])) +
                   "\" does not end with chunked: the body's length cannot be told";
        const std::size_t hosts = request.count(http::field::host);
        if (hosts > 1) return std::to_string(hosts) + " Host fields";
        if (hosts == 0 && request.version() >= 11) return "an HTTP/1.1 request without Host";
        if (hosts == 1 && !IsHostField(Std(request[http::field::host])))
            return "Host \"" + Printable(Std(request[http::field::host])) + "\" is not a host";
        return {};
    }

    void OnRequest() {
        ++requests_;
        const auto& request = parser_->get();
        if (const std::string unsound = Unsound(request); !unsound.empty()) {
            Refuse(400, unsound);
            return;
        }
        request_text_ = RequestLine(request);
        keep_alive_ = request.keep_alive();
        // An HTTP/1.0 client may not know chunked framing at all, and whatever sits between it and
        // the service may have framed its body otherwise: nothing after such a request is read.
        if (request.version() < 11 && request.count(http::field::transfer_encoding) != 0) {
            keep_alive_ = false;
            server_.Write(address_, "\"" + request_text_ + "\" has Transfer-Encoding: the connection is closed after it");
        }
        version_ = request.version();
        head_ = request.method() == http::verb::head;
        if_none_match_ = Std(request[http::field::if_none_match]);
        Service::Routed routed = server_.service.Route(Std(request.method_string()), Std(request.target()));
        if (routed.needs_calendar) {
            // Made on the calendars' own worker; the answer comes back to this thread.
            answering_calendar_ = true;
            Enter(Phase::kAnswering);
            Arm(server_.limits.forecast_deadline_ms);
            net::io_context& context = server_.context;
            server_.service.CalendarFor(routed.calendar_key, routed.calendar_request,
                                        [self = shared_from_this(), generation = generation_, &context](Reply reply) {
                                            net::post(context, [self, generation, reply = std::move(reply)]() mutable {
                                                if (self->phase_ == Phase::kAnswering && generation == self->generation_)
                                                    self->Send(std::move(reply), "");
                                            });
                                        });
            return;
        }
        answering_calendar_ = false;
        if (!routed.needs_forecast) {
            Send(std::move(routed.reply), "");
            return;
        }
        place_ = routed.place;
        asked_at_ = server_.service.CurrentTime();
        SourceAnswer ready;
        if (server_.service.Source().ForecastAtOnce(place_, asked_at_, ready)) {
            Send(server_.service.WeatherReply(place_, ready, asked_at_), "");
            return;
        }
        Enter(Phase::kAnswering);
        Arm(server_.limits.forecast_deadline_ms);
        net::io_context& context = server_.context;
        server_.pool->Fetch(place_, asked_at_,
                            [self = shared_from_this(), generation = generation_, &context](
                                const SourceAnswer& answer, ForecastPool::Outcome outcome) {
                                net::post(context, [self, generation, answer, outcome] {
                                    self->OnForecast(generation, answer, outcome);
                                });
                            });
    }

    void OnForecast(unsigned generation, const SourceAnswer& answer, ForecastPool::Outcome outcome) {
        if (phase_ != Phase::kAnswering || generation != generation_) return;
        Reply reply;
        if (outcome == ForecastPool::Outcome::kBusy || outcome == ForecastPool::Outcome::kLate) {
            reply = StatusReply(outcome == ForecastPool::Outcome::kBusy ? 503 : 504);
            reply.problem = "forecast for " + std::to_string(place_.code) + " not asked: " + answer.failure;
        } else {
            reply = server_.service.WeatherReply(place_, answer, asked_at_);
            if (outcome == ForecastPool::Outcome::kRemembered && !reply.problem.empty())
                reply.problem += " (failed within the last " + std::to_string(server_.limits.failure_memory_ms / 1000) +
                                 " s, not asked again)";
        }
        Send(std::move(reply), "");
    }

    void OnDeadline(unsigned generation) {
        if (generation != generation_) return;
        switch (phase_) {
            case Phase::kWaiting:
            case Phase::kReading: {
                // The pending read ends aborted and OnRead answers.
                timed_out_ = true;
                ErrorCode ignored;
                socket_.cancel(ignored);
                break;
            }
            case Phase::kAnswering: {
                Reply reply = StatusReply(504);
                reply.problem = (answering_calendar_ ? std::string("timed out: no calendar")
                                                     : "timed out: no forecast for " + std::to_string(place_.code)) +
                                " in " + std::to_string(server_.limits.forecast_deadline_ms) + " ms";
                Send(std::move(reply), "");
                break;
            }
            case Phase::kWriting:
                server_.Write(address_, "timed out: the answer to \"" + request_text_ + "\" not taken in " +
                                            std::to_string(server_.limits.write_deadline_ms) + " ms");
                Close();
                break;
            case Phase::kLingering:
            case Phase::kClosed:
                Close();
                break;
        }
    }

    // Answers what could not be read as a request, then closes.
    void Refuse(int status, const std::string& why) {
        if (header_used_ > 0) {  // the request line was read
            request_text_ = RequestLine(parser_->get());
        } else {
            const std::string_view seen(static_cast<const char*>(buffer_.data().data()), buffer_.size());
            const std::size_t line_end = seen.find_first_of("\r\n");
            request_text_ = Printable(seen.substr(0, std::min<std::size_t>(line_end, 60)));
            if (line_end > 60 && seen.size() > 60) request_text_ += "...";
        }
        keep_alive_ = false;
        head_ = false;
        version_ = 11;
        refused_ = true;  // the client may well be sending still
        Send(StatusReply(status), why);
    }

    void Send(Reply reply, const std::string& note) {
        Enter(Phase::kWriting);
        if (!reply.problem.empty()) server_.Write(address_, reply.problem);
        response_ = {};
        response_.version(11);
        response_.result(static_cast<unsigned>(reply.status));
        response_.set(http::field::content_type, reply.content_type);
        if (reply.status == 405) response_.set(http::field::allow, "GET, HEAD");
        bool not_modified = false;
        if (!reply.etag.empty()) {
            response_.set(http::field::etag, reply.etag);
            // The client holds this very version: it is told so, without the body (and without a
            // length, which would be read as the length of a body).
            if (reply.status == 200 && MatchesTag(if_none_match_, reply.etag)) {
                response_.result(http::status::not_modified);
                not_modified = true;
            }
        }
        const std::size_t length = not_modified ? 0 : reply.Text().size();
        server_.Write(address_, "\"" + request_text_ + "\" " + std::to_string(response_.result_int()) + " " +
                                    std::to_string(length) + (note.empty() ? "" : " " + note));
        if (!keep_alive_)
            response_.set(http::field::connection, "close");
        else if (version_ < 11)
            response_.set(http::field::connection, "keep-alive");
        if (!not_modified) response_.content_length(length);  // HEAD too: the length of what GET would send
        if (!head_ && !not_modified) response_.body() = std::move(reply.body);
        Arm(server_.limits.write_deadline_ms);
        http::async_write(socket_, response_, [self = shared_from_this()](ErrorCode error, std::size_t) {
            self->OnWritten(error);
        });
    }

    void OnWritten(ErrorCode error) {
        if (phase_ != Phase::kWriting) return;
        response_ = {};  // a kept-alive connection keeps no page
        if (error) {
            Close();
        } else if (keep_alive_) {
            WaitForRequest();
        } else {
            Linger();
        }
    }

    // Ends the answer with FIN and reads what the client still sends for a moment: closing a
    // socket with unread bytes resets the connection, and a reset can take the answer with it.
    // A client that sent a whole request and nothing more is let go at once (most of them).
    void Linger() {
        ErrorCode ignored;
        if (!refused_ && buffer_.size() == 0 && socket_.available(ignored) == 0 && !ignored) {
            Close();
            return;
        }
        Enter(Phase::kLingering);
        socket_.shutdown(tcp::socket::shutdown_send, ignored);
        Arm(server_.limits.linger_ms);
        Drain();
    }

    void Drain() {
        socket_.async_read_some(net::buffer(server_.drain), [self = shared_from_this()](ErrorCode error, std::size_t n) {
            if (self->phase_ != Phase::kLingering) return;
            self->drained_ += n;
            if (error || self->drained_ > kMaxDrainedBytes)
                self->Close();
            else
                self->Drain();
        });
    }

    void Close() {
        if (phase_ == Phase::kClosed) return;
        const std::shared_ptr<Connection> self = shared_from_this();  // the list may hold the last one
        Enter(Phase::kClosed);
        ErrorCode ignored;
        timer_.cancel();
        socket_.close(ignored);
        server_.connections.erase(entry);
    }

    HttpServer::Impl& server_;
    tcp::socket socket_;
    net::steady_timer timer_;
    std::string address_;
    beast::flat_buffer buffer_;  // at most header_bytes: what a request may keep before its body
    std::optional<http::request_parser<http::string_body>> parser_;
    http::response<PageBody> response_;
    std::string if_none_match_;  // the request's If-None-Match, or ""
    bool answering_calendar_ = false;  // the answer awaited is a subscription's calendar
    Phase phase_ = Phase::kWaiting;
    Clock::time_point since_ = Clock::now();
    unsigned generation_ = 0;
    bool timed_out_ = false;
    bool refused_ = false;
    int requests_ = 0;
    std::string request_text_;
    bool keep_alive_ = false;
    bool head_ = false;
    unsigned version_ = 11;
    Place place_;
    std::time_t asked_at_ = 0;
    std::size_t received_ = 0;     // bytes of the current request
    std::size_t header_used_ = 0;  // bytes of its request line and fields the parser has taken
    std::size_t drained_ = 0;
};

}  // namespace

void HttpServer::Impl::Accept() {
    acceptor.async_accept([this](ErrorCode error, tcp::socket socket) {
        if (error == net::error::operation_aborted) return;
        if (error) {
            // Out of descriptors, most likely: try again in a moment instead of spinning.
            Write("-", "cannot accept a connection: " + error.message());
            accept_pause.expires_after(std::chrono::milliseconds(100));
            accept_pause.async_wait([this](ErrorCode e) {
                if (!e) Accept();
            });
            return;
        }
        Admit(std::move(socket));
        Accept();
    });
}

void HttpServer::Impl::Admit(tcp::socket socket) {
    if (connections.size() >= static_cast<std::size_t>(limits.max_connections)) {
        // The idle connection that has waited longest, else the request that has been read longest.
        std::shared_ptr<Connection> idle, reading;
        for (const std::shared_ptr<Connection>& c : connections) {
            const Connection::Phase phase = c->phase();
            if ((phase == Connection::Phase::kWaiting || phase == Connection::Phase::kLingering) &&
                (!idle || c->since() < idle->since()))
                idle = c;
            if (phase == Connection::Phase::kReading && (!reading || c->since() < reading->since())) reading = c;
        }
        const std::shared_ptr<Connection> victim = idle ? idle : reading;
        if (!victim) {
            ErrorCode ignored;
            const tcp::endpoint peer = socket.remote_endpoint(ignored);
            const Reply busy = StatusReply(503);
            const std::string answer = "HTTP/1.1 503 Service Unavailable\r\nContent-Type: " + busy.content_type +
                                       "\r\nContent-Length: " + std::to_string(busy.Text().size()) +
                                       "\r\nConnection: close\r\n\r\n" + busy.Text();
            socket.non_blocking(true, ignored);
            socket.write_some(net::buffer(answer), ignored);  // as much as the socket takes now
            socket.shutdown(tcp::socket::shutdown_send, ignored);
            Write(ignored ? "-" : AddressText(peer), "\"-\" 503 " + std::to_string(busy.Text().size()) + " every one of " +
                                                         std::to_string(limits.max_connections) +
                                                         " connections is being answered");
            return;
        }
        victim->Evict();
    }
    const auto connection = std::make_shared<Connection>(*this, std::move(socket));
    connections.push_back(connection);
    connection->entry = std::prev(connections.end());
    connection->Start();
}

HttpServer::HttpServer(Service& service, Now now, Log log, ServerLimits limits)
    : impl_(std::make_unique<Impl>(service, std::move(now), std::move(log), limits)) {
    ForecastPool::Settings settings;
    settings.workers = limits.forecast_workers;
    settings.failure_memory_ms = limits.failure_memory_ms;
    settings.queue_wait_ms = limits.forecast_deadline_ms;
    impl_->pool = std::make_unique<ForecastPool>(service.Source(), settings);
}

HttpServer::~HttpServer() {
    // The workers first: their last answers are posted to the io_context, which must still be there.
    impl_->pool.reset();
}

int HttpServer::Bind(const std::string& address, int port) {
    ErrorCode error;
    tcp::resolver resolver(impl_->context);
    const tcp::resolver::results_type found =
        resolver.resolve(address, std::to_string(port), tcp::resolver::passive | tcp::resolver::numeric_service, error);
    if (error || found.empty()) return -1;
    const tcp::endpoint endpoint = found.begin()->endpoint();
    tcp::acceptor& acceptor = impl_->acceptor;
    acceptor.open(endpoint.protocol(), error);
    if (!error) acceptor.set_option(tcp::acceptor::reuse_address(true), error);
    if (!error) acceptor.bind(endpoint, error);
    if (!error) acceptor.listen(net::socket_base::max_listen_connections, error);
    if (error) {
        ErrorCode ignored;
        acceptor.close(ignored);
        return -1;
    }
    impl_->bound = true;
    return acceptor.local_endpoint().port();
}

bool HttpServer::Run() {
    if (!impl_->bound) return false;
    impl_->running = true;
    impl_->Accept();
    impl_->context.run();
    impl_->running = false;
    return true;
}

bool HttpServer::Running() const { return impl_->running; }

void HttpServer::Stop() { impl_->context.stop(); }

}  // namespace web
