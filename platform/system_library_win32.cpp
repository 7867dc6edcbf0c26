#include <windows.h>

#include "platform/system_library.h"

namespace platform {

void* LateLibrary::Function(const char* name) {
    std::call_once(once_, [this] {
        // From the system folder only, never from the program's folder or the current one; kept
        // for the life of the process.
        wchar_t folder[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length > 0 && length < MAX_PATH) module_ = LoadLibraryW((std::wstring(folder, length) + L'\\' + file_).c_str());
    });
    if (!module_) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module_), name));
}

}  // namespace platform
