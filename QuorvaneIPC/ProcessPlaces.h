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

// The web-host executable shipped beside this process's executable, when there is one.
std::optional<std::string> hostBinary();

} // namespace ProcessPlaces

} // namespace quorvane
