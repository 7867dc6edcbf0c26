// The three daily alarms (A, B, C): each switched on or off, its minute of the day and its sound;
// which sound at a minute, and the alarm editor's time texts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace personal {

// An alarm is kept with the other settings.
using Alarm = settings::Alarm;
using Alarms = settings::Alarms;

// The five alarm sounds, by index 0..4: their names as the editor lists them, and their resources
// "SoundAlarm0" .. "SoundAlarm4".
constexpr int kAlarmSoundCount = 5;
extern const char* const kAlarmSoundNames[kAlarmSoundCount];  // 电话铃, 号角声, 鸡叫声, 锣鼓声, 空袭警报
std::string AlarmSoundResource(int index);

// The sounds of the alarms due at a minute of the day (60 x hour + minute): of A, B and C in turn
// each that is on and set to that minute.
std::vector<int> DueAlarmSounds(const Alarms& alarms, int minute_of_day);

// The alarm editor's time field: "HH:MM" -> 60 x HH + MM; a text without ":" is hours. True for
// hours 0..23 and minutes 0..59 written in digits (one or two each), else false.
bool ParseAlarmTime(const std::string& text, int& minutes);
// "HH:MM" of a minute of the day; "00:00" for an unset alarm (0).
std::string AlarmTimeText(int minutes);

}  // namespace personal
