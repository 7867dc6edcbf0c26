// Fuzz target: any bytes as the weather viewer receives them. The conversion keeps every byte
// outside a three-byte UTF-8 sequence and turns each such sequence into the GBK character that
// converts back to it, or "?"; it never lengthens the text. The page reader, on the bytes as they
// came and on their conversion, only ever copies bytes of the page, within the sizes of its layout:
// a label of at most 5 bytes, a publication time of at most 10, a weather of at most 12. A page
// read as ok names a date that exists; one that is not ok holds nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "astro/day_numbers.h"
#include "text/encoding.h"
#include "weather/weather_page.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

bool IsThree(std::string_view s, std::size_t i) {
    return i + 2 < s.size() && (static_cast<unsigned char>(s[i]) & 0xF0) == 0xE0 &&
           (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80 && (static_cast<unsigned char>(s[i + 2]) & 0xC0) == 0x80;
}

// Walks the input and the conversion side by side. Each run of GBK pairs converts back to the run
// of sequences it came from (converted at once: a conversion per character would be slow).
void CheckConversion(std::string_view in, const std::string& out) {
    Check(out.size() <= in.size());
    std::string pairs, sequences;
    const auto flush = [&] {
        if (pairs.empty()) return;
        Check(text::GbkToUtf8(pairs) == sequences);
        pairs.clear();
        sequences.clear();
    };
    std::size_t i = 0, j = 0;
    while (i < in.size()) {
        Check(j < out.size());
        if (!IsThree(in, i)) {
            flush();
            Check(out[j] == in[i]);
            ++i, ++j;
            continue;
        }
        if (out[j] == '?') {
            flush();
            ++j;
        } else {
            Check(j + 1 < out.size() && static_cast<unsigned char>(out[j]) >= 0x81);
            pairs.append(out, j, 2);
            sequences.append(in.substr(i, 3));
            j += 2;
        }
        i += 3;
    }
    flush();
    Check(j == out.size());
}

bool FromPage(std::string_view page, const std::string& part) {
    return part.empty() || page.find(part) != std::string_view::npos;
}

void CheckHalf(std::string_view page, const weather::Half& h) {
    Check(h.values >= 0 && h.values <= 4);
    Check(h.found || h.values == 0);
    Check(h.weather.size() <= 12 && FromPage(page, h.weather));
    Check(h.values >= 1 || h.weather.empty());
    Check(h.values >= 2 || h.temperature == 0);
    Check(h.values >= 3 || h.wind_direction.empty());
    Check(h.values >= 4 || h.wind_force.empty());
    Check(FromPage(page, h.wind_direction) && FromPage(page, h.wind_force));
}

void CheckPage(std::string_view page) {
    const weather::WeatherPage read = weather::ParseWeatherPage(page);
    Check(read.published.size() <= 10 && FromPage(page, read.published));
    if (read.ok) {
        Check(astro::IsValidDate(read.year, read.month, read.day) != 0);
    } else {
        Check(read.year == 0 && read.month == 0 && read.day == 0 && read.published.empty());
    }
    for (const weather::Day& d : read.days) {
        Check(read.ok || (d.date_label.empty() && !d.day.found && !d.night.found));
        Check(d.date_label.size() <= 5 && FromPage(page, d.date_label));
        CheckHalf(page, d.day);
        CheckHalf(page, d.night);
    }
    Check(weather::FormatCells(read).size() == 40);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string local = weather::Utf8ToLocal(bytes);
    CheckConversion(bytes, local);
    CheckPage(bytes);
    CheckPage(local);
    return 0;
}
