#include "Platforms/Linux/InstanceLock.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quorvane {

namespace {

pid_t readHolder(int fd)
{
    char text[32] = {};
    ssize_t length = ::pread(fd, text, sizeof text - 1, 0);
    pid_t pid = 0;
    if (length <= 0 || std::from_chars(text, text + length, pid).ec != std::errc() || pid <= 0)
        return 0;
    return pid;
}

} // namespace

InstanceLock::InstanceLock(const std::string& path)
{
    auto folder = std::filesystem::path(path).parent_path();
    if (!folder.empty() && !std::filesystem::exists(folder)) {
        if (auto above = folder.parent_path(); !above.empty())
            std::filesystem::create_directories(above);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            throw std::system_error(errno, std::generic_category(), "Could not create " + folder.string());
    }
    // Close-on-exec: an application launched from here must not carry the lock on after this process ends.
    m_file.reset(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!m_file)
        throw std::system_error(errno, std::generic_category(), "Could not open " + path);
    // The file is never removed: a process that opened it just before a removal would lock a file nobody
    // else can find.
    while (::flock(m_file.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            throw std::system_error(errno, std::generic_category(), "Could not lock " + path);
        m_holder = readHolder(m_file.get());
        return;
    }
    m_held = true;
    std::string pid = std::to_string(::getpid());
    if (::ftruncate(m_file.get(), 0) != 0 || ::pwrite(m_file.get(), pid.data(), pid.size(), 0) < 0) {
        // The lock holds without the id; a second application then only says it cannot name the first.
    }
}

std::string InstanceLock::besideSocket(const std::string& socketPath)
{
    return (std::filesystem::path(socketPath).parent_path() / "quorvane.lock").string();
}

} // namespace quorvane
