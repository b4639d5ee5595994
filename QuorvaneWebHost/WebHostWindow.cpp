#include "WebHostWindow.h"

#include "QuorvaneChrome/SlimTitleBar.h"

#include "Support/QuorvaneVersion.h"
#include "WebApps/NavigationPolicy.h"
#include "WebApps/URLComponents.h"

#include <filesystem>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

namespace quorvane {

namespace fs = std::filesystem;

namespace {

constexpr int defaultWidth = 1200;
constexpr int defaultHeight = 800;
// The smallest pop-up WebKit makes, in each direction.
constexpr int smallestPopUpEdge = 100;
constexpr const char* launcherEntryPath = "/app/quorvane/LauncherEntry";

// Frees a GLib-allocated text when it goes out of scope.
struct GText {
    char* text;
    ~GText() { g_free(text); }
};

std::string requestURI(WebKitNavigationAction* action)
{
    const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    return uri ? uri : "";
}

// A click of the person on a link; everything else (scripts, redirects, forms, history) is not.
LinkActivation activationOf(WebKitNavigationAction* action)
{
    bool click = webkit_navigation_action_is_user_gesture(action)
        && webkit_navigation_action_get_navigation_type(action) == WEBKIT_NAVIGATION_TYPE_LINK_CLICKED
        && !webkit_navigation_action_is_redirect(action);
    return click ? LinkActivation::userLink : LinkActivation::scriptOrRedirect;
}

bool hasHandler(std::string_view uri)
{
    std::optional<URLComponents> url = URLComponents::parse(uri);
    if (!url || !url->scheme)
        return false;
    GAppInfo* handler = g_app_info_get_default_for_uri_scheme(url->scheme->c_str());
    if (!handler)
        return false;
    g_object_unref(handler);
    return true;
}

// "name (2).ext", "name (3).ext" and so on; a leading dot does not start an extension.
std::string numberedName(const std::string& name, int number)
{
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        dot = name.size();
    return name.substr(0, dot) + " (" + std::to_string(number) + ")" + name.substr(dot);
}

// Whether the response asks to be saved rather than shown.
bool isAttachment(WebKitURIResponse* response)
{
    SoupMessageHeaders* headers = webkit_uri_response_get_http_headers(response);
    const char* disposition = headers ? soup_message_headers_get_one(headers, "Content-Disposition") : nullptr;
    return disposition && g_ascii_strncasecmp(disposition, "attachment", 10) == 0;
}

} // namespace

WebHostWindow::WebHostWindow(GtkApplication* application, WebHostIdentity identity, const WebHostOptions& options,
    WebHostPlaces places, std::string desktopIdentifier, bool sessionBus)
    : m_application(application)
    , m_identity(std::move(identity))
    , m_places(std::move(places))
    , m_desktopIdentifier(std::move(desktopIdentifier))
    , m_sessionBus(sessionBus)
    , m_chrome(options.chrome)
{
    WebKitWebsiteDataManager* data = webkit_website_data_manager_new("base-data-directory",
        m_places.websiteData.c_str(), "base-cache-directory", m_places.websiteCache.c_str(), nullptr);
    m_context = webkit_web_context_new_with_website_data_manager(data);
    g_object_unref(data);
    // Each page's process runs inside bubblewrap: a site gets no more of the files than a browser tab.
    webkit_web_context_set_sandbox_enabled(m_context, true);
    std::string cookies = m_places.websiteData + "/cookies.sqlite";
    webkit_cookie_manager_set_persistent_storage(
        webkit_web_context_get_cookie_manager(m_context), cookies.c_str(), WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
    g_signal_connect(m_context, "download-started", G_CALLBACK(onDownloadStarted), this);
    g_signal_connect(
        m_context, "initialize-notification-permissions", G_CALLBACK(onInitializeNotificationPermissions), this);

    m_settings = webkit_settings_new();
    // The standard agent is WebKit's browser-like one; otherwise the app names itself after it.
    if (!options.standardUserAgent)
        webkit_settings_set_user_agent_with_application_details(m_settings, "Quorvane", QuorvaneVersion::current);

    m_content = webkit_user_content_manager_new();
    std::string autofill = NavigationPolicy::passwordAutofillPreparationScript();
    WebKitUserScript* script = webkit_user_script_new(autofill.c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
        WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
    webkit_user_content_manager_add_script(m_content, script);
    webkit_user_script_unref(script);
    if (!options.userJS.empty()) {
        script = webkit_user_script_new(options.userJS.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
            WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_END, nullptr, nullptr);
        webkit_user_content_manager_add_script(m_content, script);
        webkit_user_script_unref(script);
    }
    if (!options.userCSS.empty()) {
        WebKitUserStyleSheet* sheet = webkit_user_style_sheet_new(options.userCSS.c_str(),
            WEBKIT_USER_CONTENT_INJECT_TOP_FRAME, WEBKIT_USER_STYLE_LEVEL_USER, nullptr, nullptr);
        webkit_user_content_manager_add_style_sheet(m_content, sheet);
        webkit_user_style_sheet_unref(sheet);
    }

    GSimpleAction* clicked = g_simple_action_new("notification-clicked", G_VARIANT_TYPE_UINT64);
    g_signal_connect(clicked, "activate", G_CALLBACK(onNotificationAction), this);
    g_action_map_add_action(G_ACTION_MAP(application), G_ACTION(clicked));
    g_object_unref(clicked);

    m_window = gtk_application_window_new(application);
    gtk_window_set_default_size(GTK_WINDOW(m_window), defaultWidth, defaultHeight);
    gtk_window_set_title(GTK_WINDOW(m_window), m_identity.name.c_str());
    gtk_window_set_icon_name(GTK_WINDOW(m_window), m_desktopIdentifier.c_str());
    SlimTitleBar::apply(GTK_WINDOW(m_window), m_chrome);
    m_view = makeView(nullptr);
    g_signal_connect(m_view, "notify::title", G_CALLBACK(onTitle), this);
    gtk_container_add(GTK_CONTAINER(m_window), GTK_WIDGET(m_view));
    gtk_widget_show_all(m_window);
}

WebHostWindow::~WebHostWindow()
{
    for (auto& [id, notification] : m_notifications)
        g_object_unref(notification);
    for (auto& [download, destination] : m_downloads)
        g_object_unref(download);
    g_object_unref(m_content);
    g_object_unref(m_settings);
    g_object_unref(m_context);
}

void WebHostWindow::present()
{
    if (!m_loaded) {
        m_loaded = true;
        webkit_web_view_load_uri(m_view, m_identity.url.c_str());
    }
    gtk_window_present(GTK_WINDOW(m_window));
}

WebKitWebView* WebHostWindow::makeView(WebKitWebView* related)
{
    GObject* view = related ? G_OBJECT(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", related, "settings",
                        m_settings, "user-content-manager", m_content, nullptr))
                            : G_OBJECT(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", m_context, "settings",
                                m_settings, "user-content-manager", m_content, nullptr));
    g_signal_connect(view, "decide-policy", G_CALLBACK(onDecidePolicy), this);
    g_signal_connect(view, "create", G_CALLBACK(onCreate), this);
    g_signal_connect(view, "show-notification", G_CALLBACK(onShowNotification), this);
    g_signal_connect(view, "permission-request", G_CALLBACK(onPermissionRequest), this);
    return WEBKIT_WEB_VIEW(view);
}

GtkWidget* WebHostWindow::makePopup(WebKitWebView* opener)
{
    WebKitWebView* view = makeView(opener);
    GtkWidget* window = gtk_application_window_new(m_application);
    gtk_window_set_title(GTK_WINDOW(window), m_identity.name.c_str());
    SlimTitleBar::apply(GTK_WINDOW(window), m_chrome);
    gtk_window_set_icon_name(GTK_WINDOW(window), m_desktopIdentifier.c_str());
    gtk_window_set_transient_for(GTK_WINDOW(window), GTK_WINDOW(m_window));
    gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(view));
    m_popups[view] = { window, false };
    g_signal_connect(window, "destroy", G_CALLBACK(onPopupDestroyed), this);
    g_signal_connect(view, "ready-to-show", G_CALLBACK(onReadyToShow), this);
    g_signal_connect(view, "notify::title", G_CALLBACK(onPopupTitle), this);
    g_signal_connect(view, "close", G_CALLBACK(onClose), this);
    return GTK_WIDGET(view);
}

