#include "win/window.h"

#include <algorithm>

#include "text/wide.h"
#include "win/controls.h"
#include "win/images.h"
#include "win/services.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace win {

namespace {

// What Create hands to the window procedure through CreateWindowEx: the state object, and whether
// the window has taken it (after which the window frees it, even when its creation then fails).
struct Creation {
    Window* window = nullptr;
    bool attached = false;
};

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

bool RegisterFrameClass(const Frame& frame, WNDPROC procedure) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(Instance(), frame.class_name, &existing)) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = frame.class_style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = Instance();
    wc.hIcon = static_cast<HICON>(LoadImageW(Instance(), L"FORM_APPICON", IMAGE_ICON, 32, 32, LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageW(Instance(), L"FORM_APPICON", IMAGE_ICON, 16, 16, LR_SHARED));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // A class's own brush belongs to the class, which lives as long as the program.
    wc.hbrBackground = frame.background == CLR_INVALID ? reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)
                                                        : CreateSolidBrush(frame.background);
    wc.lpszClassName = frame.class_name;
    return RegisterClassExW(&wc) != 0;
}

}  // namespace

Window* Window::Of(HWND window) {
    if (window == nullptr || !IsWindow(window)) return nullptr;
    // Only the windows of classes registered here carry a state object in their user data.
    if (GetClassLongPtrW(window, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(&Window::Procedure)) return nullptr;
    return reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* creation = static_cast<Creation*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        creation->attached = true;
        creation->window->handle_ = window;
        creation->window->scale_ = Scaler(DpiOf(window));
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->window));
        ScaleFrameOf(window);
    }
    auto* state = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (state == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        const std::unique_ptr<Window> owned(state);
        return DefWindowProcW(window, message, wparam, lparam);
    }
    return state->Dispatch(message, wparam, lparam);
}

LRESULT Window::Dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE: {
            // The frame was made at its 96-DPI size; what lies inside the 96-DPI frame is the client
            // area the window is designed with, and the frame goes around it at the window's DPI.
            const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lparam);
            const SIZE frame_96 = win::FrameSizeAt(Style(), ExStyle(), SIZE{0, 0}, kBaseDpi);
            client_ = {std::max<LONG>(0, creation->cx - frame_96.cx), std::max<LONG>(0, creation->cy - frame_96.cy)};
            if (scale_.dpi() != kBaseDpi) {
                const POINT corner{creation->x, creation->y};
                PlaceFrame([corner](SIZE frame) { return RECT{corner.x, corner.y, corner.x + frame.cx, corner.y + frame.cy}; });
                SetIconsAtDpi();
            }
            return OnCreate() ? 0 : -1;
        }
        case WM_DPICHANGED:
            ApplyDpi(HIWORD(wparam));
            OnDpiChanged();
            RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            return 0;
        case WM_COMMAND:
            if (OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam))) return 0;
            // Escape, or a 取消 button pressed (BN_CLICKED is 0, as is the code of a key).
            if (LOWORD(wparam) == IDCANCEL && HIWORD(wparam) == BN_CLICKED) {
                OnCancel();
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
            if (HBRUSH brush = OnControlColour(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam)))
                return reinterpret_cast<LRESULT>(brush);
            break;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            break;
    }
    return OnMessage(message, wparam, lparam);
}

bool Window::OnCommand(int, int, HWND) { return false; }

void Window::OnCancel() { OnClose(); }

HBRUSH Window::OnControlColour(HDC, HWND) { return nullptr; }

void Window::OnClose() { Close(IDCANCEL); }

