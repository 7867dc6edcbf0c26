#include "text/numbers.h"

#include <charconv>

namespace text {

bool ParseCanonicalInteger(const std::string& text, std::int32_t& value) {
    std::int32_t parsed = 0;
    const char* const first = text.data();
    const char* const last = first + text.size();
    const auto [end, error] = std::from_chars(first, last, parsed);
    if (error != std::errc() || end != last || std::to_string(parsed) != text) return false;
    value = parsed;
    return true;
}

}  // namespace text
