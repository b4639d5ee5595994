#pragma once

#include <string>

namespace quorvane {

// The advisory lock that the application and the command-line tool take around a read-modify-write of
// the config file, so that the two never interleave. Held for the object's life.
class ConfigLock {
public:
    // Waits for the lock on the lock file beside `configPath`. When the lock file cannot be opened (a
    // read-only folder) the lock is not held and the write that follows reports its own failure.
    explicit ConfigLock(const std::string& configPath);
    ~ConfigLock();
    ConfigLock(const ConfigLock&) = delete;
    ConfigLock& operator=(const ConfigLock&) = delete;

    bool held() const { return m_fd >= 0; }

    // The lock file that guards `configPath`.
    static std::string lockFile(const std::string& configPath);

private:
    int m_fd = -1;
};

} // namespace quorvane
