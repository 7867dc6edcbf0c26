// Whole files under Windows: wide paths through the W functions; a replacement is written to a
// temporary beside the file, flushed to the disk and put in the old file's place by ReplaceFileW.
#include <windows.h>

#include <cwchar>

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
    void Reset(HANDLE handle) {
        Close();
        handle_ = handle;
    }
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

bool ReadWholeFile(const std::string& path, std::string& contents, std::size_t limit, FileKind kind, bool* too_large) {
    contents.clear();
    if (too_large) *too_large = false;
    File file(CreateFileW(text::GbkToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return false;
    if (kind == FileKind::kRegularOnly && GetFileType(file.Get()) != FILE_TYPE_DISK) return false;
    // Read in pieces rather than trust the size asked beforehand: the file may grow meanwhile.
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &n, nullptr) || n > limit - contents.size()) {
            if (too_large) *too_large = n > limit - contents.size();
            contents.clear();
            return false;
        }
        if (n == 0) return true;
        contents.append(buffer, n);
    }
}

namespace {

// Writes the producer's pieces to a handle; tells apart a producer that gave up from a write that
// failed.
ReplaceError Produce(HANDLE handle, const FileProducer& produce) {
    bool write_failed = false;
    const FileSink sink = [&](std::string_view piece) {
        while (!write_failed && !piece.empty()) {
            const DWORD n = static_cast<DWORD>(piece.size() < (1u << 20) ? piece.size() : 1u << 20);
            DWORD written = 0;
            if (!WriteFile(handle, piece.data(), n, &written, nullptr) || written == 0) write_failed = true;
            piece.remove_prefix(written);
        }
        return !write_failed;
    };
    const bool produced = produce(sink);
    if (write_failed) return ReplaceError::kWriteFailed;
    return produced ? ReplaceError::kNone : ReplaceError::kAborted;
}

ReplaceError FromLastError(DWORD error) {
    switch (error) {
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH: return ReplaceError::kNoFolder;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
        case ERROR_UNABLE_TO_REMOVE_REPLACED:
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT: return ReplaceError::kInUse;
        case ERROR_ACCESS_DENIED: return ReplaceError::kCannotCreate;
        case ERROR_WRITE_PROTECT: return ReplaceError::kReadOnly;
        default: return ReplaceError::kWriteFailed;
    }
}

// The name the path finally leads to, through symbolic links and junctions; the path itself when it
// is no link.
std::wstring FinalName(const std::wstring& path, HANDLE opened) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
    std::wstring final_name(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(opened, final_name.data(), static_cast<DWORD>(final_name.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= final_name.size()) return path;
    final_name.resize(n);
    return final_name;
}

// A name beside the target for the temporary: the target's name hidden behind a dot with a part that
// changes on every try. It is created with CREATE_NEW, so a taken name (or a planted link) only costs
// another try.
std::wstring TemporaryName(const std::wstring& target, unsigned attempt) {
    const std::size_t slash = target.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"" : target.substr(0, slash + 1);
    const std::wstring name = slash == std::wstring::npos ? target : target.substr(slash + 1);
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const unsigned long long part = (static_cast<unsigned long long>(now.QuadPart) * 2654435761ULL) ^
                                    (static_cast<unsigned long long>(GetCurrentProcessId()) << 20) ^ attempt;
    wchar_t digits[20];
    swprintf(digits, 20, L"%08llx", part & 0xFFFFFFFFULL);
    return folder + L"." + name + L"." + digits + L".tmp";
}

// A console, a printer port or a pipe takes the contents directly: there is nothing to replace.
ReplaceResult WriteInPlace(const std::wstring& path, const FileProducer& produce) {
    File file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return {FromLastError(GetLastError())};
    ReplaceError error = Produce(file.Get(), produce);
    if (!file.Close() && error == ReplaceError::kNone) error = ReplaceError::kWriteFailed;
    return {error, true};
}

}  // namespace

void UseUnnamedTemporaries(bool) {}  // Windows names every temporary

ReplaceResult ReplaceFileFrom(const std::string& path, const FileProducer& produce) {
    const std::wstring wide = text::GbkToWide(path);
    if (wide.empty()) return {ReplaceError::kNotAFile};

    // What is there now: opened without rights to its contents, which works on a read-only or
    // locked file and on a folder too.
    std::wstring target = wide;
    bool exists = false;
    DWORD attributes = 0;
    {
        File current(CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (current.IsOpen()) {
            if (GetFileType(current.Get()) != FILE_TYPE_DISK) {
                current.Close();
                return WriteInPlace(wide, produce);
            }
            BY_HANDLE_FILE_INFORMATION info{};
            if (!GetFileInformationByHandle(current.Get(), &info)) return {ReplaceError::kWriteFailed};
            if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return {ReplaceError::kFolder};
            if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) return {ReplaceError::kReadOnly};
            attributes = info.dwFileAttributes;
            target = FinalName(wide, current.Get());
            exists = true;
            // A file another program holds open without sharing cannot be replaced: found out now,
            // before anything is written (and before Wine's ReplaceFileW leaves a backup behind).
            File probe(CreateFileW(target.c_str(), GENERIC_WRITE | DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!probe.IsOpen()) {
                const DWORD error = GetLastError();
                return {error == ERROR_ACCESS_DENIED ? ReplaceError::kReadOnly : FromLastError(error)};
            }
        } else {
            const DWORD error = GetLastError();
            if (error == ERROR_SHARING_VIOLATION) return {ReplaceError::kInUse};
            if (error != ERROR_FILE_NOT_FOUND) return {FromLastError(error)};
        }
    }

    // Full paths: Wine's ReplaceFileW finds the folder only in a full path.
    std::wstring full(32768, L'\0');
    const DWORD full_length = GetFullPathNameW(target.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (full_length > 0 && full_length < full.size()) target.assign(full.data(), full_length);

    File temporary(INVALID_HANDLE_VALUE);
    std::wstring temporary_name;
    for (unsigned attempt = 0; attempt < 100 && !temporary.IsOpen(); ++attempt) {
        temporary_name = TemporaryName(target, attempt);
        HANDLE handle = CreateFileW(temporary_name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD error = GetLastError();
        temporary.Reset(handle);
        if (!temporary.IsOpen() && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return {FromLastError(error)};
    }
    if (!temporary.IsOpen()) return {ReplaceError::kCannotCreate};
    // The temporary goes however this ends (a failure, or an exception out of the producer), unless
    // it took the target's place.
    struct RemovedUnlessPlaced {
        File& file;
        const std::wstring& name;
        bool placed = false;
        ~RemovedUnlessPlaced() {
            if (placed) return;
            file.Close();
            DeleteFileW(name.c_str());
        }
    } guard{temporary, temporary_name};
    auto discard = [&](ReplaceError error) {
        temporary.Close();
        DeleteFileW(temporary_name.c_str());
        return ReplaceResult{error};
    };

    const ReplaceError produced = Produce(temporary.Get(), produce);
    if (produced != ReplaceError::kNone) return discard(produced);
    if (!FlushFileBuffers(temporary.Get()) || !temporary.Close()) return discard(ReplaceError::kWriteFailed);

    if (!exists) {
        // Not MOVEFILE_REPLACE_EXISTING: a file that appeared meanwhile is someone else's.
        if (!MoveFileExW(temporary_name.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
            return discard(FromLastError(GetLastError()));
        guard.placed = true;
        return {};
    }
    // ReplaceFileW keeps what makes the old file the user's: its attributes, its security and its
    // creation time.
    if (!ReplaceFileW(target.c_str(), temporary_name.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                      nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            // The old file has been moved aside and the new one could not take its name: put the new
            // one in place as well as we can rather than leave the name empty.
            if (MoveFileExW(temporary_name.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                guard.placed = true;
                return {};
            }
        }
        return discard(FromLastError(error));
    }
    guard.placed = true;
    // Some implementations of ReplaceFileW keep the security but not the plain attributes (hidden,
    // system, archive): give them back.
    const DWORD now = GetFileAttributesW(target.c_str());
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (now != INVALID_FILE_ATTRIBUTES && (now & kKept) != (attributes & kKept))
        SetFileAttributesW(target.c_str(), (now & ~kKept & ~FILE_ATTRIBUTE_NORMAL) | (attributes & kKept));
    return {};
}

}  // namespace platform
