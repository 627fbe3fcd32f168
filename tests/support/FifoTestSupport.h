#pragma once
// A named pipe standing where a reader expects a file.
//
// A reader that opens a FIFO blocks until someone writes to it. So that a
// faulty reader fails its test instead of hanging it, a writer thread waits
// for a reader to open the pipe (polling without blocking) and then feeds it
// a valid file: the reader succeeds where it should have refused, and
// WasOpened() tells that the pipe was opened at all.

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

class FeedingFifo {
public:
    /// content must fit a pipe's buffer (a few kilobytes is safe).
    FeedingFifo(const std::string& path, const std::string& content) : m_path(path)
    {
        ::unlink(path.c_str());
        m_made = ::mkfifo(path.c_str(), 0600) == 0;
        if (!m_made) return;
        m_writer = std::thread([this, content] {
            // A reader that closes the pipe before the content arrives must
            // not take the test process down with SIGPIPE.
            sigset_t pipeSignal;
            sigemptyset(&pipeSignal);
            sigaddset(&pipeSignal, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
            while (!m_stop) {
                // Succeeds only while some reader has the pipe open.
                const int fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    m_opened = true;
                    const ssize_t written = ::write(fd, content.data(), content.size());
                    (void)written;
                    ::close(fd);
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }

    ~FeedingFifo()
    {
        Stop();
        ::unlink(m_path.c_str());
    }

    FeedingFifo(const FeedingFifo&) = delete;
    FeedingFifo& operator=(const FeedingFifo&) = delete;

    bool Made() const { return m_made; }
    const std::string& Path() const { return m_path; }

    /// Stops the writer, then answers whether a reader ever opened the pipe.
    bool WasOpened()
    {
        Stop();
        return m_opened;
    }

private:
    void Stop()
    {
        m_stop = true;
        if (m_writer.joinable()) m_writer.join();
    }

    std::string m_path;
    bool m_made = false;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_opened{false};
    std::thread m_writer;
};
