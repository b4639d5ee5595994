#include "Command/Command.h"

namespace quorvane {

bool Command::isDestructive() const
{
    return is<AppRemove>() || is<HotkeyUnset>() || is<RuleRemove>() || is<SkillUninstall>();
}

} // namespace quorvane