bool WebHostWindow::decidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision, int type)
{
    switch (type) {
    case WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION:
        return decideNavigation(view, decision, false);
    case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION:
        return decideNavigation(view, decision, true);
    case WEBKIT_POLICY_DECISION_TYPE_RESPONSE: {
        auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
        if (!webkit_response_policy_decision_is_mime_type_supported(response)
            || isAttachment(webkit_response_policy_decision_get_response(response)))
            webkit_policy_decision_download(decision);
        else
            webkit_policy_decision_use(decision);
        return true;
    }
    default:
        return false;
    }
}

bool WebHostWindow::decideNavigation(WebKitWebView* view, WebKitPolicyDecision* decision, bool newWindow)
{
    WebKitNavigationAction* action
        = webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    std::string target = requestURI(action);

    auto popup = m_popups.find(view);
    if (!newWindow && popup != m_popups.end() && !popup->second.kept) {
        switch (NavigationPolicy::decidePopupNavigation(m_identity.url, target)) {
        case PopupFollowUp::waiting:
            webkit_policy_decision_use(decision);
            return true;
        case PopupFollowUp::keep:
            popup->second.kept = true;
            webkit_policy_decision_use(decision);
            return true;
        case PopupFollowUp::openExternally:
            webkit_policy_decision_ignore(decision);
            openExternally(target);
            gtk_widget_destroy(popup->second.window);
            return true;
        }
    }

    // WebKitGTK does not say which frame a navigation is for; frames loading their own content come as
    // scripts or redirects, which load in place in the main frame as well.
    LinkDecision link = NavigationPolicy::decideLink(m_identity.url, target, newWindow, true, activationOf(action));
    switch (link) {
    case LinkDecision::loadInPlace:
        if (newWindow) {
            webkit_policy_decision_ignore(decision);
            webkit_web_view_load_uri(view, target.c_str());
        } else {
            webkit_policy_decision_use(decision);
        }
        return true;
    case LinkDecision::openExternally:
        webkit_policy_decision_ignore(decision);
        openExternally(target);
        return true;
    case LinkDecision::openPopup:
    case LinkDecision::deferPopup:
        webkit_policy_decision_use(decision);
        return true;
    }
    return false;
}

