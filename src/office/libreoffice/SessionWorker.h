#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace quotaly::office::lo {

/// The one thread that talks to the office. Callers hand it a job and wait; on the GUI thread the wait keeps
/// painting and timers going but holds back user input.
class SessionWorker
{
public:
    SessionWorker();
    ~SessionWorker();
    SessionWorker(const SessionWorker &) = delete;
    SessionWorker &operator=(const SessionWorker &) = delete;

    /// Runs task on the worker thread (at once when called from it) and rethrows what it throws. When timeoutMs
    /// (> 0) passes first, onDeadline is called once and the wait goes on until the task returns, which
    /// onDeadline must bring about; the result is then false and the task's own outcome is dropped.
    bool run(const std::function<void()> &task, int timeoutMs, const std::function<void()> &onDeadline);

private:
    struct Job;

    void loop();
    static void waitWithEvents(Job &job, int timeoutMs, const std::function<void()> &onDeadline, bool &late);
    static void waitBlocking(Job &job, int timeoutMs, const std::function<void()> &onDeadline, bool &late);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<Job>> m_jobs;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace quotaly::office::lo
