#include "web/subscription.h"

#include <algorithm>
#include <cctype>

#include "cli/arguments.h"
#include "text/encoding.h"

namespace web {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A query's value as it was meant: "%XX" bytes and "+" for a blank (the form encoding calendar
// apps use). False for a broken escape.
bool Decoded(std::string_view value, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '+') {
            out += ' ';
        } else if (value[i] == '%') {
            if (i + 2 >= value.size()) return false;
            const int high = HexValue(value[i + 1]), low = HexValue(value[i + 2]);
            if (high < 0 || low < 0) return false;
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += value[i];
        }
    }
    return true;
}

// A flag's value: present with nothing, "1", "true", "yes" or "on" is on; "0", "false", "no", "off"
// is off.
bool FlagValue(const std::string& value, bool& on) {
    std::string v;
    for (const char c : value) v += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (v.empty() || v == "1" || v == "true" || v == "yes" || v == "on") {
        on = true;
        return true;
    }
    if (v == "0" || v == "false" || v == "no" || v == "off") {
        on = false;
        return true;
    }
    return false;
}

// A text in a key: its length, then itself, so that what it holds cannot be read as another field.
std::string Field(const std::string& text) { return "/" + std::to_string(text.size()) + ":" + text; }

bool Year(const std::string& value, int first, int last, int& out) {
    if (value.empty() || value.size() > 4 || value.find_first_not_of("0123456789") != std::string::npos) return false;
    out = std::stoi(value);
    return out >= first && out <= last;
}

}  // namespace

std::string QueryOfTarget(std::string_view target) {
    const std::size_t mark = target.find('?');
    if (mark == std::string_view::npos) return {};
    const std::string_view rest = target.substr(mark + 1);
    return std::string(rest.substr(0, rest.find('#')));
}

bool ParseSubscription(std::string_view query, cli::IcsRequest& request, std::string& key, std::string& why) {
    cli::IcsRequest r;
    r.name = text::GbkToUtf8("橙鹿万年历");
    int from = 0, years = 1;
    bool from_given = false;
    std::vector<std::string> birthday_keys;
    std::vector<std::string> given;  // the parameters met, each once but the birthdays
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view part = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        if (part.empty()) continue;
        const std::size_t eq = part.find('=');
        std::string name, value;
        if (!Decoded(part.substr(0, eq), name) ||
            !Decoded(eq == std::string_view::npos ? std::string_view() : part.substr(eq + 1), value)) {
            why = "a broken %-escape in the query";
            return false;
        }
        const std::string shown = cli::Quoted(name);
        if (name != "lunar-birthday" && name != "solar-birthday") {
            if (std::find(given.begin(), given.end(), name) != given.end()) {
                why = shown + " is given twice: each parameter once (only lunar-birthday and solar-birthday repeat)";
                return false;
            }
            given.push_back(name);
        }
        if (name == "from") {
            if (!Year(value, cli::kFirstIcsYear, cli::kLastIcsYear, from)) {
                why = "from " + cli::Quoted(value) + ": the first year, " + std::to_string(cli::kFirstIcsYear) + ".." +
                      std::to_string(cli::kLastIcsYear);
                return false;
            }
            from_given = true;
        } else if (name == "years") {
            if (!Year(value, 1, kMaxSubscriptionYears, years)) {
                why = "years " + cli::Quoted(value) + ": 1.." + std::to_string(kMaxSubscriptionYears) +
                      " years in one subscription";
                return false;
            }
        } else if (name == "terms" || name == "festivals" || name == "months" || name == "holidays") {
            bool on = false;
            if (!FlagValue(value, on)) {
                why = name + " " + cli::Quoted(value) + ": a flag, given alone or as 1/0";
                return false;
            }
            (name == "terms" ? r.terms : name == "festivals" ? r.festivals : name == "months" ? r.months : r.holidays) = on;
        } else if (name == "lunar-birthday" || name == "solar-birthday") {
            if (r.birthdays.size() == static_cast<std::size_t>(kMaxSubscriptionBirthdays)) {
                why = "at most " + std::to_string(kMaxSubscriptionBirthdays) + " birthdays in one subscription";
                return false;
            }
            cli::Birthday b;
            const std::string wrong = cli::CheckBirthday(value, name == "lunar-birthday", &b);
            if (!wrong.empty()) {
                why = name + " " + cli::Quoted(value) + ": " + wrong;
                return false;
            }
            r.birthdays.push_back(b);
            birthday_keys.push_back(std::string(b.lunar ? "L" : "S") + std::to_string(b.month) + "-" +
                                    std::to_string(b.day) + Field(b.title));
        } else if (name == "name") {
            const std::string wrong = cli::CheckTitleText(value);
            if (!wrong.empty()) {
                why = "name " + cli::Quoted(value) + ": " + wrong;
                return false;
            }
            r.name = value;
        } else {
            why = "unknown parameter " + shown +
                  " (from, years, terms, festivals, months, holidays, lunar-birthday, solar-birthday, name)";
            return false;
        }
    }
    if (!from_given) {
        why = "from: give the first year, e.g. from=2026";
        return false;
    }
    if (from + years - 1 > cli::kLastIcsYear) {
        why = "years: the calendar ends with " + std::to_string(cli::kLastIcsYear);
        return false;
    }
    if (!r.terms && !r.festivals && !r.months && !r.holidays && r.birthdays.empty()) {
        why = "nothing to put in the calendar: terms, festivals, months, holidays or a birthday";
        return false;
    }
    r.span = cli::IcsYears(from, years);
    key = std::to_string(from) + "+" + std::to_string(years) + (r.terms ? "T" : "") + (r.festivals ? "F" : "") +
          (r.months ? "M" : "") + (r.holidays ? "H" : "") + Field(r.name);
    for (const std::string& b : birthday_keys) key += b;
    request = std::move(r);
    return true;
}

