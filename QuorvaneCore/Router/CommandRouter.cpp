#include "Router/CommandRouter.h"

#include "Command/CommandOutput.h"
#include "Command/HelpText.h"
#include "Command/Invocation.h"
#include "Configuration/ConfigFile.h"
#include "Router/AppCommands.h"
#include "Router/CommandContext.h"
#include "Router/ConfigCommands.h"
#include "Router/DoctorCommands.h"
#include "Router/HotkeyCommands.h"
#include "Router/LayoutCommands.h"
#include "Router/RouterSupport.h"
#include "Router/RuleCommands.h"
#include "Router/SkillCommands.h"
#include "Router/TileCommands.h"
#include "Support/ExitCode.h"
#include "Support/QuorvaneError.h"
#include "Support/QuorvaneVersion.h"

#include <stdexcept>

namespace quorvane::CommandRouter {

namespace {

using Object = JSONValue::Object;

template <typename... Routines> struct Overloaded : Routines... {
    using Routines::operator()...;
};
template <typename... Routines> Overloaded(Routines...) -> Overloaded<Routines...>;

// The file a changing command edits. A run over a file that may not change has none to give.
ConfigFile& editable(ConfigFile* file)
{
    if (!file)
        throw std::logic_error("A command that changes config.toml was run over a file that may not change.");
    return *file;
}

// One routine per command; a command without one does not compile. `changing` is `file` itself, or absent
// when the file may not change.
CommandOutput dispatch(
    const Invocation& invocation, ConfigFile* changing, const ConfigFile& file, const CommandContext& context)
{
    using C = Command;
    return std::visit(
        Overloaded {
            [&](const C::Help&) {
                return success(std::string(HelpText::text()), Object { { "help", std::string(HelpText::text()) } });
            },
            [&](const C::Version&) {
                return success(QuorvaneVersion::current, Object { { "version", QuorvaneVersion::current } });
            },
            [&](const C::Ping&) {
                requireController(context, "Quorvane is not running.");
                return success("ok", Object { { "pong", true } });
            },
            [&](const C::AppAdd& command) { return appAdd(command, editable(changing), context); },
            [&](const C::AppRemove& command) { return appRemove(command, editable(changing), context); },
            [&](const C::AppList&) { return appList(file); },
            [&](const C::HotkeySet& command) { return hotkeySet(command, editable(changing), context); },
            [&](const C::HotkeyUnset& command) { return hotkeyUnset(command, editable(changing)); },
            [&](const C::HotkeyList&) { return hotkeyList(file); },
            [&](const C::Tile& command) { return tile(command, file, context); },
            [&](const C::RuleAdd& command) { return ruleAdd(command, editable(changing), context); },
            [&](const C::RuleRemove& command) { return ruleRemove(command, editable(changing), context); },
            [&](const C::LayoutSave& command) { return layoutSave(command, editable(changing), context); },
            [&](const C::LayoutApply& command) { return layoutApply(command, file, context); },
            [&](const C::LayoutList&) { return layoutList(file); },
            [&](const C::ConfigShow&) { return configShow(file); },
            [&](const C::Apply&) { return reconcile(file, context); },
            [&](const C::Doctor&) { return doctor(file, context); },
            [&](const C::SkillPaths&) { return skillPaths(file, context); },
            [&](const C::SkillInstall& command) { return skillInstall(command, editable(changing), context); },
            [&](const C::SkillUninstall& command) { return skillUninstall(command, editable(changing), context); },
        },
        invocation.command.value);
}

CommandOutput run(const Invocation& invocation, ConfigFile* changing, const ConfigFile& file, const CommandContext& context)
{
    try {
        if (invocation.command.isDestructive() && !invocation.yes) {
            bool confirmed
                = context.interactive && context.confirm && context.confirm("This removes something. Continue?");
            if (!confirmed)
                throw QuorvaneError::cancelled("Pass --yes to confirm.");
        }
        return dispatch(invocation, changing, file, context);
    } catch (const QuorvaneError& error) {
        return CommandOutput::failure(error);
    } catch (const std::exception& error) {
        return CommandOutput::failure(QuorvaneError::failed(error.what()));
    }
}

} // namespace

CommandOutput run(const Invocation& invocation, ConfigFile& file, const CommandContext& context)
{
    return run(invocation, &file, file, context);
}

CommandOutput runReadOnly(const Invocation& invocation, const ConfigFile& file, const CommandContext& context)
{
    return run(invocation, nullptr, file, context);
}

} // namespace quorvane::CommandRouter
