#include "personal/alarms.h"

#include <cstdio>

namespace personal {

const char* const kAlarmSoundNames[kAlarmSoundCount] = {"电话铃", "号角声", "鸡叫声", "锣鼓声", "空袭警报"};

std::string AlarmSoundResource(int index) { return "SoundAlarm" + std::to_string(index); }

std::vector<int> DueAlarmSounds(const Alarms& alarms, int minute_of_day) {
    std::vector<int> out;
    for (const Alarm& a : alarms)
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