CalendarMaker::CalendarMaker(std::size_t max_kept, std::size_t max_waiting)
    : max_kept_(max_kept), max_waiting_(max_waiting), worker_([this] { Work(); }) {}

CalendarMaker::~CalendarMaker() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
    // Whoever still waits is told there is no calendar.
    for (auto& [key, job] : jobs_)
        for (const Done& done : job.waiting) done(nullptr);
}

bool CalendarMaker::Kept(const std::string& key, Text& text) {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = kept_.begin(); it != kept_.end(); ++it) {
        if (it->first != key) continue;
        kept_.splice(kept_.begin(), kept_, it);
        text = it->second;
        return true;
    }
    return false;
}

void CalendarMaker::Make(const std::string& key, const cli::IcsRequest& request, Done done) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (const auto job = jobs_.find(key); job != jobs_.end()) {
            job->second.waiting.push_back(std::move(done));
            return;
        }
        if (!stopping_ && queue_.size() < max_waiting_) {
            jobs_[key] = Job{request, {std::move(done)}};
            queue_.push_back(key);
            done = nullptr;
        }
    }
    if (done) {
        done(nullptr);
        return;
    }
    wake_.notify_one();
}

void CalendarMaker::Forget() {
    const std::lock_guard<std::mutex> lock(mutex_);
    kept_.clear();
}

std::size_t CalendarMaker::Made() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return made_;
}

void CalendarMaker::Keep(const std::string& key, const Text& text) {
    kept_.emplace_front(key, text);
    if (kept_.size() > max_kept_) kept_.pop_back();
}

void CalendarMaker::Work() {
    for (;;) {
        std::string key;
        cli::IcsRequest request;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) return;
            key = queue_.front();
            queue_.pop_front();
            request = jobs_[key].request;
        }
        const Text text = std::make_shared<const std::string>(cli::IcsCalendar(request));
        std::vector<Done> waiting;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            ++made_;
            Keep(key, text);
            waiting = std::move(jobs_[key].waiting);
            jobs_.erase(key);
        }
        for (const Done& done : waiting) done(text);
    }
}

}  // namespace web
