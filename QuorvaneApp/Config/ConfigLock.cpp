#include "QuorvaneApp/Config/ConfigLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quorvane {

ConfigLock::ConfigLock(const std::string& configPath)
{
    int fd = ::open(lockFile(configPath).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    int result;
    do
        result = ::flock(fd, LOCK_EX);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
}

ConfigLock::~ConfigLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string ConfigLock::lockFile(const std::string& configPath)
{
    return configPath + ".lock";
}

} // namespace quorvane
