#pragma once

// What every fuzz target checks besides "no crash": a broken promise prints what was expected
// and stops the run, so that libFuzzer keeps the input as a crash.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define FUZZ_CHECK(condition, what)                                                                \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "fuzz check failed at %s:%d: %s\n  %s\n", __FILE__, __LINE__,     \
                         #condition, qPrintable(QString(what)));                                   \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace FuzzCheck {

inline QByteArray bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The input as UTF-16 text, two bytes a unit (an odd last byte dropped): any text at all,
// lone surrogates included.
inline QString utf16(const uint8_t* data, size_t size) {
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data, size_t(text.size()) * sizeof(QChar));
    return text;
}

// A folder of this process's own, under /dev/shm where there is one (memory: a file target's
// flushes cost nothing there), made once; the caller empties it.
inline QString scratchFolder() {
    static const QString folder = [] {
        QByteArray base = qgetenv("KORVANEL_FUZZ_SCRATCH");
        if (base.isEmpty())
            base = QDir(QStringLiteral("/dev/shm")).exists() ? "/dev/shm" : "/tmp";
        QByteArray pattern = base + "/korvanel-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        return QString::fromLocal8Bit(pattern);
    }();
    return folder;
}

// Writes the bytes as the file, replacing what is there (the input, not the program's writing).
inline void putFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(content) != content.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace FuzzCheck
