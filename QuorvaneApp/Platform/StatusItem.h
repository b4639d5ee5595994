#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

// How a menu line reads: plain, or reporting something that went well or wrong.
enum class MenuTone { plain, success, failure };

// One line of the status item's menu. Its `key` is the application's own, differs from the other lines' of
// its menu level (separators' included) and stays the same across rebuilds: a backend keeps a line by its
// key, and hands it back when the line is chosen.
struct StatusMenuItem {
    enum class Kind { action, check, separator, submenu };

    Kind kind = Kind::action;
    std::string key;
    std::string label;
    // What a screen reader says instead of the label; empty: the label.
    std::string accessibleLabel;
    bool enabled = true;
    // A check line's state: it stays as given when the line is chosen, until the next menu says otherwise.
    bool checked = false;
    MenuTone tone = MenuTone::plain;
    // A submenu's lines.
    std::vector<StatusMenuItem> items;

    friend bool operator==(const StatusMenuItem&, const StatusMenuItem&) = default;
};

// The whole menu, and the line that the item's secondary activation (a middle click) chooses.
struct StatusMenuContent {
    std::vector<StatusMenuItem> items;
    // Empty: a middle click does nothing.
    std::string secondaryKey;

    friend bool operator==(const StatusMenuContent&, const StatusMenuContent&) = default;
};

// What the item itself shows: an icon found by name, and a title that is also the icon's description.
struct StatusItemLook {
    std::string title;
    std::string iconName;

    friend bool operator==(const StatusItemLook&, const StatusItemLook&) = default;
};

// A small window asking for one line of text.
struct TextRequest {
    std::string title;
    std::string prompt;
    // The accessible name of the text field.
    std::string fieldName;
    std::string acceptLabel;
    std::string cancelLabel;

    friend bool operator==(const TextRequest&, const TextRequest&) = default;
};

// The about window's texts.
struct AboutContent {
    std::string name;
    std::string version;
    std::string summary;
    std::string iconName;

    friend bool operator==(const AboutContent&, const AboutContent&) = default;
};

// What shows the item on this desktop.
enum class TrayHost {
    // Nothing: the item and its menu are hidden.
    none,
    // A StatusNotifier host (its watcher is on the session bus).
    statusNotifier,
    // An XEmbed system tray.
    xembed,
};

// The application's item in the desktop's tray (its menu-bar item) with its menu, and the small windows
// its lines open. Main thread only.
class StatusItem {
public:
    virtual ~StatusItem() = default;

    // Shows the item with this title and icon.
    virtual void setLook(const StatusItemLook&) = 0;
    // Replaces the menu.
    virtual void setMenu(const StatusMenuContent&) = 0;
    // `chosen` receives the key of every line chosen from the menu, and the secondary line's key on a
    // middle click. Some trays can choose a line that is not enabled; the application ignores those.
    virtual void setOnChoose(std::function<void(const std::string& key)> chosen) = 0;
    // Asks for a line of text; `answer` gets it, or nothing when the person cancels. One request at a time:
    // asking again while one is open brings that one forward and answers the new request with nothing.
    virtual void askForText(const TextRequest&, std::function<void(std::optional<std::string>)> answer) = 0;
    // Shows the about window.
    virtual void showAbout(const AboutContent&) = 0;
    // What shows the item now.
    virtual TrayHost host() = 0;
};

} // namespace quorvane
