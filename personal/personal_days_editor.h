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

// Control ids, for the tests: 401 and on, in this order.
enum EditorControlId : int {
    kDayListId = 401, kYearBoxId, kMonthBoxId, kDayBoxId, kLeapMonthId, kTitleBoxId, kAudioBoxId,
    kChooseAudioId, kPreviewId, kPreviewStateId,
    kAddSolarId,  // 添加公历纪念日, 添加公历提醒日, 添加公历倒计日
    kAddLunarId,  // 添加农历纪念日
    kAddHijriId,  // 添加回历纪念日
    kChangeId,    // 修改
    kDeleteId,    // 删除
    kSaveId,      // 保存
    kEditorStatusId,
    kYearLabelId,  // 公历年 / 农历年 / 回历年, and the month and day labels after it
    kMonthLabelId, kDayLabelId,
    kEditorKeptId,  // the note on the values kept as they are, shown until the save
};

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
