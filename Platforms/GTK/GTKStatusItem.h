#pragma once

#include "QuorvaneApp/Platform/StatusItem.h"

#include <memory>
#include <string>

typedef struct _AppIndicator AppIndicator;
typedef struct _GtkWidget GtkWidget;

namespace quorvane {

class GTKStatusMenu;
class GTKTextPrompt;

// The tray item as a StatusNotifierItem with its menu over D-Bus (libayatana-appindicator), which falls back
// to an XEmbed tray icon where no StatusNotifier host runs and registers again whenever the host's watcher
// comes back. GTK must be initialised (GTKOverlayPanels::start) before one is made. Main thread only.
class GTKStatusItem : public StatusItem {
public:
    // `id` names the item to the tray; `iconThemePath`, when not empty, is a folder of icon themes searched
    // for the item's icons before the installed ones.
    GTKStatusItem(const std::string& id, const std::string& iconThemePath);
    ~GTKStatusItem() override;
    GTKStatusItem(const GTKStatusItem&) = delete;
    GTKStatusItem& operator=(const GTKStatusItem&) = delete;

    void setLook(const StatusItemLook&) override;
    void setMenu(const StatusMenuContent&) override;
    void setOnChoose(std::function<void(const std::string& key)> chosen) override { m_chosen = std::move(chosen); }
    void askForText(const TextRequest&, std::function<void(std::optional<std::string>)> answer) override;
    void showAbout(const AboutContent&) override;
    TrayHost host() override;

private:
    void applyLook();

    std::string m_iconThemePath;
    AppIndicator* m_indicator = nullptr;
    std::unique_ptr<GTKStatusMenu> m_menu;
    // The line a middle click activates.
    GtkWidget* m_secondary = nullptr;
    GtkWidget* m_about = nullptr;
    StatusItemLook m_look;
    std::function<void(const std::string&)> m_chosen;
    std::unique_ptr<GTKTextPrompt> m_prompt;
};

} // namespace quorvane
