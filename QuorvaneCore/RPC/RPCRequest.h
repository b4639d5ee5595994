#pragma once

#include <string>
#include <vector>

namespace quorvane {

// One command line sent to the running application.
struct RPCRequest {
    std::string id;
    std::vector<std::string> arguments;

    friend bool operator==(const RPCRequest&, const RPCRequest&) = default;
};

} // namespace quorvane
