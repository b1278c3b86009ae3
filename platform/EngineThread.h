#pragma once

#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

// A thread of its own for the title movie's work: loading the movie,
// stepping it and drawing its frames. The editor's thread hands it one job
// at a time and goes on answering events; when the job is done, what it
// returned runs back on the editor's thread as a behaviour of its own
// (Application::runBehaviour), so an error of the job reaches the standard
// error box like any other.
//
// While a job is out, the objects it was given are the job's: the editor's
// thread touches them again only in what the job returns, or in work handed
// to whenIdle().
class EngineThread {
public:
    // What a job returns: the work that follows on the editor's thread.
    using Done = std::function<void()>;
    using Job = std::function<Done()>;

    EngineThread();
    // Cancels, then waits for the job under way, which ends soon.
    ~EngineThread();
    EngineThread(const EngineThread&) = delete;
    EngineThread& operator=(const EngineThread&) = delete;

    // Runs `job` on the engine's thread after those given before.
    void run(Job job);
    // Asks the jobs under way to end soon (the engine's long loops look at
    // the request: movie::interruptionRequested) and drops what they were
    // to do next. Work waiting in whenIdle() still runs once they are back.
    void cancel();
    // Whether a job is out, a cancelled one included.
    bool busy() const { return jobsOut_ > 0; }
    // Runs `work` now when no job is out, else once every job is back.
    void whenIdle(std::function<void()> work);

private:
    void finished(quint64 generation, Done done);

    QThread thread_;
    QObject worker_;  // lives on thread_: jobs are queued to it
    QObject context_; // lives here: what jobs return is queued to it
    int jobsOut_ = 0;
    quint64 generation_ = 0; // what jobs of an older one return is dropped
    std::shared_ptr<std::atomic<bool>> stop_;
    std::vector<std::function<void()>> idleWork_;
};
