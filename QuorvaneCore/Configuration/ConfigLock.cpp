#include "Configuration/ConfigLock.h"

#include "Support/QuorvaneError.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <optional>
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

using Clock = std::chrono::steady_clock;

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

// The lock file beside the file that `configPath` finally names, when links make that another one than
// beside `configPath` itself.
std::optional<std::string> resolvedLockFilePath(const std::string& configPath)
{
    std::error_code error;
    fs::path given = fs::absolute(configPath, error);
    if (error)
        return std::nullopt;
    fs::path file = fs::weakly_canonical(given, error);
    if (error)
        return std::nullopt;
    fs::path folder = fs::weakly_canonical(given.parent_path(), error);
    // A link to a folder that is not there yet gets no folder made for a lock.
    if (error || !fs::is_directory(file.parent_path(), error))
        return std::nullopt;
    std::string lock = ConfigLock::lockFilePath(file.string());
    if (lock == ConfigLock::lockFilePath((folder / given.filename()).string()))
        return std::nullopt;
    return lock;
}

std::string secondsText(double seconds)
{
    std::ostringstream text;
    text << seconds;
    return text.str();
}

// Takes the lock on `fd` by `deadline`: flock has no timeout of its own, so it tries without blocking and
// pauses between tries, briefly at first.
void lockBy(int fd, Clock::time_point deadline, const std::string& configPath, double timeoutSeconds)
{
    auto pause = std::chrono::milliseconds(1);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            throwErrno("Cannot lock " + ConfigLock::lockFilePath(configPath));
        auto now = Clock::now();
        if (now >= deadline) {
            throw QuorvaneError::usage("Another change to " + configPath + " did not finish within "
                + secondsText(timeoutSeconds) + " seconds. Try again.");
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
}

} // namespace

ConfigLock::ConfigLock(const std::string& configPath, double timeoutSeconds)
{
    auto deadline
        = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    try {
        m_fds.push_back(openLockFile(lockFilePath(configPath)));
        lockBy(m_fds.back(), deadline, configPath, timeoutSeconds);
        // A writer that names the file by another path, through a link or straight, locks beside the file
        // itself too; always second, so two writers never wait on each other's first lock.
        if (std::optional<std::string> resolved = resolvedLockFilePath(configPath)) {
            try {
                m_fds.push_back(openLockFile(*resolved));
            } catch (const std::system_error&) {
                // Where no lock file can be made (a read-only folder, /proc) the file cannot be replaced either,
                // and the save reports that itself; the lock beside the path still keeps its writers in turn.
            }
            if (m_fds.size() == 2)
                lockBy(m_fds.back(), deadline, configPath, timeoutSeconds);
        }
    } catch (...) {
        for (int fd : m_fds)
            ::close(fd);
        throw;
    }
}

ConfigLock::~ConfigLock()
{
    for (int fd : m_fds)
        ::close(fd);
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
