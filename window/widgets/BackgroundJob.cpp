#include "window/widgets/BackgroundJob.h"

#include <QCoreApplication>

#include <mutex>
#include <vector>

namespace {

constexpr int kLookEveryMs = 10;

// The threads of jobs let go, joined when the program ends (before its statics go).
class LetGoThreads {
public:
    static LetGoThreads& instance() {
        static LetGoThreads threads;
        return threads;
    }
    void add(std::thread thread) {
        const std::lock_guard<std::mutex> lock(mutex_);
        threads_.push_back(std::move(thread));
    }
    void joinAll() {
        std::vector<std::thread> all;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            all.swap(threads_);
        }
        for (std::thread& thread : all)
            thread.join();
    }
    ~LetGoThreads() { joinAll(); }

private:
    std::mutex mutex_;
    std::vector<std::thread> threads_;
};

} // namespace

BackgroundJobBase::BackgroundJobBase(QObject* parent) : QObject(parent) {
    look_.setInterval(kLookEveryMs);
    connect(&look_, &QTimer::timeout, this, &BackgroundJobBase::look);
}

BackgroundJobBase::~BackgroundJobBase() {
    stop();
}

void BackgroundJobBase::startThread(std::function<void(JobControl&)> body) {
    stop();
    control_ = std::make_shared<JobControl>();
    shownDone_ = shownTotal_ = -1;
    running_ = true;
    thread_ = std::thread([control = control_, body = std::move(body)] {
        body(*control);
        control->ended_ = true;
    });
    look_.start();
}

void BackgroundJobBase::join() {
    look_.stop();
    if (thread_.joinable())
        thread_.join();
    running_ = false;
}

void BackgroundJobBase::stop() {
    if (!running_)
        return;
    control_->stop_ = true;
    join();
}

void BackgroundJobBase::waitForFinished() {
    if (!running_)
        return;
    join();
    emit finished();
}

void BackgroundJobBase::letGo() {
    if (!running_)
        return;
    control_->stop_ = true;
    look_.stop();
    running_ = false;
    if (thread_.joinable()) {
        static const bool joinAtQuit = [] {
            if (QCoreApplication::instance())
                QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                                 [] { LetGoThreads::instance().joinAll(); });
            return true;
        }();
        (void)joinAtQuit;
        LetGoThreads::instance().add(std::move(thread_));
    }
}

void BackgroundJobBase::look() {
    const int done = control_->done_;
    const int total = control_->total_;
    if (done != shownDone_ || total != shownTotal_) {
        shownDone_ = done;
        shownTotal_ = total;
        emit progressed(done, total);
    }
    if (!control_->ended_)
        return;
    join();
    emit finished();
}
