// The names the service's two Boost.Beast files (the server and the Open-Meteo client) use for
// Asio and Beast, in one place. Asio includes <chrono>, whose literals have no GBK form: only files
// compiled with a UTF-8 execution character set include this.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <chrono>

namespace web::asio_names {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;
using Clock = std::chrono::steady_clock;
using ErrorCode = boost::system::error_code;

}  // namespace web::asio_names
