#include "Configuration/ConfigLock.h"

#include "Support/QuorvaneError.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <sys/file.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace quorvane {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void throwErrno(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

int openLockFile(const std::string& path)
{
    std::error_code error;
    fs::path folder = fs::path(path).parent_path();
    if (!folder.empty())
        fs::create_directories(folder, error);
    if (error)
        throw std::system_error(error, "Cannot create folder " + folder.string());
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    // A lock file someone else made, in a folder this user may not write, still locks when read-only.
    if (fd < 0 && (errno == EACCES || errno == EROFS)) {
        int denied = errno;
        fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        // No lock file yet: what stopped making one is the reason.
        if (fd < 0 && errno == ENOENT)
            errno = denied;
    }
    if (fd < 0)
        throwErrno("Cannot open the lock file " + path);
    return fd;
}

std::string secondsText(double seconds)
{
    std::ostringstream text;
    text << seconds;
    return text.str();
}

} // namespace

ConfigLock::ConfigLock(const std::string& configPath, double timeoutSeconds)
    : m_fd(openLockFile(lockFilePath(configPath)))
{
    using Clock = std::chrono::steady_clock;
    auto deadline
        = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    // flock has no timeout of its own: try without blocking and pause between tries, briefly at first.
    auto pause = std::chrono::milliseconds(1);
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK) {
            int error = errno;
            ::close(m_fd);
            throw std::system_error(error, std::generic_category(), "Cannot lock " + lockFilePath(configPath));
        }
        auto now = Clock::now();
        if (now >= deadline) {
            ::close(m_fd);
            throw QuorvaneError::usage("Another change to " + configPath + " did not finish within "
                + secondsText(timeoutSeconds) + " seconds. Try again.");
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
}

ConfigLock::~ConfigLock()
{
    ::close(m_fd);
}

bool ConfigLock::folderExists(const std::string& configPath)
{
    fs::path folder = fs::path(lockFilePath(configPath)).parent_path();
    std::error_code error;
    return folder.empty() || fs::exists(fs::symlink_status(folder, error));
}

std::string ConfigLock::lockFilePath(const std::string& configPath)
{
    fs::path path(configPath);
    return (path.parent_path() / ("." + path.filename().string() + ".lock")).string();
}

} // namespace quorvane
