// Whole files on POSIX systems (the native build). A replacement is written to a temporary in the
// target's folder and renamed over it after fsync, so that a reader, a crash or a full disk sees
// either the old file or the whole new one. Where Linux allows it the temporary is an unnamed
// O_TMPFILE inode that gets a name only once it is complete, so a process killed while writing
// leaves nothing behind.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>

#include "platform/files.h"

namespace platform {

bool ReadWholeFile(const std::string& path, std::string& contents, std::size_t limit, bool* too_large) {
    contents.clear();
    if (too_large) *too_large = false;
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
            if (too_large) *too_large = true;
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

namespace {

// Owns a file descriptor.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    void Reset(int fd) {
        Close();
        fd_ = fd;
    }
    bool Close() {
        const bool ok = fd_ < 0 || close(fd_) == 0;
        fd_ = -1;
        return ok;
    }

private:
    int fd_;
};

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');  // '/' is never the second byte of a GBK character
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows the symlinks of `path` to the name that is finally meant; it need not exist yet (a link
// to a file still to be made). False on a loop of links or a link that cannot be read.
bool FollowLinks(std::string path, std::string& final_path) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            final_path = path;
            return true;
        }
        std::string link(4096, '\0');
        const ssize_t n = readlink(path.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) return false;
        link.resize(static_cast<std::size_t>(n));
        path = link[0] == '/' ? link : FolderOf(path) + "/" + link;
    }
    return false;
}

// The permissions a file made now gets: 0666 less the process's umask. Linux tells the umask in
// /proc/self/status; elsewhere it can only be read by setting it and setting it back.
mode_t NewFileMode() {
    mode_t mask = 0;
    bool known = false;
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        unsigned value = 0;
        while (!known && std::fgets(line, sizeof line, status))
            known = std::sscanf(line, "Umask: %o", &value) == 1;
        std::fclose(status);
        mask = static_cast<mode_t>(value);
    }
    if (!known) {
        mask = umask(022);
        umask(mask);
    }
    return 0666 & ~mask;
}

