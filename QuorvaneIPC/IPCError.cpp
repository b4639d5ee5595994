#include "QuorvaneIPC/IPCError.h"

#include "Configuration/QuorvanePaths.h"

#include <utility>

namespace quorvane {

namespace {

std::string describe(IPCError::Code code, const std::string& path)
{
    const std::string limit = std::to_string(QuorvanePaths::socketPathLimit);
    switch (code) {
    case IPCError::Code::unavailable:
        if (path.empty())
            return "The socket connection failed.";
        return "Could not reach Quorvane through " + path
            + "; if Quorvane is not running, delete that file and try again.";
    case IPCError::Code::timedOut:
        if (path.empty())
            return "The socket connection timed out.";
        // The request may have reached the application, which then carries it out all the same.
        return "Quorvane did not answer through " + path
            + " in time; a longer --timeout gives it more time. The command may have been carried out all the same.";
    case IPCError::Code::badResponse:
        if (path.empty())
            return "The socket message was too long or ended before its line feed.";
        return "Quorvane's answer through " + path + " could not be read.";
    case IPCError::Code::pathTooLong:
        if (path.empty())
            return "The socket path is longer than " + limit + " bytes.";
        return "The socket path " + path + " is longer than " + limit + " bytes.";
    }
    return "The socket connection failed.";
}

} // namespace

IPCError::IPCError(Code code, std::string path)
    : std::runtime_error(describe(code, path))
    , m_code(code)
    , m_path(std::move(path))
{
}

} // namespace quorvane
