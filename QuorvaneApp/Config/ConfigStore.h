#pragma once

#include "Configuration/ConfigFile.h"

#include <functional>
#include <optional>
#include <string>

namespace quorvane {

// The application's config file on disk and the last good copy of it in memory. It never writes over
// text that did not parse: such text is first kept beside the file as "config.toml.broken-<UTC>". Nor does it
// write over a file it cannot read; what is in force is what was read or written last.
class ConfigStore {
public:
    enum class LoadOutcome {
        loaded,
        // No file was there; the default file was written (or tried to be).
        created,
        // The file could not be read or parsed; the defaults are in force and the file is left alone.
        broken,
    };
    enum class ReloadOutcome {
        // The text on disk is the text last loaded, written or seen broken.
        unchanged,
        // No file is there just now (being replaced); the next event tries again.
        unreadable,
        reloaded,
        // New text that does not parse, or a file that cannot be read (a folder, a FIFO, a file too large or
        // one this user may not read); the last good copy stays in force.
        broken,
    };
    struct SaveResult {
        // The file on disk had changed and was taken in before the edit was applied.
        bool reloaded = false;
        // The edit changed the text and it was written.
        bool saved = false;
        // Where unparsable text was kept before the save, beside the config file.
        std::optional<std::string> keptBrokenAs;
        // Why the save failed; the configuration in force is then the one before the edit.
        std::optional<std::string> failure;
    };

    // `path` is the config file as the user sees it (a link stays a link); `wallClock` gives seconds since
    // 1970 for naming kept copies.
    ConfigStore(std::string path, std::function<double()> wallClock);

    // Start-up: reads the file, or writes the default one when there is none.
    LoadOutcome load();
    // A change on disk was noticed.
    ReloadOutcome reload();
    // Under the config lock: takes in a change on disk the watch has not delivered yet, applies `edit` to a
    // copy, and when `edit` answers true and the text changed, writes it (keeping broken text aside first)
    // and puts it in force once written. Without the config folder, or when the lock file cannot be opened,
    // `edit` first runs on a copy without the lock (so a change that fails or changes nothing makes no folder
    // and reports no lock failure), and again under the lock only when a file appeared meanwhile.
    SaveResult update(const std::function<bool(ConfigFile&)>& edit);

    // The configuration in force: the last good one.
    const ConfigFile& file() const { return m_file; }
    const std::string& path() const { return m_path; }
    // Text on disk that did not parse and has not yet been kept aside.
    bool holdsBrokenText() const { return m_brokenText.has_value(); }
    // Whether the file could not be read at the last look: a folder, FIFO or device in its place, a file over
    // the size limit or one this user may not read. Changes are then not saved over it.
    bool unreadable() const { return m_unreadable; }
    // Why that text did not parse (the reader's "Config line N: …" sentence), or why the file could not be read.
    const std::string& brokenReason() const { return m_brokenReason; }

private:
    enum class DiskState { missing, unreadable, text };
    struct DiskText {
        DiskState state = DiskState::missing;
        std::string text;
    };

    // Reads the file, and notes whether it could be read.
    DiskText readDisk();
    // Takes in text from disk that differs from what was last seen; true when it parsed.
    bool takeIn(const std::string& text);
    std::string keepBroken(const std::string& text) const;

    std::string m_path;
    std::function<double()> m_wallClock;
    ConfigFile m_file;
    // The text last loaded, written or seen on disk, so that events about it cause no work.
    std::optional<std::string> m_seenText;
    std::optional<std::string> m_brokenText;
    std::string m_brokenReason;
    bool m_unreadable = false;
};

} // namespace quorvane
