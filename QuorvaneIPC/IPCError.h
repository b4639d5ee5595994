#pragma once

#include <stdexcept>
#include <string>

namespace quorvane {

// A failure of the local socket between the tool and the application. Its description is one
// sentence for a person and names the socket when the failing side knows it.
class IPCError : public std::runtime_error {
public:
    enum class Code { unavailable, timedOut, badResponse, pathTooLong };

    explicit IPCError(Code code, std::string path = {});

    static IPCError unavailable(std::string path = {}) { return IPCError(Code::unavailable, std::move(path)); }
    static IPCError timedOut(std::string path = {}) { return IPCError(Code::timedOut, std::move(path)); }
    static IPCError badResponse(std::string path = {}) { return IPCError(Code::badResponse, std::move(path)); }
    static IPCError pathTooLong(std::string path = {}) { return IPCError(Code::pathTooLong, std::move(path)); }

    Code code() const { return m_code; }
    // The socket path, or empty when the failing routine did not know it.
    const std::string& path() const { return m_path; }

private:
    Code m_code;
    std::string m_path;
};

} // namespace quorvane
