#pragma once

#include "WebHostIdentity.h"
#include "WebHostPlaces.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

typedef struct _GSimpleAction GSimpleAction;
typedef struct _GVariant GVariant;
typedef struct _GtkApplication GtkApplication;
typedef struct _GtkWidget GtkWidget;
typedef struct _WebKitDownload WebKitDownload;
typedef struct _WebKitNavigationAction WebKitNavigationAction;
typedef struct _WebKitNotification WebKitNotification;
typedef struct _WebKitPermissionRequest WebKitPermissionRequest;
typedef struct _WebKitPolicyDecision WebKitPolicyDecision;
typedef struct _WebKitSettings WebKitSettings;
typedef struct _WebKitUserContentManager WebKitUserContentManager;
typedef struct _WebKitWebContext WebKitWebContext;
typedef struct _WebKitWebView WebKitWebView;

namespace quorvane {

enum class PopupFollowUp;

// The one window of a web app: a web view on the app's own data store that applies the navigation policy
// to every navigation, keeps pop-ups the site opens for sign-in or payment, saves downloads, shows the
// unread count and turns web notifications into desktop ones. Lives as long as its GtkApplication.
class WebHostWindow {
public:
    // `desktopIdentifier` names the app to the desktop; `sessionBus` says whether the application is
    // registered on a session bus (the badge and notifications need one).
    WebHostWindow(GtkApplication*, WebHostIdentity, const WebHostOptions&, WebHostPlaces, std::string desktopIdentifier,
        bool sessionBus);
    ~WebHostWindow();
    WebHostWindow(const WebHostWindow&) = delete;
    WebHostWindow& operator=(const WebHostWindow&) = delete;

    // Brings the window forward, loading the app's address on first use.
    void present();

private:
    struct Popup {
        GtkWidget* window = nullptr;
        // Until the pop-up's first real address, its fate is open.
        bool kept = false;
    };

    WebKitWebView* makeView(WebKitWebView* related);
    GtkWidget* makePopup(WebKitWebView* opener);
    bool decidePolicy(WebKitWebView*, WebKitPolicyDecision*, int type);
    bool decideNavigation(WebKitWebView*, WebKitPolicyDecision*, bool newWindow);
    void openExternally(const std::string& uri);
    void updateTitle();
    void sendBadge(std::optional<int64_t> count);
    std::string downloadDestination(const std::string& suggested);
    bool showNotification(WebKitNotification*);
    void notificationClicked(uint64_t id);
    bool permissionRequest(WebKitWebView*, WebKitPermissionRequest*);

    static void onTitle(WebKitWebView*, void*, WebHostWindow*);
    static void onPopupTitle(WebKitWebView*, void*, WebHostWindow*);
    static int onDecidePolicy(WebKitWebView*, WebKitPolicyDecision*, int type, WebHostWindow*);
    static GtkWidget* onCreate(WebKitWebView*, WebKitNavigationAction*, WebHostWindow*);
    static void onReadyToShow(WebKitWebView*, WebHostWindow*);
    static void onClose(WebKitWebView*, WebHostWindow*);
    static void onPopupDestroyed(GtkWidget* window, WebHostWindow*);
    static void onNotificationAction(GSimpleAction*, GVariant* id, WebHostWindow*);
    static void onDownloadStarted(WebKitWebContext*, WebKitDownload*, WebHostWindow*);
    static int onDecideDestination(WebKitDownload*, const char* suggested, WebHostWindow*);
    static void onDownloadEnded(WebKitDownload*, WebHostWindow*);
    static int onShowNotification(WebKitWebView*, WebKitNotification*, WebHostWindow*);
    static void onNotificationClosed(WebKitNotification*, WebHostWindow*);
    static int onPermissionRequest(WebKitWebView*, WebKitPermissionRequest*, WebHostWindow*);
    static void onInitializeNotificationPermissions(WebKitWebContext*, WebHostWindow*);

    GtkApplication* m_application;
    WebHostIdentity m_identity;
    WebHostPlaces m_places;
    std::string m_desktopIdentifier;
    bool m_sessionBus;
    // Read at start: a change applies from the next start.
    WindowChrome m_chrome;
    WebKitWebContext* m_context = nullptr;
    WebKitSettings* m_settings = nullptr;
    WebKitUserContentManager* m_content = nullptr;
    GtkWidget* m_window = nullptr;
    WebKitWebView* m_view = nullptr;
    bool m_loaded = false;
    std::optional<int64_t> m_badge;
    std::map<WebKitWebView*, Popup> m_popups;
    // Destinations handed out to downloads still running, so two of one name never share a file.
    std::set<std::string> m_reservedDownloads;
    std::map<WebKitDownload*, std::string> m_downloads;
    std::map<uint64_t, WebKitNotification*> m_notifications;
};

} // namespace quorvane
