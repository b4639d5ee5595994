#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvane {

// Puts the command-line tool on the user's PATH with a symbolic link.
namespace CLILink {

struct Outcome {
    bool linked;
    // The sentence for the user.
    std::string message;
};

// Links the first executable file of `commands` at the first of `linkPaths` where that works: the parent
// folder is created and a link already there (a dangling one too) is replaced; a place that already is the
// command counts as linked, and a file or folder of anything else there is kept (that path counts as failed).
Outcome install(const std::vector<std::string>& commands, const std::vector<std::string>& linkPaths);
// The first executable file `name` in the folders of `searchPath` (a PATH value), as a shell finds it; empty
// and relative pieces are skipped.
std::optional<std::string> onPath(const std::string& searchPath, const std::string& name = "quorvane");
// The first executable file of `commands`.
std::optional<std::string> firstExecutable(const std::vector<std::string>& commands);

} // namespace CLILink

} // namespace quorvane
