#pragma once
// The worker both windows run their jobs on: one job at a time, off the window thread.
// Jobs share no state with the windows: each returns its results, the window stores them.
// Whatever a job throws ends it as a failure, told to the window on its thread.

#include "jobs/convert.h"
#include "jobs/progress.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>

namespace varnox::ui {

// A question to the user from a job: its text in, the answer out. Called on the worker; it is
// asked on the window thread.
using JobQuestion = std::function<jobs::ReplaceAnswer(const QString& text)>;

class JobRunner : public QObject {
    Q_OBJECT
  public:
    using Work = std::function<void(jobs::JobProgress& progress)>;
    // What a job threw, in the user's language; nullopt when it ran to its end.
    using Failure = std::optional<QString>;

    explicit JobRunner(QObject* parent = nullptr);
    // Cancels a running job and waits for it.
    ~JobRunner() override;
    JobRunner(const JobRunner&) = delete;
    JobRunner& operator=(const JobRunner&) = delete;

    // Runs work on the worker, then done on the window thread unless owner is gone by then,
    // with what work threw (std::bad_alloc: "Nicht genug Arbeitsspeicher"). Refuses (false,
    // nothing started) while a job runs.
    bool Start(QObject* owner, Work work, std::function<void(const Failure& failure)> done);

    // Runs work (JobProgress& -> a value) on the worker and hands its value to done (as a
    // std::shared_ptr) on the window thread; failed (const QString&) gets what work threw instead.
    template <class WorkFunction, class Done, class Failed>
    bool Run(QObject* owner, WorkFunction work, Done done, Failed failed)
    {
        using Result = std::invoke_result_t<WorkFunction&, jobs::JobProgress&>;
        auto slot = std::make_shared<std::shared_ptr<Result>>();
        return Start(
            owner,
            [work = std::move(work), slot](jobs::JobProgress& progress) {
                *slot = std::make_shared<Result>(work(progress));
            },
            [slot, done = std::move(done), failed = std::move(failed)](const Failure& failure) {
                if (failure)
                    failed(*failure);
                else
                    done(*slot);
            });
    }

    bool IsBusy() const { return busy_; }
    bool IsRunningFor(const QObject* owner) const { return busy_ && owner_ == owner; }
    // The progress of the running job, or of the last one; null before the first.
    const jobs::JobProgress* Progress() const { return progress_.get(); }

    // Asks the running job to stop at its next safe point.
    void Cancel();
    // Cancels the running job and blocks until it has ended; a question it is waiting on is
    // answered Cancel. Its done still runs later from the event loop, if its owner lives.
    void CancelAndWait();

    // Called on the worker: runs question on the window thread and returns its answer;
    // Cancel when the job is being stopped before it was asked.
    jobs::ReplaceAnswer Ask(const std::function<jobs::ReplaceAnswer()>& question);
    // A question for a job to take along: ask runs on the window thread while owner lives;
    // once owner is gone the answer is Cancel.
    JobQuestion MakeQuestion(QObject* owner, std::function<jobs::ReplaceAnswer(const QString& text)> ask);

  signals:
    // A job started (true) or ended (false, after its done ran).
    void BusyChanged(bool busy);
    // From the worker: a question waits for the window thread (queued to AnswerQuestion).
    void QuestionWaiting();

  private:
    struct PendingQuestion;
    void Finished();
    void AnswerQuestion();

    QFutureWatcher<void> watcher_;
    std::shared_ptr<jobs::JobProgress> progress_;
    QPointer<QObject> owner_;
    std::function<void(const Failure&)> done_;
    std::shared_ptr<Failure> failure_;
    bool busy_ = false;

    std::mutex mutex_; // guards stopping_ and question_
    bool stopping_ = false;
    std::shared_ptr<PendingQuestion> question_;
};

// Lets value go on a pooled thread: a large container is freed off the window thread.
template <class T> void DisposeOffThread(T value)
{
    auto held = std::make_shared<T>(std::move(value));
    QThreadPool::globalInstance()->start([held = std::move(held)]() mutable { held.reset(); });
}

} // namespace varnox::ui
