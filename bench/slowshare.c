/* A slow file share for the benchmarks, loaded with LD_PRELOAD: every file call on a path under
 * KORVANEL_SLOW_PREFIX (or on a descriptor or folder stream opened on one) sleeps
 * KORVANEL_SLOW_MS milliseconds (2 by default) before it is made. A folder read costs one delay
 * each time the C library fetches a new batch of entries from the kernel (one getdents64), not
 * one per entry. With KORVANEL_SLOW_REPORT set, the number of delayed calls per function is
 * written to standard error when the process ends.
 *
 * The functions wrapped are the ones the program and Qt import (nm -D): open/openat and their
 * 64-bit and fortified names, read/pread, the stat family, statx, opendir/fdopendir/readdir and
 * close/closedir. Calls the C library makes internally (opendir's own openat) do not go through
 * these symbols and are counted once at the wrapped entry point. */
#define _GNU_SOURCE
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#define MAX_FDS 65536
#define MAX_DIRS 256

static char prefix[PATH_MAX];
static size_t prefixLength;
static long delayNs = 2000000;
static atomic_uchar slowFd[MAX_FDS];

struct SlowDir {
    DIR* dir;
    const char* last;
};
static struct SlowDir slowDirs[MAX_DIRS];
static pthread_mutex_t dirLock = PTHREAD_MUTEX_INITIALIZER;

enum Call {
    C_OPEN,
    C_OPENAT,
    C_READ,
    C_PREAD,
    C_FSTAT,
    C_STAT,
    C_LSTAT,
    C_FSTATAT,
    C_STATX,
    C_OPENDIR,
    C_GETDENTS,
    C_CLOSE,
    C_CLOSEDIR,
    C_COUNT
};
static const char* const callNames[C_COUNT] = {"open",
                                               "openat",
                                               "read",
                                               "pread",
                                               "fstat",
                                               "stat",
                                               "lstat",
                                               "fstatat",
                                               "statx",
                                               "opendir",
                                               "readdir(getdents64)",
                                               "close",
                                               "closedir"};
static atomic_long counts[C_COUNT];

static void report(void) {
    fprintf(stderr, "slowshare: delayed calls under %s:", prefix);
    for (int i = 0; i < C_COUNT; ++i)
        if (atomic_load(&counts[i]))
            fprintf(stderr, " %s %ld", callNames[i], atomic_load(&counts[i]));
    fprintf(stderr, "\n");
}

__attribute__((constructor)) static void setUp(void) {
    const char* given = getenv("KORVANEL_SLOW_PREFIX");
    if (given && *given && strlen(given) < sizeof prefix) {
        strcpy(prefix, given);
        prefixLength = strlen(prefix);
        while (prefixLength > 1 && prefix[prefixLength - 1] == '/')
            prefix[--prefixLength] = '\0';
    }
    const char* ms = getenv("KORVANEL_SLOW_MS");
    if (ms && *ms)
        delayNs = (long)(atof(ms) * 1e6);
    if (getenv("KORVANEL_SLOW_REPORT"))
        atexit(report);
}

