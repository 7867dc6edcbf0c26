#include "personal/spoken_time.h"

#include <cstdio>

namespace personal {

const char* const kAlarmSoundNames[kAlarmSoundCount] = {"电话铃", "号角声", "鸡叫声", "锣鼓声", "空袭警报"};

std::string AlarmSoundResource(int index) { return "SoundAlarm" + std::to_string(index); }

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

std::vector<int> DueAlarmSounds(const std::array<shell::Alarm, 3>& alarms, int minute_of_day) {
    std::vector<int> out;
    for (const shell::Alarm& a : alarms)
        if (a.open_flag && a.time_minutes == minute_of_day) out.push_back(a.sound_index);
    return out;
}

bool ParseAlarmTime(const std::string& text, int& minutes) {
    const size_t colon = text.find(':');
    const std::string hours = text.substr(0, colon);
    const std::string mins = colon == std::string::npos ? "0" : text.substr(colon + 1);
    const auto number = [](const std::string& digits, int limit, int& value) {
        if (digits.empty() || digits.size() > 2) return false;
        value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') return false;
            value = 10 * value + (c - '0');
        }
        return value <= limit;
    };
    int h = 0, m = 0;
    if (!number(hours, 23, h) || !number(mins, 59, m)) return false;
    minutes = 60 * h + m;
    return true;
}

std::string AlarmTimeText(int minutes) {
    if (minutes < 0 || minutes >= 1440) minutes = 0;
    char out[8];
    std::snprintf(out, sizeof out, "%02d:%02d", minutes / 60, minutes % 60);
    return out;
}

}  // namespace personal