LRESULT Window::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    // Enter, as the dialog manager asks the window for its default button: the push button that has
    // the focus, else the window's default push button; none sends IDOK.
    if (message == DM_GETDEFID) {
        const auto push_button = [](HWND control, LRESULT kinds) {
            return control && IsWindowEnabled(control) && (SendMessageW(control, WM_GETDLGCODE, 0, 0) & kinds) != 0;
        };
        HWND focus = GetFocus();
        if (focus && GetParent(focus) == handle_ && push_button(focus, DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))
            return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
        for (HWND child = GetWindow(handle_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (IsWindowVisible(child) && push_button(child, DLGC_DEFPUSHBUTTON))
                return MAKELRESULT(GetDlgCtrlID(child), DC_HASDEFID);
        return 0;
    }
    return DefWindowProcW(handle_, message, wparam, lparam);
}

void Window::Close(int result) {
    result_ = result;
    if (closing_) return;
    closing_ = true;
    if (modal_) {
        PostMessageW(handle_, WM_NULL, 0, 0);  // wakes the modal loop, which ends the window
    } else {
        DestroyWindow(handle_);
    }
}

DWORD Window::Style() const { return static_cast<DWORD>(GetWindowLongPtrW(handle_, GWL_STYLE)); }

DWORD Window::ExStyle() const { return static_cast<DWORD>(GetWindowLongPtrW(handle_, GWL_EXSTYLE)); }

SIZE Window::FrameSizeAt(int dpi) const { return win::FrameSizeAt(Style(), ExStyle(), Scaler(dpi).Size(client_), dpi); }

Window::Placed* Window::PlacedOf(HWND control) {
    for (Placed& p : placed_)
        if (p.control == control) return &p;
    return nullptr;
}

HWND Window::AddControl(const wchar_t* control_class, const std::string& caption, DWORD style, int x, int y,
                        int width, int height, int id, const WindowFont* font, DWORD ex_style) {
    if (!font) font = DialogFont();
    const RECT logical{x, y, x + width, y + height};
    const RECT r = scale_.Rect(logical);
    HWND control = win::AddControl(handle_, font->get(), control_class, caption, style, r.left, r.top, r.right - r.left,
                                   r.bottom - r.top, id, ex_style);
    if (control) placed_.push_back(Placed{control, logical, font, 0});
    return control;
}

void Window::MoveControl(HWND control, int x, int y, int width, int height) {
    const RECT logical{x, y, x + width, y + height};
    if (Placed* p = PlacedOf(control)) p->rect = logical;
    const RECT r = scale_.Rect(logical);
    SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::SetControlFont(HWND control, const WindowFont* font) {
    if (!font) return;
    if (Placed* p = PlacedOf(control)) p->font = font;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font->get()), FALSE);
}

void Window::SetItemHeight(HWND list, int height) {
    if (Placed* p = PlacedOf(list)) p->item_height = height;
    SendMessageW(list, LB_SETITEMHEIGHT, 0, scale_.Px(height));
}

void Window::MakeFontAtDpi(WindowFont& font) const {
    font.font_.reset(CreateFontW(-scale_.Px(font.height_), 0, 0, 0, font.weight_, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, font.quality_, font.pitch_and_family_,
                                 font.face_.c_str()));
}

const WindowFont* Window::MakeFont(const char* face, int height, int weight, BYTE quality) {
    auto font = std::make_unique<WindowFont>();
    font->face_ = text::GbkToWide(face);
    font->height_ = height;
    font->weight_ = weight;
    font->quality_ = quality;
    MakeFontAtDpi(*font);
    fonts_.push_back(std::move(font));
    return fonts_.back().get();
}

const WindowFont* Window::MakeColumnFont(int height, const std::vector<const char*>& faces,
                                         const std::vector<const char*>& samples) {
    Font found = ColumnFont(scale_.Px(height), faces, samples);
    LOGFONTW chosen{};
    if (!found || !GetObjectW(found.get(), sizeof chosen, &chosen)) return DialogFont();
    // The face found is kept: at another DPI the font is made again in it without searching.
    auto font = std::make_unique<WindowFont>();
    font->face_ = chosen.lfFaceName;
    font->height_ = height;
    font->pitch_and_family_ = FIXED_PITCH | FF_MODERN;
    font->font_ = std::move(found);
    fonts_.push_back(std::move(font));
    return fonts_.back().get();
}

FontMeasures Window::Measure96(const WindowFont* font) const {
    if (!font) return {};
    const Font at_96(CreateFontW(-font->height_, 0, 0, 0, font->weight_, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, font->quality_, font->pitch_and_family_,
                                 font->face_.c_str()));
    if (!at_96) return {};
    return FontMeasures{DigitWidth(at_96.get()), LineHeight(at_96.get())};
}

const WindowFont* Window::DialogFont() {
    if (!dialog_font_) dialog_font_ = MakeFont("宋体", 12, FW_NORMAL);
    return dialog_font_;
}