void WebHostWindow::openExternally(const std::string& uri)
{
    if (!NavigationPolicy::shouldOfferToSystem(uri, hasHandler))
        return;
    GdkAppLaunchContext* launch = gdk_display_get_app_launch_context(gtk_widget_get_display(m_window));
    GError* error = nullptr;
    if (!g_app_info_launch_default_for_uri(uri.c_str(), G_APP_LAUNCH_CONTEXT(launch), &error)) {
        // Nothing on the desktop took the address: there is no one to tell but the log.
        g_warning("No application opened %s: %s", uri.c_str(), error->message);
        g_error_free(error);
    }
    g_object_unref(launch);
}

void WebHostWindow::updateTitle()
{
    const char* page = webkit_web_view_get_title(m_view);
    std::string title = page && *page ? page : m_identity.name;
    std::optional<int64_t> badge = NavigationPolicy::badgeCount(title);
    // A count at the end of the page title moves to the front, where a crowded task list still shows it.
    if (badge && !title.starts_with("(" + std::to_string(*badge) + ")"))
        title = "(" + std::to_string(*badge) + ") " + title;
    gtk_window_set_title(GTK_WINDOW(m_window), title.c_str());
    if (badge != m_badge) {
        m_badge = badge;
        sendBadge(badge);
    }
}

