// The spoken time and the alarms as words and sounds: which recorded words say a time, which alarm
// sounds at a minute of the day, and the alarm editor's time texts.
//
// The time is spoken in Mandarin from embedded recordings: a signal, "现在时刻", the hour ("十四点"
// is 十, 四, 点), then, on demand and when the minute is not 0, the minute ("三十五分" is 三十, 五,
// 分; "零七分" for a single digit). Before 点 the digit 2 is 两 when it stands alone (两点), 二
// after a ten (十二点, 二十二点); the hour 0 is 零点.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "shell/settings.h"

namespace personal {

// The WAVE resources that say hour:minute, in order: SoundRing, SoundTime, the hour's words,
// SoundHour, and with_minutes (when minute is not 0) the minute's words and SoundMinute.
std::vector<std::string> SpokenTimeSounds(int hour, int minute, bool with_minutes);

// The five alarm sounds, by index 0..4: their names as the editor lists them, and their resources
// "SoundAlarm0" .. "SoundAlarm4".
constexpr int kAlarmSoundCount = 5;
extern const char* const kAlarmSoundNames[kAlarmSoundCount];  // 电话铃, 号角声, 鸡叫声, 锣鼓声, 空袭警报
std::string AlarmSoundResource(int index);

// The sounds of the alarms due at a minute of the day (60 x hour + minute): of A, B and C in turn
// each that is on and set to that minute.
std::vector<int> DueAlarmSounds(const std::array<shell::Alarm, 3>& alarms, int minute_of_day);

// The alarm editor's time field: "HH:MM" -> 60 x HH + MM; a text without ":" is hours. True for
// hours 0..23 and minutes 0..59 written in digits (one or two each), else false.
bool ParseAlarmTime(const std::string& text, int& minutes);
// "HH:MM" of a minute of the day; "00:00" for an unset alarm (0).
std::string AlarmTimeText(int minutes);

}  // namespace personal
