#include "QuorvaneIPC/QuorvaneSession.h"

#include "Agents/BundledResources.h"
#include "Command/CommandOutput.h"
#include "Command/CommandParser.h"
#include "Command/HelpText.h"
#include "Command/Invocation.h"
#include "Configuration/ConfigFile.h"
#include "Configuration/ConfigLock.h"
#include "Configuration/DesktopEntryLookup.h"
#include "Configuration/QuorvanePaths.h"
#include "QuorvaneIPC/IPCClient.h"
#include "QuorvaneIPC/IPCError.h"
#include "QuorvaneIPC/SessionOptions.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"
#include "Router/CommandContext.h"
#include "Router/CommandRouter.h"
#include "Support/AtomicFile.h"
#include "Support/ExitCode.h"
#include "Support/FileContents.h"
#include "Support/QuorvaneError.h"
#include "Support/QuorvaneVersion.h"
#include "Support/UnicodeText.h"
#include "JSON/JSONValue.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <uuid/uuid.h>

namespace quorvane::QuorvaneSession {

namespace {

constexpr mode_t configMode = 0644;

std::string withNewline(std::string text)
{
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    return text;
}

// How the tool prints an output it produced itself: a newline always follows.
SessionResult rendered(const CommandOutput& output, bool json)
{
    if (output.ok())
        return { output.exitCode, output.rendered(json) + "\n", "" };
    return { output.exitCode, json ? output.rendered(json) + "\n" : "", output.message + "\n" };
}

SessionResult failure(int32_t exitCode, const std::string& message)
{
    return { exitCode, "", message + "\n" };
}

std::string newRequestIdentifier()
{
    uuid_t bytes;
    uuid_generate_random(bytes);
    char text[37];
    uuid_unparse_upper(bytes, text);
    return text;
}

bool fileExists(const std::string& path)
{
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0;
}

// The words with each relative file or folder made absolute against this process's working folder, so that
// they name the same place in the application, which runs in a folder of its own, and in what is recorded.
// "~" stays: both expand it to the same home.
std::vector<std::string> anchored(std::vector<std::string> arguments, const Invocation& invocation)
{
    for (const PathWord& place : invocation.pathWords) {
        std::string& word = arguments.at(place.index);
        std::string_view path = std::string_view(word).substr(std::min(place.offset, word.size()));
        if (path.empty() || path.starts_with('/') || path.starts_with('~'))
            continue;
        word = word.substr(0, place.offset) + (std::filesystem::current_path() / path).string();
    }
    return arguments;
}

SessionResult forward(const std::vector<std::string>& arguments, const Invocation& invocation, const std::string& path)
{
    RPCResponse response
        = IPCClient::request(path, RPCRequest { newRequestIdentifier(), arguments }, invocation.timeout);
    // A process exit status keeps only its low eight bits, so 256 would read as success.
    if (response.exitCode < 0 || response.exitCode > 255)
        return failure(1,
            "Quorvane answered with exit code " + std::to_string(response.exitCode)
                + ", which no process can exit with.");
    auto exitCode = static_cast<int32_t>(response.exitCode);
    if (!invocation.json) {
        std::string text = withNewline(response.message);
        return exitCode == 0 ? SessionResult { exitCode, text, "" } : SessionResult { exitCode, "", text };
    }
    // The payload goes into the output verbatim, so it must be the JSON it claims to be.
    try {
        JSONValue::parse(response.payload);
    } catch (const JSONError&) {
        throw IPCError::badResponse(path);
    }
    std::string line = std::string("{\"ok\":") + (exitCode == 0 ? "true" : "false")
        + ",\"exitCode\":" + std::to_string(exitCode) + ",\"message\":" + quoteJSON(response.message)
        + ",\"result\":" + response.payload + "}\n";
    std::string error = response.message.ends_with('\n') ? response.message : response.message + "\n";
    return { exitCode, line, exitCode == 0 ? "" : error };
}

// The file's text, or nothing when no file is there. Any other failure to read it is raised.
std::optional<std::string> readConfig(const std::string& path)
{
    std::optional<std::string> text = FileContents::readIfPresent(path, ConfigFile::maximumFileSize);
    if (text && !UnicodeText::isValidUTF8(*text))
        throw std::system_error(EILSEQ, std::generic_category(), "Could not read " + path + " as UTF-8 text");
    return text;
}

// Every word may end up in the file, which must stay UTF-8 text; the socket refuses such words the same way.
void requireUTF8(const std::vector<std::string>& arguments)
{
    for (size_t index = 0; index < arguments.size(); ++index) {
        if (!UnicodeText::isValidUTF8(arguments[index]))
            throw QuorvaneError::usage(
                "Word " + std::to_string(index + 1) + " of the command is not UTF-8 text, so Quorvane cannot use it.");
    }
}

SessionResult runDirectly(const Invocation& invocation, const SessionOptions& options)
{
    requireUTF8(options.arguments);
    std::string path = invocation.configPath.value_or(options.paths.configFile());
    CommandContext context;
    context.now = options.now;
    context.interactive = options.interactive;
    context.paths = options.paths;
    context.hostBinary = options.hostBinary;
    context.skillText = BundledResources::skillText();
    context.manifestFolders = BundledResources::skillFolders();
    context.controller = options.controller;
    context.updateFeed = options.updateFeed;
    // Plain file look-ups: the tool starts without a desktop library.
    context.isApplicationId
        = [&paths = options.paths](const std::string& word) { return DesktopEntryLookup::isInstalled(paths, word); };
    context.confirm = [yes = invocation.yes](const std::string&) { return yes; };
    // The tool never downloads site icons.
    context.iconForURL = [](const std::string&) { return std::nullopt; };

    // Held from the read to the replace, so that parallel changes are made one after another, none lost.
    // Taking it makes the config folder and the lock file: without the folder a change first runs unlocked, so
    // that one that fails or changes nothing leaves neither behind, and runs again under the lock only when a
    // file appeared meanwhile. Lock files, once made, stay: two writers must always lock the same file.
    std::optional<ConfigLock> lock;
    if (invocation.command.changesConfig() && ConfigLock::folderExists(path))
        lock.emplace(path, invocation.timeout);
    for (;;) {
        std::optional<std::string> stored = readConfig(path);
        ConfigFile file = stored ? ConfigFile(*stored) : ConfigFile::makeDefault();
        std::string before = file.text();
        CommandOutput output = CommandRouter::run(invocation, file, context);
        std::string after = file.text();
        bool failedRemoval = invocation.command.isDestructive() && !output.ok();
        if (after == before || failedRemoval)
            return rendered(output, invocation.json);
        if (!lock) {
            lock.emplace(path, invocation.timeout);
            if (readConfig(path) != stored)
                continue;
        }
        ConfigFile::requireReadable(after);
        AtomicFile::writeThroughLinks(after, path, configMode);
        return rendered(output, invocation.json);
    }
}

} // namespace

SessionResult run(const SessionOptions& options)
{
    try {
        Invocation invocation = CommandParser::parse(options.arguments);
        if (invocation.command.is<Command::Help>() || invocation.command.is<Command::Version>()) {
            std::string text = invocation.command.is<Command::Help>() ? std::string(HelpText::text())
                                                                      : std::string(QuorvaneVersion::current);
            return rendered(CommandOutput { ExitCode::ok, text, JSONValue(text) }, invocation.json);
        }
        std::vector<std::string> words = anchored(options.arguments, invocation);
        if (words != options.arguments)
            invocation = CommandParser::parse(words);
        std::string path = options.socketPath.value_or(options.paths.resolvedSocketFile(QuorvanePaths::socketPathLimit));
        if (!invocation.configPath && !options.controller && fileExists(path))
            return forward(words, invocation, path);
        return runDirectly(invocation, options);
    } catch (const QuorvaneError& error) {
        return failure(error.exitCode(), error.message());
    } catch (const std::exception& error) {
        return failure(1, error.what());
    }
}

} // namespace quorvane::QuorvaneSession
