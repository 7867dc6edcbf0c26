// The system libraries the program loads when a feature first needs them, not at its start: a
// program that imports a library waits, before its first line runs, until that library and every
// library it imports in turn are loaded and initialised (the open dialog alone brings the printer
// spooler with it). A library that cannot be loaded leaves its functions missing; each feature then
// answers as it does when the system refuses it.
#pragma once

#include <windows.h>

namespace win {

// A library of the system folder by its file name ("comdlg32.dll"), loaded the first time it is
// asked for and kept for the life of the process; nullptr when it cannot be loaded. The file is
// taken from the system folder only, never from the program's folder or the current one.
HMODULE SystemLibrary(const wchar_t* file);

// A function of a system library, of the type of the declaration it stands for; nullptr when the
// library or the function is missing:
//   static const auto open = win::SystemFunction<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
template <typename Function>
Function SystemFunction(const wchar_t* file, const char* name) {
    HMODULE library = SystemLibrary(file);
    return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

}  // namespace win
