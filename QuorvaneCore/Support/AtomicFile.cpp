#include "Support/AtomicFile.h"

#include "Support/QuorvaneError.h"
#include "Support/UUID.h"

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
    // A loop of links is refused by the write itself; stop following after a bounded number.
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

namespace {

// Writes the temporary file beside `destination` and renames it over whatever entry stands there.
// `owner` is the file whose owner the new file takes over, or null.
void replace(std::string_view contents, const fs::path& destination, mode_t mode, const struct stat* owner)
{
    fs::path folder = destination.parent_path();
    if (folder.empty())
        folder = ".";
    // The distinctive name keeps a later sweep of leftovers away from a person's own hidden files, and
    // the same folder keeps the final rename on one file system.
    std::string temporary = (folder / (".quorvane-" + UUID::random().uuidString() + ".tmp")).string();
    FileDescriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.get() < 0)
        throwErrno("Cannot create a temporary file in " + folder.string());
    try {
        writeAll(fd.get(), contents, temporary);
        if (owner && ::fchown(fd.get(), owner->st_uid, owner->st_gid) != 0)
            throwErrno("Cannot set the owner of " + temporary);
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

void createFolder(const fs::path& folder)
{
    std::error_code error;
    if (!folder.empty())
        fs::create_directories(folder, error);
    if (error)
        throw std::system_error(error, "Cannot create folder " + folder.string());
}

} // namespace

void write(std::string_view contents, const std::string& path, mode_t mode)
{
    fs::path destination(path);
    createFolder(destination.parent_path());
    replace(contents, destination, mode, nullptr);
}

void makeFolder(const std::string& path)
{
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(path, error)) && !fs::remove(path, error) && error)
        throw std::system_error(error, "Cannot replace the link " + path);
    createFolder(path);
}

void writeThroughLinks(std::string_view contents, const std::string& path, mode_t newFileMode)
{
    struct stat entry { };
    if (::lstat(path.c_str(), &entry) != 0) {
        if (errno != ENOENT)
            throwErrno("Cannot look at " + path);
        createFolder(fs::path(path).parent_path());
        replace(contents, path, newFileMode, nullptr);
        return;
    }
    fs::path destination(resolvedDestination(path));
    std::string described = S_ISLNK(entry.st_mode) ? path + " links to " + destination.string() + ", which" : path;
    struct stat target { };
    if (::lstat(destination.c_str(), &target) == 0) {
        if (!S_ISREG(target.st_mode))
            throw QuorvaneError::usage(described + " is not a regular file, so Quorvane will not replace it.");
        // Only root may give a file away; anyone else's new file is theirs, as the old one was.
        replace(contents, destination, target.st_mode & 07777, ::geteuid() == 0 ? &target : nullptr);
        return;
    }
    if (errno != ENOENT)
        throwErrno("Cannot look at " + destination.string());
    fs::path folder = destination.parent_path();
    struct stat folderStatus { };
    if (::stat(folder.empty() ? "." : folder.c_str(), &folderStatus) != 0 || !S_ISDIR(folderStatus.st_mode))
        throw QuorvaneError::usage(described + " is in a folder that does not exist, so Quorvane will not create it.");
    replace(contents, destination, newFileMode, nullptr);
}

} // namespace quorvane::AtomicFile
