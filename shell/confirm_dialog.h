// The confirmation dialog (警告): one question, answered with "确定" or "取消". The command
// "修改系统日期(&S)" asks SystemDateQuestion before it changes the system date.
#pragma once

#include <windows.h>

#include <string>

namespace shell {

constexpr const char* SystemDateQuestion = "是否修改系统日期？";

// Control ids; the buttons are IDOK (确定) and IDCANCEL (取消).
constexpr int kConfirmIconId = 101;
constexpr int kConfirmQuestionId = 102;

// Creates the dialog (not yet modal) over its owner, with the question (GBK) and the focus on
// "取消": Enter or Esc right away answer no. The change the dialog guards is made outside the
// program (the computer's clock), so only a deliberate "确定" says yes.
HWND CreateConfirmDialog(HWND owner, const std::string& question_gbk);
// Shows the dialog modally; true when the user pressed "确定", false for "取消", Esc, the close box
// or a dialog that could not be created.
bool ShowConfirmDialog(HWND owner, const std::string& question_gbk);

}  // namespace shell
