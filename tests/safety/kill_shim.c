/* Preloaded into a program under test: once armed, counts every call that can change a file
 * (opening for writing, writing, syncing, truncating, renaming, linking, unlinking) and kills
 * the process with SIGKILL just before the call numbered QUILLORY_KILL_AT (0: count only).
 * Writes to pipes and sockets (the event loop's wake-ups, the program's own output) are not
 * counted.
 *
 * A program that does not arm it itself is armed from its start when one of its arguments is
 * QUILLORY_KILL_FROM_START; it is then also killed at its exit when QUILLORY_KILL_AT is one more than its calls
 * (just after its last one), and writes how many calls it made to the file named by
 * QUILLORY_KILL_COUNT_FILE when it ends normally. QUILLORY_KILL_SIGNAL=STOP stops it instead
 * of killing it, for whoever watches it to act at that moment. */

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

static void point(void)
{
    if (!atomic_load(&armed))
        return;
    long n = atomic_fetch_add(&calls, 1) + 1;
    if (killAt > 0 && n == killAt)
        raise(killSignal);
}

static void fdPoint(int fd)
{
    struct stat info;
    if (atomic_load(&armed) && fstat(fd, &info) == 0 && (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)))
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

static bool fromStart;

/* glibc hands a preloaded library's constructor the program's arguments. */
__attribute__((constructor)) static void armAtStart(int argc, char **argv, char **env)
{
    (void)env;
    const char *withArgument = getenv("QUILLORY_KILL_FROM_START");
    for (int i = 1; withArgument && i < argc && !fromStart; ++i)
        fromStart = strcmp(argv[i], withArgument) == 0;
    if (fromStart)
        quillory_kill_arm();
}

__attribute__((destructor)) static void atExit(void)
{
    if (!fromStart)
        return;
    const long made = quillory_kill_calls();
    if (killAt == made + 1)
        raise(killSignal);
    const char *countFile = getenv("QUILLORY_KILL_COUNT_FILE");
    FILE *out = countFile ? fopen(countFile, "w") : NULL;
    if (out) {
        fprintf(out, "%ld\n", made);
        fclose(out);
    }
}

/* The next definition of name, through a pointer's bytes: ISO C has no cast from dlsym's
 * object pointer to a function pointer. */
#define NEXT(name) (*(__typeof__(&name) *)(void *[]) { dlsym(RTLD_NEXT, #name) })

#define OPEN_MODE                                                                                                      \
    mode_t mode = 0;                                                                                                   \
    if ((flags & (O_CREAT | O_TMPFILE)) != 0) {                                                                        \
        va_list args;                                                                                                  \
        va_start(args, flags);                                                                                         \
        mode = va_arg(args, mode_t);                                                                                   \
        va_end(args);                                                                                                  \
    }                                                                                                                  \
    if ((flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_TMPFILE)) != 0)                                            \
        point();

int open(const char *path, int flags, ...)
{
    OPEN_MODE
    return NEXT(open)(path, flags, mode);
}
int open64(const char *path, int flags, ...)
{
    OPEN_MODE
    return NEXT(open64)(path, flags, mode);
}
int openat(int dir, const char *path, int flags, ...)
{
    OPEN_MODE
    return NEXT(openat)(dir, path, flags, mode);
}
int openat64(int dir, const char *path, int flags, ...)
{
    OPEN_MODE
    return NEXT(openat64)(dir, path, flags, mode);
}
int creat(const char *path, mode_t mode)
{
    point();
    return NEXT(creat)(path, mode);
}
ssize_t write(int fd, const void *data, size_t size)
{
    fdPoint(fd);
    return NEXT(write)(fd, data, size);
}
ssize_t writev(int fd, const struct iovec *vectors, int count)
{
    fdPoint(fd);
    return NEXT(writev)(fd, vectors, count);
}
ssize_t pwrite(int fd, const void *data, size_t size, off_t at)
{
    fdPoint(fd);
    return NEXT(pwrite)(fd, data, size, at);
}
ssize_t pwrite64(int fd, const void *data, size_t size, off64_t at)
{
    fdPoint(fd);
    return NEXT(pwrite64)(fd, data, size, at);
}
int fsync(int fd)
{
    fdPoint(fd);
    return NEXT(fsync)(fd);
}
int fdatasync(int fd)
{
    fdPoint(fd);
    return NEXT(fdatasync)(fd);
}
int ftruncate(int fd, off_t size)
{
    fdPoint(fd);
    return NEXT(ftruncate)(fd, size);
}
int ftruncate64(int fd, off64_t size)
{
    fdPoint(fd);
    return NEXT(ftruncate64)(fd, size);
}
int rename(const char *from, const char *to)
{
    point();
    return NEXT(rename)(from, to);
}
int renameat(int fromDir, const char *from, int toDir, const char *to)
{
    point();
    return NEXT(renameat)(fromDir, from, toDir, to);
}
int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned flags)
{
    point();
    return NEXT(renameat2)(fromDir, from, toDir, to, flags);
}
int link(const char *from, const char *to)
{
    point();
    return NEXT(link)(from, to);
}
int linkat(int fromDir, const char *from, int toDir, const char *to, int flags)
{
    point();
    return NEXT(linkat)(fromDir, from, toDir, to, flags);
}
int unlink(const char *path)
{
    point();
    return NEXT(unlink)(path);
}
int unlinkat(int dir, const char *path, int flags)
{
    point();
    return NEXT(unlinkat)(dir, path, flags);
}
