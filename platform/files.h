// Whole files read and replaced: the few files the program writes itself (LRC lyrics, `tempo ics`
// calendars, the fetched holiday table) are replaced so that a failed or interrupted write never
// loses the old contents, and so that the replacement is the same file to the user: what survives
// is listed at ReplaceFileFrom. Paths are GBK. The native build uses platform/files_posix.cpp, the
// Windows program platform/files_win32.cpp (wide paths, so any Windows locale reads every GBK name).
#pragma once

#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// What may be read: anything that reads (a pipe too, as a shell's process substitution gives), or
// only a regular file (a pipe or a device is refused at once, never waited on: a FIFO without a
// writer would hold the reader for ever).
enum class FileKind { kAny, kRegularOnly };

// Reads the whole file into `contents`. False when the file is missing or unreadable, is not of the
// kind asked for, or holds more than `limit` bytes (then *too_large, when given, is set; it is
// cleared otherwise); `contents` is then empty.
bool ReadWholeFile(const std::string& path, std::string& contents, std::size_t limit,
                   FileKind kind = FileKind::kAny, bool* too_large = nullptr);

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
    kForeignLink,       // a symlink another user planted in a shared folder (sticky, writable by all)
};

struct ReplaceResult {
    ReplaceError error = ReplaceError::kNone;
    bool in_place = false;  // a device or a pipe: written to directly, nothing replaced
    int system_error = 0;   // the system's reason (errno) where it gave one (POSIX), else 0
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
        case ReplaceError::kForeignLink:
            return "it is a symbolic link that another user owns in a folder everyone may write to (sticky): "
                   "not followed";
    }
    return "writing failed";
}

// The same with the system's own words where it gave a reason: "writing failed: No space left on
// device".
inline std::string ReplaceResultText(const ReplaceResult& result) {
    std::string text = ReplaceErrorText(result.error);
    if (result.error != ReplaceError::kNone && result.system_error != 0)
        text += std::string(": ") + std::strerror(result.system_error);
    return text;
}

// Writes the pieces of the new contents; false when the writing failed (the producer should stop).
using FileSink = std::function<bool(std::string_view piece)>;
// Produces the new contents through the sink; false to abandon the replacement.
using FileProducer = std::function<bool(const FileSink& write)>;

// Replaces the file with what `produce` writes, so that the target holds either its old contents or
// the whole new ones, never a part:
// - The new contents go to a temporary made exclusively (never an existing file, never through a
//   symlink someone planted) in the target's own folder, are flushed to the disk and then put in the
//   target's place. What survives of the old file:
//   under POSIX (rename): its mode; its owner and group where we may give them (root, or a group of
//   ours); its extended attributes, and with them its POSIX ACL, where the file system keeps them
//   and we may set them (security.* and trusted.* only as root); never an ACL the new file would
//   take from its folder's default ACL, so a replacement is readable by no one more than the old
//   file was. Its inode, hard links, times and any lock are new;
//   under Windows (ReplaceFileW): its attributes, its security (ACL, owner), its creation time.
// - The temporary is removed on every failure, and (POSIX) when SIGINT, SIGTERM or SIGHUP ends the
//   program while it has a name (where the file system has no unnamed temporaries, all the while).
//   A write past the file-size limit (SIGXFSZ) or into a pipe without reader (SIGPIPE) fails with
//   the system's reason instead of ending the program.
// - A symlink is written through: its final target is replaced and the link stays a link. As the
//   kernel's fs.protected_symlinks rule has it, a link in a folder that is sticky and writable by
//   all is followed only when it is ours or the folder owner's (kForeignLink otherwise), wherever
//   it is on the way (a link to a folder too). Under POSIX what is judged is what is written: the
//   path is walked holding each folder open, so a name swapped meanwhile is never followed.
// - A character device or a pipe is written to directly (in_place); a folder, a socket or a block
//   device is refused.
// - A read-only target is refused (kReadOnly): under POSIX a file that grants writing to nobody or
//   not to us, under Windows one with the read-only attribute.
// - A missing file is created, with the permissions a new file gets.
ReplaceResult ReplaceFileFrom(const std::string& path, const FileProducer& produce);

// For the tests: false makes every replacement use a named temporary, as on file systems without
// unnamed ones (POSIX only; Windows always names it).
void UseUnnamedTemporaries(bool use);

// The same with contents held whole.
inline ReplaceResult ReplaceFileContents(const std::string& path, std::string_view contents) {
    return ReplaceFileFrom(path, [contents](const FileSink& write) { return write(contents); });
}

}  // namespace platform
