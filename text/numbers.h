// Numbers written as text.
#pragma once

#include <cstdint>
#include <string>

namespace text {

// True when the text is the decimal form of a 32-bit integer exactly as the program writes it:
// an optional '-', then digits without leading zeros ("0" for zero); no blanks, no "+", no
// fraction, no exponent ("12.5", " 5", "05", "-0" and "3e0" are not). Sets value.
bool ParseCanonicalInteger(const std::string& text, std::int32_t& value);

}  // namespace text
