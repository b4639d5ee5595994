#include "Command/Command.h"

namespace quorvane {

bool Command::isDestructive() const
{
    return is<AppRemove>() || is<HotkeyUnset>() || is<RuleRemove>() || is<SkillUninstall>();
}

bool Command::changesConfig() const
{
    return isDestructive() || is<AppAdd>() || is<HotkeySet>() || is<RuleAdd>() || is<LayoutSave>()
        || is<SkillInstall>();
}

} // namespace quorvane
