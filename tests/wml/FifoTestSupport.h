#pragma once
// A named pipe standing where a reader expects a file.
//
// A reader that opens a FIFO blocks until someone writes to it. So that a
// faulty reader fails its test instead of hanging it, a writer thread waits
// on the pipe and feeds it a valid file: a reader that opens the pipe gets
// that file and succeeds, which the test then catches. At the end the pipe is
// opened once without blocking, so the writer never outlives the test.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
        m_writer = std::thread([path, content] {
            const int fd = ::open(path.c_str(), O_WRONLY);
            if (fd < 0) return;
            const ssize_t written = ::write(fd, content.data(), content.size());
            (void)written;
            ::close(fd);
        });
    }

    ~FeedingFifo()
    {
        if (m_made) {
            const int fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK);
            m_writer.join();
            if (fd >= 0) ::close(fd);
        }
        ::unlink(m_path.c_str());
    }

    FeedingFifo(const FeedingFifo&) = delete;
    FeedingFifo& operator=(const FeedingFifo&) = delete;

    bool Made() const { return m_made; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    bool m_made = false;
    std::thread m_writer;
};
