#include "QuorvaneApp/Keys/HotkeyCenter.h"

#include "QuorvaneApp/Model/AppModel.h"
#include "Router/DoctorCheck.h"

namespace quorvane {

HotkeyCenter::HotkeyCenter(AppModel& model)
    : m_model(model)
{
}

HotkeyCenter::~HotkeyCenter() = default;

// The keys issue fills these in; until then no chord is registered and no key is seen.
void HotkeyCenter::connectActions() { }

void HotkeyCenter::start()
{
    rebind();
}

void HotkeyCenter::rebind() { }

void HotkeyCenter::noteInputMonitoring() { }

std::vector<DoctorCheck> HotkeyCenter::permissionChecks()
{
    return {};
}

} // namespace quorvane
