#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// One line of `quorvane doctor`: what was looked at, how it went and a sentence for the user.
struct DoctorCheck {
    enum class Status { pass, warn, fail };

    std::string name;
    Status status = Status::pass;
    std::string detail;

    friend bool operator==(const DoctorCheck&, const DoctorCheck&) = default;
};

// "pass", "warn" or "fail".
std::string_view toString(DoctorCheck::Status);
std::optional<DoctorCheck::Status> parseDoctorCheckStatus(std::string_view rawValue);

} // namespace quorvane
