#include "Setup/PermissionOpenPlan.h"

namespace quorvane {

PermissionOpenPlan PermissionOpenPlan::opening(bool)
{
    return { true, true };
}

} // namespace quorvane
