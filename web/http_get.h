// One HTTP GET over plain TCP with a deadline for all of it: the name lookup, the connection, the
// request and the whole answer. A server that drips its answer a byte at a time is given up at
// the deadline, however steadily it drips.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace web {

struct HttpGetAnswer {
    bool ok = false;      // a whole answer came (of any status)
    int status = 0;
    std::string body;
    std::string failure;  // why not: "cannot be reached (...)", "gave no whole answer within N ms", ...
};

// GET http://host:port/target with these extra header fields (Host and Connection: close are
// always sent). An answer whose body exceeds max_body bytes is a failure ("answered more than ...").
HttpGetAnswer HttpGet(const std::string& host, int port, const std::string& target,
                      const std::vector<std::pair<std::string, std::string>>& fields, int deadline_ms,
                      std::size_t max_body);

}  // namespace web
