// Plain file work that the whole-program benchmarks measure the program against, timed in the
// process like the program's own commands.
// Usage: tool_filebaseline copy-fsync SOURCE TARGET   copy a file and fsync the copy
//        tool_filebaseline read-records FILE COUNT    read COUNT records of 198 bytes by position
//        tool_filebaseline write-fsync TARGET BYTES   write BYTES bytes of text and fsync them
// Prints OPERATION-NS <n>.
#include <QByteArray>
#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const char* bytes, size_t size) {
    while (size > 0) {
        const ssize_t done = ::write(fd, bytes, size);
        if (done <= 0)
            return false;
        bytes += done;
        size -= size_t(done);
    }
    return true;
}

bool copyFsync(const char* source, const char* target) {
    const int in = ::open(source, O_RDONLY | O_CLOEXEC);
    const int out = ::open(target, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (in < 0 || out < 0)
        return false;
    static char chunk[65536];
    ssize_t got = 0;
    while ((got = ::read(in, chunk, sizeof chunk)) > 0) {
        if (!writeAll(out, chunk, size_t(got)))
            return false;
    }
    const bool ok = got == 0 && ::fsync(out) == 0;
    ::close(in);
    return ::close(out) == 0 && ok;
}

bool readRecords(const char* file, int count) {
    const int fd = ::open(file, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char record[198];
    for (int n = 0; n < count; ++n) {
        if (::pread(fd, record, sizeof record, off_t(n) * 198) != ssize_t(sizeof record))
            return false;
    }
    return ::close(fd) == 0;
}

bool writeFsync(const char* target, int bytes) {
    const QByteArray text(bytes, 'x');
    const int out = ::open(target, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (out < 0)
        return false;
    const bool ok = writeAll(out, text.constData(), size_t(text.size())) && ::fsync(out) == 0;
    return ::close(out) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: tool_filebaseline MODE ARG ARG\n");
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    bool ok = false;
    if (std::strcmp(argv[1], "copy-fsync") == 0)
        ok = copyFsync(argv[2], argv[3]);
    else if (std::strcmp(argv[1], "read-records") == 0)
        ok = readRecords(argv[2], std::atoi(argv[3]));
    else if (std::strcmp(argv[1], "write-fsync") == 0)
        ok = writeFsync(argv[2], std::atoi(argv[3]));
    const qint64 elapsed = timer.nsecsElapsed();
    if (!ok) {
        std::perror(argv[1]);
        return 1;
    }
    std::printf("OPERATION-NS %lld\n", static_cast<long long>(elapsed));
    return 0;
}
