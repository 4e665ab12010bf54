#pragma once

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "db/destination_lock.h"

namespace koru::test {

// Another process holding the destination lock of an embedded database until it is killed,
// as a second import elsewhere would.
class LockHolder {
public:
    explicit LockHolder(const std::filesystem::path& databaseFile) {
        int ready[2];
        if (::pipe(ready) != 0) throw std::runtime_error("pipe");
        m_pid = ::fork();
        if (m_pid < 0) throw std::runtime_error("fork");
        if (m_pid == 0) {
            ::close(ready[0]);
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive a test that crashed
            char held = '0';
            try {
                auto lock = db::makeFileDestinationLock(databaseFile);
                held = lock->acquire(std::chrono::milliseconds(0)) ? '1' : '0';
                [[maybe_unused]] ssize_t n = ::write(ready[1], &held, 1);
                if (held == '1') ::pause();
            } catch (...) {
                [[maybe_unused]] ssize_t n = ::write(ready[1], &held, 1);
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        char held = '0';
        [[maybe_unused]] ssize_t n = ::read(ready[0], &held, 1);
        ::close(ready[0]);
        m_held = held == '1';
    }
    ~LockHolder() { kill(); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    // Dies without releasing anything, as a crashed import does.
    void kill() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    bool held() const { return m_held; }

private:
    pid_t m_pid = -1;
    bool m_held = false;
};

}  // namespace koru::test
