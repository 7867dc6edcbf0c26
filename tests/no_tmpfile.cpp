// Preloaded into a program under test, this makes the system look like a file system without
// unnamed temporaries (vfat, NFS, CIFS, an older kernel): every open with O_TMPFILE fails with
// EOPNOTSUPP, so replacements fall back to named temporaries. Everything else goes to the C
// library's own functions.
#undef _FORTIFY_SOURCE  // open and openat are defined here, not wrapped inline
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <sys/types.h>

namespace {

using OpenFunction = int (*)(const char*, int, ...);
using OpenAtFunction = int (*)(int, const char*, int, ...);

bool Refused(int flags) { return (flags & O_TMPFILE) == O_TMPFILE; }

mode_t ModeOf(int flags, va_list arguments) {
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, mode_t) : 0;
}

}  // namespace

#define OPEN(name)                                                            \
    extern "C" int name(const char* path, int flags, ...) {                   \
        static OpenFunction real;                                             \
        va_list arguments;                                                    \
        va_start(arguments, flags);                                           \
        const mode_t mode = ModeOf(flags, arguments);                         \
        va_end(arguments);                                                    \
        if (Refused(flags)) {                                                 \
            errno = EOPNOTSUPP;                                               \
            return -1;                                                        \
        }                                                                     \
        if (!real) real = reinterpret_cast<OpenFunction>(dlsym(RTLD_NEXT, #name));              \
        return real(path, flags, mode);                                       \
    }

#define OPENAT(name)                                                          \
    extern "C" int name(int folder, const char* path, int flags, ...) {       \
        static OpenAtFunction real;                                           \
        va_list arguments;                                                    \
        va_start(arguments, flags);                                           \
        const mode_t mode = ModeOf(flags, arguments);                         \
        va_end(arguments);                                                    \
        if (Refused(flags)) {                                                 \
            errno = EOPNOTSUPP;                                               \
            return -1;                                                        \
        }                                                                     \
        if (!real) real = reinterpret_cast<OpenAtFunction>(dlsym(RTLD_NEXT, #name));            \
        return real(folder, path, flags, mode);                               \
    }

OPEN(open)
OPEN(open64)
OPENAT(openat)
OPENAT(openat64)
