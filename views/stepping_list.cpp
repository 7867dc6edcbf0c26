#include "views/stepping_list.h"

#include <commctrl.h>

#include "win/controls.h"

namespace views {

namespace {

constexpr UINT_PTR kSubclassId = 1;

LRESULT CALLBACK SteppingListProc(HWND combo, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    if (HWND tooltip = reinterpret_cast<HWND>(data); tooltip && message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        MSG relay{combo, message, wparam, lparam, 0, {}};
        SendMessageW(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
    }
    HWND page = GetParent(combo);
    // Asked only for the keys and the wheel: the question itself passes through this procedure.
    const auto dropped = [combo] { return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; };
    const auto step = [combo, page](int delta) {
        SendMessageW(page, kStepListMessage, reinterpret_cast<WPARAM>(combo), delta);
        return 0;
    };
    // A key answered from the items comes again once the page has put them all in.
    const auto whole_list_first = [combo, page, message, wparam, lparam] {
        if (!SendMessageW(page, kItemsHeldBackMessage, reinterpret_cast<WPARAM>(combo), 0)) return false;
        PostMessageW(page, kCompleteListMessage, reinterpret_cast<WPARAM>(combo), 0);
        PostMessageW(combo, message, wparam, lparam);
        return true;
    };
    switch (message) {
        case WM_KEYDOWN:
            if (dropped()) break;
            if (wparam == VK_LEFT || wparam == VK_UP) return step(-1);
            if (wparam == VK_RIGHT || wparam == VK_DOWN) return step(1);
            if (wparam == VK_ESCAPE) return SendMessageW(page, WM_COMMAND, IDCANCEL, 0);
            if ((wparam == VK_HOME || wparam == VK_END || wparam == VK_PRIOR || wparam == VK_NEXT) && whole_list_first())
                return 0;
            break;
        case WM_CHAR:
            if (wparam >= 0x20 && !dropped() && whole_list_first()) return 0;
            break;
        case WM_SYSKEYDOWN:  // Shift+F10, which the list would keep: the page's popup menu
            if (wparam == VK_F10 && GetKeyState(VK_SHIFT) < 0) {
                SendMessageW(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(combo), MAKELPARAM(-1, -1));
                return 0;
            }
            break;
        case WM_MOUSEWHEEL:
            if (dropped()) break;
            return step(GET_WHEEL_DELTA_WPARAM(wparam) > 0 ? -1 : 1);
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return SendMessageW(page, message, wparam, lparam);
        case WM_NCDESTROY:
            RemoveWindowSubclass(combo, SteppingListProc, kSubclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(combo, message, wparam, lparam);
}

}  // namespace

void MakeSteppingList(HWND combo, HWND tooltip) {
    SetWindowSubclass(combo, SteppingListProc, kSubclassId, reinterpret_cast<DWORD_PTR>(tooltip));
}

void FillSteppingList(HWND combo, const std::vector<std::string>& items, HWND tooltip) {
    const bool stepping = RemoveWindowSubclass(combo, SteppingListProc, kSubclassId) != FALSE;
    win::FillList(combo, items);
    if (stepping) MakeSteppingList(combo, tooltip);
}

}  // namespace views
