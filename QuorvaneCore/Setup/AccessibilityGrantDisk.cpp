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

std::optional<std::string> load(const std::string& path)
{
    std::optional<std::string> contents = FileContents::readIfReadable(path);
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
