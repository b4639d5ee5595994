#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace quorvane {

// The one error the system reports to a person: a short code, a complete sentence and an exit status.
class QuorvaneError : public std::exception {
public:
    QuorvaneError(std::string code, std::string message, int32_t exitCode);

    static QuorvaneError usage(std::string message);
    static QuorvaneError config(std::string message);
    static QuorvaneError unavailable(std::string message);
    static QuorvaneError permission(std::string message);
    static QuorvaneError notFound(std::string message);
    static QuorvaneError conflict(std::string message);
    static QuorvaneError cancelled(std::string message);
    static QuorvaneError failed(std::string message);

    const std::string& code() const { return m_code; }
    const std::string& message() const { return m_message; }
    int32_t exitCode() const { return m_exitCode; }

    const char* what() const noexcept override { return m_message.c_str(); }

    friend bool operator==(const QuorvaneError& a, const QuorvaneError& b)
    {
        return a.m_code == b.m_code && a.m_message == b.m_message && a.m_exitCode == b.m_exitCode;
    }

private:
    std::string m_code;
    std::string m_message;
    int32_t m_exitCode;
};

} // namespace quorvane
