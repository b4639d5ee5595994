#pragma once

#include "QuorvaneApp/Platform/StatusItem.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvane {

// The status item of the simulated desktop: remembers what it shows and lets a test choose lines by their
// labels, answer the text window and play the desktop's tray.
class SimulatedStatusItem : public StatusItem {
public:
    void setLook(const StatusItemLook& look) override;
    void setMenu(const StatusMenuContent& menu) override;
    void setOnChoose(std::function<void(const std::string& key)> chosen) override { m_chosen = std::move(chosen); }
    void askForText(const TextRequest&, std::function<void(std::optional<std::string>)> answer) override;
    void showAbout(const AboutContent& about) override { m_about = about; }
    TrayHost host() override { return m_host; }

    const std::optional<StatusItemLook>& look() const { return m_look; }
    const StatusMenuContent& menu() const { return m_menu; }
    // How often the menu was handed over.
    int menuUpdates() const { return m_menuUpdates; }
    // The line with this label, searched through the submenus.
    const StatusMenuItem* find(const std::string& label) const;
    // The labels of the top level (or of the submenu labelled `submenu`), in order; separators are "-".
    std::vector<std::string> labels(const std::string& submenu = "") const;
    // Chooses the line labelled `label` as a click does, sensitive or not (a tray host can click either);
    // false when there is no such line.
    bool choose(const std::string& label);
    // The middle click.
    void activateSecondary();
    // The open text window, if any.
    const std::optional<TextRequest>& textRequest() const { return m_request; }
    // Types `text` and accepts, or cancels with nothing; closes the window.
    void answer(std::optional<std::string> text);
    const std::optional<AboutContent>& about() const { return m_about; }
    void setHost(TrayHost host) { m_host = host; }

private:
    std::optional<StatusItemLook> m_look;
    StatusMenuContent m_menu;
    int m_menuUpdates = 0;
    std::function<void(const std::string&)> m_chosen;
    std::optional<TextRequest> m_request;
    std::function<void(std::optional<std::string>)> m_answer;
    std::optional<AboutContent> m_about;
    TrayHost m_host = TrayHost::statusNotifier;
};

} // namespace quorvane
