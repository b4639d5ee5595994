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

bool link(const std::string& command, const std::string& path)
{
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    if (error)
        return false;
    fs::file_status present = fs::symlink_status(path, error);
    if (fs::is_directory(present))
        return false;
    if (fs::exists(present) && !fs::remove(path, error))
        return false;
    fs::create_symlink(command, path, error);
    return !error;
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

std::string install(const std::vector<std::string>& commands, const std::vector<std::string>& linkPaths)
{
    std::optional<std::string> command = firstExecutable(commands);
    if (!command)
        return "The quorvane command is not in this build.";
    for (const std::string& path : linkPaths) {
        if (link(*command, path))
            return "Linked quorvane at " + path;
    }
    return "Could not link quorvane. Copy the command into a directory on your PATH.";
}

} // namespace quorvane::CLILink
