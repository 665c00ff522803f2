#pragma once

#include "storage/FileStatus.h"

#include <QByteArray>
#include <QDateTime>
#include <QLockFile>
#include <QString>

#include <functional>
#include <optional>

// The one lock of a program folder, AppData/instance.lock: present while a copy of the program
// works on the folder, and locked (flock) by it. Its file holds the holder's process number,
// program name, computer name, machine id and boot id (one line each). A lock left behind is taken
// over when it is plainly nobody's: one of this computer (its machine id, or its name where the
// lock has no machine id, so that a computer renamed since is still this one) naming a process
// that is gone or one of an earlier boot, or one that cannot be read as a lock at all (empty, NUL
// bytes after a power cut, garbage). A lock of another computer is the operator's to take over,
// since only the operator can check that computer. A lock still locked is never removed.
class InstanceLock {
public:
    // Who holds the lock, as its file says.
    struct Holder {
        qint64 pid = 0;
        QString program;
        QString host;
        QByteArray machineId;
        QByteArray bootId;
        QDateTime since; // when the lock was taken: the file's modification time
    };

    // What the lock file holds, or nothing when it cannot be read as a lock.
    static std::optional<Holder> parse(const QByteArray& content);

    enum class Verdict { TakeOver, RunningHere, OtherHost };
    // Whether the process runs here under the program's name.
    using ProcessCheck = std::function<bool(qint64 pid, const QString& program)>;
    // The decision on a lock found in place.
    struct Computer {
        QString host;
        QByteArray machineId;
        QByteArray bootId;
    };
    static Verdict judge(const std::optional<Holder>& holder, const Computer& here,
                         const ProcessCheck& running);

    // The system's answer: the process exists and runs the program of that name.
    static bool processRunning(qint64 pid, const QString& program);

    enum class Outcome {
        Held,        // this copy holds the lock
        RunningHere, // a copy on this computer runs on the folder
        OtherHost,   // another computer's copy holds it: holder() says which
        Failed       // the lock could not be made or read: failure() says why
    };

    explicit InstanceLock(const QString& path);

    // Takes the lock, or a lock left behind (see above).
    Outcome take();
    // Takes the lock over from another computer's copy, once the operator has said it is not
    // running there; a lock still in use (locked by a running copy) is not taken.
    Outcome takeOver();

    // Gives the lock up (the lock file goes), for a program that ends without its destructors.
    void release() { lock_.unlock(); }

    const Holder& holder() const { return holder_; }
    const FileStatus& failure() const { return failure_; }
    QString path() const { return path_; }

private:
    Outcome attempt(bool overOtherHost);
    // Removes the lock file now in place unless a running copy holds it locked (RunningHere) or
    // it cannot be removed (Failed); nothing when the lock is to be taken again.
    std::optional<Outcome> removeLeftOver();

    QString path_;
    QLockFile lock_;
    Holder holder_;
    FileStatus failure_;
};
