#pragma once

#include "QuorvaneApp/Platform/AppWindows.h"
#include "QuorvaneApp/Platform/WeakSelf.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class BannerSink;
class ChordCheck;
class MainLoop;
class WorkerPool;
struct Invocation;
struct RPCResponse;

// The panel that makes a web app: its address, its name (proposed from the address's host until the person
// types one), a hotkey and a tile. Create fetches the site's icon on a worker, with a spinner and a Cancel,
// then runs `app add` on the main thread with what was fetched; a failure stays in the panel, a success
// closes it. Cancel, or closing the panel, while the icon is on its way drops the fetch's answer, so nothing
// is made. Main thread only.
class NewAppPanel {
public:
    struct Actions {
        // Fetches the best icon of the site at `url` within `seconds`; run on a worker.
        std::function<std::optional<std::string>(const std::string& url, double seconds)> fetchIcon;
        // Runs the parsed `app add` with the icon fetched for `iconURL`, as the socket does.
        std::function<RPCResponse(const Invocation&, const std::optional<std::string>& iconURL,
            const std::optional<std::string>& iconBytes)>
            addApp;
    };

    static constexpr const char* panelKey = "new-app";
    static constexpr const char* title = "New web app";
    static constexpr const char* fetchingText = "Fetching the site\u2019s icon\u2026";
    static constexpr const char* needsName = "A web app needs a name.";
    // How long the icon may take, as a command from the command line gives it.
    static constexpr double iconSeconds = 3.5;

    NewAppPanel(MainLoop&, WorkerPool&, AppWindows&, const ChordCheck&, BannerSink&, Actions);
    ~NewAppPanel();
    NewAppPanel(const NewAppPanel&) = delete;
    NewAppPanel& operator=(const NewAppPanel&) = delete;

    // Opens the panel empty, or brings the open one forward as it is.
    void show();
    void close();

    bool isOpen() const { return m_open; }
    // Whether an icon is being fetched for Create.
    bool fetching() const { return m_fetch != 0; }
    // What the panel shows.
    SettingsForm form() const;

    // The name the address proposes: its host without "www." and its last label, first letter upper case
    // ("https://www.example.com/x" gives "Example"); empty when the address has no host.
    static std::string proposedName(const std::string& address);

private:
    struct Draft {
        std::string address;
        std::string name;
        // The person typed the name: the address no longer proposes it.
        bool nameTyped = false;
        // Canonical, checked when recorded.
        std::string hotkey;
        std::string tile;
    };

    SettingsEvents events();
    void edited(const std::string& key, const std::string& value);
    void pressed(const std::string& key);
    void create();
    void cancel();
    void finish(uint64_t fetch, const Invocation&, const std::string& url, const std::optional<std::string>& icon);
    // Shows the form again, with `status` in the failure tone (empty: none).
    void refresh();
    void fail(std::string status);

    MainLoop& m_loop;
    WorkerPool& m_workers;
    AppWindows& m_windows;
    const ChordCheck& m_chords;
    BannerSink& m_banner;
    Actions m_actions;
    Draft m_draft;
    std::string m_status;
    bool m_open = false;
    // The fetch whose answer Create waits for; 0: none. Every fetch gets a number of its own, so the answer
    // of one cancelled is told apart from a later one's.
    uint64_t m_fetch = 0;
    uint64_t m_fetches = 0;
    WeakSelf<NewAppPanel> m_self { *this };
};

} // namespace quorvane
