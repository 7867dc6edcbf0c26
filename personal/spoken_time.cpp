#include "personal/spoken_time.h"

namespace personal {

std::vector<std::string> SpokenTimeSounds(int hour, int minute, bool with_minutes) {
    std::vector<std::string> out = {"SoundRing", "SoundTime"};
    const int h10 = hour / 10, h1 = hour % 10;
    if (h10 > 0) out.push_back("Sound" + std::to_string(10 * h10));
    if (h1 == 2 && h10 == 0)
        out.push_back("SoundTwo");  // 两点
    else if (h1 > 0 || h10 == 0)
        out.push_back("Sound" + std::to_string(h1));  // 零点 for the hour after midnight
    out.push_back("SoundHour");
    if (with_minutes && minute != 0) {
        const int m10 = minute / 10, m1 = minute % 10;
        out.push_back(m10 == 0 ? "Sound0" : "Sound" + std::to_string(10 * m10));
        if (m1 > 0) out.push_back("Sound" + std::to_string(m1));
        out.push_back("SoundMinute");
    }
    return out;
}

}  // namespace personal
