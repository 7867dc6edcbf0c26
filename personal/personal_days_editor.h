// The editor of the personal days, in three modes: 编辑纪念日 (memorial days by the Gregorian, lunar
// or Hijri calendar), 编辑提醒日 (reminder days) and 编辑倒计日 (the countdown day).
//
// The list shows the days as stored. A day is added from the fields by the button of its calendar;
// choosing a row puts it into the fields, 修改 puts the fields back into that row, 删除 removes it.
// Every entry is checked and refused with the reason in the status line (a date the calendar does
// not have, a year out of range, no title, a second memorial on the same day). Values the editor
// cannot show (written by another program, of another type, with characters GBK lacks) are kept as
// they are, and the status line says so. 保存 stores what the user changed, added and deleted, and
// nothing else, and closes; an edited row not yet put back is put back first. A save the registry
// refuses in part says what is stored and what is not, and the editor stays open. An audio file is chosen with 选择音频文件 or dropped on the editor, and heard with 试听.
#pragma once

#include <windows.h>

#include "personal/personal_days.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/sound.h"

namespace personal {

// Control ids, for the tests.
constexpr int kDayListId = 401;
constexpr int kYearBoxId = 402;
constexpr int kMonthBoxId = 403;
constexpr int kDayBoxId = 404;
constexpr int kLeapMonthId = 405;
constexpr int kTitleBoxId = 406;
constexpr int kAudioBoxId = 407;
constexpr int kChooseAudioId = 408;
constexpr int kPreviewId = 409;
constexpr int kPreviewStateId = 410;
constexpr int kAddSolarId = 411;   // 添加公历纪念日, 添加公历提醒日, 添加公历倒计日
constexpr int kAddLunarId = 412;   // 添加农历纪念日
constexpr int kAddHijriId = 413;   // 添加回历纪念日
constexpr int kChangeId = 414;     // 修改
constexpr int kDeleteId = 415;     // 删除
constexpr int kSaveId = 416;       // 保存
constexpr int kEditorStatusId = 417;
constexpr int kYearLabelId = 418;  // 公历年 / 农历年 / 回历年, and the month and day labels after it
constexpr int kMonthLabelId = 419;
constexpr int kDayLabelId = 420;
constexpr int kEditorKeptId = 421;  // the note on the values kept as they are, shown until the save

struct EditorContext {
    EditorMode mode = EditorMode::kMemorials;
    platform::Registry* registry = nullptr;
    platform::MciDevice* mci = nullptr;  // plays the preview; nullptr: no preview
    bool registry_in_use = true;         // otherwise the editor says that the days are not shown yet
    platform::Clock* clock = nullptr;    // today's date, for the countdown's note; nullptr: the system's
};

// Makes the editor over `owner`; run it with win::RunModal. nullptr without a registry.
HWND CreatePersonalDaysEditor(HWND owner, const EditorContext& context);
// Runs it modally; IDOK when the list was saved.
int ShowPersonalDaysEditor(HWND owner, const EditorContext& context);

}  // namespace personal
