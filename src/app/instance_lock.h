#pragma once

#include <filesystem>

namespace koru::app {

// One running instance per program folder: an exclusive lock on a file there, held for the
// life of the object and released by the system if the process dies.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another instance holds the lock.
    bool acquire(const std::filesystem::path& folder);

private:
    int m_fd = -1;
};

}  // namespace koru::app
