#include "platform/EngineThread.h"

#include "base/Application.h"
#include "movie/Interruption.h"

#include <exception>

EngineThread::EngineThread() : stop_(std::make_shared<std::atomic<bool>>(false))
{
    thread_.setObjectName(QStringLiteral("title movie"));
    worker_.moveToThread(&thread_);
}

EngineThread::~EngineThread()
{
    cancel();
    thread_.quit();
    thread_.wait();
}

void EngineThread::run(Job job)
{
    // Started by the first job: most sessions never play the title.
    if (!thread_.isRunning())
        thread_.start();
    ++jobsOut_;
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        &worker_,
        [this, job = std::move(job), stop = stop_, generation] {
            const movie::InterruptionScope scope(*stop);
            Done done;
            try {
                done = job();
            } catch (...) {
                // Whatever the job could not do is the editor's error to show.
                done = [failure = std::current_exception()] { std::rethrow_exception(failure); };
            }
            QMetaObject::invokeMethod(
                &context_,
                [this, generation, done = std::move(done)]() mutable { finished(generation, std::move(done)); },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void EngineThread::cancel()
{
    ++generation_;
    stop_->store(true);
    stop_ = std::make_shared<std::atomic<bool>>(false);
}

void EngineThread::whenIdle(std::function<void()> work)
{
    if (busy())
        idleWork_.push_back(std::move(work));
    else
        work();
}

void EngineThread::finished(quint64 generation, Done done)
{
    --jobsOut_;
    if (generation != generation_) {
        // Dropped: what it holds (a whole movie, perhaps) is freed over there.
        QMetaObject::invokeMethod(
            &worker_, [dropped = std::move(done)] {}, Qt::QueuedConnection);
    } else if (done) {
        Application::runBehaviour(done);
    }
    while (!busy() && !idleWork_.empty()) {
        const std::function<void()> work = idleWork_.front();
        idleWork_.erase(idleWork_.begin());
        Application::runBehaviour(work);
    }
}
