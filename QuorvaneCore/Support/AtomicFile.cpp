#include "Support/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace quorvane::AtomicFile {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void throwErrno(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

void writeAll(int fd, std::string_view contents, const std::string& path)
{
    while (!contents.empty()) {
        ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throwErrno("Cannot write " + path);
        }
        contents.remove_prefix(static_cast<size_t>(written));
    }
}

void syncFolder(const std::string& folder)
{
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
        throwErrno("Cannot open folder " + folder);
    if (::fsync(fd.get()) != 0 && errno != EINVAL)
        throwErrno("Cannot sync folder " + folder);
}

} // namespace

std::string resolvedDestination(const std::string& path)
{
    fs::path current(path);
    // A loop of links is reported by the write itself; stop following after a bounded number.
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error)))
            break;
        fs::path target = fs::read_symlink(current, error);
        if (error)
            break;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current.lexically_normal().string();
}

void write(std::string_view contents, const std::string& path, mode_t mode)
{
    fs::path destination(resolvedDestination(path));
    fs::path folder = destination.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        throw std::system_error(error, "Cannot create folder " + folder.string());

    // A hidden name in the destination's folder keeps the final rename on one file system.
    std::string hiddenName = destination.filename().string();
    hiddenName.insert(0, 1, '.');
    hiddenName.append(".XXXXXX");
    std::string temporary = (folder / hiddenName).string();
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        throwErrno("Cannot create a temporary file in " + folder.string());
    try {
        writeAll(fd.get(), contents, temporary);
        if (::fchmod(fd.get(), mode) != 0)
            throwErrno("Cannot set permissions of " + temporary);
        if (::fsync(fd.get()) != 0)
            throwErrno("Cannot sync " + temporary);
        if (::close(fd.release()) != 0)
            throwErrno("Cannot close " + temporary);
        if (::rename(temporary.c_str(), destination.c_str()) != 0)
            throwErrno("Cannot replace " + destination.string());
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    syncFolder(folder.string());
}

} // namespace quorvane::AtomicFile
