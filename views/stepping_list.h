// The drop-down lists of the calendar pages. Besides choosing an item, the arrow keys and the mouse
// wheel step a list by one item (Left, Up and the wheel turned up go back); the page decides what
// a step means. Escape and the right button reach the page as they would on its body.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace views {

// Sent to the page when a list steps: wparam the list, lparam the step (-1 or +1).
constexpr UINT kStepListMessage = WM_APP + 0x41;
// A page may put only the selected item into a long list until the list is needed whole (it drops
// down). A key that a closed list answers from its items (Home, End, Page Up, Page Down, a character
// that finds an item by its first letter) needs it whole: the list asks the page with
// kItemsHeldBackMessage (sent, wparam the list; nonzero when the page holds items back), and then
// posts the page kCompleteListMessage (wparam the list: put them all in) and the key after it, so
// the key finds what it would find in the whole list.
constexpr UINT kItemsHeldBackMessage = WM_APP + 0x42;
constexpr UINT kCompleteListMessage = WM_APP + 0x43;

// Makes a page's drop-down list step; mouse messages on it are relayed to `tooltip` when one is given.
void MakeSteppingList(HWND combo, HWND tooltip);
// Replaces the items of a drop-down list, and of such a list (made with the same tooltip). Its own
// procedure is taken off meanwhile: thousands of items would each pass through it (under Wine that
// costs seconds for the year lists).
void FillSteppingList(HWND combo, const std::vector<std::string>& items, HWND tooltip);

}  // namespace views
