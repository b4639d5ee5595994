#pragma once

#include "QuorvaneIPC/FileDescriptor.h"

#include <string>
#include <sys/types.h>

namespace quorvane {

// One running application per login: an exclusive lock on a file beside the socket, held while this object
// lives. The lock goes with the process however it ends, so a crashed application never stands in the way.
class InstanceLock {
public:
    // Tries to take the lock on the file at `path` (its folder made private when missing) and, when taken,
    // writes this process's id in it. Throws std::system_error when the file cannot be opened.
    explicit InstanceLock(const std::string& path);

    // Whether this process holds the lock.
    bool held() const { return m_held; }
    // The id of the process holding the lock when another one does, as written in the file; 0 when unknown.
    pid_t holder() const { return m_holder; }

    // The lock file beside the socket at `socketPath`.
    static std::string besideSocket(const std::string& socketPath);

private:
    FileDescriptor m_file;
    bool m_held = false;
    pid_t m_holder = 0;
};

} // namespace quorvane
