#include "Support/FileContents.h"

#include "Support/QuorvaneError.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
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

void requireRegular(const struct stat& status, const std::string& path)
{
    if (!S_ISREG(status.st_mode))
        throw QuorvaneError::usage("Quorvane reads only regular files, and " + path + " is not one.");
}

QuorvaneError tooLarge(const std::string& path, size_t maximumSize)
{
    std::string limit = maximumSize % (1024 * 1024) == 0 ? std::to_string(maximumSize / (1024 * 1024)) + " MiB"
                                                         : std::to_string(maximumSize) + " bytes";
    return QuorvaneError::usage(path + " is larger than " + limit + ", more than Quorvane reads.");
}

} // namespace

std::string read(const std::string& path, size_t maximumSize)
{
    std::optional<std::string> contents = readIfPresent(path, maximumSize);
    if (!contents)
        fail(ENOENT, path);
    return std::move(*contents);
}

std::optional<std::string> readIfPresent(const std::string& path, size_t maximumSize)
{
    // Looking first means a FIFO or device is never even opened; the check after opening catches a
    // file swapped in between.
    struct stat status { };
    if (::stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT)
            return std::nullopt;
        fail(errno, path);
    }
    requireRegular(status, path);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == ENOENT)
        return std::nullopt;
    if (fd < 0)
        fail(errno, path);
    Descriptor file(fd);
    if (::fstat(file.get(), &status) != 0)
        fail(errno, path);
    requireRegular(status, path);
    if (static_cast<uint64_t>(status.st_size) > maximumSize)
        throw tooLarge(path, maximumSize);
    std::string contents;
    char chunk[16384];
    for (;;) {
        if (contents.size() > maximumSize)
            throw tooLarge(path, maximumSize);
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

std::optional<std::string> readIfReadable(const std::string& path, size_t maximumSize)
{
    try {
        return read(path, maximumSize);
    } catch (const std::system_error&) {
        return std::nullopt;
    } catch (const QuorvaneError&) {
        return std::nullopt;
    }
}

} // namespace quorvane::FileContents
