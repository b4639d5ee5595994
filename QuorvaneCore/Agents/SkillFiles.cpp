#include "Agents/SkillFiles.h"

#include "Agents/SkillPaths.h"
#include "Support/AtomicFile.h"
#include "Support/FileContents.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"

#include <filesystem>
#include <system_error>

namespace quorvane::SkillFiles {

namespace fs = std::filesystem;

namespace {

// An empty folder would put the skill directory at the root of the file system.
void requireFolder(const std::string& folder)
{
    if (folder.empty())
        throw QuorvaneError::usage("Name a folder for the skill.");
}

} // namespace

std::optional<std::string> installedContents(const std::string& folder)
{
    std::optional<std::string> text = FileContents::readIfReadable(SkillPaths::skillFile(folder));
    if (!text || !UnicodeText::isValidUTF8(*text))
        return std::nullopt;
    return text;
}

void install(std::string_view contents, const std::string& folder)
{
    requireFolder(folder);
    // The chosen folder may be a link (a dotfile repository); the skill's own folder and file inside are
    // replaced when they are links, never written through.
    AtomicFile::makeFolder(SkillPaths::skillDirectory(folder));
    AtomicFile::write(contents, SkillPaths::skillFile(folder), 0644);
}

SkillUninstallResult uninstall(const std::string& folder)
{
    requireFolder(folder);
    SkillUninstallResult result;
    fs::path file = SkillPaths::skillFile(folder);
    // The entry itself counts, so a link whose target is gone is removed too; a folder named like the
    // skill file is someone else's and stays.
    fs::file_status entry = fs::symlink_status(file);
    if (fs::exists(entry) && !fs::is_directory(entry))
        result.removedFile = fs::remove(file);

    std::error_code error;
    fs::directory_iterator listing(SkillPaths::skillDirectory(folder), error);
    if (error)
        return result;
    if (listing == fs::directory_iterator()) {
        fs::remove(SkillPaths::skillDirectory(folder));
        result.removedDirectory = true;
    }
    return result;
}

} // namespace quorvane::SkillFiles
