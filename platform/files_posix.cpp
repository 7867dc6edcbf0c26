// Whole files on POSIX systems (the native build): stdio for the data, fsync before the rename so
// that the new contents are on the disk before they replace the old.
#include <unistd.h>

#include <cstdio>

#include "platform/files.h"

namespace platform {

bool ReadWholeFile(const std::string& path, std::string& contents, std::size_t limit) {
    contents.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    // Read in pieces rather than trust a size asked beforehand: the file may grow meanwhile, and a
    // folder opens but does not read.
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file);
        if (n > limit - contents.size()) {
            ok = false;
            break;
        }
        contents.append(buffer, n);
        if (n < sizeof buffer) {
            ok = !std::ferror(file);
            break;
        }
    }
    std::fclose(file);
    if (!ok) contents.clear();
    return ok;
}

bool ReplaceFileContents(const std::string& path, const std::string& contents) {
    const std::string temporary = path + ".tmp";
    // "wb" fails on a folder of that name, which is then not ours to remove.
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    ok = std::fflush(file) == 0 && ok;
    ok = ok && fsync(fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) std::remove(temporary.c_str());
    return ok;
}

}  // namespace platform
