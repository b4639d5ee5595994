#include "Router/DoctorCheck.h"

#include "Support/RawValue.h"

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
    return parseRawValue<DoctorCheck::Status>(
        rawValue, { DoctorCheck::Status::pass, DoctorCheck::Status::warn, DoctorCheck::Status::fail });
}

} // namespace quorvane
