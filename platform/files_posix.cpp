// Whole files on POSIX systems (the native build). A replacement is written to a temporary in the
// target's folder and renamed over it after fsync, so that a reader, a crash or a full disk sees
// either the old file or the whole new one. Where Linux allows it the temporary is an unnamed
// O_TMPFILE inode that gets a name only once it is complete, so a process killed while writing
// leaves nothing behind. Where it does not (vfat, NFS, CIFS, older kernels) the temporary has a
// name from the start: it is removed on every failure, on an exception out of the producer, and
// when SIGINT, SIGTERM or SIGHUP ends the program while it exists (SIGKILL alone leaves it).
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>

#include "platform/files.h"

namespace platform {

bool ReadWholeFile(const std::string& path, std::string& contents, std::size_t limit, FileKind kind, bool* too_large) {
    contents.clear();
    if (too_large) *too_large = false;
    std::FILE* file = nullptr;
    if (kind == FileKind::kAny) {
        file = std::fopen(path.c_str(), "rb");
    } else {
        // Opened without waiting (a FIFO's open waits for a writer otherwise), then looked at.
        const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return false;
        struct stat st {};
        const int flags = fcntl(fd, F_GETFL);
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
            !(file = fdopen(fd, "rb"))) {
            close(fd);
            return false;
        }
    }
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

// Whether the kernel's rule for links in shared folders (fs.protected_symlinks) lets this process
// follow the link: in a folder that is sticky and writable by everyone (/tmp), only a link of its
// own or of the folder's owner. Anyone may plant a link there; following another user's would let
// them choose what we replace. The rule is applied here whatever the kernel is set to, since the
// program follows the links itself.
bool MayFollow(const std::string& link, const struct stat& link_stat) {
    struct stat folder {};
    if (stat(FolderOf(link).c_str(), &folder) != 0) return false;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || link_stat.st_uid == geteuid() || link_stat.st_uid == folder.st_uid;
}

// Follows the symlinks of `path` to the name that is finally meant; it need not exist yet (a link
// to a file still to be made). kNotAFile on a loop of links or a link that cannot be read,
// kForeignLink on a link the rule above does not let us follow.
ReplaceError FollowLinks(std::string path, std::string& final_path) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            final_path = path;
            return ReplaceError::kNone;
        }
        if (!MayFollow(path, st)) return ReplaceError::kForeignLink;
        std::string link(4096, '\0');
        const ssize_t n = readlink(path.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) return ReplaceError::kNotAFile;
        link.resize(static_cast<std::size_t>(n));
        path = link[0] == '/' ? link : FolderOf(path) + "/" + link;
    }
    return ReplaceError::kNotAFile;
}

// --- named temporaries and the signals that end the program ------------------------------------

// The temporaries that have a name now, where a signal handler can read them without a lock: a
// slot is filled before it is marked used, and cleared after it is marked free.
struct TemporarySlot {
    std::atomic<bool> used{false};
    char path[PATH_MAX] = {};
};
constexpr int kSlots = 16;
TemporarySlot g_slots[kSlots];

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
std::mutex g_signals_mutex;
int g_named = 0;  // temporaries named now; the handlers are in place while there are any
struct sigaction g_previous[3];
bool g_installed[3] = {};

// Removes every named temporary, then ends the program as the signal would have (the handler is
// reset as it runs, so the signal raised again takes its default action once this returns).
extern "C" void RemoveTemporariesOnSignal(int signal) {
    const int saved = errno;
    for (TemporarySlot& slot : g_slots)
        if (slot.used.load(std::memory_order_acquire)) unlink(slot.path);
    raise(signal);
    errno = saved;
}

// Holds the ending signals back in this thread for a moment, so that a temporary is never both
// named and unknown to the handler.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t set;
        sigemptyset(&set);
        for (int signal : kEndingSignals) sigaddset(&set, signal);
        pthread_sigmask(SIG_BLOCK, &set, &old_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t old_{};
};

// A slot for a temporary just named, or -1 when every slot is taken (it is then removed on failure
// and exceptions, not on a signal). A signal the program ignores or handles itself is left to it.
int RememberNamed(const std::string& path) {
    const std::lock_guard<std::mutex> lock(g_signals_mutex);
    if (g_named++ == 0) {
        for (int i = 0; i < 3; ++i) {
            g_installed[i] = false;
            if (sigaction(kEndingSignals[i], nullptr, &g_previous[i]) != 0 || g_previous[i].sa_handler != SIG_DFL ||
                (g_previous[i].sa_flags & SA_SIGINFO))
                continue;
            struct sigaction ours {};
            ours.sa_handler = RemoveTemporariesOnSignal;
            ours.sa_flags = SA_RESETHAND;
            sigemptyset(&ours.sa_mask);
            for (int signal : kEndingSignals) sigaddset(&ours.sa_mask, signal);
            g_installed[i] = sigaction(kEndingSignals[i], &ours, nullptr) == 0;
        }
    }
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < kSlots; ++i) {
        TemporarySlot& slot = g_slots[i];
        if (slot.used.load(std::memory_order_relaxed)) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.used.store(true, std::memory_order_release);
        return i;
    }
    return -1;
}

void Forget(int slot) {
    const std::lock_guard<std::mutex> lock(g_signals_mutex);
    if (slot >= 0) g_slots[slot].used.store(false, std::memory_order_release);
    if (--g_named == 0) {
        for (int i = 0; i < 3; ++i)
            if (g_installed[i]) sigaction(kEndingSignals[i], &g_previous[i], nullptr);
    }
}

