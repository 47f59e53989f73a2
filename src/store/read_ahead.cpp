// Reading ahead on a thread of its own.
#include "store/read_ahead.h"

#include "store/posix_file.h"

#include <system_error>

namespace horavant::dbf {

ReadAhead::~ReadAhead()
{
    if (!m_thread.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

bool ReadAhead::worthwhile()
{
    static const bool two = std::thread::hardware_concurrency() >= 2;
    return two;
}

bool ReadAhead::start(int fd, std::uint8_t* data, std::size_t size, std::uint64_t offset)
{
    finish();
    if (!m_thread.joinable()) {
        try {
            m_thread = std::thread(&ReadAhead::run, this);
        } catch (const std::system_error&) {
            return false;  // the system gives no more threads: the scan reads on its own
        }
    }
    {
        const std::lock_guard lock(m_mutex);
        m_job = Job {fd, data, size, offset};
        m_busy = true;
    }
    m_changed.notify_all();
    return true;
}

long long ReadAhead::finish()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_busy; });
    const long long got = m_got;
    m_got = 0;
    return got;
}

void ReadAhead::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || m_job; });
        if (!m_job)
            return;
        const Job job = *m_job;
        m_job.reset();
        lock.unlock();
        const long long got = readFullyAt(job.fd, job.data, job.size, job.offset);
        lock.lock();
        m_got = got;
        m_busy = false;
        m_changed.notify_all();
    }
}

}  // namespace horavant::dbf
