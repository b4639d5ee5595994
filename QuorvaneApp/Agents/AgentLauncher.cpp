#include "QuorvaneApp/Agents/AgentLauncher.h"

#include "Agents/SetupChoices.h"
#include "Agents/ShellQuote.h"
#include "QuorvaneApp/Platform/Applications.h"
#include "Support/AtomicFile.h"
#include "Support/QuorvaneError.h"

#include <filesystem>

namespace quorvane {

namespace {

constexpr mode_t executableMode = 0755;

std::string lastPathComponent(const std::string& text)
{
    std::string trimmed = text;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    size_t slash = trimmed.rfind('/');
    return slash == std::string::npos || trimmed.size() == 1 ? trimmed : trimmed.substr(slash + 1);
}

} // namespace

AgentLauncher::AgentLauncher(Applications& applications, std::string workingDirectory, std::string scriptPath)
    : m_applications(applications)
    , m_workingDirectory(std::move(workingDirectory))
    , m_scriptPath(std::move(scriptPath))
{
}

void AgentLauncher::launch(const std::vector<std::string>& argv, const std::string& terminalBundleIdentifier)
{
    if (argv.empty())
        throw QuorvaneError::failed("Set an agent command in Settings.");
    std::filesystem::create_directories(m_workingDirectory);
    AtomicFile::write(ShellQuote::launchScript(m_workingDirectory, argv), m_scriptPath, executableMode);
    // What the terminal then does is not awaited, but a terminal that cannot even start must not be
    // announced as opening.
    if (!m_applications.openInTerminal(m_scriptPath, m_applications.locate(terminalBundleIdentifier)))
        throw QuorvaneError::failed("No terminal could be started for the agent command.");
}

std::string AgentLauncher::terminalName(const std::string& terminalBundleIdentifier)
{
    if (terminalBundleIdentifier.empty())
        return "Terminal";
    for (const SetupTerminal& terminal : SetupChoices::terminals()) {
        if (terminal.bundleIdentifier == terminalBundleIdentifier)
            return terminal.name;
    }
    return lastPathComponent(terminalBundleIdentifier);
}

std::string AgentLauncher::commandName(const std::vector<std::string>& argv)
{
    return argv.empty() ? "" : lastPathComponent(argv.front());
}

} // namespace quorvane
