// 编辑闹钟: the three alarms, each switched on or off, its time (HH:MM) and its sound.
#pragma once

#include <windows.h>

#include "personal/alarms.h"

namespace personal {

// Control ids, for the tests: row k (0..2) has its check box, time box and sound list at
// kAlarmCheckId + k, kAlarmTimeId + k, kAlarmSoundId + k.
constexpr int kAlarmCheckId = 301;
constexpr int kAlarmTimeId = 311;
constexpr int kAlarmSoundId = 321;
constexpr int kAlarmStatusId = 331;

// Makes the editor over `owner` for the alarms (kept until 确定 writes them back); run it with
// win::RunModal.
HWND CreateAlarmEditor(HWND owner, Alarms* alarms);
// Runs it modally; IDOK when the alarms were changed.
int ShowAlarmEditor(HWND owner, Alarms& alarms);

}  // namespace personal
