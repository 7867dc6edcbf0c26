// The real registry, through the W functions. The program's GBK names and values are converted to
// UTF-16 with code page 936 here, so they are right whatever the ANSI code page of the Windows
// locale is. Windows build only.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace platform {

namespace {

constexpr UINT GbkCodePage = 936;

// A key opened by the program, closed when it goes out of scope.
class KeyHandle {
public:
    KeyHandle() = default;
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    ~KeyHandle() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    HKEY get() const { return key_; }
    HKEY* receive() { return &key_; }

private:
    HKEY key_ = nullptr;
};

HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// GBK to UTF-16. Bytes that are no GBK text fail the conversion: a name must not silently become the
// name of another key or value.
bool ToWide(std::string_view gbk, std::wstring& wide) {
    wide.clear();
    if (gbk.empty()) return true;
    const int size = static_cast<int>(gbk.size());
    const int n = MultiByteToWideChar(GbkCodePage, MB_ERR_INVALID_CHARS, gbk.data(), size, nullptr, 0);
    if (n <= 0) return false;
    wide.assign(static_cast<std::size_t>(n), L'\0');
    return MultiByteToWideChar(GbkCodePage, MB_ERR_INVALID_CHARS, gbk.data(), size, wide.data(), n) == n;
}

// UTF-16 to GBK; a character GBK does not have becomes "?".
std::string ToGbk(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(GbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string gbk(static_cast<std::size_t>(n), '\0');
    if (WideCharToMultiByte(GbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, gbk.data(), n, nullptr, nullptr) != n) {
        return {};
    }
    return gbk;
}

// The key path and the value name in UTF-16; false when either is no GBK text.
bool ToWideNames(const std::string& subkey, const std::string& name, std::wstring& wide_subkey, std::wstring& wide_name) {
    return ToWide(subkey, wide_subkey) && ToWide(name, wide_name);
}

// The data of a string value up to its first NUL (a value written without its terminator is read
// whole). Empty when it is missing or of another type.
std::string QueryString(HKEY key, const std::wstring& name) {
    // The size is asked first; a value that changes between the two calls is asked again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = 0;
        DWORD bytes = 0;
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return {};
        if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
        std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        const LONG result =
            RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got);
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
        data.resize(got / sizeof(wchar_t));
        const std::size_t end = data.find(L'\0');
        if (end != std::wstring::npos) data.resize(end);
        return ToGbk(data);
    }
    return {};
}

// The value's type and its data bytes, whole. False when it is missing or cannot be read.
bool QueryRaw(HKEY key, const std::wstring& name, DWORD& type, std::string& data) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD bytes = 0;
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
        data.assign(bytes, '\0');
        DWORD got = bytes;
        const LONG result = RegQueryValueExW(key, name.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(data.data()), &got);
        if (result == ERROR_MORE_DATA) continue;  // it grew between the two calls
        if (result != ERROR_SUCCESS) return false;
        data.resize(got);
        return true;
    }
    return false;
}

// The GBK form of UTF-16 text when every character has one (no "?" put in, no best-fit look-alike
// taken: a no-break space is no blank, an emoji no "??").
bool ExactGbk(std::wstring_view wide, std::string& gbk) {
    gbk.clear();
    if (wide.empty()) return true;
    const int size = static_cast<int>(wide.size());
    BOOL used_default = FALSE;
    const int n = WideCharToMultiByte(GbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr,
                                      &used_default);
    if (n <= 0 || used_default) return false;
    gbk.assign(static_cast<std::size_t>(n), '\0');
    if (WideCharToMultiByte(GbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, gbk.data(), n, nullptr,
                            &used_default) != n ||
        used_default) {
        return false;
    }
    // The way back must give the same characters (a lone surrogate, say, would not come back).
    std::wstring back;
    return ToWide(gbk, back) && back == wide;
}

class SystemRegistry final : public Registry {
public:
    std::string ReadValue(RegistryRoot root, const std::string& subkey, const std::string& name) const override {
        std::wstring wide_subkey, wide_name;
        if (!ToWideNames(subkey, name, wide_subkey, wide_name)) return {};
        KeyHandle key;
        if (RegOpenKeyExW(RootKey(root), wide_subkey.c_str(), 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return {};
        return QueryString(key.get(), wide_name);
    }

    RegistryValueText ReadValueText(RegistryRoot root, const std::string& subkey,
                                    const std::string& name) const override {
        RegistryValueText value;
        std::wstring wide_subkey, wide_name;
        if (!ToWideNames(subkey, name, wide_subkey, wide_name)) return value;
        KeyHandle key;
        if (RegOpenKeyExW(RootKey(root), wide_subkey.c_str(), 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return value;
        DWORD type = 0;
        std::string data;
        if (!QueryRaw(key.get(), wide_name, type, data)) return value;
        value.exists = true;
        value.type = type;
        if ((type != REG_SZ && type != REG_EXPAND_SZ) || data.size() % sizeof(wchar_t) != 0) return value;
        std::wstring wide(data.size() / sizeof(wchar_t), L'\0');
        std::copy(data.begin(), data.end(), reinterpret_cast<char*>(wide.data()));
        // The text ends at its first NUL; anything but more NULs after it is no part of a text.
        const std::size_t end = std::min(wide.find(L'\0'), wide.size());
        if (wide.find_first_not_of(L'\0', end) != std::wstring::npos) return value;
        value.exact = ExactGbk(std::wstring_view(wide).substr(0, end), value.text);
        if (!value.exact) value.text.clear();
        return value;
    }

    bool SetValue(RegistryRoot root, const std::string& subkey, const std::string& name,
                  const std::string& value) override {
        std::wstring wide_subkey, wide_name, wide_value;
        if (!ToWideNames(subkey, name, wide_subkey, wide_name) || !ToWide(value, wide_value)) return false;
        KeyHandle key;
        if (RegCreateKeyExW(RootKey(root), wide_subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, key.receive(), nullptr) != ERROR_SUCCESS) {
            return false;
        }
        // A REG_SZ's byte count includes its terminating NUL, so that every reader finds the end.
        const auto bytes = static_cast<DWORD>((wide_value.size() + 1) * sizeof(wchar_t));
        return RegSetValueExW(key.get(), wide_name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(wide_value.c_str()), bytes) == ERROR_SUCCESS;
    }

    bool DeleteValue(RegistryRoot root, const std::string& subkey, const std::string& name) override {
        std::wstring wide_subkey, wide_name;
        if (!ToWideNames(subkey, name, wide_subkey, wide_name)) return false;
        KeyHandle key;
        if (RegOpenKeyExW(RootKey(root), wide_subkey.c_str(), 0, KEY_ALL_ACCESS, key.receive()) != ERROR_SUCCESS) {
            return false;
        }
        return RegDeleteValueW(key.get(), wide_name.c_str()) == ERROR_SUCCESS;
    }

    bool DeleteKey(RegistryRoot root, const std::string& subkey) override {
        std::wstring wide_subkey;
        if (subkey.empty() || !ToWide(subkey, wide_subkey)) return false;
        return RegDeleteKeyW(RootKey(root), wide_subkey.c_str()) == ERROR_SUCCESS;
    }
};

}  // namespace

std::unique_ptr<Registry> MakeSystemRegistry() { return std::make_unique<SystemRegistry>(); }

}  // namespace platform
