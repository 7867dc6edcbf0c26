// Whole files read and replaced: the few files the program writes itself (LRC lyrics, `tempo ics`
// calendars) are replaced so that a failed or interrupted write never loses the old contents, and so
// that the replacement is the same file to the user: its permissions, its attributes and the symlink
// that leads to it survive. Paths are GBK. The native build uses platform/files_posix.cpp, the
// Windows program platform/files_win32.cpp (wide paths, so any Windows locale reads every GBK name).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Reads the whole file into `contents`. False when the file is missing or unreadable, or holds more
// than `limit` bytes (then *too_large, when given, is set; it is cleared otherwise); `contents` is
// then empty.
bool ReadWholeFile(const std::string& path, std::string& contents, std::size_t limit, bool* too_large = nullptr);

// Why a replacement did not happen. Every failure leaves the target as it was and no temporary
// behind.
enum class ReplaceError {
    kNone,
    kReadOnly,          // the target is marked read-only: it is the user's to unlock, not ours
    kFolder,            // the target is a folder
    kNotAFile,          // a socket, a block device or something else that takes no file
    kNoFolder,          // the folder it should be in does not exist
    kCannotCreate,      // no temporary could be made beside it (a folder we may not write to)
    kInUse,             // another program holds the target open and will not let it be replaced
    kWriteFailed,       // writing failed (a full disk, an I/O error, a device that refuses)
    kAborted,           // the producer of the contents gave up
};

struct ReplaceResult {
    ReplaceError error = ReplaceError::kNone;
    bool in_place = false;  // a device or a pipe: written to directly, nothing replaced
    // Reads as success, so that callers that only need to know whether it worked stay simple.
    operator bool() const { return error == ReplaceError::kNone; }  // NOLINT(google-explicit-constructor)
};

// Why, in a few English words, for messages of the command line ("the file is read-only").
inline const char* ReplaceErrorText(ReplaceError error) {
    switch (error) {
        case ReplaceError::kNone: return "written";
        case ReplaceError::kReadOnly: return "the file is read-only";
        case ReplaceError::kFolder: return "it is a folder";
        case ReplaceError::kNotAFile: return "it is not a file that can be written";
        case ReplaceError::kNoFolder: return "its folder does not exist";
        case ReplaceError::kCannotCreate: return "no new file can be made in its folder";
        case ReplaceError::kInUse: return "another program has it open";
        case ReplaceError::kWriteFailed: return "writing failed";
        case ReplaceError::kAborted: return "the contents could not be made";
    }
    return "writing failed";
}

// Writes the pieces of the new contents; false when the writing failed (the producer should stop).
using FileSink = std::function<bool(std::string_view piece)>;
// Produces the new contents through the sink; false to abandon the replacement.
using FileProducer = std::function<bool(const FileSink& write)>;

// Replaces the file with what `produce` writes, so that the target holds either its old contents or
// the whole new ones, never a part:
// - The new contents go to a temporary made exclusively (never an existing file, never through a
//   symlink someone planted) in the target's own folder, are flushed to the disk and then put in the
//   target's place: under POSIX by rename, with the target's mode (and, where allowed, owner) given
//   to the temporary first; under Windows by ReplaceFileW, which keeps the attributes, the security
//   and the creation time of the old file.
// - A symlink is written through: its final target is replaced and the link stays a link.
// - A character device or a pipe is written to directly (in_place); a folder, a socket or a block
//   device is refused.
// - A read-only target is refused (kReadOnly): under POSIX a file that grants writing to nobody or
//   not to us, under Windows one with the read-only attribute.
// - A missing file is created, with the permissions a new file gets.
ReplaceResult ReplaceFileFrom(const std::string& path, const FileProducer& produce);

// The same with contents held whole.
inline ReplaceResult ReplaceFileContents(const std::string& path, std::string_view contents) {
    return ReplaceFileFrom(path, [contents](const FileSink& write) { return write(contents); });
}

}  // namespace platform
