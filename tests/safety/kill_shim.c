// Preloaded into a program under test: once armed, counts every call that can change a file
// (opening for writing, writing, syncing, truncating, renaming, linking, unlinking) and kills
// the process with SIGKILL just before the call numbered QUILLORY_KILL_AT (0: count only).
// Writes to pipes and sockets (the event loop's wake-ups, the program's own output) are not
// counted, nor those of a coverage build's counters (*.gcda) at exit.
//
// A program that does not arm it itself is armed from its start when one of its arguments is
// QUILLORY_KILL_FROM_START; it is then also killed at its exit when QUILLORY_KILL_AT is one more
// than its calls (just after its last one), and writes how many calls it made to the file named
// by QUILLORY_KILL_COUNT_FILE when it ends normally. QUILLORY_KILL_SIGNAL=STOP stops it instead
// of killing it, for whoever watches it to act at that moment.

#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdbool.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

static atomic_bool armed;
static atomic_long calls;
static long killAt;
static int killSignal = SIGKILL;
static bool fromStart;

static void point(void)
{
    if (atomic_load(&armed) && atomic_fetch_add(&calls, 1) + 1 == killAt)
        raise(killSignal);
}

static bool isCounters(const char *path)
{
    const size_t length = path ? strlen(path) : 0;
    return length > 5 && strcmp(path + length - 5, ".gcda") == 0;
}

static void fdPoint(int fd)
{
    struct stat info;
    char link[64], path[4096] = "";
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    if (atomic_load(&armed) && fstat(fd, &info) == 0 && (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode))
        && (readlink(link, path, sizeof path - 1) < 0 || !isCounters(path)))
        point();
}

void quillory_kill_arm(void)
{
    const char *at = getenv("QUILLORY_KILL_AT");
    const char *how = getenv("QUILLORY_KILL_SIGNAL");
    killAt = at ? atol(at) : 0;
    killSignal = how && strcmp(how, "STOP") == 0 ? SIGSTOP : SIGKILL;
    atomic_store(&calls, 0);
    atomic_store(&armed, true);
}

long quillory_kill_calls(void)
{
    atomic_store(&armed, false);
    return atomic_load(&calls);
}

// glibc hands a preloaded library's constructor the program's arguments.
__attribute__((constructor)) static void armAtStart(int argc, char **argv)
{
    const char *withArgument = getenv("QUILLORY_KILL_FROM_START");
    for (int i = 1; withArgument && i < argc && !fromStart; ++i)
        fromStart = strcmp(argv[i], withArgument) == 0;
    if (fromStart)
        quillory_kill_arm();
}

__attribute__((destructor)) static void atExit(void)
{
    const long made = fromStart ? quillory_kill_calls() : -1;
    if (fromStart && killAt == made + 1)
        raise(killSignal);
    const char *countFile = getenv("QUILLORY_KILL_COUNT_FILE");
    FILE *out = fromStart && countFile ? fopen(countFile, "w") : NULL;
    if (out) {
        fprintf(out, "%ld\n", made);
        fclose(out);
    }
}

// The next definition of name, through a pointer's bytes: ISO C has no cast from dlsym's
// object pointer to a function pointer.
#define NEXT(name) (*(__typeof__(&name) *)(void *[]) { dlsym(RTLD_NEXT, #name) })

// The wrappers, one a line: a call on a descriptor counts when it is a file's or a folder's;
// a call on a path always; an open when it may write.
#define ON_FD(type, name, params, ...) type name params { fdPoint(fd); return NEXT(name)(__VA_ARGS__); }
#define ON_PATH(type, name, params, ...) type name params { point(); return NEXT(name)(__VA_ARGS__); }
#define OPEN_THEN(call)                                                                                                \
    {                                                                                                                  \
        va_list args;                                                                                                  \
        va_start(args, flags);                                                                                         \
        const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? va_arg(args, mode_t) : 0;                           \
        va_end(args);                                                                                                  \
        if ((flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_TMPFILE)) != 0 && !isCounters(path))                  \
            point();                                                                                                   \
        return call;                                                                                                   \
    }

int open(const char *path, int flags, ...) OPEN_THEN(NEXT(open)(path, flags, mode))
int open64(const char *path, int flags, ...) OPEN_THEN(NEXT(open64)(path, flags, mode))
int openat(int dir, const char *path, int flags, ...) OPEN_THEN(NEXT(openat)(dir, path, flags, mode))
int openat64(int dir, const char *path, int flags, ...) OPEN_THEN(NEXT(openat64)(dir, path, flags, mode))
ON_FD(ssize_t, write, (int fd, const void *data, size_t size), fd, data, size)
ON_FD(ssize_t, writev, (int fd, const struct iovec *vectors, int count), fd, vectors, count)
ON_FD(ssize_t, pwrite, (int fd, const void *data, size_t size, off_t at), fd, data, size, at)
ON_FD(ssize_t, pwrite64, (int fd, const void *data, size_t size, off64_t at), fd, data, size, at)
ON_FD(int, fsync, (int fd), fd)
ON_FD(int, fdatasync, (int fd), fd)
ON_FD(int, ftruncate, (int fd, off_t size), fd, size)
ON_FD(int, ftruncate64, (int fd, off64_t size), fd, size)
ON_PATH(int, creat, (const char *path, mode_t mode), path, mode)
ON_PATH(int, rename, (const char *from, const char *to), from, to)
ON_PATH(int, renameat, (int fromDir, const char *from, int toDir, const char *to), fromDir, from, toDir, to)
ON_PATH(int, renameat2, (int fromDir, const char *from, int toDir, const char *to, unsigned flags), fromDir, from, toDir, to, flags)
ON_PATH(int, link, (const char *from, const char *to), from, to)
ON_PATH(int, linkat, (int fromDir, const char *from, int toDir, const char *to, int flags), fromDir, from, toDir, to, flags)
ON_PATH(int, unlink, (const char *path), path)
ON_PATH(int, unlinkat, (int dir, const char *path, int flags), dir, path, flags)
