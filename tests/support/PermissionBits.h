#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QThreadPool>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// While it lives, the calling thread is held to the files' permission bits as an office user
// is: a root test sets aside its override of them (and takes it back at the end), so that a
// file of mode 000 cannot be opened, as a file of another user's with mode 600 cannot be by the
// office user. Everything the test process opens itself stays reachable: root owns it.
// Workers of the global thread pool are held alike: its threads are ended when it comes and
// goes, so that the ones started meanwhile are started by this thread and take its bits.
class PermissionBits {
public:
    PermissionBits() {
        if (::geteuid() != 0) {
            applies_ = true;
            return;
        }
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        applies_ = active_ = ::syscall(SYS_capset, &header_, reduced) == 0;
        if (active_)
            QThreadPool::globalInstance()->waitForDone();
    }
    ~PermissionBits() {
        if (active_) {
            QThreadPool::globalInstance()->waitForDone();
            ::syscall(SYS_capset, &header_, saved_);
        }
    }
    PermissionBits(const PermissionBits&) = delete;
    PermissionBits& operator=(const PermissionBits&) = delete;

    // Whether a file of mode 000 is now out of reach.
    bool applies() const { return applies_; }

    // Takes every permission from the file.
    static bool lockOut(const QString& path) {
        return ::chmod(QFile::encodeName(path).constData(), 0) == 0;
    }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
    bool applies_ = false;
};