// A temporary beside the target while it has a name: removed when it goes unless it was put in
// the target's place.
class NamedTemporary {
public:
    NamedTemporary() = default;
    ~NamedTemporary() { Remove(); }
    NamedTemporary(const NamedTemporary&) = delete;
    NamedTemporary& operator=(const NamedTemporary&) = delete;

    bool Named() const { return !path_.empty(); }
    const std::string& path() const { return path_; }

    // Creates the name with `make` (true when it made it) while the signals are held, and
    // remembers it; false when it was not made.
    template <typename Make>
    bool Name(const std::string& path, Make make) {
        const SignalsHeld held;
        if (!make(path)) return false;
        path_ = path;
        slot_ = RememberNamed(path_);
        return true;
    }
    // Renames it over the target: it then has no name of its own to remove.
    bool PutInPlaceOf(const std::string& target) {
        const SignalsHeld held;
        if (rename(path_.c_str(), target.c_str()) != 0) return false;
        Let();
        return true;
    }
    void Remove() {
        if (!Named()) return;
        const SignalsHeld held;
        unlink(path_.c_str());
        Let();
    }

private:
    void Let() {
        Forget(slot_);
        slot_ = -1;
        path_.clear();
    }
    std::string path_;
    int slot_ = -1;
};

// The old file's extended attributes (with them its POSIX ACL, system.posix_acl_access) given to
// the new one, where the file system keeps them and we may set them; one that cannot be copied is
// left out (security.* and trusted.* need privileges).
void CopyExtendedAttributes(const std::string& from, int to) {
    std::string names(65536, '\0');
    const ssize_t length = listxattr(from.c_str(), names.data(), names.size());
    if (length <= 0) return;
    names.resize(static_cast<std::size_t>(length));
    std::string value(65536, '\0');
    for (std::size_t at = 0; at < names.size();) {
        const std::string name = names.c_str() + at;
        at += name.size() + 1;
        const ssize_t size = getxattr(from.c_str(), name.c_str(), value.data(), value.size());
        if (size >= 0) fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(size), 0);
    }
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

// For the tests: whether unnamed temporaries are tried (the tests run every replacement both ways;
// a preloaded library that refuses O_TMPFILE does the same for a whole program).
std::atomic<bool> g_unnamed_temporaries{true};

}  // namespace

void UseUnnamedTemporaries(bool use) { g_unnamed_temporaries = use; }

ReplaceResult ReplaceFileFrom(const std::string& path, const FileProducer& produce) {
    std::string target;
    if (path.empty()) return {ReplaceError::kNotAFile};
    if (const ReplaceError followed = FollowLinks(path, target); followed != ReplaceError::kNone) return {followed};

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

    // The temporary, with no name while it is written where the file system allows that. Whatever
    // way this ends (a failure, an exception, a signal) a named one is removed.
    Descriptor fd;
    NamedTemporary temporary;
#ifdef O_TMPFILE
    if (g_unnamed_temporaries) fd.Reset(open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
#endif
    if (!fd.IsOpen()) {
        int error = EEXIST;
        for (int attempt = 0; attempt < 100 && !fd.IsOpen() && error == EEXIST; ++attempt) {
            // O_EXCL with O_CREAT never opens an existing name, nor follows a symlink planted there.
            temporary.Name(TemporaryName(folder, name), [&](const std::string& candidate) {
                fd.Reset(open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
                error = fd.IsOpen() ? 0 : errno;
                return fd.IsOpen();
            });
        }
        if (!fd.IsOpen()) return {error == EEXIST ? ReplaceError::kCannotCreate : CannotCreate(error)};
    }
    auto discard = [&](ReplaceError error) {
        fd.Close();
        temporary.Remove();
        return ReplaceResult{error};
    };

    // The old file's owner, extended attributes and mode, so that a private file stays private.
    // The owner is given first (a change of owner clears the set-id bits and file capabilities);
    // only root or the owner can give it, and failing to is no reason to keep the old contents.
    if (exists) {
        if (old.st_uid != geteuid() || old.st_gid != getegid()) {
            [[maybe_unused]] const int given = fchown(fd.Get(), old.st_uid, old.st_gid);
        }
        CopyExtendedAttributes(target, fd.Get());
        if (fchmod(fd.Get(), old.st_mode & 07777) != 0) return discard(ReplaceError::kWriteFailed);
    } else if (fchmod(fd.Get(), NewFileMode()) != 0) {
        return discard(ReplaceError::kWriteFailed);
    }

    const ReplaceError produced = Produce(fd.Get(), produce);
    if (produced != ReplaceError::kNone) return discard(produced);
    if (fsync(fd.Get()) != 0) return discard(ReplaceError::kWriteFailed);

    if (!temporary.Named()) {
        // Give the finished unnamed file a name, so that it can be renamed over the target.
        const std::string self = "/proc/self/fd/" + std::to_string(fd.Get());
        int error = EEXIST;
        for (int attempt = 0; attempt < 100 && !temporary.Named() && error == EEXIST; ++attempt) {
            temporary.Name(TemporaryName(folder, name), [&](const std::string& candidate) {
                error = linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
                return error == 0;
            });
        }
        if (!temporary.Named()) return discard(error == EEXIST ? ReplaceError::kCannotCreate : CannotCreate(error));
    }
    if (!fd.Close()) return discard(ReplaceError::kWriteFailed);
    if (!temporary.PutInPlaceOf(target)) {
        return discard(errno == EBUSY || errno == ETXTBSY ? ReplaceError::kInUse : ReplaceError::kWriteFailed);
    }
    // The rename itself reaches the disk with the folder.
    Descriptor dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.IsOpen()) fsync(dir.Get());
    return {};
}

}  // namespace platform
