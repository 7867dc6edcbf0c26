#include "help/holiday_update.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

#include "weather/fetch.h"

namespace help {

namespace {

// The years a table holds, "2007..2027年", "1949、2007..2027年".
std::string YearsText(const calendar::HolidayTable& table) { return calendar::YearsForMessage(table.years); }

bool SameRows(const calendar::HolidayTable& a, const calendar::HolidayTable& b) {
    return std::equal(a.rows.begin(), a.rows.end(), b.rows.begin(), b.rows.end(),
                      [](const calendar::HolidayRow& x, const calendar::HolidayRow& y) {
                          return x.day == y.day && x.kind == y.kind && x.name == y.name;
                      });
}

// The years held already (the built-in table's and those of `current`) that `table` lacks: a table
// that would drop one is older than what the program has.
std::vector<int> MissingYears(const calendar::HolidayTable& table, const calendar::HolidayTable& current) {
    std::set<int> held(calendar::BuiltInHolidays().years.begin(), calendar::BuiltInHolidays().years.end());
    held.insert(current.years.begin(), current.years.end());
    std::vector<int> missing;
    for (int year : held)
        if (!std::binary_search(table.years.begin(), table.years.end(), year)) missing.push_back(year);
    return missing;
}

// The value of a header (its name compared without regard to case) in the head of an answer.
bool HeaderValue(const std::string& head, const std::string& name, std::string& value) {
    std::size_t at = 0;
    while ((at = head.find("\r\n", at)) != std::string::npos) {
        at += 2;
        const std::size_t end = head.find("\r\n", at);
        const std::string line = head.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (line.size() > name.size() && line[name.size()] == ':') {
            bool same = true;
            for (std::size_t i = 0; i < name.size() && same; ++i)
                same = std::tolower(static_cast<unsigned char>(line[i])) == std::tolower(static_cast<unsigned char>(name[i]));
            if (same) {
                // The blanks around a value are not part of it.
                value = line.substr(name.size() + 1);
                value.erase(0, value.find_first_not_of(" \t"));
                value.erase(value.find_last_not_of(" \t") + 1);
                return true;
            }
        }
    }
    return false;
}

HolidayUpdateResult Refused(const std::string& why) { return {false, false, false, {}, why + "，节假日安排未变"}; }

// A Content-Length's value as a number: digits only (leading zeros are allowed); false for anything
// else, or a number too large to be a length.
bool LengthValue(const std::string& value, std::size_t& length) {
    if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) return false;
    length = 0;
    for (const char c : value) {
        const std::size_t digit = static_cast<std::size_t>(c - '0');
        if (length > (static_cast<std::size_t>(-1) - digit) / 10) return false;
        length = length * 10 + digit;
    }
    return true;
}

}  // namespace

std::string HolidayRequest(const std::string& host_port) {
    return std::string("GET ") + kHolidayPath + " HTTP/1.0\r\nHost: " + host_port +
           "\r\nUser-Agent: Tempoline/4.2\r\n\r\n";
}

