// What a screen reader reads of a window (Microsoft Active Accessibility, which UI Automation also
// reads through its bridge).
//
// The standard controls answer for themselves; a window that paints its own content (the month
// grid, the music player's skin, the lyric view) describes what it shows instead: a list of items,
// each with a name, a role, a state and a rectangle in the window's 96-DPI client pixels, held
// together as parent and children (a table, its column headers and its cells), and where a child
// window stands among them, that window. AccessibleContent answers WM_GETOBJECT with one object
// built from that description, scales the rectangles to the screen at the window's DPI, and raises
// the events a screen reader follows (NotifyWinEvent). A control no visible label names gets its
// name through NameControl.
//
// Nothing is made before a screen reader asks: the objects are built at WM_GETOBJECT, and oleacc,
// ole32 and oleaut32 are loaded then (win/system_library.h), never at the program's start.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace win {

class Window;

// The roles and states of the items, as oleacc.h numbers them (kept here so that a window file
// needs nothing of oleacc).
namespace role {
constexpr long kClient = 0x0A, kGrouping = 0x14, kTable = 0x18, kColumnHeader = 0x19, kRow = 0x1C, kCell = 0x1D,
               kList = 0x21, kListItem = 0x22, kStaticText = 0x29, kText = 0x2A, kPushButton = 0x2B,
               kCheckButton = 0x2C, kSlider = 0x33;
}  // namespace role
namespace state {
constexpr long kUnavailable = 0x1, kSelected = 0x2, kFocused = 0x4, kPressed = 0x8, kChecked = 0x10,
               kReadOnly = 0x40, kInvisible = 0x8000, kFocusable = 0x100000, kSelectable = 0x200000;
}  // namespace state

struct AccessibleItem {
    std::string name;   // GBK
    long role = role::kStaticText;
    long state = 0;
    RECT rect{};        // in the window's client area, 96-DPI pixels
    std::string value;  // GBK; "" for none
    int parent = -1;    // the index of the item that holds this one (an earlier item); -1 the window
    std::string action;  // GBK: what its default action does ("选择"), "" for none
    // A child window standing here: its own object (its name, role, state, place) answers.
    HWND window = nullptr;
};
using AccessibleItems = std::vector<AccessibleItem>;

// An item the window paints; one that a child window is.
inline AccessibleItem PaintedItem(std::string name, long role, long state, const RECT& rect, std::string value = {},
                                  int parent = -1) {
    return AccessibleItem{std::move(name), role, state, rect, std::move(value), parent, {}, nullptr};
}
inline AccessibleItem WindowItem(HWND window, int parent = -1) {
    return AccessibleItem{{}, 0, 0, RECT{}, {}, parent, {}, window};
}

// A window's self-painted content as a screen reader reads it. Keep one as a member of the window
// (it outlives no window; objects a screen reader still holds then answer that the window is gone).
class AccessibleContent {
public:
    // `describe` gives what the window shows now; it is asked again after Changed(). The items'
    // order and number stay the same while the window lives, so that an item's index names it.
    // `act` does an item's default action (a screen reader's "click" on it), for items that name one.
    AccessibleContent(const Window& window, std::function<AccessibleItems()> describe,
                      std::function<void(int item)> act = nullptr);
    ~AccessibleContent();
    AccessibleContent(const AccessibleContent&) = delete;
    AccessibleContent& operator=(const AccessibleContent&) = delete;

    // WM_GETOBJECT: true (and the message's result) when asked for the client area's object.
    bool Answer(WPARAM wparam, LPARAM lparam, LRESULT* result);
    // What the window shows has changed: the description is asked again when next read.
    void Changed();
    // The events of an item (its index): it has the keyboard focus; it is the one selected; its
    // value changed. The description is asked again first.
    void RaiseFocus(int item);
    void RaiseSelection(int item);
    void RaiseValueChange(int item);

    // The child id an item's events carry (negative: an item anywhere in the tree, as the client
    // object's get_accChild takes it).
    static long ChildIdOf(int item) { return -(item + 1); }

    // The window's description as its objects share it (they may outlive the window).
    struct Tree;

private:
    std::shared_ptr<Tree> tree_;
};

// Gives a standard control the accessible name no visible label gives it ("公历年"): its own
// object answers as before, with this name. Call once per control.
void NameControl(HWND control, const std::string& name);

// Whether Windows is in high contrast (SPI_GETHIGHCONTRAST): the windows that paint themselves use
// the system's colours then. A test may stand in for the setting (nullptr gives the system back).
bool HighContrast();
void SetHighContrastForTesting(const bool* on);

}  // namespace win
