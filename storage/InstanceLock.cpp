#include "storage/InstanceLock.h"

#include "storage/SafeFile.h"

#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// More than any lock file holds; a longer one is not a lock.
constexpr qint64 kLockFileLimit = 4096;
// A lock that changes hands while it is looked at is looked at again, a few times.
constexpr int kAttempts = 4;

} // namespace

std::optional<InstanceLock::Holder> InstanceLock::parse(const QByteArray& content) {
    if (content.size() >= kLockFileLimit || !content.endsWith('\n'))
        return std::nullopt;
    const QList<QByteArray> lines = content.left(content.size() - 1).split('\n');
    bool isNumber = false;
    Holder holder;
    holder.pid = lines.value(0).toLongLong(&isNumber);
    if (!isNumber || holder.pid <= 0 || content.contains('\0'))
        return std::nullopt;
    holder.program = QString::fromUtf8(lines.value(1));
    holder.host = QString::fromUtf8(lines.value(2));
    holder.machineId = lines.value(3);
    holder.bootId = lines.value(4);
    return holder;
}

InstanceLock::Verdict InstanceLock::judge(const std::optional<Holder>& holder, const Computer& here,
                                          const ProcessCheck& running) {
    if (!holder)
        return Verdict::TakeOver;
    const bool machineKnown = !holder->machineId.isEmpty() && !here.machineId.isEmpty();
    const bool thisComputer = machineKnown ? holder->machineId == here.machineId
                                           : holder->host.isEmpty() || holder->host == here.host;
    if (!thisComputer)
        return Verdict::OtherHost;
    // A process of an earlier boot is gone, whatever now runs under its number.
    if (!holder->bootId.isEmpty() && !here.bootId.isEmpty() && holder->bootId != here.bootId)
        return Verdict::TakeOver;
    return running(holder->pid, holder->program) ? Verdict::RunningHere : Verdict::TakeOver;
}

bool InstanceLock::processRunning(qint64 pid, const QString& program) {
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
        return false;
    // A number given to another program since is not the holder. Where the program cannot be
    // told (another user's process), the process counts as the holder.
    const QString executable = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    if (executable.isEmpty() || program.isEmpty())
        return true;
    QString name = QFileInfo(executable).fileName();
    name.remove(QStringLiteral(" (deleted)"));
    return name == QFileInfo(program).fileName();
}

InstanceLock::InstanceLock(const QString& path) : path_(path), lock_(path) {
    // Only the decisions below take over a lock; never a timer.
    lock_.setStaleLockTime(0);
}

InstanceLock::Outcome InstanceLock::take() {
    return attempt(false);
}

InstanceLock::Outcome InstanceLock::takeOver() {
    return attempt(true);
}

InstanceLock::Outcome InstanceLock::attempt(bool overOtherHost) {
    failure_ = FileStatus::success();
    for (int round = 0; round < kAttempts; ++round) {
        // The lock file is the program's own: owner-only like every other file it makes.
        const mode_t previousMask = ::umask(077);
        const bool locked = lock_.tryLock(0);
        ::umask(previousMask);
        if (locked)
            return Outcome::Held;

        QByteArray content;
        FileStatus status = SafeFile::readPrefix(path_, content, kLockFileLimit);
        if (!status && status.error() == ENOENT) {
            // Nothing there and still no lock: the folder's own reason (read-only, no
            // permission), found by making the file.
            int fd = -1;
            status = SafeFile::createExclusive(path_, fd);
            if (status) {
                SafeFile::closeDescriptor(fd, path_);
                SafeFile::discard(path_);
                continue;
            }
            if (status.error() == EEXIST)
                continue;
        }
        if (!status) {
            failure_ = status;
            return Outcome::Failed;
        }
        const std::optional<Holder> holder = parse(content);
        holder_ = holder.value_or(Holder());
        struct stat info {};
        if (::stat(SafeFile::nativePath(path_).constData(), &info) == 0)
            holder_.since = QDateTime::fromSecsSinceEpoch(info.st_mtime);
        const Computer here{QSysInfo::machineHostName(), QSysInfo::machineUniqueId(),
                            QSysInfo::bootUniqueId()};
        const Verdict verdict = judge(holder, here, &InstanceLock::processRunning);
        if (verdict == Verdict::RunningHere)
            return Outcome::RunningHere;
        if (verdict == Verdict::OtherHost && !overOtherHost)
            return Outcome::OtherHost;
        // Taken over once only: a lock that another computer takes again is its own.
        overOtherHost = false;
        if (const std::optional<Outcome> stopped = removeLeftOver())
            return *stopped;
    }
    failure_ = FileStatus::failure(path_, QStringLiteral("The lock file kept changing while it "
                                                         "was read; another copy may be starting"));
    return Outcome::Failed;
}

std::optional<InstanceLock::Outcome> InstanceLock::removeLeftOver() {
    int fd = -1;
    FileStatus status = SafeFile::openRegular(path_, O_RDWR, fd);
    if (!status) {
        if (status.error() == ENOENT)
            return std::nullopt;
        failure_ = status;
        return Outcome::Failed;
    }
    // A running copy keeps its lock file locked: such a lock is never removed.
    bool free = false;
    status = SafeFile::tryLockExclusive(fd, path_, free);
    bool same = false;
    if (status && free)
        status = SafeFile::holdsFileAt(fd, path_, same);
    if (status && same)
        status = SafeFile::unlinkName(path_);
    SafeFile::closeDescriptor(fd, path_);
    if (!status && status.error() != ENOENT) {
        failure_ = status;
        return Outcome::Failed;
    }
    if (!free)
        return Outcome::RunningHere;
    return std::nullopt;
}
