#pragma once

#include <optional>
#include <string>

namespace quorvane {

struct QuorvanePaths;

// Where this process's files are, as the `quorvane` tool and `quorvane-app` both find them.
namespace ProcessPlaces {

// The places of this process's user: $HOME (else the password database's home folder, without a trailing
// "/") and the XDG variables of the environment.
QuorvanePaths paths();

// The absolute path of this process's executable, as the system reports it; an executable replaced by an
// upgrade while running keeps its path.
std::optional<std::string> executable();
// The folder holding this process's executable, with a trailing "/".
std::optional<std::string> executableFolder();

// The web-host executable shipped with this process: beside its executable, as in the build tree, else in
// the program folder of the installed prefix (libexec/quorvane beside the executable's bin folder).
std::optional<std::string> hostBinary();

// The release feed of this installation: $QUORVANE_UPDATE_FEED when set, else the address built in; none
// when that is empty.
std::optional<std::string> updateFeed();

} // namespace ProcessPlaces

} // namespace quorvane
