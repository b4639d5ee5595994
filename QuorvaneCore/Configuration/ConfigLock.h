#pragma once

#include <string>
#include <vector>

namespace quorvane {

// An advisory lock (flock) on a lock file beside a config file, held for one read-modify-write of it.
// The command line and the application both take it around every change they make, so their changes
// never interleave; reading alone needs no lock. When links lead the path to a file elsewhere, the lock
// file beside that file is locked too, so that writers naming the file by different paths still take turns.
// The locks are released when the object is destroyed.
class ConfigLock {
public:
    // Takes the lock for the config file at `configPath`, trying for up to `timeoutSeconds`. Throws a
    // usage QuorvaneError when another holder keeps it that long; platform failures as std::system_error.
    ConfigLock(const std::string& configPath, double timeoutSeconds);
    ~ConfigLock();
    ConfigLock(const ConfigLock&) = delete;
    ConfigLock& operator=(const ConfigLock&) = delete;

    // The hidden lock file beside the path the user sees, so that a link to a read-only target still
    // locks: ".config.toml.lock" in the folder of "config.toml".
    static std::string lockFilePath(const std::string& configPath);
    // Whether the folder of the lock file is there, so that taking the lock makes no folder. Lock files, once
    // made, are never removed: two writers must always lock the same file.
    static bool folderExists(const std::string& configPath);

private:
    std::vector<int> m_fds;
};

} // namespace quorvane