static void delay(enum Call call) {
    atomic_fetch_add(&counts[call], 1);
    struct timespec wait = {delayNs / 1000000000, delayNs % 1000000000};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

static int underPrefix(const char* path) {
    return prefixLength && strncmp(path, prefix, prefixLength) == 0 &&
           (path[prefixLength] == '/' || path[prefixLength] == '\0');
}

static int fdIsSlow(int fd) {
    return fd >= 0 && fd < MAX_FDS && atomic_load(&slowFd[fd]);
}

/* Whether PATH, taken relative to DIRFD as openat takes it, lies under the prefix. */
static int pathIsSlow(int dirfd, const char* path) {
    if (!prefixLength || !path)
        return 0;
    if (path[0] == '/')
        return underPrefix(path);
    if (dirfd != AT_FDCWD && fdIsSlow(dirfd))
        return 1;
    char base[PATH_MAX];
    if (dirfd == AT_FDCWD) {
        if (!getcwd(base, sizeof base))
            return 0;
    } else {
        char link[64];
        snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
        const ssize_t length = readlink(link, base, sizeof base - 1);
        if (length <= 0)
            return 0;
        base[length] = '\0';
    }
    char full[PATH_MAX * 2];
    snprintf(full, sizeof full, "%s/%s", base, path);
    return underPrefix(full);
}

static void markFd(int fd, int slow) {
    if (fd >= 0 && fd < MAX_FDS)
        atomic_store(&slowFd[fd], (unsigned char)slow);
}

/* The C library's own function behind the wrapper, looked up once. */
#define REAL(name, ...)                                                                            \
    static __typeof__(__VA_ARGS__) real_##name;                                                    \
    if (!real_##name)                                                                              \
        real_##name = (__typeof__(__VA_ARGS__))dlsym(RTLD_NEXT, #name);

static int openCommon(int dirfd, const char* path, int result, int slowPath) {
    (void)dirfd;
    (void)path;
    markFd(result, slowPath && result >= 0);
    return result;
}

#define OPEN_MODE                                                                                  \
    mode_t mode = 0;                                                                               \
    if (flags & (O_CREAT | O_TMPFILE)) {                                                           \
        va_list args;                                                                              \
        va_start(args, flags);                                                                     \
        mode = va_arg(args, mode_t);                                                               \
        va_end(args);                                                                              \
    }

int open(const char* path, int flags, ...) {
    OPEN_MODE
    REAL(open, int (*)(const char*, int, ...))
    const int slow = pathIsSlow(AT_FDCWD, path);
    if (slow)
        delay(C_OPEN);
    return openCommon(AT_FDCWD, path, real_open(path, flags, mode), slow);
}

int open64(const char* path, int flags, ...) {
    OPEN_MODE
    REAL(open64, int (*)(const char*, int, ...))
    const int slow = pathIsSlow(AT_FDCWD, path);
    if (slow)
        delay(C_OPEN);
    return openCommon(AT_FDCWD, path, real_open64(path, flags, mode), slow);
}

int __open_2(const char* path, int flags) {
    REAL(__open_2, int (*)(const char*, int))
    const int slow = pathIsSlow(AT_FDCWD, path);
    if (slow)
        delay(C_OPEN);
    return openCommon(AT_FDCWD, path, real___open_2(path, flags), slow);
}

int __open64_2(const char* path, int flags) {
    REAL(__open64_2, int (*)(const char*, int))
    const int slow = pathIsSlow(AT_FDCWD, path);
    if (slow)
        delay(C_OPEN);
    return openCommon(AT_FDCWD, path, real___open64_2(path, flags), slow);
}

int openat(int dirfd, const char* path, int flags, ...) {
    OPEN_MODE
    REAL(openat, int (*)(int, const char*, int, ...))
    const int slow = pathIsSlow(dirfd, path);
    if (slow)
        delay(C_OPENAT);
    return openCommon(dirfd, path, real_openat(dirfd, path, flags, mode), slow);
}

int openat64(int dirfd, const char* path, int flags, ...) {
    OPEN_MODE
    REAL(openat64, int (*)(int, const char*, int, ...))
    const int slow = pathIsSlow(dirfd, path);
    if (slow)
        delay(C_OPENAT);
    return openCommon(dirfd, path, real_openat64(dirfd, path, flags, mode), slow);
}

int __openat_2(int dirfd, const char* path, int flags) {
    REAL(__openat_2, int (*)(int, const char*, int))
    const int slow = pathIsSlow(dirfd, path);
    if (slow)
        delay(C_OPENAT);
    return openCommon(dirfd, path, real___openat_2(dirfd, path, flags), slow);
}

int __openat64_2(int dirfd, const char* path, int flags) {
    REAL(__openat64_2, int (*)(int, const char*, int))
    const int slow = pathIsSlow(dirfd, path);
    if (slow)
        delay(C_OPENAT);
    return openCommon(dirfd, path, real___openat64_2(dirfd, path, flags), slow);
}

ssize_t read(int fd, void* buffer, size_t count) {
    REAL(read, ssize_t(*)(int, void*, size_t))
    if (fdIsSlow(fd))
        delay(C_READ);
    return real_read(fd, buffer, count);
}

ssize_t __read_chk(int fd, void* buffer, size_t count, size_t size) {
    REAL(__read_chk, ssize_t(*)(int, void*, size_t, size_t))
    if (fdIsSlow(fd))
        delay(C_READ);
    return real___read_chk(fd, buffer, count, size);
}

ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
    REAL(pread, ssize_t(*)(int, void*, size_t, off_t))
    if (fdIsSlow(fd))
        delay(C_PREAD);
    return real_pread(fd, buffer, count, offset);
}

ssize_t pread64(int fd, void* buffer, size_t count, off64_t offset) {
    REAL(pread64, ssize_t(*)(int, void*, size_t, off64_t))
    if (fdIsSlow(fd))
        delay(C_PREAD);
    return real_pread64(fd, buffer, count, offset);
}

ssize_t __pread64_chk(int fd, void* buffer, size_t count, off64_t offset, size_t size) {
    REAL(__pread64_chk, ssize_t(*)(int, void*, size_t, off64_t, size_t))
    if (fdIsSlow(fd))
        delay(C_PREAD);
    return real___pread64_chk(fd, buffer, count, offset, size);
}

int fstat(int fd, struct stat* buffer) {
    REAL(fstat, int (*)(int, struct stat*))
    if (fdIsSlow(fd))
        delay(C_FSTAT);
    return real_fstat(fd, buffer);
}

int fstat64(int fd, struct stat64* buffer) {
    REAL(fstat64, int (*)(int, struct stat64*))
    if (fdIsSlow(fd))
        delay(C_FSTAT);
    return real_fstat64(fd, buffer);
}

int stat(const char* path, struct stat* buffer) {
    REAL(stat, int (*)(const char*, struct stat*))
    if (pathIsSlow(AT_FDCWD, path))
        delay(C_STAT);
    return real_stat(path, buffer);
}

int stat64(const char* path, struct stat64* buffer) {
    REAL(stat64, int (*)(const char*, struct stat64*))
    if (pathIsSlow(AT_FDCWD, path))
        delay(C_STAT);
    return real_stat64(path, buffer);
}

int lstat(const char* path, struct stat* buffer) {
    REAL(lstat, int (*)(const char*, struct stat*))
    if (pathIsSlow(AT_FDCWD, path))
        delay(C_LSTAT);
    return real_lstat(path, buffer);
}

int lstat64(const char* path, struct stat64* buffer) {
    REAL(lstat64, int (*)(const char*, struct stat64*))
    if (pathIsSlow(AT_FDCWD, path))
        delay(C_LSTAT);
    return real_lstat64(path, buffer);
}

int fstatat(int dirfd, const char* path, struct stat* buffer, int flags) {
    REAL(fstatat, int (*)(int, const char*, struct stat*, int))
    if (*path ? pathIsSlow(dirfd, path) : fdIsSlow(dirfd))
        delay(C_FSTATAT);
    return real_fstatat(dirfd, path, buffer, flags);
}

int fstatat64(int dirfd, const char* path, struct stat64* buffer, int flags) {
    REAL(fstatat64, int (*)(int, const char*, struct stat64*, int))
    if (*path ? pathIsSlow(dirfd, path) : fdIsSlow(dirfd))
        delay(C_FSTATAT);
    return real_fstatat64(dirfd, path, buffer, flags);
}

int statx(int dirfd, const char* path, int flags, unsigned int mask, struct statx* buffer) {
    REAL(statx, int (*)(int, const char*, int, unsigned int, struct statx*))
    if (*path ? pathIsSlow(dirfd, path) : fdIsSlow(dirfd))
        delay(C_STATX);
    return real_statx(dirfd, path, flags, mask, buffer);
}

static void rememberDir(DIR* dir) {
    pthread_mutex_lock(&dirLock);
    for (int i = 0; i < MAX_DIRS; ++i) {
        if (!slowDirs[i].dir) {
            slowDirs[i].dir = dir;
            slowDirs[i].last = NULL;
            break;
        }
    }
    pthread_mutex_unlock(&dirLock);
}

/* The slot of a slow folder stream, or -1. */
static int dirSlot(DIR* dir) {
    for (int i = 0; i < MAX_DIRS; ++i)
        if (slowDirs[i].dir == dir)
            return i;
    return -1;
}

DIR* opendir(const char* path) {
    REAL(opendir, DIR * (*)(const char*))
    const int slow = pathIsSlow(AT_FDCWD, path);
    if (slow)
        delay(C_OPENDIR);
    DIR* dir = real_opendir(path);
    if (dir && slow)
        rememberDir(dir);
    return dir;
}

DIR* fdopendir(int fd) {
    REAL(fdopendir, DIR * (*)(int))
    DIR* dir = real_fdopendir(fd);
    if (dir && fdIsSlow(fd))
        rememberDir(dir);
    return dir;
}

/* One delay whenever the entry returned does not follow the previous one in the stream's
 * buffer: the library has just fetched a new batch (or found the end). */
static void readdirDelay(DIR* dir, const void* entry) {
    pthread_mutex_lock(&dirLock);
    const int slot = dirSlot(dir);
    int refill = 0;
    if (slot >= 0) {
        const char* at = entry;
        refill = !at || !slowDirs[slot].last || at <= slowDirs[slot].last;
        slowDirs[slot].last = at;
    }
    pthread_mutex_unlock(&dirLock);
    if (refill)
        delay(C_GETDENTS);
}

struct dirent* readdir(DIR* dir) {
    REAL(readdir, struct dirent * (*)(DIR*))
    struct dirent* entry = real_readdir(dir);
    readdirDelay(dir, entry);
    return entry;
}

struct dirent64* readdir64(DIR* dir) {
    REAL(readdir64, struct dirent64 * (*)(DIR*))
    struct dirent64* entry = real_readdir64(dir);
    readdirDelay(dir, entry);
    return entry;
}

int closedir(DIR* dir) {
    REAL(closedir, int (*)(DIR*))
    pthread_mutex_lock(&dirLock);
    const int slot = dirSlot(dir);
    if (slot >= 0)
        slowDirs[slot].dir = NULL;
    pthread_mutex_unlock(&dirLock);
    if (slot >= 0) {
        delay(C_CLOSEDIR);
        markFd(dirfd(dir), 0);
    }
    return real_closedir(dir);
}

int close(int fd) {
    REAL(close, int (*)(int))
    if (fdIsSlow(fd)) {
        delay(C_CLOSE);
        markFd(fd, 0);
    }
    return real_close(fd);
}
