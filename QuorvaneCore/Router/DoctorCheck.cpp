#include "Router/DoctorCheck.h"

namespace quorvane {

std::string_view toString(DoctorCheck::Status status)
{
    switch (status) {
    case DoctorCheck::Status::pass: return "pass";
    case DoctorCheck::Status::warn: return "warn";
    case DoctorCheck::Status::fail: return "fail";
    }
    return "fail";
}

std::optional<DoctorCheck::Status> parseDoctorCheckStatus(std::string_view rawValue)
{
    for (auto status : { DoctorCheck::Status::pass, DoctorCheck::Status::warn, DoctorCheck::Status::fail }) {
        if (toString(status) == rawValue)
            return status;
    }
    return std::nullopt;
}

} // namespace quorvane
