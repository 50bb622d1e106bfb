#include "ui/jobrunner.h"

#include "formats/text.h"
#include "ui/messages.h"

#include <QtConcurrent/QtConcurrentRun>
#include <exception>
#include <new>

namespace varnox::ui {

// A question from the worker waiting for its answer from the window thread.
struct JobRunner::PendingQuestion {
    std::mutex mutex;
    std::condition_variable answered;
    std::optional<jobs::ReplaceAnswer> answer;
    std::function<jobs::ReplaceAnswer()> ask;

    void Give(jobs::ReplaceAnswer given)
    {
        {
            const std::lock_guard lock(mutex);
            if (answer)
                return;
            answer = given;
        }
        answered.notify_all();
    }

    bool Open()
    {
        const std::lock_guard lock(mutex);
        return !answer;
    }
};

JobRunner::JobRunner(QObject* parent) : QObject(parent)
{
    connect(&watcher_, &QFutureWatcher<void>::finished, this, &JobRunner::Finished);
    connect(this, &JobRunner::QuestionWaiting, this, &JobRunner::AnswerQuestion, Qt::QueuedConnection);
}

JobRunner::~JobRunner()
{
    CancelAndWait();
}

namespace {

// Runs work, returning the text of what it threw.
JobRunner::Failure RunCaught(const JobRunner::Work& work, jobs::JobProgress& progress)
{
    try {
        work(progress);
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return Varnox::tr("Nicht genug Arbeitsspeicher");
    } catch (const std::exception& error) {
        return QString::fromStdString(Translate(error.what()));
    } catch (...) {
        return Varnox::tr("unbekannter Fehler");
    }
}

} // namespace

bool JobRunner::Start(QObject* owner, Work work, std::function<void(const Failure& failure)> done)
{
    if (busy_)
        return false;
    busy_ = true;
    owner_ = owner;
    done_ = std::move(done);
    progress_ = std::make_shared<jobs::JobProgress>();
    failure_ = std::make_shared<Failure>();
    watcher_.setFuture(QtConcurrent::run([work = std::move(work), progress = progress_, failure = failure_] {
        *failure = RunCaught(work, *progress);
    }));
    emit BusyChanged(true);
    return true;
}

void JobRunner::Finished()
{
    if (!busy_)
        return;
    busy_ = false;
    const std::function<void(const Failure&)> done = std::move(done_);
    done_ = nullptr;
    const bool ownerAlive = !owner_.isNull();
    owner_.clear();
    if (ownerAlive && done)
        done(*failure_);
    emit BusyChanged(false);
}

void JobRunner::Cancel()
{
    if (busy_ && progress_)
        progress_->Cancel();
}

void JobRunner::CancelAndWait()
{
    if (!busy_)
        return;
    Cancel();
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        if (question_)
            question_->Give(jobs::ReplaceAnswer::Cancel);
    }
    watcher_.waitForFinished();
    const std::lock_guard lock(mutex_);
    stopping_ = false;
}

jobs::ReplaceAnswer JobRunner::Ask(const std::function<jobs::ReplaceAnswer()>& question)
{
    auto pending = std::make_shared<PendingQuestion>();
    pending->ask = question;
    {
        const std::lock_guard lock(mutex_);
        if (stopping_)
            return jobs::ReplaceAnswer::Cancel;
        question_ = pending;
    }
    emit QuestionWaiting();
    std::unique_lock wait(pending->mutex);
    pending->answered.wait(wait, [&] { return pending->answer.has_value(); });
    const jobs::ReplaceAnswer answer = *pending->answer;
    wait.unlock();
    const std::lock_guard lock(mutex_);
    question_.reset();
    return answer;
}

JobQuestion JobRunner::MakeQuestion(QObject* owner,
                                    std::function<jobs::ReplaceAnswer(const QString& text)> ask)
{
    return [this, guard = QPointer<QObject>(owner), ask = std::move(ask)](const QString& text) {
        return Ask([guard, ask, text] { return guard ? ask(text) : jobs::ReplaceAnswer::Cancel; });
    };
}

void JobRunner::AnswerQuestion()
{
    std::shared_ptr<PendingQuestion> pending;
    {
        const std::lock_guard lock(mutex_);
        pending = question_;
    }
    // Not asked once the answer was given for it (the job is being stopped).
    if (pending && pending->Open())
        pending->Give(pending->ask());
}

} // namespace varnox::ui