// Writes every byte, through interruptions and short writes.
bool WriteAll(int fd, std::string_view piece) {
    while (!piece.empty()) {
        const ssize_t n = write(fd, piece.data(), piece.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        piece.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Feeds the producer's pieces to a descriptor; tells apart a producer that gave up from a write that
// failed.
ReplaceError Produce(int fd, const FileProducer& produce) {
    bool write_failed = false;
    const FileSink sink = [&](std::string_view piece) {
        if (!write_failed && !WriteAll(fd, piece)) write_failed = true;
        return !write_failed;
    };
    const bool produced = produce(sink);
    if (write_failed) return ReplaceError::kWriteFailed;
    return produced ? ReplaceError::kNone : ReplaceError::kAborted;
}

// A pipe whose reader has gone answers a write with SIGPIPE, which would end the program; while we
// write to one, the signal is held back for this thread and then taken off again, so the write just
// fails with EPIPE.
class SigpipeHeld {
public:
    SigpipeHeld() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    ~SigpipeHeld() {
        const timespec now{0, 0};
        while (sigtimedwait(&pipe_, nullptr, &now) == SIGPIPE) {
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigpipeHeld(const SigpipeHeld&) = delete;
    SigpipeHeld& operator=(const SigpipeHeld&) = delete;

private:
    sigset_t pipe_{}, old_{};
};

// A terminal, a device or a pipe takes the contents directly: there is nothing to replace.
ReplaceResult WriteInPlace(const std::string& path, const FileProducer& produce) {
    SigpipeHeld held;
    Descriptor fd(open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (!fd.IsOpen()) return {errno == EACCES || errno == EROFS ? ReplaceError::kReadOnly : ReplaceError::kWriteFailed};
    ReplaceError error = Produce(fd.Get(), produce);
    if (!fd.Close() && error == ReplaceError::kNone) error = ReplaceError::kWriteFailed;
    return {error, true};
}

// A name for the temporary, unlikely to be taken: the target's name hidden behind a dot, with a
// random part. It is created exclusively, so a taken name only costs another try.
std::string TemporaryName(const std::string& folder, const std::string& name) {
    thread_local std::mt19937_64 random((static_cast<std::uint64_t>(std::random_device{}()) << 32) ^
                                  static_cast<std::uint64_t>(std::time(nullptr)) ^ static_cast<std::uint64_t>(getpid()));
    static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string part;
    for (int i = 0; i < 8; ++i) part += kDigits[random() % 36];
    return folder + "/." + name + "." + part + ".tmp";
}

ReplaceError CannotCreate(int error) {
    if (error == ENOENT || error == ENOTDIR) return ReplaceError::kNoFolder;
    if (error == ENOSPC || error == EDQUOT || error == EIO) return ReplaceError::kWriteFailed;
    return ReplaceError::kCannotCreate;
}

}  // namespace

ReplaceResult ReplaceFileFrom(const std::string& path, const FileProducer& produce) {
    std::string target;
    if (path.empty() || !FollowLinks(path, target)) return {ReplaceError::kNotAFile};

    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return {errno == ENOTDIR ? ReplaceError::kNoFolder : ReplaceError::kCannotCreate};
    if (exists) {
        if (S_ISDIR(old.st_mode)) return {ReplaceError::kFolder};
        if (S_ISCHR(old.st_mode) || S_ISFIFO(old.st_mode)) return WriteInPlace(target, produce);
        if (!S_ISREG(old.st_mode)) return {ReplaceError::kNotAFile};
        // No write bit for anyone marks a file the user locked; root may write it but should not.
        if ((old.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0) return {ReplaceError::kReadOnly};
    }

    const std::string folder = FolderOf(target), name = NameOf(target);
    struct stat folder_stat {};
    if (stat(folder.c_str(), &folder_stat) != 0 || !S_ISDIR(folder_stat.st_mode)) return {ReplaceError::kNoFolder};

    // The temporary, with no name while it is written where the file system allows that.
    Descriptor fd;
    std::string temporary;
#ifdef O_TMPFILE
    fd.Reset(open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
#endif
    if (!fd.IsOpen()) {
        for (int attempt = 0; attempt < 100 && !fd.IsOpen(); ++attempt) {
            temporary = TemporaryName(folder, name);
            // O_EXCL with O_CREAT never opens an existing name, nor follows a symlink planted there.
            fd.Reset(open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (!fd.IsOpen() && errno != EEXIST) return {CannotCreate(errno)};
        }
        if (!fd.IsOpen()) return {ReplaceError::kCannotCreate};
    }
    auto discard = [&](ReplaceError error) {
        fd.Close();
        if (!temporary.empty()) unlink(temporary.c_str());
        return ReplaceResult{error};
    };

    // The old file's owner and mode, so that a private file stays private. The owner is given first
    // (a change of owner clears the set-id bits); only root or the owner can give it, and failing
    // to is no reason to keep the old contents.
    if (exists) {
        if (old.st_uid != geteuid() || old.st_gid != getegid()) {
            [[maybe_unused]] const int given = fchown(fd.Get(), old.st_uid, old.st_gid);
        }
        if (fchmod(fd.Get(), old.st_mode & 07777) != 0) return discard(ReplaceError::kWriteFailed);
    } else if (fchmod(fd.Get(), NewFileMode()) != 0) {
        return discard(ReplaceError::kWriteFailed);
    }

    const ReplaceError produced = Produce(fd.Get(), produce);
    if (produced != ReplaceError::kNone) return discard(produced);
    if (fsync(fd.Get()) != 0) return discard(ReplaceError::kWriteFailed);

    if (temporary.empty()) {
        // Give the finished unnamed file a name, so that it can be renamed over the target.
        const std::string self = "/proc/self/fd/" + std::to_string(fd.Get());
        for (int attempt = 0; attempt < 100 && temporary.empty(); ++attempt) {
            const std::string candidate = TemporaryName(folder, name);
            if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                temporary = candidate;
            } else if (errno != EEXIST) {
                return discard(CannotCreate(errno));
            }
        }
        if (temporary.empty()) return discard(ReplaceError::kCannotCreate);
    }
    if (!fd.Close()) return discard(ReplaceError::kWriteFailed);
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        return discard(errno == EBUSY || errno == ETXTBSY ? ReplaceError::kInUse : ReplaceError::kWriteFailed);
    }
    // The rename itself reaches the disk with the folder.
    Descriptor dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.IsOpen()) fsync(dir.Get());
    return {};
}

}  // namespace platform
