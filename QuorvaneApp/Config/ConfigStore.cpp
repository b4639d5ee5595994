#include "QuorvaneApp/Config/ConfigStore.h"

#include "Configuration/ConfigLock.h"
#include "Support/AtomicFile.h"
#include "Support/FileContents.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace quorvane {

namespace {

constexpr mode_t configMode = 0644;
// A command-line change holds the lock for milliseconds; waiting longer means something is stuck.
constexpr double lockTimeout = 2;

std::string utcStamp(double secondsSince1970)
{
    std::time_t seconds = static_cast<std::time_t>(secondsSince1970);
    std::tm parts {};
    ::gmtime_r(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

// Creates `path` with `contents`; false when something is already there.
bool createExclusively(const std::string& path, const std::string& contents)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, configMode);
    if (fd < 0) {
        if (errno == EEXIST)
            return false;
        throw std::system_error(errno, std::generic_category(), "Cannot create " + path);
    }
    std::string_view left(contents);
    while (!left.empty()) {
        ssize_t written = ::write(fd, left.data(), left.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0) {
            int error = errno;
            ::close(fd);
            ::unlink(path.c_str());
            throw std::system_error(error, std::generic_category(), "Cannot write " + path);
        }
        left.remove_prefix(static_cast<size_t>(written));
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0)
        throw std::system_error(errno, std::generic_category(), "Cannot write " + path);
    return true;
}

std::string saveFailure(const std::system_error& error)
{
    return "config.toml could not be saved: " + error.code().message() + ".";
}

std::string saveFailure(const QuorvaneError& error)
{
    return "config.toml could not be saved: " + error.message();
}

} // namespace

ConfigStore::ConfigStore(std::string path, std::function<double()> wallClock)
    : m_path(std::move(path))
    , m_wallClock(std::move(wallClock))
    , m_file(ConfigFile::makeDefault())
{
}

ConfigStore::DiskText ConfigStore::readDisk()
{
    // A folder, FIFO or device in the file's place, or a file over the size limit, is as unreadable as one
    // this user may not read.
    m_unreadable = true;
    try {
        std::optional<std::string> text = FileContents::readIfPresent(m_path, ConfigFile::maximumFileSize);
        m_unreadable = false;
        if (!text)
            return { DiskState::missing, {} };
        return { DiskState::text, std::move(*text) };
    } catch (const std::system_error& error) {
        m_brokenReason = "config.toml could not be read: " + error.code().message() + ".";
    } catch (const QuorvaneError& error) {
        m_brokenReason = error.message();
    }
    return { DiskState::unreadable, {} };
}

bool ConfigStore::takeIn(const std::string& text)
{
    m_seenText = text;
    if (!UnicodeText::isValidUTF8(text)) {
        m_brokenReason = "config.toml is not UTF-8 text.";
    } else {
        try {
            m_file = ConfigFile(text);
            m_brokenText.reset();
            return true;
        } catch (const QuorvaneError& error) {
            m_brokenReason = error.message();
        }
    }
    m_brokenText = text;
    return false;
}

ConfigStore::LoadOutcome ConfigStore::load()
{
    DiskText disk = readDisk();
    switch (disk.state) {
    case DiskState::text:
        return takeIn(disk.text) ? LoadOutcome::loaded : LoadOutcome::broken;
    case DiskState::unreadable:
        return LoadOutcome::broken;
    case DiskState::missing:
        break;
    }
    std::string text = m_file.text();
    try {
        AtomicFile::writeThroughLinks(text, m_path, configMode);
        m_seenText = text;
    } catch (const std::system_error&) {
        // The defaults stay in force; the next save tries to write again.
    } catch (const QuorvaneError&) {
        // A link at the path leads to something that is not a file: the same.
    }
    return LoadOutcome::created;
}

ConfigStore::ReloadOutcome ConfigStore::reload()
{
    DiskText disk = readDisk();
    if (disk.state == DiskState::missing)
        return ReloadOutcome::unreadable;
    if (disk.state == DiskState::unreadable) {
        // Read again once it can be: the same text then counts as new.
        m_seenText.reset();
        return ReloadOutcome::broken;
    }
    if (disk.text == m_seenText)
        return ReloadOutcome::unchanged;
    return takeIn(disk.text) ? ReloadOutcome::reloaded : ReloadOutcome::broken;
}

std::string ConfigStore::keepBroken(const std::string& text) const
{
    std::string base = m_path + ".broken-" + utcStamp(m_wallClock());
    for (int attempt = 1;; ++attempt) {
        std::string name = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        if (createExclusively(name, text))
            return name;
    }
}

ConfigStore::SaveResult ConfigStore::update(const std::function<bool(ConfigFile&)>& edit)
{
    SaveResult result;
    // Taking the lock makes the config folder and the lock file. Without the folder, a change is first tried
    // without the lock, so that one that fails or changes nothing leaves neither behind; lock files, once
    // made, stay, since two writers must always lock the same file.
    std::optional<ConfigFile> tried;
    auto changesWithoutLock = [&] {
        tried = m_file;
        return edit(*tried) && tried->text() != m_file.text();
    };
    if (!ConfigLock::folderExists(m_path) && !changesWithoutLock())
        return result;
    std::optional<ConfigLock> lock;
    try {
        lock.emplace(m_path, lockTimeout);
    } catch (const QuorvaneError& error) {
        result.failure = error.message();
        return result;
    } catch (const std::system_error& error) {
        // A read-only config folder without a lock file, or something else in the lock file's place: commands
        // that change nothing still answer, changes cannot be saved.
        if (tried || changesWithoutLock())
            result.failure = "config.toml could not be saved, because its lock file could not be opened: "
                + error.code().message() + ".";
        return result;
    }

    DiskText disk = readDisk();
    if (disk.state == DiskState::unreadable) {
        // Whatever stands there cannot be kept aside, so it is not written over.
        result.failure = "config.toml could not be read, so it was not saved over.";
        return result;
    }
    if (disk.state == DiskState::missing)
        m_brokenText.reset();
    else if (disk.text != m_seenText)
        result.reloaded = takeIn(disk.text);

    // The edit tried without the lock stands unless a file appeared meanwhile.
    bool triedStands = tried && disk.state == DiskState::missing;
    ConfigFile copy = triedStands ? std::move(*tried) : m_file;
    if (!triedStands && (!edit(copy) || copy.text() == m_file.text()))
        return result;
    std::string text = copy.text();
    try {
        ConfigFile::requireReadable(text);
        if (m_brokenText) {
            result.keptBrokenAs = keepBroken(*m_brokenText);
            m_brokenText.reset();
        }
        AtomicFile::writeThroughLinks(text, m_path, configMode);
    } catch (const std::system_error& error) {
        // The configuration in force stays exactly as it was: what is in force is what is on disk.
        result.failure = saveFailure(error);
        return result;
    } catch (const QuorvaneError& error) {
        result.failure = saveFailure(error);
        return result;
    }
    m_seenText = text;
    m_file = std::move(copy);
    result.saved = true;
    return result;
}

} // namespace quorvane
