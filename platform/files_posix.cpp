// Whole files on POSIX systems (the native build). A replacement is written to a temporary in the
// target's folder and renamed over it after fsync, so that a reader, a crash or a full disk sees
// either the old file or the whole new one. Where Linux allows it the temporary is an unnamed
// O_TMPFILE inode that gets a name only once it is complete, so a process killed while writing
// leaves nothing behind. Where it does not (vfat, NFS, CIFS, older kernels) the temporary has a
// name from the start: it is removed on every failure, on an exception out of the producer, and
// when SIGINT, SIGTERM or SIGHUP ends the program while it exists (SIGKILL alone leaves it).
// The path is walked a name at a time, each folder and each link held open as it is judged, and
// every later step is taken through those descriptors: another user cannot swap a name between
// the check and the write.
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
#include <string_view>
#include <vector>

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
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
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

std::string ProcPathOf(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// Whether the kernel's rule for links in shared folders (fs.protected_symlinks) lets this process
// follow the link: in a folder that is sticky and writable by everyone (/tmp), only a link of its
// own or of the folder's owner. Anyone may plant a link there; following another user's would let
// them choose what we replace. The rule is applied here whatever the kernel is set to, since the
// program follows the links itself, and to every link on the way, not only to the last name.
bool MayFollow(int folder_fd, const struct stat& link_stat) {
    struct stat folder {};
    if (fstat(folder_fd, &folder) != 0) return false;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || link_stat.st_uid == geteuid() || link_stat.st_uid == folder.st_uid;
}

// The names of a path, pushed in front of those still to be walked (`pending` holds the next one
// last). Empty names ("a//b", the leading '/') are dropped; a trailing '/' asks for a folder, as
// "." does.
void PushNames(const std::string& path, std::vector<std::string>& pending) {
    std::vector<std::string> names;
    for (std::size_t at = 0;;) {
        const std::size_t slash = path.find('/', at);  // never the second byte of a GBK character
        names.push_back(path.substr(at, slash == std::string::npos ? std::string::npos : slash - at));
        if (slash == std::string::npos) break;
        at = slash + 1;
    }
    if (names.back().empty() && names.size() > 1) names.back() = ".";
    for (auto name = names.rbegin(); name != names.rend(); ++name)
        if (!name->empty()) pending.push_back(*name);
}

// Where a path leads: the folder that holds its last name, held open, the name, and what the name
// is now (when it exists), held open too. Every later step works on these descriptors, so what
// was checked is what is written: no name is looked up a second time.
struct Place {
    Descriptor folder;  // O_PATH
    std::string name;
    Descriptor file;    // O_PATH; closed when the name does not exist (yet)
    struct stat file_stat {};
};

constexpr int kMaxLinks = 40;  // as the kernel's own limit on the links of one path

// Walks the path a name at a time, as the kernel would, holding each folder open: each name is
// opened without following it (O_PATH | O_NOFOLLOW), so a symlink is held itself, judged by the
// rule above against the folder it is in (held too), read through the descriptor and its target
// walked on from there. kNoFolder when a folder on the way is missing or no folder, kNotAFile on
// a loop of links, kForeignLink on a link the rule does not let us follow.
ReplaceResult Walk(const std::string& path, Place& place) {
    std::vector<std::string> pending;
    PushNames(path, pending);
    Descriptor folder(open(path[0] == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.IsOpen()) return {ReplaceError::kCannotCreate, false, errno};
    int links = 0;
    while (!pending.empty()) {
        const std::string name = std::move(pending.back());
        pending.pop_back();
        const bool last = pending.empty();
        if (name == "." && !last) continue;
        Descriptor next(openat(folder.Get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat st {};
        if (!next.IsOpen() || fstat(next.Get(), &st) != 0) {
            const int error = errno;
            if (error == ENOENT && last) {  // a file still to be made
                place.folder.Reset(folder.Release());
                place.name = name;
                return {};
            }
            if (error == ENOENT) return {ReplaceError::kNoFolder};  // no more to say
            return {error == ENOTDIR ? ReplaceError::kNoFolder : ReplaceError::kCannotCreate, false, error};
        }
        if (S_ISLNK(st.st_mode)) {
            if (++links > kMaxLinks) return {ReplaceError::kNotAFile, false, ELOOP};
            if (!MayFollow(folder.Get(), st)) return {ReplaceError::kForeignLink};
            std::string target(PATH_MAX, '\0');
            const ssize_t n = readlinkat(next.Get(), "", target.data(), target.size());
            if (n <= 0 || static_cast<std::size_t>(n) >= target.size())
                return {ReplaceError::kNotAFile, false, n < 0 ? errno : ENAMETOOLONG};
            target.resize(static_cast<std::size_t>(n));
            PushNames(target, pending);
            if (target[0] == '/') {
                folder.Reset(open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
                if (!folder.IsOpen()) return {ReplaceError::kCannotCreate, false, errno};
            }
            continue;
        }
        if (last) {
            place.folder.Reset(folder.Release());
            place.name = name;
            place.file.Reset(next.Release());
            place.file_stat = st;
            return {};
        }
        if (!S_ISDIR(st.st_mode)) return {ReplaceError::kNoFolder, false, ENOTDIR};
        folder.Reset(next.Release());
    }
    return {ReplaceError::kFolder};  // not reached: the last name always ends the walk
}

// --- named temporaries and the signals that end the program ------------------------------------

// The temporaries that have a name now, where a signal handler can read them without a lock: a
// slot is filled before it is marked used, and cleared after it is marked free. A name is held
// with the descriptor of its folder, open as long as the temporary has its name.
struct TemporarySlot {
    std::atomic<bool> used{false};
    int folder = -1;
    char name[NAME_MAX + 1] = {};
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
        if (slot.used.load(std::memory_order_acquire)) unlinkat(slot.folder, slot.name, 0);
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
int RememberNamed(int folder, const std::string& name) {
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
    if (name.size() > NAME_MAX) return -1;
    for (int i = 0; i < kSlots; ++i) {
        TemporarySlot& slot = g_slots[i];
        if (slot.used.load(std::memory_order_relaxed)) continue;
        slot.folder = folder;
        std::memcpy(slot.name, name.c_str(), name.size() + 1);
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

// A temporary beside the target, in the folder held open, while it has a name: removed when it
// goes unless it was put in the target's place.
class NamedTemporary {
public:
    explicit NamedTemporary(int folder) : folder_(folder) {}
    ~NamedTemporary() { Remove(); }
    NamedTemporary(const NamedTemporary&) = delete;
    NamedTemporary& operator=(const NamedTemporary&) = delete;

    bool Named() const { return !name_.empty(); }

    // Creates the name with `make` (true when it made it) while the signals are held, and
    // remembers it; false when it was not made.
    template <typename Make>
    bool Name(const std::string& name, Make make) {
        const SignalsHeld held;
        if (!make(name)) return false;
        name_ = name;
        slot_ = RememberNamed(folder_, name_);
        return true;
    }
    // Renames it over the target's name in the same folder: it then has no name of its own to
    // remove.
    bool PutInPlaceOf(const std::string& target) {
        const SignalsHeld held;
        if (renameat(folder_, name_.c_str(), folder_, target.c_str()) != 0) return false;
        Let();
        return true;
    }
    void Remove() {
        if (!Named()) return;
        const SignalsHeld held;
        const int saved = errno;
        unlinkat(folder_, name_.c_str(), 0);
        errno = saved;
        Let();
    }

private:
    void Let() {
        Forget(slot_);
        slot_ = -1;
        name_.clear();
    }
    int folder_;
    std::string name_;
    int slot_ = -1;
};

constexpr const char kAccessAcl[] = "system.posix_acl_access";

// The old file's extended attributes (with them its POSIX ACL, system.posix_acl_access) given to
// the new one, where the file system keeps them and we may set them; one that cannot be copied is
// left out (security.* and trusted.* need privileges). A new file also takes an ACL of its own
// from its folder's default ACL: that one never stays, so the replacement is readable by exactly
// whom the old file was (the old file's ACL, or none and its mode alone).
void CopyExtendedAttributes(const std::string& from, int to) {
    bool acl_copied = false;
    std::string names(65536, '\0');
    const ssize_t length = listxattr(from.c_str(), names.data(), names.size());
    if (length > 0) {
        names.resize(static_cast<std::size_t>(length));
        std::string value(65536, '\0');
        for (std::size_t at = 0; at < names.size();) {
            const std::string name = names.c_str() + at;
            at += name.size() + 1;
            const ssize_t size = getxattr(from.c_str(), name.c_str(), value.data(), value.size());
            if (size >= 0 && fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(size), 0) == 0 &&
                name == kAccessAcl)
                acl_copied = true;
        }
    }
    if (!acl_copied) fremovexattr(to, kAccessAcl);
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

// Writes every byte, through interruptions and short writes; the system's reason (errno) when it
// fails.
int WriteAll(int fd, std::string_view piece) {
    while (!piece.empty()) {
        const ssize_t n = write(fd, piece.data(), piece.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        piece.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Feeds the producer's pieces to a descriptor; tells apart a producer that gave up from a write that
// failed.
ReplaceResult Produce(int fd, const FileProducer& produce) {
    int write_error = 0;
    const FileSink sink = [&](std::string_view piece) {
        if (write_error == 0) write_error = WriteAll(fd, piece);
        return write_error == 0;
    };
    const bool produced = produce(sink);
    if (write_error != 0) return {ReplaceError::kWriteFailed, false, write_error};
    return {produced ? ReplaceError::kNone : ReplaceError::kAborted};
}

// Two signals answer a write instead of an error: SIGPIPE from a pipe whose reader has gone, and
// SIGXFSZ from a write past the file-size limit (ulimit -f). Either would end the program, and a
// named temporary would stay. While we write they are held back for this thread and then taken off
// again, so the write just fails (EPIPE, EFBIG) and is cleaned up like any failure.
class WritingSignalsHeld {
public:
    WritingSignalsHeld() {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGPIPE);
        sigaddset(&set, SIGXFSZ);
        pthread_sigmask(SIG_BLOCK, &set, &old_);
    }
    ~WritingSignalsHeld() {
        // Only what arrived while held: a signal the caller held back itself stays its own.
        sigset_t raised;
        sigemptyset(&raised);
        for (int signal : {SIGPIPE, SIGXFSZ})
            if (sigismember(&old_, signal) != 1) sigaddset(&raised, signal);
        const timespec now{0, 0};
        while (sigtimedwait(&raised, nullptr, &now) > 0) {
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    WritingSignalsHeld(const WritingSignalsHeld&) = delete;
    WritingSignalsHeld& operator=(const WritingSignalsHeld&) = delete;

private:
    sigset_t old_{};
};

// A terminal, a device or a pipe takes the contents directly: there is nothing to replace. It is
// opened anew through the descriptor the walk holds (/proc/self/fd), so it is the very file that
// was looked at; a pipe's open waits for a reader, as a shell's redirection would.
ReplaceResult WriteInPlace(int file, const FileProducer& produce) {
    const WritingSignalsHeld held;
    Descriptor fd(open(ProcPathOf(file).c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        const int error = errno;
        return {error == EACCES || error == EROFS ? ReplaceError::kReadOnly : ReplaceError::kWriteFailed, true, error};
    }
    ReplaceResult result = Produce(fd.Get(), produce);
    if (!fd.Close() && result.error == ReplaceError::kNone) result = {ReplaceError::kWriteFailed, true, errno};
    result.in_place = true;
    return result;
}

// A name for the temporary, unlikely to be taken: the target's name hidden behind a dot, with a
// random part. It is created exclusively, so a taken name only costs another try.
std::string TemporaryName(const std::string& name) {
    thread_local std::mt19937_64 random((static_cast<std::uint64_t>(std::random_device{}()) << 32) ^
                                  static_cast<std::uint64_t>(std::time(nullptr)) ^ static_cast<std::uint64_t>(getpid()));
    static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string part;
    for (int i = 0; i < 8; ++i) part += kDigits[random() % 36];
    return "." + name + "." + part + ".tmp";
}

ReplaceResult CannotCreate(int error) {
    if (error == EEXIST) return {ReplaceError::kCannotCreate};  // a hundred names taken
    if (error == ENOENT) return {ReplaceError::kNoFolder};
    if (error == ENOTDIR) return {ReplaceError::kNoFolder, false, error};
    if (error == ENOSPC || error == EDQUOT || error == EIO) return {ReplaceError::kWriteFailed, false, error};
    return {ReplaceError::kCannotCreate, false, error};
}

// For the tests: whether unnamed temporaries are tried (the tests run every replacement both ways;
// a preloaded library that refuses O_TMPFILE does the same for a whole program).
std::atomic<bool> g_unnamed_temporaries{true};

}  // namespace

void UseUnnamedTemporaries(bool use) { g_unnamed_temporaries = use; }

ReplaceResult ReplaceFileFrom(const std::string& path, const FileProducer& produce) {
    if (path.empty()) return {ReplaceError::kNotAFile};
    Place place;
    if (const ReplaceResult walked = Walk(path, place); !walked) return walked;

    const bool exists = place.file.IsOpen();
    const struct stat& old = place.file_stat;
    const std::string old_path = exists ? ProcPathOf(place.file.Get()) : std::string();
    if (exists) {
        if (S_ISDIR(old.st_mode)) return {ReplaceError::kFolder};
        if (S_ISCHR(old.st_mode) || S_ISFIFO(old.st_mode)) return WriteInPlace(place.file.Get(), produce);
        if (!S_ISREG(old.st_mode)) return {ReplaceError::kNotAFile};
        // No write bit for anyone marks a file the user locked; root may write it but should not.
        if ((old.st_mode & 0222) == 0 || access(old_path.c_str(), W_OK) != 0) return {ReplaceError::kReadOnly};
    }

    // The temporary, with no name while it is written where the file system allows that, in the
    // folder the walk holds. Whatever way this ends (a failure, an exception, a signal) a named
    // one is removed.
    const int folder = place.folder.Get();
    const WritingSignalsHeld held;
    Descriptor fd;
    NamedTemporary temporary(folder);
#ifdef O_TMPFILE
    if (g_unnamed_temporaries) fd.Reset(openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
#endif
    if (!fd.IsOpen()) {
        int error = EEXIST;
        for (int attempt = 0; attempt < 100 && !fd.IsOpen() && error == EEXIST; ++attempt) {
            // O_EXCL with O_CREAT never opens an existing name, nor follows a symlink planted there.
            temporary.Name(TemporaryName(place.name), [&](const std::string& candidate) {
                fd.Reset(openat(folder, candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
                error = fd.IsOpen() ? 0 : errno;
                return fd.IsOpen();
            });
        }
        if (!fd.IsOpen()) return CannotCreate(error);
    }
    auto discard = [&](ReplaceResult result) {
        fd.Close();
        temporary.Remove();
        return result;
    };
    auto failed = [&](ReplaceError error) { return discard({error, false, errno}); };

    // The old file's owner, extended attributes and mode, so that a private file stays private.
    // The owner is given first (a change of owner clears the set-id bits and file capabilities);
    // only root or the owner can give it, and failing to is no reason to keep the old contents.
    if (exists) {
        if (old.st_uid != geteuid() || old.st_gid != getegid()) {
            [[maybe_unused]] const int given = fchown(fd.Get(), old.st_uid, old.st_gid);
        }
        CopyExtendedAttributes(old_path, fd.Get());
        if (fchmod(fd.Get(), old.st_mode & 07777) != 0) return failed(ReplaceError::kWriteFailed);
    } else if (fchmod(fd.Get(), NewFileMode()) != 0) {
        return failed(ReplaceError::kWriteFailed);
    }

    const ReplaceResult produced = Produce(fd.Get(), produce);
    if (!produced) return discard(produced);
    if (fsync(fd.Get()) != 0) return failed(ReplaceError::kWriteFailed);

    if (!temporary.Named()) {
        // Give the finished unnamed file a name, so that it can be renamed over the target.
        const std::string self = ProcPathOf(fd.Get());
        int error = EEXIST;
        for (int attempt = 0; attempt < 100 && !temporary.Named() && error == EEXIST; ++attempt) {
            temporary.Name(TemporaryName(place.name), [&](const std::string& candidate) {
                error = linkat(AT_FDCWD, self.c_str(), folder, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
                return error == 0;
            });
        }
        if (!temporary.Named()) return discard(CannotCreate(error));
    }
    if (!fd.Close()) return failed(ReplaceError::kWriteFailed);
    if (!temporary.PutInPlaceOf(place.name)) {
        return failed(errno == EBUSY || errno == ETXTBSY ? ReplaceError::kInUse : ReplaceError::kWriteFailed);
    }
    // The rename itself reaches the disk with the folder.
    Descriptor dir(openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.IsOpen()) fsync(dir.Get());
    return {};
}

}  // namespace platform
