// The services of the Windows shell, the common dialogs and COM that the windows use: the
// notification-area icon, files dropped on a window, the open-file and folder dialogs, shortcut
// files and the user's application-data folder. Their libraries (shell32, comdlg32, ole32) are
// loaded when a service is first used (win/system_library.h); where one cannot be loaded the
// service fails as the system's own failures do, and the dialogs tell the user so.
#pragma once

#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace win {

// Shell_NotifyIcon: adds, changes or removes a notification-area icon; false when the shell did not.
bool NotifyIcon(DWORD message, NOTIFYICONDATAW& icon);

// Lets the window receive WM_DROPFILES (DragAcceptFiles); false when it cannot.
bool AcceptDroppedFiles(HWND window);
// The paths of the files of a WM_DROPFILES, in order; the drop is finished (its memory freed).
std::vector<std::wstring> TakeDroppedFiles(HDROP drop);

// The open-file dialog (GetOpenFileName) of the structure given; false when the user cancelled it.
// When its library cannot be loaded the user is told so, in a message box owned by the dialog's
// owner, and the answer is false too (tests name a library that is not there).
bool ChooseFileToOpen(OPENFILENAMEW& dialog, const wchar_t* library = L"comdlg32.dll");
// The folder dialog (SHBrowseForFolder): the path of the folder chosen, "" when cancelled (or when
// the dialog cannot be shown: the user is told so).
std::wstring ChooseFolder(BROWSEINFOW& dialog);

// A shortcut file (.LNK) at `file` that starts `target` with `arguments` in `folder`; false when it
// could not be written.
bool WriteShortcut(const std::wstring& file, const std::wstring& target, const std::wstring& arguments,
                   const std::wstring& folder, const std::wstring& description);

// The user's roaming application-data folder (CSIDL_APPDATA) without a trailing separator; "" when
// there is none.
std::wstring ApplicationDataFolder();

}  // namespace win
