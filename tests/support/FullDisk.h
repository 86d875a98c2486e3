#pragma once

#include <csignal>
#include <sys/resource.h>

namespace testing {

// Lets no file grow past room bytes for its time, as on a full disk: a write past the limit
// fails instead of ending the process. A program started meanwhile keeps the limit.
class FullDisk
{
public:
    explicit FullDisk(rlim_t room = 3)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit full { room, m_before.rlim_max };
        ::setrlimit(RLIMIT_FSIZE, &full);
    }
    ~FullDisk()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_handler);
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

private:
    rlimit m_before {};
    void (*m_handler)(int) = nullptr;
};

} // namespace testing
