#include "msglib/CThread.h"

#include "errors/IError.h"

#include <system_error>

namespace tarvola {

CThread::CThread(StartRoutine routine) : m_startRoutine(std::move(routine)) {}

CThread::~CThread()
{
    if (!m_thread.joinable())
        return;
    // A thread that destroys its own object cannot wait for itself; it is let go instead.
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();
    else
        m_thread.join();
}

void CThread::create(void* arg, StartRoutine routine)
{
    std::function<void()> body;
    if (m_startRoutine || !routine) {
        body = [this, arg] {
            runBody(arg);
            m_running.store(false);
        };
    } else {
        body = [this, arg, routine = std::move(routine)] {
            routine(arg);
            m_running.store(false);
        };
    }
    start(std::move(body), false);
}

void CThread::kill()
{
    throw CThreadError(1, "CThread::kill()", __LINE__, "threadlib");
}

void CThread::suspend()
{
    throw CThreadError(1, "CThread::suspend()", __LINE__, "threadlib");
}

void CThread::resume()
{
    throw CThreadError(1, "CThread::resume()", __LINE__, "threadlib");
}

void CThread::runBody(void* arg)
{
    if (m_startRoutine)
        m_startRoutine(arg ? arg : static_cast<void*>(this));
    else
        run();
}

void CThread::start(std::function<void()> body, bool detach)
{
    if (m_running.load())
        throw CThreadError(static_cast<std::uint32_t>(-2), "CThread::create()", __LINE__, "threadlib");
    // The previous thread has finished its body; collect it before the std::thread is reused.
    join();
    m_running.store(true);
    std::lock_guard started(m_startLock);
    try {
        m_thread = std::thread([this, body = std::move(body)] {
            { std::lock_guard ready(m_startLock); }
            body();
        });
    } catch (const std::system_error&) {
        m_running.store(false);
        throw CThreadError(static_cast<std::uint32_t>(-2), "CThread::create()", __LINE__, "threadlib");
    }
    m_id.store(m_thread.get_id());
    if (detach)
        m_thread.detach();
}

void CThread::join()
{
    if (!m_thread.joinable())
        return;
    if (m_thread.get_id() == std::this_thread::get_id())
        throw CThreadError(static_cast<std::uint32_t>(-1), "CThread::join()", __LINE__, "threadlib");
    m_thread.join();
}

} // namespace tarvola
