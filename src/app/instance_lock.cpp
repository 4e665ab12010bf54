#include "app/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace koru::app {

InstanceLock::~InstanceLock() {
    if (m_fd >= 0) ::close(m_fd);
}

bool InstanceLock::acquire(const std::filesystem::path& folder) {
    if (m_fd >= 0) return true;
    std::filesystem::path lockFile = folder / "koru.lock";
    int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;  // a folder we cannot lock in must not stop the program
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

}  // namespace koru::app
