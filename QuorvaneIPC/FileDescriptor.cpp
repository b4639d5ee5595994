#include "QuorvaneIPC/FileDescriptor.h"

#include <unistd.h>

namespace quorvane {

void FileDescriptor::reset(int fd)
{
    if (m_fd >= 0 && m_fd != fd)
        ::close(m_fd);
    m_fd = fd;
}

} // namespace quorvane
