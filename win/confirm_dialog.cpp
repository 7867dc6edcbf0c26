#include "win/confirm_dialog.h"

#include <memory>

#include "win/window.h"

namespace win {

namespace {

constexpr int kClientWidth = 250;
constexpr int kClientHeight = 100;

struct ConfirmDialog : Window {
    std::string question;
    HWND ok = nullptr;
    HWND cancel = nullptr;
    HWND icon = nullptr;
    Icon warning;  // the system's warning sign at the dialog's DPI

    // The warning sign drawn at its size for the DPI, not a 32-pixel one blown up.
    void ShowWarningSign() {
        const int size = scale().Px(32);
        Icon sign(static_cast<HICON>(LoadImageW(nullptr, IDI_WARNING, IMAGE_ICON, size, size, 0)));
        SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(sign ? sign.get() : LoadIconW(nullptr, IDI_WARNING)), 0);
        warning = std::move(sign);
    }

    bool OnCreate() override {
        icon = AddControl(L"STATIC", "", SS_ICON | SS_CENTERIMAGE, 20, 16, 32, 32, kConfirmIconId);
        ShowWarningSign();
        AddControl(L"STATIC", question, SS_LEFT | SS_CENTERIMAGE, 66, 16, kClientWidth - 66 - 16, 32,
                   kConfirmQuestionId);
        // BS_NOTIFY: the dialog hears which button has the focus and makes that one the default.
        ok = AddControl(L"BUTTON", "确定", WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY, 40, 62, 76, 24, IDOK);
        cancel = AddControl(L"BUTTON", "取消", WS_TABSTOP | BS_DEFPUSHBUTTON | BS_NOTIFY, 134, 62, 76, 24, IDCANCEL);
        PlaceCentred(kClientWidth, kClientHeight);
        return true;
    }

    void OnShown() override { SetFocus(cancel); }
    void OnDpiChanged() override { ShowWarningSign(); }

    bool OnCommand(int id, int code, HWND control) override {
        if (code == BN_SETFOCUS) {
            // The focused button is the default one, as in a system dialog box, so that Enter presses it.
            SendMessageW(ok, BM_SETSTYLE, control == ok ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
            SendMessageW(cancel, BM_SETSTYLE, control == ok ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON, TRUE);
            return true;
        }
        if (id == IDOK && code == BN_CLICKED) {
            Close(IDOK);
            return true;
        }
        return false;
    }

    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        // Enter presses the focused button, and 取消 when neither has the focus.
        if (message == DM_GETDEFID) return MAKELRESULT(GetFocus() == ok ? IDOK : IDCANCEL, DC_HASDEFID);
        return Window::OnMessage(message, wparam, lparam);
    }
};

}  // namespace

HWND CreateConfirmDialog(HWND owner, const std::string& title, const std::string& question) {
    auto dialog = std::make_unique<ConfirmDialog>();
    dialog->question = question;
    return Create(std::move(dialog), Frame{.class_name = L"TempolineConfirm", .title = title}, owner);
}

bool AskConfirmation(HWND owner, const std::string& title, const std::string& question) {
    HWND dialog = CreateConfirmDialog(owner, title, question);
    return dialog != nullptr && RunModal(dialog) == IDOK;
}

}  // namespace win
