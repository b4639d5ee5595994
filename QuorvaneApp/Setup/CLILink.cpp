#include "QuorvaneApp/Setup/CLILink.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace quorvane::CLILink {

namespace {

namespace fs = std::filesystem;

bool isExecutableFile(const std::string& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

enum class Placed { linked, alreadyThere, taken, failed };

Placed link(const std::string& command, const std::string& path)
{
    std::error_code error;
    if (fs::equivalent(command, path, error))
        return Placed::alreadyThere;
    fs::create_directories(fs::path(path).parent_path(), error);
    if (error)
        return Placed::failed;
    fs::file_status present = fs::symlink_status(path, error);
    // A link holds nothing of its own, but a file there may be the only copy of someone's program.
    if (fs::is_directory(present))
        return Placed::failed;
    if (fs::exists(present) && !fs::is_symlink(present))
        return Placed::taken;
    if (fs::is_symlink(present) && !fs::remove(path, error))
        return Placed::failed;
    fs::create_symlink(command, path, error);
    return error ? Placed::failed : Placed::linked;
}

} // namespace

std::optional<std::string> firstExecutable(const std::vector<std::string>& commands)
{
    auto command = std::find_if(commands.begin(), commands.end(), isExecutableFile);
    if (command == commands.end())
        return std::nullopt;
    return *command;
}

std::optional<std::string> onPath(const std::string& searchPath, const std::string& name)
{
    size_t start = 0;
    while (start <= searchPath.size()) {
        size_t end = searchPath.find(':', start);
        if (end == std::string::npos)
            end = searchPath.size();
        std::string folder = searchPath.substr(start, end - start);
        if (folder.starts_with('/')) {
            std::string candidate = folder + (folder.ends_with('/') ? "" : "/") + name;
            if (isExecutableFile(candidate))
                return candidate;
        }
        start = end + 1;
    }
    return std::nullopt;
}

Outcome install(const std::vector<std::string>& commands, const std::vector<std::string>& linkPaths)
{
    std::optional<std::string> command = firstExecutable(commands);
    if (!command)
        return { false, "The quorvane command is not in this build." };
    std::string kept;
    for (const std::string& path : linkPaths) {
        switch (link(*command, path)) {
        case Placed::linked:
            return { true, "Linked quorvane at " + path + (kept.empty() ? "" : kept + ".") };
        case Placed::alreadyThere:
            return { true, "quorvane is already at " + path + "." };
        case Placed::taken:
            kept += ". " + path + " is another file, left as it was";
            break;
        case Placed::failed:
            break;
        }
    }
    return { false, "Could not link quorvane" + kept + ". Copy the command into a directory on your PATH." };
}

} // namespace quorvane::CLILink
