// QuorvaneWebHost: the program copied into every web-app bundle. It learns which web app it is from the
// bundle it runs in and shows that site in one window; a second start presents the running window.
#include "WebApps/DesktopIdentifier.h"
#include "WebHostIdentity.h"
#include "WebHostPlaces.h"
#include "WebHostWindow.h"

#include "QuorvaneIPC/ProcessPlaces.h"
#include "Support/QuorvaneError.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace {

using namespace quorvane;

struct Host {
    WebHostIdentity identity;
    WebHostOptions options;
    WebHostPlaces places;
    std::string desktopIdentifier;
    bool sessionBus = false;
    std::unique_ptr<WebHostWindow> window;
};

// Whether a session bus is there to be used, without starting one: a bare console or a CI job has none,
// and D-Bus would otherwise try to launch one for the X display.
bool sessionBusAnnounced()
{
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat status;
    return runtime && *runtime && ::stat((std::string(runtime) + "/bus").c_str(), &status) == 0
        && S_ISSOCK(status.st_mode);
}

// Makes every later D-Bus use fail at once instead of looking for a bus: uniqueness, the badge and
// notifications are then skipped.
void withoutSessionBus()
{
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    ::setenv("NO_AT_BRIDGE", "1", 1);
}

void activate(GApplication* application, Host* host)
{
    if (!host->window)
        host->window = std::make_unique<WebHostWindow>(GTK_APPLICATION(application), host->identity, host->options,
            host->places, host->desktopIdentifier, host->sessionBus);
    host->window->present();
}

// GTK gives WM_CLASS a capital first letter while it starts up; the desktop needs the id as it is.
void startup(GApplication*, Host* host)
{
    gdk_set_program_class(host->desktopIdentifier.c_str());
}

void shutdown(GApplication*, Host* host)
{
    host->window.reset();
}

// A polite end on SIGTERM (log-out, a test stopping the host) lets the engine finish writing cookies.
int quitOnSignal(void* application)
{
    g_application_quit(G_APPLICATION(application));
    return G_SOURCE_CONTINUE;
}

// An application registered under the app's own id when a bus takes it, else one without an id.
GtkApplication* registeredApplication(Host& host)
{
    if (host.sessionBus) {
        GtkApplication* application = gtk_application_new(host.desktopIdentifier.c_str(), G_APPLICATION_DEFAULT_FLAGS);
        GError* error = nullptr;
        if (g_application_register(G_APPLICATION(application), nullptr, &error))
            return application;
        std::fprintf(stderr, "QuorvaneWebHost: no session bus (%s); running without one.\n", error->message);
        g_error_free(error);
        g_object_unref(application);
        host.sessionBus = false;
        withoutSessionBus();
    }
    return gtk_application_new(nullptr, G_APPLICATION_NON_UNIQUE);
}

} // namespace

int main(int, char** argv)
{
    Host host;
    std::optional<std::string> executable = ProcessPlaces::executable();
    if (!executable) {
        std::fprintf(stderr, "QuorvaneWebHost: cannot find its own executable.\n");
        return 1;
    }
    try {
        host.identity = WebHostIdentity::forExecutable(*executable);
    } catch (const QuorvaneError& error) {
        std::fprintf(stderr, "QuorvaneWebHost: %s\n", error.message().c_str());
        return 1;
    }
    host.places = WebHostPlaces::forStore(host.identity.dataStoreIdentifier);
    host.options = WebHostOptions::forSlug(host.places.configFile, host.identity.slug);
    host.desktopIdentifier = desktopIdentifier(host.identity.bundleIdentifier);
    host.sessionBus = sessionBusAnnounced();
    if (!host.sessionBus)
        withoutSessionBus();

    // WM_CLASS and the application id both name the desktop entry, so launchers and task lists match.
    g_set_prgname(host.desktopIdentifier.c_str());
    g_set_application_name(host.identity.name.c_str());

    GtkApplication* application = registeredApplication(host);
    g_signal_connect_after(application, "startup", G_CALLBACK(startup), &host);
    g_signal_connect(application, "activate", G_CALLBACK(activate), &host);
    g_unix_signal_add(SIGTERM, quitOnSignal, application);
    g_unix_signal_add(SIGINT, quitOnSignal, application);
    g_signal_connect(application, "shutdown", G_CALLBACK(shutdown), &host);
    // Arguments are not the page's business: only the program name goes on.
    char* arguments[] = { argv[0], nullptr };
    int status = g_application_run(G_APPLICATION(application), 1, arguments);
    g_object_unref(application);
    return status;
}
