#pragma once

#include <string>
#include <vector>

namespace quorvane {

// Puts the command-line tool on the user's PATH with a symbolic link.
namespace CLILink {

// Links the first executable file of `commands` at the first of `linkPaths` where that works: the parent
// folder is created, a file or link already there (a dangling one too) is replaced, and a folder there is
// never deleted (that path counts as failed). Gives the sentence for the user.
std::string install(const std::vector<std::string>& commands, const std::vector<std::string>& linkPaths);

} // namespace CLILink

} // namespace quorvane