void WebHostWindow::sendBadge(std::optional<int64_t> count)
{
    GDBusConnection* bus = m_sessionBus ? g_application_get_dbus_connection(G_APPLICATION(m_application)) : nullptr;
    if (!bus)
        return;
    GVariantBuilder properties;
    g_variant_builder_init(&properties, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&properties, "{sv}", "count", g_variant_new_int64(count.value_or(0)));
    g_variant_builder_add(&properties, "{sv}", "count-visible", g_variant_new_boolean(count.has_value()));
    std::string application = "application://" + m_desktopIdentifier + ".desktop";
    g_dbus_connection_emit_signal(bus, nullptr, launcherEntryPath, "com.canonical.Unity.LauncherEntry", "Update",
        g_variant_new("(sa{sv})", application.c_str(), &properties), nullptr);
}

std::string WebHostWindow::downloadDestination(const std::string& suggested)
{
    std::string name = NavigationPolicy::safeDownloadName(suggested);
    std::error_code error;
    fs::create_directories(m_places.downloads, error);
    for (int number = 1;; ++number) {
        std::string path = m_places.downloads + "/" + (number == 1 ? name : numberedName(name, number));
        if (!m_reservedDownloads.contains(path) && !fs::exists(fs::symlink_status(path, error))) {
            m_reservedDownloads.insert(path);
            return path;
        }
    }
}

bool WebHostWindow::showNotification(WebKitNotification* notification)
{
    if (!m_sessionBus)
        return true;
    uint64_t id = webkit_notification_get_id(notification);
    GNotification* desktop = g_notification_new(webkit_notification_get_title(notification));
    const char* body = webkit_notification_get_body(notification);
    if (body && *body)
        g_notification_set_body(desktop, body);
    g_notification_set_default_action_and_target_value(desktop, "app.notification-clicked", g_variant_new_uint64(id));
    std::string key = "web-" + std::to_string(id);
    g_application_send_notification(G_APPLICATION(m_application), key.c_str(), desktop);
    g_object_unref(desktop);
    if (!m_notifications.contains(id)) {
        m_notifications[id] = WEBKIT_NOTIFICATION(g_object_ref(notification));
        g_signal_connect(notification, "closed", G_CALLBACK(onNotificationClosed), this);
    }
    return true;
}

void WebHostWindow::notificationClicked(uint64_t id)
{
    if (auto found = m_notifications.find(id); found != m_notifications.end())
        webkit_notification_clicked(found->second);
    gtk_window_present(GTK_WINDOW(m_window));
}

bool WebHostWindow::permissionRequest(WebKitWebView* view, WebKitPermissionRequest* request)
{
    const char* page = webkit_web_view_get_uri(view);
    // Only the app's own site may show notifications; every other request is refused.
    bool ownSite = page && !NavigationPolicy::isOffSite(m_identity.url, page)
        && URLComponents::parse(page).value_or(URLComponents {}).host.has_value();
    if (WEBKIT_IS_NOTIFICATION_PERMISSION_REQUEST(request) && ownSite)
        webkit_permission_request_allow(request);
    else
        webkit_permission_request_deny(request);
    return true;
}

void WebHostWindow::onTitle(WebKitWebView*, void*, WebHostWindow* self)
{
    self->updateTitle();
}

int WebHostWindow::onDecidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision, int type, WebHostWindow* self)
{
    return self->decidePolicy(view, decision, type);
}

GtkWidget* WebHostWindow::onCreate(WebKitWebView* opener, WebKitNavigationAction*, WebHostWindow* self)
{
    return self->makePopup(opener);
}

void WebHostWindow::onReadyToShow(WebKitWebView* view, WebHostWindow* self)
{
    auto popup = self->m_popups.find(view);
    if (popup == self->m_popups.end())
        return;
    WebKitWindowProperties* properties = webkit_web_view_get_window_properties(view);
    GdkRectangle geometry;
    webkit_window_properties_get_geometry(properties, &geometry);
    GtkWindow* window = GTK_WINDOW(popup->second.window);
    // WebKit raises every size to its smallest window, and reports that smallest window for a size the page did
    // not give (a target="_blank" link gives none): such a size means none.
    gtk_window_set_default_size(window, geometry.width > smallestPopUpEdge ? geometry.width : defaultWidth * 2 / 3,
        geometry.height > smallestPopUpEdge ? geometry.height : defaultHeight * 3 / 4);
    gtk_widget_show_all(popup->second.window);
}

