#include "persist/RecoveryWriter.h"

#include <system_error>

#include "persist/RecoveryFiles.h"

namespace vynui {

RecoveryWriter::RecoveryWriter() : m_thread([this] { Run(); }) {}

RecoveryWriter::~RecoveryWriter()
{
    {
        boost::mutex::scoped_lock lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void RecoveryWriter::Write(const std::filesystem::path& path, std::string text)
{
    {
        boost::mutex::scoped_lock lock(m_mutex);
        for (Job& job : m_jobs)
            if (!job.remove && job.path == path) {
                job.text = std::move(text);
                return;
            }
        m_jobs.push_back({false, path, std::move(text)});
    }
    m_wake.notify_all();
}

void RecoveryWriter::Remove(const std::filesystem::path& path)
{
    {
        boost::mutex::scoped_lock lock(m_mutex);
        for (auto it = m_jobs.begin(); it != m_jobs.end();)
            it = (!it->remove && it->path == path) ? m_jobs.erase(it) : it + 1;
        m_jobs.push_back({true, path, std::string()});
    }
    m_wake.notify_all();
}

void RecoveryWriter::Flush()
{
    boost::mutex::scoped_lock lock(m_mutex);
    while (!m_jobs.empty() || m_busy) m_idle.wait(lock);
}

std::string RecoveryWriter::TakeError()
{
    boost::mutex::scoped_lock lock(m_mutex);
    std::string error;
    error.swap(m_error);
    return error;
}

int RecoveryWriter::WritesDone() const
{
    boost::mutex::scoped_lock lock(m_mutex);
    return m_writes;
}

void RecoveryWriter::Run()
{
    boost::mutex::scoped_lock lock(m_mutex);
    for (;;) {
        while (m_jobs.empty() && !m_stopping) m_wake.wait(lock);
        if (m_jobs.empty()) break;  // stopping, and nothing left to do
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        lock.unlock();
        std::string error;
        bool ok = true;
        if (job.remove) {
            std::error_code ec;
            std::filesystem::remove(job.path, ec);
        } else {
            ok = WriteFileAtomically(job.path, job.text, error);
        }
        lock.lock();
        m_busy = false;
        if (!job.remove) {
            if (ok)
                ++m_writes;
            else
                m_error = error;
        }
        if (m_jobs.empty()) m_idle.notify_all();
    }
    m_idle.notify_all();
}

}  // namespace vynui
