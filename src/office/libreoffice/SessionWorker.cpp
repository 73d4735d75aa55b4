#include "SessionWorker.h"

#include <chrono>

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace quotaly::office::lo {

struct SessionWorker::Job
{
    const std::function<void()> *task = nullptr; // lives on the waiting caller's stack until done
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::exception_ptr failure;
    QEventLoop *loop = nullptr; // the GUI thread's wait, woken when done
};

SessionWorker::SessionWorker() : m_thread([this] { loop(); })
{
}

SessionWorker::~SessionWorker()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void SessionWorker::loop()
{
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            job = m_jobs.front();
            m_jobs.pop_front();
        }
        std::exception_ptr failure;
        try {
            (*job->task)();
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard lock(job->mutex);
        job->failure = failure;
        job->done = true;
        if (QEventLoop *waiting = job->loop)
            QMetaObject::invokeMethod(waiting, [waiting] { waiting->quit(); }, Qt::QueuedConnection);
        job->finished.notify_all();
    }
}

bool SessionWorker::run(const std::function<void()> &task, int timeoutMs, const std::function<void()> &onDeadline)
{
    if (std::this_thread::get_id() == m_thread.get_id()) {
        task();
        return true;
    }
    auto job = std::make_shared<Job>();
    job->task = &task;
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(job);
    }
    m_wake.notify_all();

    bool late = false;
    const QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread())
        waitWithEvents(*job, timeoutMs, onDeadline, late);
    else
        waitBlocking(*job, timeoutMs, onDeadline, late);
    if (late)
        return false;
    if (job->failure)
        std::rethrow_exception(job->failure);
    return true;
}

void SessionWorker::waitWithEvents(Job &job, int timeoutMs, const std::function<void()> &onDeadline, bool &late)
{
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (timeoutMs > 0)
        deadline.start(timeoutMs);
    for (;;) {
        {
            std::lock_guard lock(job.mutex);
            if (job.done) {
                job.loop = nullptr;
                return;
            }
            job.loop = &loop;
        }
        if (timeoutMs > 0 && !late && !deadline.isActive()) {
            late = true;
            onDeadline();
        }
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

void SessionWorker::waitBlocking(Job &job, int timeoutMs, const std::function<void()> &onDeadline, bool &late)
{
    std::unique_lock lock(job.mutex);
    if (timeoutMs > 0 &&
        !job.finished.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&job] { return job.done; })) {
        late = true;
        lock.unlock();
        onDeadline();
        lock.lock();
    }
    job.finished.wait(lock, [&job] { return job.done; });
}

} // namespace quotaly::office::lo
