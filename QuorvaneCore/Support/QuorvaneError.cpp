#include "Support/QuorvaneError.h"

#include "Support/ExitCode.h"

#include <utility>

namespace quorvane {

QuorvaneError::QuorvaneError(std::string code, std::string message, int32_t exitCode)
    : m_code(std::move(code))
    , m_message(std::move(message))
    , m_exitCode(exitCode)
{
}

QuorvaneError QuorvaneError::usage(std::string message) { return { "usage", std::move(message), ExitCode::usage }; }
QuorvaneError QuorvaneError::config(std::string message) { return { "config", std::move(message), ExitCode::config }; }
QuorvaneError QuorvaneError::unavailable(std::string message) { return { "unavailable", std::move(message), ExitCode::unavailable }; }
QuorvaneError QuorvaneError::permission(std::string message) { return { "permission", std::move(message), ExitCode::permission }; }
QuorvaneError QuorvaneError::notFound(std::string message) { return { "not_found", std::move(message), ExitCode::notFound }; }
QuorvaneError QuorvaneError::conflict(std::string message) { return { "conflict", std::move(message), ExitCode::conflict }; }
QuorvaneError QuorvaneError::cancelled(std::string message) { return { "cancelled", std::move(message), ExitCode::cancelled }; }
QuorvaneError QuorvaneError::failed(std::string message) { return { "failed", std::move(message), ExitCode::failed }; }

} // namespace quorvane
