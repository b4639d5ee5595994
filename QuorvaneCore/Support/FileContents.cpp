#include "Support/FileContents.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace quorvane::FileContents {

namespace {

[[noreturn]] void fail(int error, const std::string& path)
{
    throw std::system_error(error, std::generic_category(), "Could not read " + path);
}

class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor() { ::close(m_fd); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

std::string read(const std::string& path)
{
    std::optional<std::string> contents = readIfPresent(path);
    if (!contents)
        fail(ENOENT, path);
    return std::move(*contents);
}

std::optional<std::string> readIfPresent(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT)
        return std::nullopt;
    if (fd < 0)
        fail(errno, path);
    Descriptor file(fd);
    std::string contents;
    char chunk[16384];
    for (;;) {
        ssize_t count = ::read(file.get(), chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            fail(errno, path);
        if (count == 0)
            return contents;
        contents.append(chunk, static_cast<size_t>(count));
    }
}

std::optional<std::string> readIfReadable(const std::string& path)
{
    try {
        return read(path);
    } catch (const std::system_error&) {
        return std::nullopt;
    }
}

} // namespace quorvane::FileContents
