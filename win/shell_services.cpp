#include "win/shell_services.h"

#include "text/wide.h"
#include "win/system_library.h"

namespace win {

namespace {

// Looked up at each use: a loaded library is found again at once.
constexpr const wchar_t* kShell = L"shell32.dll";
constexpr const wchar_t* kCom = L"ole32.dll";

// What a dialog says when its library is missing.
void TellServiceMissing(HWND owner, const std::string& library) {
    const std::string message = "无法打开这个对话框：系统的 " + library + " 不能载入。";
    MessageBoxW(owner, text::GbkToWide(message).c_str(), text::GbkToWide("提示").c_str(), MB_OK | MB_ICONWARNING);
}

}  // namespace

bool NotifyIcon(DWORD message, NOTIFYICONDATAW& icon) {
    const auto notify = SystemFunction<decltype(&Shell_NotifyIconW)>(kShell, "Shell_NotifyIconW");
    return notify && notify(message, &icon);
}

bool AcceptDroppedFiles(HWND window) {
    const auto accept = SystemFunction<decltype(&DragAcceptFiles)>(kShell, "DragAcceptFiles");
    if (!accept) return false;
    accept(window, TRUE);
    return true;
}

std::vector<std::wstring> TakeDroppedFiles(HDROP drop) {
    const auto query = SystemFunction<decltype(&DragQueryFileW)>(kShell, "DragQueryFileW");
    const auto finish = SystemFunction<decltype(&DragFinish)>(kShell, "DragFinish");
    std::vector<std::wstring> files;
    if (!query || !finish) return files;  // then no window accepted the drop either
    const UINT count = query(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = query(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        if (length > 0 && query(drop, i, path.data(), length + 1) == length) {
            path.resize(length);
            files.push_back(std::move(path));
        }
    }
    finish(drop);
    return files;
}

bool ChooseFileToOpen(OPENFILENAMEW& dialog, const wchar_t* library) {
    const auto open = SystemFunction<decltype(&GetOpenFileNameW)>(library, "GetOpenFileNameW");
    if (!open) {
        TellServiceMissing(dialog.hwndOwner, text::WideToGbk(library));
        return false;
    }
    return open(&dialog) != FALSE;
}

std::wstring ChooseFolder(BROWSEINFOW& dialog) {
    const auto browse = SystemFunction<decltype(&SHBrowseForFolderW)>(kShell, "SHBrowseForFolderW");
    const auto path_of = SystemFunction<decltype(&SHGetPathFromIDListW)>(kShell, "SHGetPathFromIDListW");
    const auto free_memory = SystemFunction<decltype(&CoTaskMemFree)>(kCom, "CoTaskMemFree");
    if (!browse || !path_of || !free_memory) {
        TellServiceMissing(dialog.hwndOwner, !browse || !path_of ? "shell32.dll" : "ole32.dll");
        return {};
    }
    PIDLIST_ABSOLUTE chosen = browse(&dialog);
    if (!chosen) return {};
    wchar_t path[MAX_PATH] = {};
    const bool named = path_of(chosen, path) != FALSE;
    free_memory(chosen);
    return named ? std::wstring(path) : std::wstring();
}

bool WriteShortcut(const std::wstring& file, const std::wstring& target, const std::wstring& arguments,
                   const std::wstring& folder, const std::wstring& description) {
    const auto initialize = SystemFunction<decltype(&CoInitialize)>(kCom, "CoInitialize");
    const auto uninitialize = SystemFunction<decltype(&CoUninitialize)>(kCom, "CoUninitialize");
    const auto create = SystemFunction<decltype(&CoCreateInstance)>(kCom, "CoCreateInstance");
    if (!initialize || !uninitialize || !create) return false;
    const HRESULT init = initialize(nullptr);
    bool ok = false;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(create(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reinterpret_cast<void**>(&link)))) {
        link->SetPath(target.c_str());
        link->SetArguments(arguments.c_str());
        link->SetWorkingDirectory(folder.c_str());
        link->SetDescription(description.c_str());
        IPersistFile* persist = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
            ok = SUCCEEDED(persist->Save(file.c_str(), TRUE));
            persist->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init)) uninitialize();
    return ok;
}

std::wstring ApplicationDataFolder() {
    // The session's environment names the folder (Windows sets APPDATA at every log-on from the
    // same known folder the shell answers with), so the start needs no shell for it; the shell is
    // asked only where the environment lacks it.
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        const DWORD attributes = GetFileAttributesW(folder);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            std::wstring path(folder, length);
            while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
            if (!path.empty()) return path;
        }
    }
    const auto folder_path = SystemFunction<decltype(&SHGetFolderPathW)>(kShell, "SHGetFolderPathW");
    if (!folder_path || FAILED(folder_path(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return {};
    return folder;
}

}  // namespace win
