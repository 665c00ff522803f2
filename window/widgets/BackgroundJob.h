#pragma once

#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

// What a piece of background work sees of its job: whether it should stop, and where to tell
// how far it is.
class JobControl {
public:
    bool stopRequested() const { return stop_.load(); }
    void report(int done, int total) {
        total_ = total;
        done_ = done;
    }

private:
    friend class BackgroundJobBase;
    std::atomic<bool> stop_{false};
    std::atomic<bool> ended_{false};
    std::atomic<int> done_{0};
    std::atomic<int> total_{0};
};

// One piece of work on a thread of its own, its result handed to the window's thread. The window
// looks every 10 ms whether the work has ended and how far it is; the result passes over once the
// thread has ended and been joined. Only the standard library's threads and atomics stand between
// the two, so ThreadSanitizer sees every hand-over whole.
//
// A job that is stopped (stop(), or the job destroyed) is waited for; one that is let go
// (letGo()) goes on alone with what it owns and is waited for when the program ends.
class BackgroundJobBase : public QObject {
    Q_OBJECT
public:
    explicit BackgroundJobBase(QObject* parent = nullptr);
    ~BackgroundJobBase() override;

    bool isRunning() const { return running_; }
    // Whether the work has ended and waits to be taken (by the next look, or waitForFinished()).
    bool hasEnded() const { return running_ && control_->ended_; }
    // Asks the work to stop and waits for it; finished() does not come.
    void stop();
    // Waits for the work to end without asking it to stop, and tells finished() at once.
    void waitForFinished();
    // Asks the work to stop and goes on without waiting for it; finished() does not come.
    void letGo();

    // At the program's end: asks every job still running, let go or not, to stop, and waits up
    // to waitMs for all of them. False when one has not ended by then: it is stuck in a file
    // call that does not return (a share that no longer answers), and the program should end
    // without waiting for it rather than linger unseen, holding the program folder's lock.
    static bool endAll(int waitMs);

signals:
    void progressed(int done, int total);
    // On the window's thread, after the work has ended.
    void finished();

protected:
    // body runs on the new thread; what it writes is the caller's once finished() comes.
    void startThread(std::function<void(JobControl&)> body);

private:
    void look();
    void join();

    std::thread thread_;
    std::shared_ptr<JobControl> control_;
    QTimer look_;
    bool running_ = false;
    int shownDone_ = -1;
    int shownTotal_ = -1;
};

template <typename Result> class BackgroundJob;

// Destroys object on a thread of its own, let go: freeing tens of thousands of records and their
// keys, piece by piece, can hold the window for most of 100 ms when the heap is large.
template <typename T> void destroyInBackground(std::unique_ptr<T> object);

template <typename Result> class BackgroundJob : public BackgroundJobBase {
public:
    using BackgroundJobBase::BackgroundJobBase;
    // The work is waited for before the result it writes goes.
    ~BackgroundJob() override { stop(); }

    void start(std::function<Result(JobControl&)> work) {
        result_ = std::make_shared<std::optional<Result>>();
        startThread([result = result_, work = std::move(work)](JobControl& control) {
            *result = work(control);
        });
    }
    // After finished(): the result, taken.
    Result takeResult() { return std::move(**result_); }

private:
    // Shared with the work, so that a job let go writes into what it still owns.
    std::shared_ptr<std::optional<Result>> result_;
};

template <typename T> void destroyInBackground(std::unique_ptr<T> object) {
    if (!object)
        return;
    BackgroundJob<bool> job;
    job.start([owned = std::shared_ptr<T>(std::move(object))](JobControl&) mutable {
        owned.reset();
        return true;
    });
    job.letGo();
}
