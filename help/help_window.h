// The help window (帮助): the program's name, version and description in the upper box, and below
// it the four labels "功能", "说明", "快捷键" and "关于" that choose the page shown in the lower box.
#pragma once

#include <windows.h>

namespace help {

// Control ids. The label of page k (1..4) has the id kFirstLabelId - 1 + k.
constexpr int kTitleBoxId = 101;  // upper read-only box: page 0 (and later the new-version line)
constexpr int kPageBoxId = 102;   // lower read-only box: the current page
constexpr int kFirstLabelId = 111;
constexpr int kLastLabelId = kFirstLabelId + 3;

// Creates the dialog (not yet modal) over its owner, on page 1.
HWND CreateHelpDialog(HWND owner);
// Shows the dialog modally until the user closes it; IDOK then, -1 when it could not be created.
int ShowHelpDialog(HWND owner);

// The page the lower box shows, 1..4 (0 for a window that is not a help dialog).
int HelpDialogPage(HWND dialog);
// How often the lower box has been filled since the dialog opened: 1 at opening, one more for every
// change of page (a press on the current page's label fills nothing).
int HelpDialogPageFills(HWND dialog);

}  // namespace help