HolidayUpdateResult CheckHolidayAnswer(const std::string& answer, const calendar::HolidayTable& current) {
    if (answer.empty()) return Refused("节假日服务器没有答复");
    const std::size_t head_end = answer.find("\r\n\r\n");
    if (answer.compare(0, 7, "HTTP/1.") != 0 || head_end == std::string::npos) return Refused("节假日服务器的答复不对");
    const std::string head = answer.substr(0, head_end);
    const std::size_t space = head.find(' ');
    const std::string code = space == std::string::npos ? "" : head.substr(space + 1, 3);
    if (code != "200") return Refused("节假日服务器答复" + (code.empty() ? std::string("有误") : code));
    const std::string body = answer.substr(head_end + 4);
    // The length is a number: blanks around it are not part of it, and leading zeros change nothing.
    std::string length;
    const bool framed = HeaderValue(head, "Content-Length", length);
    std::size_t stated = 0;
    if (framed && !LengthValue(length, stated)) return Refused("节假日服务器的答复不对");
    if (framed && stated != body.size()) return Refused("没有收到完整的节假日表");
    if (body.size() > calendar::kMaxHolidayFileBytes) return Refused("节假日表超过64KB");
    HolidayUpdateResult result;
    std::string why;
    // An answer that ends when the connection closes may have been cut anywhere, even at a line's
    // end: only its end line shows it whole. One whose length was stated and received is whole.
    const calendar::TableEnd end = framed ? calendar::TableEnd::kOptional : calendar::TableEnd::kRequired;
    if (!calendar::ParseHolidayTable(body, result.table, why, end)) {
        if (why == calendar::kNoTableEnd) return Refused("没有收到完整的节假日表（缺少结尾行）");
        // Without a length, a last line without its line end was cut: what came before it is read on
        // its own, and unless that shows a mistake of its own, the answer was cut short, not wrong.
        if (!framed && !body.empty() && body.back() != '\n' && body.find('\n') != std::string::npos) {
            calendar::HolidayTable before;
            std::string before_why;
            const std::string whole_lines = body.substr(0, body.rfind('\n') + 1);
            if (calendar::ParseHolidayTable(whole_lines, before, before_why, calendar::TableEnd::kRequired) ||
                before_why == calendar::kNoTableEnd)
                return Refused("没有收到完整的节假日表（最后一行不完整）");
            why = before_why;
        }
        return Refused("节假日表有误（" + why + "）");
    }
    if (const std::vector<int> missing = MissingYears(result.table, current); !missing.empty())
        return Refused("节假日表缺少已收录的" + calendar::YearsForMessage(missing));
    result.usable = true;
    result.table = calendar::MergeHolidays(calendar::BuiltInHolidays(), result.table);
    result.changed = !SameRows(result.table, current);
    result.status = (result.changed ? "节假日安排已更新，收录" : "节假日安排已是最新，收录") + YearsText(result.table);
    return result;
}

calendar::HolidayTable KeptHolidays(const std::string& kept_text, std::string* refused) {
    // A file kept by an older version has no end line; it was whole when it was kept.
    calendar::HolidayTable kept;
    std::string why;
    if (!kept_text.empty() && calendar::ParseHolidayTable(kept_text, kept, why, calendar::TableEnd::kOptional)) {
        if (const std::vector<int> missing = MissingYears(kept, calendar::BuiltInHolidays()); !missing.empty())
            why = "缺少内置的" + calendar::YearsForMessage(missing);
    }
    if (refused) *refused = why;
    if (kept_text.empty() || !why.empty()) return calendar::BuiltInHolidays();
    return calendar::MergeHolidays(calendar::BuiltInHolidays(), kept);
}

std::string KeptTableRefusedText(const std::string& reason, const std::string& file) {
    return "保存的节假日表未能读入（" + reason + "），日历暂用内置的" +
           calendar::YearsForMessage(calendar::BuiltInHolidays().years) + "节假日安排；文件未改动，仍在" + file;
}

std::string RefusedCopyName(const std::string& file) {
    const std::size_t dot = file.rfind('.');
    const std::size_t slash = file.find_last_of("\\/");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return file + ".refused";
    return file.substr(0, dot) + ".refused" + file.substr(dot);
}

bool FetchHolidays(platform::Network& network, const std::string& host_port, const calendar::HolidayTable& current,
                   const KeepHolidays& keep, const platform::StopAsked& stop, HolidayUpdateResult& result) {
    // The table is at most 64 KiB; its head adds a few hundred bytes.
    weather::Limits limits;
    limits.max_bytes = calendar::kMaxHolidayFileBytes + 4096;
    const weather::Exchange exchange = weather::Fetch(network, host_port, HolidayRequest(host_port), stop, {}, limits);
    if (exchange.outcome == weather::Exchange::kStopped || stop()) return false;
    if (exchange.outcome == weather::Exchange::kNoConnection) {
        result = Refused("无法连接节假日服务器" + host_port);
        return true;
    }
    if (exchange.cut == weather::Exchange::kTooLarge) {
        result = Refused("节假日表超过64KB");
        return !stop();
    }
    if (exchange.cut == weather::Exchange::kTimedOut) {
        result = Refused(exchange.received == 0
                             ? "节假日服务器在" + std::to_string(weather::kTimeoutMs / 1000) + "秒内没有答复"
                             : "节假日服务器" + std::to_string(weather::kTimeoutMs / 1000) + "秒内没有发完节假日表");
        return !stop();
    }
    result = CheckHolidayAnswer(exchange.answer, current);
    if (result.usable && result.changed) {
        const std::string body = exchange.answer.substr(exchange.answer.find("\r\n\r\n") + 4);
        result.kept = keep(body);
        if (!result.kept) result.status += "（但无法保存，下次启动时仍用原来的安排）";
    }
    return !stop();
}


}  // namespace help
