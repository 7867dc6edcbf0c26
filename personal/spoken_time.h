// The spoken time as words: which recorded words say a time.
//
// The time is spoken in Mandarin from embedded recordings: a signal, "现在时刻", the hour ("十四点"
// is 十, 四, 点), then, on demand and when the minute is not 0, the minute ("三十五分" is 三十, 五,
// 分; "零七分" for a single digit). Before 点 the digit 2 is 两 when it stands alone (两点), 二
// after a ten (十二点, 二十二点); the hour 0 is 零点.
#pragma once

#include <string>
#include <vector>

namespace personal {

// The WAVE resources that say hour:minute, in order: SoundRing, SoundTime, the hour's words,
// SoundHour, and with_minutes (when minute is not 0) the minute's words and SoundMinute.
std::vector<std::string> SpokenTimeSounds(int hour, int minute, bool with_minutes);

}  // namespace personal
