#include "Setup/AccessibilityGrantDisk.h"

#include "Support/AtomicFile.h"
#include "Support/UnicodeText.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quorvane::AccessibilityGrantDisk {

std::string file(const std::string& applicationSupportFolder)
{
    return applicationSupportFolder + "/" + std::string(fileName);
}

namespace {

// The whole file, or none when it cannot be opened or read (a folder, for one).
std::optional<std::string> readAll(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string contents;
    char buffer[4096];
    for (;;) {
        ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            ::close(fd);
            if (count < 0)
                return std::nullopt;
            return contents;
        }
        contents.append(buffer, static_cast<size_t>(count));
    }
}

} // namespace

std::optional<std::string> load(const std::string& path)
{
    std::optional<std::string> contents = readAll(path);
    if (!contents || !UnicodeText::isValidUTF8(*contents))
        return std::nullopt;
    std::string build = UnicodeText::trimmed(*contents);
    if (build.empty())
        return std::nullopt;
    return build;
}

void save(std::string_view build, const std::string& path)
{
    std::string contents(build);
    contents += '\n';
    AtomicFile::write(contents, path, 0644);
}

} // namespace quorvane::AccessibilityGrantDisk
