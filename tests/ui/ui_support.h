#pragma once
// Helpers of the window tests: captured messages, paths as Qt text, a folder of test files.

#include "fileio/fileio.h"
#include "tests/support/builders.h"
#include "ui/folders.h"
#include "ui/form1.h"
#include "ui/jobrunner.h"
#include "ui/messages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QItemSelectionModel>
#include <QStringList>
#include <QTest>
#include <QThreadPool>
#include <future>

namespace varnox::test {

// Collects the messages a window would have shown in a box.
struct Messages {
    QStringList texts;
    ui::MessageSink Sink()
    {
        return [this](const QString& text) { texts.append(text); };
    }
};

inline QString Q(const Path& path)
{
    return ui::ToQString(path);
}

inline void MakeFolder(const Path& path)
{
    std::filesystem::create_directories(path);
}

// Answers a window's questions in turn (Ja once they run out), recording them.
struct Questions {
    QStringList texts;
    QList<bool> offeredAll;
    QList<jobs::ReplaceAnswer> answers;
    std::function<void()> whileAsked; // runs inside each question, before it is answered
    ui::QuestionSink Sink()
    {
        return [this](const QString& text, bool offerAll) {
            texts.append(text);
            offeredAll.append(offerAll);
            if (whileAsked)
                whileAsked();
            return answers.isEmpty() ? jobs::ReplaceAnswer::Yes : answers.takeFirst();
        };
    }
};

// Runs the event loop until no job runs on runner; false when one still runs after a minute.
inline bool WaitForJob(const ui::JobRunner& runner)
{
    return QTest::qWaitFor([&] { return !runner.IsBusy(); }, 60000);
}

// Holds back the worker: jobs started while the gate stands wait until it is released.
class WorkerGate {
  public:
    WorkerGate() : pool_(QThreadPool::globalInstance()), threads_(pool_->maxThreadCount())
    {
        pool_->setMaxThreadCount(1);
        pool_->start([opened = opened_.get_future().share()] { opened.wait(); });
    }
    ~WorkerGate() { Release(); }
    WorkerGate(const WorkerGate&) = delete;
    WorkerGate& operator=(const WorkerGate&) = delete;

    void Release()
    {
        if (released_)
            return;
        released_ = true;
        opened_.set_value();
        pool_->setMaxThreadCount(threads_);
    }

  private:
    QThreadPool* pool_;
    int threads_;
    std::promise<void> opened_;
    bool released_ = false;
};

// Selects item row alone in the unpacker's item list.
inline void SelectItem(ui::Form1& form, int row)
{
    form.lstitems->selectionModel()->setCurrentIndex(form.lstitems->model()->index(row, 0),
                                                     QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
}

// Runs the deletions that closed windows asked for.
inline void RunDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace varnox::test
