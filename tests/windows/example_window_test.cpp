// The example window of docs/ARCHITECTURE.md, word for word, and what it does: the pattern every
// new window follows must work as written.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "tests/windows/test_support.h"
#include "win/controls.h"
#include "win/window.h"

namespace example {

constexpr int kYearBoxId = 101;

struct YearDialog : win::Window {
    int* year = nullptr;  // what the dialog edits; the caller's
    HWND box = nullptr;

    bool OnCreate() override {  // WM_CREATE: the controls, then the size
        AddControl(L"STATIC", "年份", SS_LEFT, 12, 16, 40, 16);
        box = AddControl(L"EDIT", std::to_string(*year), WS_TABSTOP | ES_AUTOHSCROLL, 56, 12, 80, 22, kYearBoxId,
                         nullptr, WS_EX_CLIENTEDGE);
        win::RestrictEntry(box, "1234567890", 4);
        AddControl(L"BUTTON", "确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 12, 48, 60, 24, IDOK);
        AddControl(L"BUTTON", "取消", WS_TABSTOP, 80, 48, 60, 24, IDCANCEL);
        PlaceCentred(152, 84);
        return true;
    }
    void OnShown() override { SetFocus(box); }
    bool OnCommand(int id, int, HWND) override {  // 取消, Escape and the close box need nothing
        if (id != IDOK) return false;
        *year = std::atoi(win::Text(box).c_str());
        Close(IDOK);
        return true;
    }
};

// Asks modally; IDOK when the user confirmed (`year` then holds the entry).
int AskYear(HWND owner, int& year) {
    auto dialog = std::make_unique<YearDialog>();
    dialog->year = &year;
    HWND window = win::Create(std::move(dialog), win::Frame{.class_name = L"TempolineYear", .title = "年份"}, owner);
    return window ? win::RunModal(window) : IDCANCEL;
}

}  // namespace example

namespace {

TEST(ExampleWindow, AsksForAYearModally) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    int year = 2024;
    {
        // Typed over the selected text: letters are refused, the fifth digit too.
        const test::ModalSteps steps({[] {
            HWND dialog = test::FindByCaption("年份");
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(test::Text(dialog, example::kYearBoxId), "2024");
            test::SetText(dialog, example::kYearBoxId, "");
            test::Type(dialog, example::kYearBoxId, "19x845");
            test::Click(dialog, IDOK);
        }});
        EXPECT_EQ(example::AskYear(owner, year), IDOK);
    }
    EXPECT_EQ(year, 1984);
    {
        const test::ModalSteps steps({[] {
            HWND dialog = test::FindByCaption("年份");
            test::SetText(dialog, example::kYearBoxId, "1");
            SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);  // Escape
        }});
        EXPECT_EQ(example::AskYear(owner, year), IDCANCEL);
    }
    EXPECT_EQ(year, 1984);
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
    test::Pump();
}

}  // namespace
