// The help window and the confirmation dialog as real windows, driven with messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "help/help_text.h"
#include "help/help_window.h"
#include "tests/windows/test_support.h"
#include "text/wide.h"
#include "win/confirm_dialog.h"

namespace {

using test::FindByCaption;
using test::Pump;
using test::Text;

constexpr const char* kQuestion = "是否修改系统日期？";

std::string FontFace(HWND control, LONG* height = nullptr, LONG* weight = nullptr) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    if (!font || !GetObjectW(font, sizeof lf, &lf)) return "";
    if (height) *height = lf.lfHeight;
    if (weight) *weight = lf.lfWeight;
    return text::WideToGbk(lf.lfFaceName);
}

// A plain window standing for the calendar window that owns the dialogs.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
        Pump();
    }
    void TearDown() override {
        for (const char* caption : {"帮助", "警告"})
            while (HWND left = FindByCaption(caption)) DestroyWindow(left);
        if (IsWindow(owner_)) DestroyWindow(owner_);
        Pump();
    }
    HWND owner_ = nullptr;
};

class HelpWindowTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        dialog_ = help::CreateHelpDialog(owner_);
        ASSERT_NE(dialog_, nullptr);
        Pump();
    }
    HWND Title() const { return GetDlgItem(dialog_, help::kTitleBoxId); }
    HWND PageBox() const { return GetDlgItem(dialog_, help::kPageBoxId); }
    HWND Label(int page) const { return GetDlgItem(dialog_, help::kFirstLabelId - 1 + page); }
    // A left-button press on a label, as the mouse gives it.
    void Press(int page) {
        SendMessageW(Label(page), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
        SendMessageW(Label(page), WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
        Pump();
    }
    HWND dialog_ = nullptr;
};

TEST_F(HelpWindowTest, OpensWithTheTitleAboveAndTheFeaturesBelow) {
    EXPECT_EQ(Text(dialog_), "帮助");
    EXPECT_EQ(GetWindow(dialog_, GW_OWNER), owner_);
    EXPECT_NE(GetClassLongPtrW(dialog_, GCLP_HICON), 0u);  // the program's icon
    EXPECT_EQ(Text(Title()), help::HelpText(0));
    EXPECT_EQ(Text(Title()).substr(0, 20), "\r\n    \xB3\xC8\xC2\xB9\xCD\xF2\xC4\xEA\xC0\xFA" "V4.2");
    EXPECT_EQ(Text(PageBox()), help::HelpText(1));
    EXPECT_EQ(help::HelpDialogPage(dialog_), 1);
    EXPECT_EQ(help::HelpDialogPageFills(dialog_), 1);
    const char* captions[] = {"功能", "说明", "快捷键", "关于"};
    for (int page = 1; page <= 4; ++page) {
        ASSERT_NE(Label(page), nullptr) << page;
        EXPECT_EQ(Text(Label(page)), captions[page - 1]);
        EXPECT_TRUE(GetWindowLongW(Label(page), GWL_STYLE) & SS_NOTIFY) << page;
    }
    // Both boxes are read-only multi-line boxes; every control speaks 宋体 at 12 pixels.
    for (HWND box : {Title(), PageBox()}) {
        const LONG style = GetWindowLongW(box, GWL_STYLE);
        EXPECT_TRUE(style & ES_MULTILINE);
        EXPECT_TRUE(style & ES_READONLY);
    }
    for (HWND control : {Title(), PageBox(), Label(1), Label(2)}) {
        LONG height = 0;
        EXPECT_EQ(FontFace(control, &height), "宋体");
        EXPECT_EQ(height, -12);
    }
    // The current page's label is marked (bold), the others are not.
    LONG weight = 0;
    FontFace(Label(1), nullptr, &weight);
    EXPECT_EQ(weight, FW_BOLD);
    FontFace(Label(2), nullptr, &weight);
    EXPECT_EQ(weight, FW_NORMAL);
    // The upper box lies above the labels, the labels above the lower box.
    RECT title, label, page;
    GetWindowRect(Title(), &title);
    GetWindowRect(Label(1), &label);
    GetWindowRect(PageBox(), &page);
    EXPECT_LE(title.bottom, label.top);
    EXPECT_LE(label.bottom, page.top);
}

TEST_F(HelpWindowTest, APressOnAnotherLabelShowsItsPage) {
    for (int page : {3, 4, 2, 1, 4}) {
        Press(page);
        EXPECT_EQ(help::HelpDialogPage(dialog_), page);
        EXPECT_EQ(Text(PageBox()), help::HelpText(page)) << page;
        LONG weight = 0;
        for (int other = 1; other <= 4; ++other) {
            FontFace(Label(other), nullptr, &weight);
            EXPECT_EQ(weight, other == page ? FW_BOLD : FW_NORMAL) << page << " " << other;
        }
    }
    EXPECT_EQ(help::HelpDialogPageFills(dialog_), 6);
    EXPECT_EQ(Text(Title()), help::HelpText(0));  // the upper box stays
    // The second press of a double click counts as a press too.
    SendMessageW(Label(3), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(8, 8));
    Pump();
    EXPECT_EQ(help::HelpDialogPage(dialog_), 3);
    EXPECT_EQ(Text(PageBox()), help::HelpText(3));
}

TEST_F(HelpWindowTest, APressOnTheCurrentLabelRebuildsNothing) {
    // The box's modification flag survives only while nobody sets its text.
    SendMessageW(PageBox(), EM_SETMODIFY, TRUE, 0);
    Press(1);
    EXPECT_NE(SendMessageW(PageBox(), EM_GETMODIFY, 0, 0), 0);
    EXPECT_EQ(help::HelpDialogPageFills(dialog_), 1);
    EXPECT_EQ(Text(PageBox()), help::HelpText(1));
    Press(2);
    EXPECT_EQ(help::HelpDialogPageFills(dialog_), 2);
    SendMessageW(PageBox(), EM_SETMODIFY, TRUE, 0);
    Press(2);
    Press(2);
    EXPECT_NE(SendMessageW(PageBox(), EM_GETMODIFY, 0, 0), 0);
    EXPECT_EQ(help::HelpDialogPageFills(dialog_), 2);
    // A press elsewhere in the window is no label.
    SendMessageW(dialog_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(400, 120));
    Pump();
    EXPECT_EQ(help::HelpDialogPage(dialog_), 2);
}

TEST_F(HelpWindowTest, ClosesWithTheCloseBoxAndEsc) {
    PostMessageW(dialog_, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_FALSE(IsWindow(dialog_));
    dialog_ = help::CreateHelpDialog(owner_);
    SendMessageW(dialog_, WM_COMMAND, IDCANCEL, 0);  // what the dialog manager makes of Esc
    Pump();
    EXPECT_FALSE(IsWindow(dialog_));
    EXPECT_EQ(help::HelpDialogPage(dialog_), 0);
    EXPECT_EQ(help::HelpDialogPage(owner_), 0);  // not a help window
}

TEST_F(DialogTest, ShowHelpDialogIsModalAndStartsOnPageOneEveryTime) {
    for (int round = 0; round < 2; ++round) {
        bool seen = false;
        const test::ModalSteps steps({
            [&] {
                HWND dialog = FindByCaption("帮助");
                seen = dialog != nullptr && IsWindowVisible(dialog);
                EXPECT_FALSE(IsWindowEnabled(owner_));
                EXPECT_EQ(help::HelpDialogPage(dialog), 1);
                SendMessageW(GetDlgItem(dialog, help::kFirstLabelId + 3), WM_LBUTTONDOWN, MK_LBUTTON, 0);
                EXPECT_EQ(help::HelpDialogPage(dialog), 4);
            },
            [&] { PostMessageW(FindByCaption("帮助"), WM_CLOSE, 0, 0); },
        });
        EXPECT_EQ(help::ShowHelpDialog(owner_), IDOK);
        EXPECT_TRUE(seen);
        EXPECT_TRUE(IsWindowEnabled(owner_));
        EXPECT_EQ(FindByCaption("帮助"), nullptr);
    }
}

// --- the confirmation ------------------------------------------------------------------------------

TEST_F(DialogTest, ConfirmDialogAsksTheQuestionWithCancelAsDefault) {
    HWND dialog = win::CreateConfirmDialog(owner_, "警告", kQuestion);
    ASSERT_NE(dialog, nullptr);
    Pump();
    EXPECT_EQ(Text(dialog), "警告");
    EXPECT_EQ(Text(GetDlgItem(dialog, win::kConfirmQuestionId)), "是否修改系统日期？");
    EXPECT_EQ(Text(GetDlgItem(dialog, IDOK)), "确定");
    EXPECT_EQ(Text(GetDlgItem(dialog, IDCANCEL)), "取消");
    EXPECT_EQ(FontFace(GetDlgItem(dialog, win::kConfirmQuestionId)), "宋体");
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDCANCEL));
    EXPECT_EQ(GetWindowLongW(GetDlgItem(dialog, IDCANCEL), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetWindowLongW(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_NE(GetClassLongPtrW(dialog, GCLP_HICON), 0u);
    SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    Pump();
    EXPECT_FALSE(IsWindow(dialog));
}

// Shows the question modally and answers it with `answer` (run inside the modal loop).
bool Answered(HWND owner, std::function<void(HWND dialog)> answer) {
    bool seen = false;
    const test::ModalSteps steps({[&] {
        HWND dialog = FindByCaption("警告");
        seen = dialog != nullptr && IsWindowVisible(dialog);
        EXPECT_FALSE(IsWindowEnabled(owner));
        if (dialog) answer(dialog);
    }});
    const bool result = win::AskConfirmation(owner, "警告", kQuestion);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(FindByCaption("警告"), nullptr);
    return result;
}

void Key(HWND dialog, WPARAM key) {
    HWND focus = GetFocus();
    PostMessageW(focus ? focus : dialog, WM_KEYDOWN, key, 0);
    PostMessageW(focus ? focus : dialog, WM_KEYUP, key, 0xC0000000);
}

TEST_F(DialogTest, ConfirmDialogAnswersByButton) {
    EXPECT_TRUE(Answered(owner_, [](HWND d) { SendMessageW(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }));
    EXPECT_FALSE(Answered(owner_, [](HWND d) { SendMessageW(GetDlgItem(d, IDCANCEL), BM_CLICK, 0, 0); }));
    EXPECT_FALSE(Answered(owner_, [](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); }));
    // The answer is kept for its own dialog only: yes, then the close box is no again.
    EXPECT_TRUE(Answered(owner_, [](HWND d) { SendMessageW(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }));
    EXPECT_FALSE(Answered(owner_, [](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); }));
}

TEST_F(DialogTest, ConfirmDialogKeysEnterAndEscAnswerNoUnlessOkHasTheFocus) {
    EXPECT_FALSE(Answered(owner_, [](HWND d) { Key(d, VK_RETURN); }));
    EXPECT_FALSE(Answered(owner_, [](HWND d) { Key(d, VK_ESCAPE); }));
    // Tab to 确定: it becomes the default button, and Enter presses it.
    bool ok_default = false;
    EXPECT_TRUE(Answered(owner_, [&](HWND d) {
        // Tab as the modal loop hands it to the dialog manager, so the buttons can be looked at before Enter.
        MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        IsDialogMessageW(d, &tab);
        ok_default = GetFocus() == GetDlgItem(d, IDOK) &&
                     (GetWindowLongW(GetDlgItem(d, IDOK), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON &&
                     (GetWindowLongW(GetDlgItem(d, IDCANCEL), GWL_STYLE) & BS_TYPEMASK) == BS_PUSHBUTTON;
        Key(d, VK_RETURN);
    }));
    EXPECT_TRUE(ok_default);
}

}  // namespace
