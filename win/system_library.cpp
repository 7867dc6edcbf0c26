#include "win/system_library.h"

#include <string>

namespace win {

HMODULE SystemLibrary(const wchar_t* file) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L'\\' + file;
    // Once loaded, a library stays: LoadLibrary of a loaded library only finds it again.
    if (HMODULE loaded = GetModuleHandleW(path.c_str())) return loaded;
    return LoadLibraryW(path.c_str());
}

}  // namespace win
