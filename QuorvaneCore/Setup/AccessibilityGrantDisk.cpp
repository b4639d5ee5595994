#include "Setup/AccessibilityGrantDisk.h"

#include "Support/AtomicFile.h"
#include "Support/FileContents.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"

#include <system_error>

namespace quorvane::AccessibilityGrantDisk {

std::string file(const std::string& applicationSupportFolder)
{
    return applicationSupportFolder + "/" + std::string(fileName);
}

namespace {

// The whole file, or none when it cannot be opened or read (a folder, for one).
std::optional<std::string> readAll(const std::string& path)
{
    try {
        return FileContents::read(path);
    } catch (const std::system_error&) {
        return std::nullopt;
    } catch (const QuorvaneError&) {
        return std::nullopt;
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
