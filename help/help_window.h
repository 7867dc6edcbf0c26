// The help window (帮助): the program's name, version and description in the upper box, and below
// it the four labels "功能", "说明", "快捷键" and "关于" that choose the page shown in the lower box.
#pragma once

#include <windows.h>

#include <string>

#include "platform/network.h"

namespace help {

// Where the new-version check reads the download page; no network: no check.
struct VersionSource {
    platform::Network* network = nullptr;
    std::string host_port;  // connected to, and named in the Referer
    std::string url;        // the page, as requested and as shown in the line
    // Whether the check also fetches the public holiday table from the same host, after the page
    // and on the same worker, and keeps it in `holidays_file` (GBK path; "" keeps nothing).
    bool update_holidays = false;
    std::string holidays_file;
    // Why the kept table was not taken at start (GBK), "" when it was: said in the upper box, and the
    // refused file is set aside before a fetched table takes its place.
    std::string holidays_refused;
};

// Control ids. The label of page k (1..4) has the id kFirstLabelId - 1 + k.
constexpr int kTitleBoxId = 101;  // upper read-only box: page 0 (and later the new-version line)
constexpr int kPageBoxId = 102;   // lower read-only box: the current page
constexpr int kFirstLabelId = 111;
constexpr int kLastLabelId = kFirstLabelId + 3;

// Creates the dialog (not yet modal) over its owner, on page 1, and starts the new-version check
// and the update of the public holidays. A newer holiday table is installed and said so in the
// upper box; an update that failed says why there; one that found nothing new says nothing.
HWND CreateHelpDialog(HWND owner, const VersionSource& source = {});
// Shows the dialog modally until the user closes it; IDOK then, -1 when it could not be created.
int ShowHelpDialog(HWND owner, const VersionSource& source = {});

// The page the lower box shows, 1..4 (0 for a window that is not a help dialog).
int HelpDialogPage(HWND dialog);
// How often the lower box has been filled since the dialog opened: 1 at opening, one more for every
// change of page (a press on the current page's label fills nothing).
int HelpDialogPageFills(HWND dialog);

}  // namespace help
