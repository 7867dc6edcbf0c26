// Fuzz target: the checks of tempo's arguments. Every text is either taken, with a value that an
// independent reading of the text agrees with and that lies within the limits, or refused with a
// message; nothing else may escape (an exception of another kind is a crash here).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "calendar/range.h"
#include "cli/arguments.h"

namespace {

// Reads n bytes as a signed whole number (little end first); the bytes are consumed.
long long TakeNumber(const std::uint8_t*& data, std::size_t& size, std::size_t n) {
    unsigned long long v = 0;
    for (std::size_t i = 0; i < n && size > 0; ++i, ++data, --size) v |= static_cast<unsigned long long>(*data) << (8 * i);
    long long out;
    std::memcpy(&out, &v, sizeof out);
    return out;
}

// The whole number a text names, read digit by digit into a wide integer: false when the text
// is not "-?[0-9]{1,19}" (a 128-bit value holds every such number).
bool ReadWhole(const std::string& text, __int128& value) {
    std::size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
    const std::size_t digits = text.size() - i;
    if (digits < 1 || digits > 19) return false;
    __int128 v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    value = text[0] == '-' ? -v : v;
    return true;
}

void CheckWhole(const std::string& text, long long min, long long max) {
    long long value = 0;
    const std::string why = cli::CheckWholeNumber(text, min, max, &value);
    __int128 expected = 0;
    const bool taken = ReadWhole(text, expected) && expected >= min && expected <= max;
    if (why.empty() != taken) std::abort();
    if (taken && value != expected) std::abort();
}

void CheckDecimal(const std::string& text, double min, double max) {
    double value = 0;
    const std::string why = cli::CheckDecimalNumber(text, min, max, &value);
    if (!why.empty()) return;
    // Taken: a finite number within the limits, the one the C library reads, from a text of
    // digits, one point, an exponent and signs only.
    if (!std::isfinite(value) || value < min || value > max) std::abort();
    if (text.find_first_not_of("0123456789.-+eE") != std::string::npos) std::abort();
    if (std::strtod(text.c_str(), nullptr) != value) std::abort();
}

void CheckSpan(long long from, bool bc, long long years) {
    const __int128 first = bc ? 1 - static_cast<__int128>(from) : from;
    const bool valid = (!bc || from >= 1) && years >= 1 && calendar::kFirstCalendarYear <= first &&
                       first + (years > 100 ? 100 : years) - 1 <= calendar::kLastCalendarYear;
    try {
        const cli::QuerySpan span = cli::QueryYears(from, bc, years);
        if (!valid || span.first != first || span.cut != (years > 100) || span.years != (years > 100 ? 100 : years))
            std::abort();
    } catch (const cli::UsageError& e) {
        if (valid || e.message.empty()) std::abort();
    }
}

void CheckCriteria(const std::vector<std::string>& fields) {
    cli::DayQueryOptions o;
    std::string* slots[] = {&o.solar_month, &o.solar_day, &o.lunar_month, &o.lunar_day, &o.hijri_month, &o.hijri_day,
                            &o.ganzhi_year, &o.ganzhi_month, &o.ganzhi_day, &o.weekday, &o.term, &o.festival};
    for (std::size_t i = 0; i < fields.size() && i < 12; ++i) *slots[i] = fields[i];
    try {
        const tools::DayCriteria k = cli::DayCriteriaOf(o);
        const struct {
            int value, max;
        } limits[] = {{k.solar_month, 12}, {k.solar_day, 31},   {k.lunar_month, 24},  {k.lunar_day, 30},
                      {k.hijri_month, 12}, {k.hijri_day, 30},   {k.ganzhi_year, 60},  {k.ganzhi_month, 60},
                      {k.ganzhi_day, 60},  {k.weekday, 7},      {k.term, 24}};
        for (std::size_t i = 0; i < 11; ++i) {
            if (limits[i].value < 0 || limits[i].value > limits[i].max) std::abort();
            if ((limits[i].value == 0) != slots[i]->empty()) std::abort();  // only no text is no condition
        }
    } catch (const cli::UsageError& e) {
        if (e.message.empty()) std::abort();
    }
}

// A birthday entry is taken with a month-day some year has and a title without blanks at its ends
// or control characters, or refused with a message; a file of them gives its birthdays or a
// message naming the file (quoted).
void CheckBirthdays(const std::string& text, bool lunar) {
    cli::Birthday b;
    const std::string why = cli::CheckBirthday(text, lunar, &b);
    if (why.empty()) {
        const bool date = lunar ? b.month >= 1 && b.month <= 24 && b.day >= 1 && b.day <= 30
                                : b.month >= 1 && b.month <= 12 && b.day >= 1 && b.day <= 31;
        if (!date || b.lunar != lunar || b.title.empty() || b.title.front() == ' ' || b.title.back() == ' ' ||
            text.find(':') == std::string::npos || text.find(b.title) == std::string::npos)
            std::abort();
        for (char c : b.title)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) std::abort();
    }
    try {
        for (const cli::Birthday& read : cli::ReadBirthdays(text, "f"))
            if (read.title.empty() || read.month < 1 || read.month > 24) std::abort();
    } catch (const cli::UsageError& e) {
        if (e.message.compare(0, 4, "'f':") != 0) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int what = data[0] % 6;
    ++data;
    --size;
    switch (what) {
        case 0: {
            const long long a = TakeNumber(data, size, 8), b = TakeNumber(data, size, 8);
            CheckWhole(std::string(reinterpret_cast<const char*>(data), size), a < b ? a : b, a < b ? b : a);
            break;
        }
        case 1: {
            const double a = static_cast<double>(TakeNumber(data, size, 2)) / 64,
                         b = static_cast<double>(TakeNumber(data, size, 2)) / 64;
            CheckDecimal(std::string(reinterpret_cast<const char*>(data), size), a < b ? a : b, a < b ? b : a);
            break;
        }
        case 2: {
            const bool bc = size > 0 && (data[0] & 1);
            if (size > 0) ++data, --size;
            const long long from = TakeNumber(data, size, 8);
            CheckSpan(from, bc, TakeNumber(data, size, 8));
            break;
        }
        case 3: {
            std::vector<std::string> fields(1);
            for (std::size_t i = 0; i < size; ++i) {
                if (data[i] == '|')
                    fields.emplace_back();
                else
                    fields.back() += static_cast<char>(data[i]);
            }
            CheckCriteria(fields);
            break;
        }
        case 4: {
            cli::MonthQueryOptions o;
            const unsigned flags = size > 0 ? data[0] : 0;
            o.leap = flags & 1;
            o.three_big = flags & 2;
            o.three_small = flags & 4;
            o.four_big = flags & 8;
            o.base_month = static_cast<signed char>(size > 1 ? data[1] : 0);
            const bool valid = (o.leap + o.three_big + o.three_small + o.four_big == 1) &&
                               (o.base_month == 0 || (o.leap && o.base_month >= 1 && o.base_month <= 12));
            try {
                const tools::MonthCondition c = cli::MonthConditionOf(o);
                const bool right = o.leap ? c == tools::MonthCondition::kLeapMonth
                                          : o.three_big ? c == tools::MonthCondition::kThreeBig
                                          : o.three_small ? c == tools::MonthCondition::kThreeSmall
                                                          : c == tools::MonthCondition::kFourBig;
                if (!valid || !right) std::abort();
            } catch (const cli::UsageError& e) {
                if (valid || e.message.empty()) std::abort();
            }
            break;
        }
        case 5: {
            const bool lunar = size > 0 && (data[0] & 1);
            if (size > 0) ++data, --size;
            CheckBirthdays(std::string(reinterpret_cast<const char*>(data), size), lunar);
            break;
        }
    }
    return 0;
}
