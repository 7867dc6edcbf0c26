// Whole files under Windows: wide paths through the W functions, the temporary flushed to the disk
// before MoveFileEx puts it in the old file's place.
#include <windows.h>

#include "platform/files.h"
#include "text/wide.h"

namespace platform {

namespace {

// Owns a file handle.
class File {
public:
    explicit File(HANDLE handle) : handle_(handle) {}
    ~File() { Close(); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close() {
        const bool ok = !IsOpen() || CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE handle_;
};

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& contents, std::size_t limit) {
    contents.clear();
    File file(CreateFileW(text::GbkToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return false;
    // Read in pieces rather than trust the size asked beforehand: the file may grow meanwhile.
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &n, nullptr) || n > limit - contents.size()) {
            contents.clear();
            return false;
        }
        if (n == 0) return true;
        contents.append(buffer, n);
    }
}

bool ReplaceFileContents(const std::string& path, const std::string& contents) {
    const std::wstring wide = text::GbkToWide(path);
    const std::wstring temporary = wide + L".tmp";
    // CREATE_ALWAYS fails on a folder of that name, which is then not ours to remove.
    File file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < contents.size();) {
        const DWORD piece = static_cast<DWORD>(contents.size() - done < (1u << 20) ? contents.size() - done : 1u << 20);
        DWORD written = 0;
        ok = WriteFile(file.Get(), contents.data() + done, piece, &written, nullptr) && written == piece;
        done += written;
    }
    ok = ok && FlushFileBuffers(file.Get());
    ok = file.Close() && ok;
    ok = ok && MoveFileExW(temporary.c_str(), wide.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(temporary.c_str());
    return ok;
}

}  // namespace platform