void WebHostWindow::onPopupTitle(WebKitWebView* view, void*, WebHostWindow* self)
{
    auto popup = self->m_popups.find(view);
    if (popup == self->m_popups.end())
        return;
    const char* page = webkit_web_view_get_title(view);
    gtk_window_set_title(GTK_WINDOW(popup->second.window), page && *page ? page : self->m_identity.name.c_str());
}

void WebHostWindow::onClose(WebKitWebView* view, WebHostWindow* self)
{
    if (auto popup = self->m_popups.find(view); popup != self->m_popups.end())
        gtk_widget_destroy(popup->second.window);
}

void WebHostWindow::onPopupDestroyed(GtkWidget* window, WebHostWindow* self)
{
    std::erase_if(self->m_popups, [window](const auto& popup) { return popup.second.window == window; });
}

void WebHostWindow::onNotificationAction(GSimpleAction*, GVariant* id, WebHostWindow* self)
{
    self->notificationClicked(g_variant_get_uint64(id));
}

void WebHostWindow::onDownloadStarted(WebKitWebContext*, WebKitDownload* download, WebHostWindow* self)
{
    self->m_downloads[WEBKIT_DOWNLOAD(g_object_ref(download))] = "";
    webkit_download_set_allow_overwrite(download, false);
    g_signal_connect(download, "decide-destination", G_CALLBACK(onDecideDestination), self);
    g_signal_connect(download, "finished", G_CALLBACK(onDownloadEnded), self);
}

int WebHostWindow::onDecideDestination(WebKitDownload* download, const char* suggested, WebHostWindow* self)
{
    std::string path = self->downloadDestination(suggested ? suggested : "");
    self->m_downloads[download] = path;
    GText uri { g_filename_to_uri(path.c_str(), nullptr, nullptr) };
    webkit_download_set_destination(download, uri.text);
    return true;
}

void WebHostWindow::onDownloadEnded(WebKitDownload* download, WebHostWindow* self)
{
    auto found = self->m_downloads.find(download);
    if (found == self->m_downloads.end())
        return;
    self->m_reservedDownloads.erase(found->second);
    self->m_downloads.erase(found);
    g_object_unref(download);
}

int WebHostWindow::onShowNotification(WebKitWebView*, WebKitNotification* notification, WebHostWindow* self)
{
    return self->showNotification(notification);
}

void WebHostWindow::onNotificationClosed(WebKitNotification* notification, WebHostWindow* self)
{
    uint64_t id = webkit_notification_get_id(notification);
    auto found = self->m_notifications.find(id);
    if (found == self->m_notifications.end())
        return;
    std::string key = "web-" + std::to_string(id);
    if (self->m_sessionBus)
        g_application_withdraw_notification(G_APPLICATION(self->m_application), key.c_str());
    g_object_unref(found->second);
    self->m_notifications.erase(found);
}

int WebHostWindow::onPermissionRequest(WebKitWebView* view, WebKitPermissionRequest* request, WebHostWindow* self)
{
    return self->permissionRequest(view, request);
}

void WebHostWindow::onInitializeNotificationPermissions(WebKitWebContext* context, WebHostWindow* self)
{
    // The app's own origin starts with permission granted, so pages see "granted" without asking.
    WebKitSecurityOrigin* origin = webkit_security_origin_new_for_uri(self->m_identity.url.c_str());
    GList* allowed = g_list_append(nullptr, origin);
    webkit_web_context_initialize_notification_permissions(context, allowed, nullptr);
    g_list_free(allowed);
    webkit_security_origin_unref(origin);
}

} // namespace quorvane
