// Whole files read and replaced: the few files the program writes itself (LRC lyrics) are small
// enough to read at once, and are replaced so that a failed write never loses the old contents.
// Paths are GBK. The native build uses platform/files_posix.cpp, the Windows program
// platform/files_win32.cpp (wide paths, so any Windows locale reads every GBK name).
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Reads the whole file into `contents`. False when the file is missing or unreadable, or holds more
// than `limit` bytes; `contents` is then empty.
bool ReadWholeFile(const std::string& path, std::string& contents, std::size_t limit);

// Replaces the file's contents: writes them to a temporary beside the file (path + ".tmp", in the
// same folder and so on the same volume), flushes it to the disk and only then renames it over the
// file. On any failure the old file is left as it was, the temporary is removed and the answer is
// false. A missing file is created.
bool ReplaceFileContents(const std::string& path, const std::string& contents);

}  // namespace platform
