#include "window/widgets/BackgroundJob.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

constexpr int kLookEveryMs = 10;

// The jobs running and the threads of jobs let go, the latter joined when the program ends
// (before its statics go). Jobs live on the window's thread; the let-go threads are kept under a
// lock only because the static's destructor may run elsewhere.
class RunningJobs {
public:
    static RunningJobs& instance() {
        static RunningJobs jobs;
        return jobs;
    }
    void add(BackgroundJobBase* job) { jobs_.push_back(job); }
    void remove(BackgroundJobBase* job) {
        jobs_.erase(std::remove(jobs_.begin(), jobs_.end(), job), jobs_.end());
    }
    const std::vector<BackgroundJobBase*>& jobs() const { return jobs_; }

    void letGo(std::thread thread, std::shared_ptr<JobControl> control) {
        const std::lock_guard<std::mutex> lock(mutex_);
        letGo_.push_back({std::move(thread), std::move(control)});
    }
    // Joins the let-go threads that have ended; true when none is left.
    template <typename Ended> bool joinEnded(const Ended& ended) {
        const std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = letGo_.begin(); it != letGo_.end();) {
            if (ended(*it->control)) {
                it->thread.join();
                it = letGo_.erase(it);
            } else {
                ++it;
            }
        }
        return letGo_.empty();
    }
    // Threads still stuck are left to the end of the process.
    void detachAll() {
        const std::lock_guard<std::mutex> lock(mutex_);
        for (LetGo& each : letGo_)
            each.thread.detach();
        letGo_.clear();
    }
    ~RunningJobs() {
        const std::lock_guard<std::mutex> lock(mutex_);
        for (LetGo& each : letGo_)
            each.thread.join();
    }

private:
    struct LetGo {
        std::thread thread;
        std::shared_ptr<JobControl> control;
    };
    std::vector<BackgroundJobBase*> jobs_;
    std::mutex mutex_;
    std::vector<LetGo> letGo_;
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
    RunningJobs::instance().add(this);
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
    RunningJobs::instance().remove(this);
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
    RunningJobs::instance().remove(this);
    if (thread_.joinable())
        RunningJobs::instance().letGo(std::move(thread_), control_);
}

bool BackgroundJobBase::endAll(int waitMs) {
    RunningJobs& running = RunningJobs::instance();
    // Each running job is let go, so that none is waited for by its owner's destructor.
    const std::vector<BackgroundJobBase*> jobs = running.jobs();
    for (BackgroundJobBase* job : jobs)
        job->letGo();
    const auto ended = [](const JobControl& control) { return control.ended_.load(); };
    QElapsedTimer waited;
    waited.start();
    while (!running.joinEnded(ended)) {
        if (waited.elapsed() >= waitMs) {
            running.detachAll();
            return false;
        }
        QThread::msleep(5);
    }
    return true;
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