void Window::PlaceFrame(const std::function<RECT(SIZE frame)>& place) {
    const SIZE client = scale_.Size(client_);
    SIZE frame = FrameSizeAt(scale_.dpi());
    RECT r = place(frame);
    SetWindowPos(handle_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT drawn;
    if (IsIconic(handle_) || !GetClientRect(handle_, &drawn)) return;
    if (drawn.right == client.cx && drawn.bottom == client.cy) return;
    frame.cx += client.cx - drawn.right;
    frame.cy += client.cy - drawn.bottom;
    r = place(frame);
    SetWindowPos(handle_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::PlaceCentred(int client_width, int client_height) {
    client_ = {client_width, client_height};
    RECT now;
    GetWindowRect(handle_, &now);
    const std::vector<Monitor> monitors = Monitors();
    const Box work = monitors[MonitorHolding(monitors, ToBox(now))].work;
    PlaceFrame([work](SIZE frame) {
        const int left = work.left + (work.Width() - frame.cx) / 2;
        const int top = work.top + (work.Height() - frame.cy) / 2;
        return ToRect(KeptWithin(Box{left, top, left + frame.cx, top + frame.cy}, work));
    });
}

void Window::SetClientSize(int client_width, int client_height) {
    client_ = {client_width, client_height};
    RECT now;
    GetWindowRect(handle_, &now);
    PlaceFrame([now](SIZE frame) { return KeptOnScreen(RECT{now.left, now.top, now.left + frame.cx, now.top + frame.cy}); });
}

void Window::SetIconsAtDpi() {
    const int dpi = scale_.dpi();
    if (dpi == kBaseDpi && !big_icon_) return;  // the class's icons are of this size
    Icon big = LoadProgramIcon(MetricAt(SM_CXICON, dpi));
    Icon small = LoadProgramIcon(MetricAt(SM_CXSMICON, dpi));
    if (big) SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    if (small) SendMessageW(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    big_icon_ = std::move(big);  // the icons shown before go now
    small_icon_ = std::move(small);
}

void Window::ApplyDpi(int dpi) {
    if (dpi <= 0) return;
    RECT before;
    GetWindowRect(handle_, &before);
    scale_ = Scaler(dpi);
    // The old fonts go only once no control uses them any more.
    std::vector<Font> old_fonts;
    for (auto& font : fonts_) {
        old_fonts.push_back(std::move(font->font_));
        MakeFontAtDpi(*font);
    }
    for (const Placed& p : placed_) {
        if (!IsWindow(p.control)) continue;
        if (p.font) SendMessageW(p.control, WM_SETFONT, reinterpret_cast<WPARAM>(p.font->get()), FALSE);
        const RECT r = scale_.Rect(p.rect);
        SetWindowPos(p.control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        if (p.item_height > 0) SendMessageW(p.control, LB_SETITEMHEIGHT, 0, scale_.Px(p.item_height));
    }
    // The frame at the new DPI around the same centre, whole on its monitor; inside the desktop
    // (a page embedded in it) in the coordinates of its parent.
    const POINT centre{(before.left + before.right) / 2, (before.top + before.bottom) / 2};
    HWND parent = GetAncestor(handle_, GA_PARENT);
    const bool top_level = parent == nullptr || parent == GetDesktopWindow();
    PlaceFrame([centre, top_level, parent](SIZE frame) {
        RECT placed{centre.x - frame.cx / 2, centre.y - frame.cy / 2, 0, 0};
        placed.right = placed.left + frame.cx;
        placed.bottom = placed.top + frame.cy;
        if (top_level) return KeptOnScreen(placed);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
        return placed;
    });
    SetIconsAtDpi();
}

HWND Create(std::unique_ptr<Window> window, const Frame& frame, HWND owner) {
    if (!window || !RegisterFrameClass(frame, &Window::Procedure)) return nullptr;
    window->owner_ = owner;
    Creation creation{window.get(), false};
    // Made on the monitor it is to show on, at that monitor's DPI: an owned window by its owner.
    POINT at{frame.x, frame.y};
    if (frame.x == Frame::kAtOwner || frame.y == Frame::kAtOwner) {
        RECT owner_rect;
        at = owner && GetWindowRect(owner, &owner_rect) ? POINT{owner_rect.left, owner_rect.top} : POINT{0, 0};
    }
    HWND handle = CreateWindowExW(frame.ex_style, frame.class_name, text::GbkToWide(frame.title).c_str(),
                                  frame.style & ~WS_VISIBLE, at.x, at.y, frame.width, frame.height, owner, nullptr,
                                  Instance(), &creation);
    // From WM_NCCREATE on the window owns the object and frees it when it goes, also when its
    // creation failed after that point.
    if (creation.attached) static_cast<void>(window.release());
    if (handle != nullptr && frame.shown) Show(handle);
    return handle;
}

void Show(HWND window) {
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    if (Window* state = Window::Of(window)) state->OnShown();
}

int RunModal(HWND window) {
    Window* state = Window::Of(window);
    if (state == nullptr) return -1;
    state->modal_ = true;
    HWND owner = state->owner_;
    if (owner) EnableWindow(owner, FALSE);
    int result = IDCANCEL;
    bool quit = false;
    WPARAM quit_code = 0;
    MSG msg;
    for (;;) {
        // The state is looked up afresh each time: something else may have destroyed the window.
        state = Window::Of(window);
        if (state == nullptr) break;
        if (state->closing_) {
            result = state->result_;
            break;
        }
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            quit_code = msg.wParam;
            break;
        }
        if (IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (owner) {
        EnableWindow(owner, TRUE);
        SetForegroundWindow(owner);
    }
    if (IsWindow(window)) DestroyWindow(window);
    if (quit) PostQuitMessage(static_cast<int>(quit_code));
    return result;
}

}  // namespace win
