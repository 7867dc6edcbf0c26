// The confirmation dialog: one question under a title, answered with "确定" or "取消". The focus
// starts on "取消", so Enter or Esc right away answer no: the dialog guards changes made outside
// the program (the computer's clock), which only a deliberate "确定" should make.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// Control ids; the buttons are IDOK (确定) and IDCANCEL (取消).
constexpr int kConfirmIconId = 101;
constexpr int kConfirmQuestionId = 102;

// Creates and shows the dialog (not yet modal) over its owner; title and question in GBK.
HWND CreateConfirmDialog(HWND owner, const std::string& title, const std::string& question);
// Asks modally; true when the user pressed "确定", false for "取消", Esc, the close box or a dialog
// that could not be made.
bool AskConfirmation(HWND owner, const std::string& title, const std::string& question);

}  // namespace win
